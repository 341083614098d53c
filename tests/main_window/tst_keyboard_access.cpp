#include "main_window_fixture.h"

#include "appearance/focus_marker.h"
#include "competition/TForm_Namensfenster.h"
#include "engine/task_generation.h"
#include "main_window/settings_items.h"

#include <QAbstractItemView>
#include <QAccessible>
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

// Presses Tab (or Backtab) until the focus is on `target`; false if it never gets there.
bool tabTo(QWidget* target, Qt::Key key = Qt::Key_Tab) {
    for (int i = 0; i < 30 && focused() != target; ++i)
        QTest::keyClick(focused(), key);
    return focused() == target;
}

// The widgets that got the focus, in turn.
struct FocusInsSeen : QObject {
    QList<QObject*> widgets;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn && watched->isWidgetType())
            widgets << watched;
        return false;
    }
};

QString accessible(QWidget* w, QAccessible::Text t = QAccessible::Name) {
    return QAccessible::queryAccessibleInterface(w)->text(t);
}

} // namespace

class TestKeyboardAccess : public QObject {
    Q_OBJECT
private slots:
    void digitFieldsLetEditingKeysPass();
    void endOfRunFocusesTheStartControl();
    void startChecksTheTimeFieldItself();
    void rangeChecksWaitForTheChosenOperation_data();
    void rangeChecksWaitForTheChosenOperation();
    void panelClicksNeedPressAndReleaseInside();
    void keyboardOnlyRunAndCompetition();
    void screenReaderNames();
    void eachTaskTakesTheFocusToAFreshField();
    void rightHandControlsFollowTheWidth();
};

// Digits go in, other characters stay out, and Tab, Delete and the arrows do their usual work.
void TestKeyboardAccess::digitFieldsLetEditingKeysPass() {
    MainWindowFixture f;
    QLineEdit* time = f.c->Edit_Zeit;
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
    for (QLineEdit* field : {f.c->Eingabe_aufnehmen(), f.c->Edit_Rest}) {
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
        QVERIFY(!f.c->But_Stop->isVisible());
        QCOMPARE(focused(), startControl);
        QTest::keyClicks(focused(), "12");
        QCOMPARE(f.c->Edit_Name->text(), QString("Werda ?"));
        QCOMPARE(f.form->windowTitle(), QString("    Deverizozov mit   Werda ?"));
        f.pending.results = f.pending.tasks = false;
    };
    f.start();
    f.answerRight();
    altS(f.c->Eingabe_aufnehmen());
    checkEnd(f.c->But_Start);

    f.setTime("2");
    f.start();
    for (int tick = 0; tick < 3; ++tick)
        f.run.tick();
    checkEnd(f.c->But_Start);

    f.setTime("0");
    f.chooseRanges(0, 0); // 36 tasks, then no more
    f.start();
    for (int task = 0; task < 36; ++task)
        f.answerRight();
    checkEnd(f.c->But_Start);
}

// An unfit time that was never left stops Start with the field's message; disabling the field is
// not leaving it.
void TestKeyboardAccess::startChecksTheTimeFieldItself() {
    MainWindowFixture f;
    QLineEdit* time = f.c->Edit_Zeit;
    QTest::mouseClick(time, Qt::LeftButton);
    QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(time, "1500");
    f.platform.clearMessages();
    for (int attempt = 0; attempt < 2; ++attempt) {
        altS(time);
        QCOMPARE(f.platform.messageTexts(), QStringList{timeFieldExitHint});
        QVERIFY(!f.c->But_Stop->isVisible());
        QVERIFY(time->hasFocus());
        f.platform.clearMessages();
    }
    QTest::keyClick(time, Qt::Key_Backspace);
    altS(time);
    QVERIFY(f.c->But_Stop->isVisible());
    QCOMPARE(f.state.remainingSeconds, 151);
    QVERIFY(f.platform.messages.isEmpty());
    altS(f.c->Eingabe_aufnehmen());

    // Competition mode switched on while the cursor sits in an empty time field: no message.
    QTest::mouseClick(time, Qt::LeftButton);
    QTest::keyClick(time, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(time, Qt::Key_Backspace);
    QTest::mouseClick(f.c->Panel_Wettbewerb_ini, Qt::LeftButton);
    QVERIFY(f.settings().competitionMode);
    QVERIFY(f.platform.messages.isEmpty());
    // Back to free practice, Start still finds the empty field.
    QTest::mouseClick(f.c->Panel_Wettbewerb_ini, Qt::LeftButton);
    f.start();
    QCOMPARE(f.platform.messageTexts(), QStringList{timeFieldExitHint});
    QVERIFY(!f.c->But_Stop->isVisible());
}

// Walking the operations with the arrow keys warns only about the one the child leaves the box
// on; a choice from the opened list warns at once, and so does Start, each once. Dividends 0 .. 5
// are too few for ":".
void TestKeyboardAccess::rangeChecksWaitForTheChosenOperation_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<bool>("opened");
    QTest::addColumn<QString>("settledOn");
    QTest::addColumn<int>("warningsInTheBox");
    QTest::addColumn<int>("warningsAfterLeaving");
    const QList<int> toDivision{Qt::Key_Down, Qt::Key_Down, Qt::Key_Down};
    QTest::newRow("past : to : R") << (toDivision + QList<int>{Qt::Key_Down}) << false
                                   << QStringLiteral("Dividieren (:) m. Rest") << 0 << 0;
    QTest::newRow("to : and back to *") << (toDivision + QList<int>{Qt::Key_Up}) << false
                                        << QStringLiteral("Multiplizieren (*)") << 0 << 0;
    QTest::newRow("walked to :") << toDivision << false << QStringLiteral("Dividieren (:)") << 0
                                 << 1;
    QTest::newRow("walked to :, then Start")
        << (toDivision + QList<int>{int(Qt::AltModifier) | Qt::Key_S}) << false
        << QStringLiteral("Dividieren (:)") << 1 << 1;
    QTest::newRow(": from the opened list")
        << toDivision << true << QStringLiteral("Dividieren (:)") << 1 << 1;
}

void TestKeyboardAccess::rangeChecksWaitForTheChosenOperation() {
    QFETCH(QList<int>, keys);
    QFETCH(bool, opened);
    QFETCH(QString, settledOn);
    QFETCH(int, warningsInTheBox);
    QFETCH(int, warningsAfterLeaving);
    MainWindowFixture f;
    f.chooseRanges(0, 1);
    QComboBox* box = f.c->Verknuepfung;
    box->setFocus();
    f.platform.clearMessages();
    const auto warnings = [&] {
        QTest::qWait(200); // a button's shortcut click takes a moment, as on screen

        return int(f.platform.messageTexts().count(dividendTooSmallWarning));
    };
    QWidget* keysGoTo = box;
    if (opened) {
        QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(box->view()->isVisible());
        keysGoTo = box->view();
    }
    for (int key : keys)
        QTest::keyClick(keysGoTo, Qt::Key(key & ~Qt::KeyboardModifierMask),
                        Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
    if (opened) {
        QTest::keyClick(box->view(), Qt::Key_Return);
        QTRY_VERIFY(!box->view()->isVisible());
    }
    QCOMPARE(warnings(), warningsInTheBox);
    QCOMPARE(box->currentText(), settledOn);
    QCOMPARE(operationIndex(f.settings().operation), box->currentIndex());
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(warnings(), warningsAfterLeaving);
}

// A click is a press and a release inside the same control; the second half of a double-click is
// not a second click.
void TestKeyboardAccess::panelClicksNeedPressAndReleaseInside() {
    MainWindowFixture f;
    ClickablePanel* modeSwitch = f.c->Panel_Wettbewerb_ini;
    QTest::mousePress(modeSwitch, Qt::LeftButton);
    QTest::mouseRelease(modeSwitch, Qt::LeftButton, {}, QPoint(modeSwitch->width() + 500, 5));
    QVERIFY(!f.settings().competitionMode);

    auto doubleClick = [](QWidget* w) { // what a real double-click delivers
        QTest::mousePress(w, Qt::LeftButton);
        QTest::mouseRelease(w, Qt::LeftButton);
        QTest::mouseDClick(w, Qt::LeftButton);
        QTest::mouseRelease(w, Qt::LeftButton);
    };
    doubleClick(modeSwitch);
    QVERIFY(f.settings().competitionMode);
    QCOMPARE(modeSwitch->text(), QString("Wettbewerbe aus"));

    QTest::mousePress(f.c->Panel_W[2], Qt::LeftButton);
    QTest::mouseRelease(f.c->Panel_W[2], Qt::LeftButton, {}, QPoint(-200, 5));
    QVERIFY(!f.settings().competitionChosen());
    doubleClick(f.c->Panel_W[2]);
    QCOMPARE(f.settings().competitionNumber, 3);
}

// Free practice and a competition with the keys alone; the focus frame follows the focus.
void TestKeyboardAccess::keyboardOnlyRunAndCompetition() {
    MainWindowFixture f;
    TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;
    TForm_Namensfenster dialog(f.platform, &w);
    w.attachNameDialog(&dialog);
    const FocusMarker* marker = w.findChild<FocusMarker*>();
    QCOMPARE(focused(), c.But_Start);
    QCOMPARE(marker->target(), c.But_Start);
    QVERIFY(marker->isVisible());
    QVERIFY(marker->geometry().contains(c.But_Start->geometry()));

    QTest::keyClick(focused(), Qt::Key_Return);
    QVERIFY(c.But_Stop->isVisible());
    QCOMPARE(focused(), c.Eingabe_aufnehmen());
    f.answerRight();
    f.answerRight();
    QCOMPARE(f.state.points, 2);
    altS(focused());
    QCOMPARE(focused(), c.But_Start);
    f.pending.results = f.pending.tasks = false;

    QVERIFY(tabTo(c.Panel_Wettbewerb_ini));
    QCOMPARE(marker->target(), c.Panel_Wettbewerb_ini);
    QTest::keyClick(focused(), Qt::Key_Space);
    QVERIFY(f.settings().competitionMode);
    QVERIFY(tabTo(c.Panel_W[1]));
    QTest::keyClick(focused(), Qt::Key_Space);
    QCOMPARE(f.settings().competitionNumber, 2);
    QVERIFY(tabTo(c.Button_Wettb_starten, Qt::Key_Backtab));

    QString focusInDialog;
    QTimer::singleShot(0, &dialog, [&] {
        focusInDialog = dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
        QTest::keyClicks(dialog.focusWidget(), "Ben");
        QTest::keyClick(dialog.focusWidget(), Qt::Key_Return);
    });
    QTimer::singleShot(3000, &dialog, [&] { // should the dialog stay open
        dialog.findChild<QPushButton*>("BitBtn_Abbruch")->click();
    });
    QTest::keyClick(focused(), Qt::Key_Return);
    QCOMPARE(focusInDialog, QString("Edit_Namen"));
    QCOMPARE(f.settings().participantName, QString("Ben"));
    QCOMPARE(w.focusWidget(), c.But_Start);
    QApplication::setActiveWindow(&w); // offscreen, closing the dialog does not reactivate it
    QTest::keyClick(focused(), Qt::Key_Return);
    QVERIFY(c.But_Stop->isVisible());
    QCOMPARE(f.state.competitionTag, QString("2"));
    altS(focused());
    QCOMPARE(focused(), c.Button_Wettb_starten);
    QVERIFY(!c.But_Start->isVisible());
}

// What a screen reader gets: panels named by what they show, the task in the answer field's
// description, settings fields named by their labels, competitions by their captions.
void TestKeyboardAccess::screenReaderNames() {
    MainWindowFixture f;
    const MainWindowControls& c = *f.c;
    QCOMPARE(accessible(c.Edit_Name), QString("Name"));
    QCOMPARE(accessible(c.Edit_Zeit), QString("Zeit in Sek"));
    // A list box's name is its text on this desktop; its label comes as the labelling relation.
    for (QComboBox* box : {c.Verknuepfung, c.Edit_Zahl_1, c.Edit_Zahl_2}) {
        const auto labels =
            QAccessible::queryAccessibleInterface(box)->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels[0].first->object(), box == c.Verknuepfung  ? c.Label_Rechenart
                                            : box == c.Edit_Zahl_1 ? c.Label_Bereich_Zahl_1
                                                                   : c.Label_Bereich_Zahl_2);
    }
    QCOMPARE(accessible(c.Panel_Wettbewerb_ini), QString("Wettbewerb ein"));
    for (int n = 1; n <= 16; ++n)
        QCOMPARE(accessible(c.Panel_W[size_t(n - 1)]), QString("W %1").arg(n));
    QCOMPARE(accessible(c.Panel_W[12], QAccessible::Description),
             QString("Wettbewerb 13: Addieren (+), 1. Zahl 100 .. 500, 2. Zahl 20 .. 50, "
                     "120 Sekunden"));

    f.chooseRanges(13, 13);
    f.start();
    for (int task = 1; task <= 3; ++task) {
        QCOMPARE(accessible(c.Panel_Aufgaben_Nr_zeigen), QString::number(task));
        QCOMPARE(accessible(c.Panel_Zahl_1_zeigen), QString::number(f.state.operand1));
        QCOMPARE(accessible(c.Panel_Verknuepfung_zeigen), QString("+"));
        QCOMPARE(accessible(c.Panel_Zahl_2_zeigen), QString::number(f.state.operand2));
        QCOMPARE(accessible(c.Panel_Zahl_2_zeigen, QAccessible::Description), QString("2. Zahl"));
        QCOMPARE(accessible(c.Panel_Punkte_zeigen), QString::number(task - 1));
        QCOMPARE(accessible(c.Eingabe_aufnehmen()), QString("Ergebnis"));
        QCOMPARE(
            accessible(c.Eingabe_aufnehmen(), QAccessible::Description),
            QString("Aufgabe %1: %2 + %3 =").arg(task).arg(f.state.operand1).arg(f.state.operand2));
        f.answerRight();
    }
    f.stop();
    QCOMPARE(accessible(c.Eingabe_aufnehmen(), QAccessible::Description), QString());
    // The switch's press action is a click.
    QAccessible::queryAccessibleInterface(c.Panel_Wettbewerb_ini)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(f.settings().competitionMode);
}

// Each new task arrives in the other of two answer fields at the same place, which takes the focus
// at once, so a screen reader reads the task from a newly focused field without any waiting: after
// an answer and after a remainder alike. Keys typed right away reach the field in use.
void TestKeyboardAccess::eachTaskTakesTheFocusToAFreshField() {
    MainWindowFixture f;
    for (const bool remainder : {false, true}) {
        if (remainder) {
            f.chooseOperation(4);
            f.chooseRanges(8, 2); // 50 .. 100 : 5 .. 10
            f.setTime("0");
            // From a settings field Start takes the focus straight to the first task.
            f.c->Verknuepfung->setFocus();
            FocusInsSeen seen;
            qApp->installEventFilter(&seen);
            altS(focused());
            qApp->removeEventFilter(&seen);
            QCOMPARE(seen.widgets, QList<QObject*>{f.c->Eingabe_aufnehmen()});
        } else {
            QTest::keyClick(focused(), Qt::Key_Return);
        }
        QLineEdit* before = f.c->Eingabe_aufnehmen();
        QCOMPARE(focused(), before);
        const QRect place = before->geometry();
        for (int task = 2; task <= 5; ++task) {
            const qint32 right = remainder ? f.state.operand1 / f.state.operand2 : f.rightAnswer();
            const qint32 remainderOfTask = remainder ? f.state.operand1 % f.state.operand2 : 0;
            QTest::keyClicks(focused(), QString::number(right));
            QTest::keyClick(focused(), Qt::Key_Return);
            if (remainder) {
                QCOMPARE(focused(), f.c->Edit_Rest);
                QTest::keyClicks(focused(), QString::number(remainderOfTask));
                QTest::keyClick(focused(), Qt::Key_Return);
            }
            QLineEdit* now = f.c->Eingabe_aufnehmen();
            QCOMPARE(f.state.taskCounter, task);
            QCOMPARE(focused(), now);
            QVERIFY(now != before);
            QVERIFY(now->isVisible() && !before->isVisible());
            QCOMPARE(now->geometry(), place);
            QCOMPARE(now->text(), QString());
            QCOMPARE(accessible(now), QString("Ergebnis"));
            QCOMPARE(accessible(now, QAccessible::Description),
                     QString("Aufgabe %1: %2 %3 %4 =")
                         .arg(task)
                         .arg(f.state.operand1)
                         .arg(operationSign(f.settings().operation))
                         .arg(f.state.operand2));
            before = now;
        }
        QCOMPARE(f.state.points, 4);
        QTest::keyClicks(focused(), "7");
        QCOMPARE(f.c->Eingabe_aufnehmen()->text(), QString("7"));
        altS(focused());
        QCOMPARE(focused(), f.c->But_Start);
        f.pending.results = f.pending.tasks = false;
    }
}

// Wider or narrower, the right-hand controls end a third of a panel width before the right edge,
// and every label has room for its whole text.
void TestKeyboardAccess::rightHandControlsFollowTheWidth() {
    MainWindowFixture f;
    TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;
    const QWidget* client = w.centralWidget();
    for (const int extra : {600, -100}) {
        w.resize(w.width() + extra, w.height());
        QTRY_COMPARE(client->width(), w.width());
        const int right = client->width() - c.Panel_W[0]->width() / 3;
        for (QWidget* c :
             {static_cast<QWidget*>(c.But_Start), static_cast<QWidget*>(c.Edit_Zeit),
              static_cast<QWidget*>(c.Edit_Zahl_2), static_cast<QWidget*>(c.Panel_Wettbewerb_ini)})
            QCOMPARE(c->geometry().right() + 1, right);
        for (QLabel* label : {c.Label_Name, c.Label_Rechenart, c.Label_Zeit, c.Label_Bereich_Zahl_1,
                              c.Label_Bereich_Zahl_2})
            QVERIFY(label->width() >= label->sizeHint().width());
    }
}

QTEST_MAIN(TestKeyboardAccess)
#include "tst_keyboard_access.moc"
