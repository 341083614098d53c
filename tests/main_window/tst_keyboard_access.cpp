#include "main_window_fixture.h"

#include "main_window/settings_items.h"

#include <QApplication>

namespace {

QWidget* focused() {
    return QApplication::focusWidget();
}

// Alt+S presses Start or Stopp; a button's shortcut click takes a moment, as on screen.
void altS(QWidget* w) {
    QTest::keyClick(w, Qt::Key_S, Qt::AltModifier);
    QTest::qWait(150);
}

} // namespace

class TestKeyboardAccess : public QObject {
    Q_OBJECT
private slots:
    void digitFieldsLetEditingKeysPass();
    void endOfRunFocusesTheStartControl();
    void startChecksTheTimeFieldItself();
    void panelClicksNeedPressAndReleaseInside();
};

// Digits go in, other characters stay out, and Tab, Delete and the arrows do their usual work.
void TestKeyboardAccess::digitFieldsLetEditingKeysPass() {
    MainWindowFixture f;
    QLineEdit* time = f.form->Edit_Zeit;
    QTest::mouseClick(time, Qt::LeftButton);
    QTest::keyClick(time, Qt::Key_End);
    QTest::keyClicks(time, "5x");
    QTest::keyClick(time, Qt::Key_Home);
    QTest::keyClick(time, Qt::Key_Delete);
    QCOMPARE(time->text(), QString("5"));
    QTest::keyClick(time, Qt::Key_Tab);
    QVERIFY(!time->hasFocus());
    QVERIFY(f.platform.messages.isEmpty());

    // Emptied and left with Backtab: the field's exit check speaks and takes the focus back.
    QTest::mouseClick(time, Qt::LeftButton);
    QTest::keyClick(time, Qt::Key_End);
    QTest::keyClick(time, Qt::Key_Backspace);
    QTest::keyClick(time, Qt::Key_Backtab);
    QCOMPARE(f.platform.messageTexts(), QStringList{timeFieldExitHint});
    QVERIFY(time->hasFocus());
    QTest::keyClicks(time, "0");
    QTest::keyClick(time, Qt::Key_Tab);

    f.chooseOperation(4); // division with remainder: answer and remainder field
    f.start();
    for (QLineEdit* field : {f.form->Eingabe_aufnehmen, f.form->Edit_Rest}) {
        field->setFocus();
        QTest::keyClicks(field, "812");
        QTest::keyClick(field, Qt::Key_Left);
        QTest::keyClick(field, Qt::Key_Left);
        QTest::keyClick(field, Qt::Key_Delete);
        QCOMPARE(field->text(), QString("82"));
    }
}

// Whatever ends a run, the focus waits on the start control that is shown next, so the next keys
// never overwrite the participant's name.
void TestKeyboardAccess::endOfRunFocusesTheStartControl() {
    MainWindowFixture f;
    auto checkEnd = [&](QWidget* startControl) {
        QVERIFY(!f.form->But_Stop->isVisible());
        QCOMPARE(focused(), startControl);
        QTest::keyClicks(focused(), "12");
        QCOMPARE(f.form->Edit_Name->text(), QString("Werda ?"));
        QCOMPARE(f.form->windowTitle(), QString("    Deverizozov mit   Werda ?"));
        f.state.resultsPending = f.state.tasksPending = false;
    };
    f.start();
    f.answerRight();
    altS(f.form->Eingabe_aufnehmen);
    checkEnd(f.form->But_Start);

    f.setTime("2");
    f.start();
    for (int tick = 0; tick < 3; ++tick)
        f.form->Timer3Timer();
    checkEnd(f.form->But_Start);

    f.setTime("0");
    f.chooseRanges(0, 0); // 36 tasks, then no more
    f.start();
    for (int task = 0; task < 36; ++task)
        f.answerRight();
    checkEnd(f.form->But_Start);
}

// An unfit time that was never left stops Start with the field's message; disabling the field is
// not leaving it.
void TestKeyboardAccess::startChecksTheTimeFieldItself() {
    MainWindowFixture f;
    QLineEdit* time = f.form->Edit_Zeit;
    QTest::mouseClick(time, Qt::LeftButton);
    QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(time, "1500");
    f.platform.clearMessages();
    for (int attempt = 0; attempt < 2; ++attempt) {
        altS(time);
        QCOMPARE(f.platform.messageTexts(), QStringList{timeFieldExitHint});
        QVERIFY(!f.form->But_Stop->isVisible());
        QVERIFY(time->hasFocus());
        f.platform.clearMessages();
    }
    QTest::keyClick(time, Qt::Key_Backspace);
    altS(time);
    QVERIFY(f.form->But_Stop->isVisible());
    QCOMPARE(f.state.remainingSeconds, 151);
    QVERIFY(f.platform.messages.isEmpty());
    altS(f.form->Eingabe_aufnehmen);

    // Competition mode switched on while the cursor sits in an empty time field: no message.
    QTest::mouseClick(time, Qt::LeftButton);
    QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(time, Qt::Key_Backspace);
    QTest::mouseClick(f.form->Panel_Wettbewerb_ini, Qt::LeftButton);
    QVERIFY(f.state.competitionMode);
    QVERIFY(f.platform.messages.isEmpty());
    // Back to free practice, Start still finds the empty field.
    QTest::mouseClick(f.form->Panel_Wettbewerb_ini, Qt::LeftButton);
    f.start();
    QCOMPARE(f.platform.messageTexts(), QStringList{timeFieldExitHint});
    QVERIFY(!f.form->But_Stop->isVisible());
}

// A click is a press and a release inside the same control; the second half of a double-click is
// not a second click.
void TestKeyboardAccess::panelClicksNeedPressAndReleaseInside() {
    MainWindowFixture f;
    QLabel* modeSwitch = f.form->Panel_Wettbewerb_ini;
    QTest::mousePress(modeSwitch, Qt::LeftButton);
    QTest::mouseRelease(modeSwitch, Qt::LeftButton, {}, QPoint(modeSwitch->width() + 500, 5));
    QVERIFY(!f.state.competitionMode);

    auto doubleClick = [](QWidget* w) { // what a real double-click delivers
        QTest::mousePress(w, Qt::LeftButton);
        QTest::mouseRelease(w, Qt::LeftButton);
        QTest::mouseDClick(w, Qt::LeftButton);
        QTest::mouseRelease(w, Qt::LeftButton);
    };
    doubleClick(modeSwitch);
    QVERIFY(f.state.competitionMode);
    QCOMPARE(modeSwitch->text(), QString("Wettbewerbe aus"));

    QTest::mousePress(f.form->Panel_W[2], Qt::LeftButton);
    QTest::mouseRelease(f.form->Panel_W[2], Qt::LeftButton, {}, QPoint(-200, 5));
    QVERIFY(!f.state.competitionChosen);
    doubleClick(f.form->Panel_W[2]);
    QCOMPARE(f.state.competitionNumber, 3);
}

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboard_access.moc"
