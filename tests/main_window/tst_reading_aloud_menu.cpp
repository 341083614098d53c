#include "main_window/speech_menu.h"
#include "main_window_fixture.h"

#include <QApplication>
#include <QSettings>
#include <QSignalSpy>

class TestReadingAloudMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void menuRemembersAndShowsTasksByEar();

private:
    QTemporaryDir settingsFolder_;
};

namespace {

// Chooses an item of the settings menu as a child does with the keyboard: the menu opened with
// Alt+E, the item by its underlined letter, which no other item of the menu may share.
void choose(MainWindowFixture& f, Qt::Key letter) {
    QTest::keyClick(f.form.get(), Qt::Key_E, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QTest::keyClick(menu, letter);
    QVERIFY(!QApplication::activePopupWidget());
}

} // namespace

void TestReadingAloudMenu::initTestCase() {
    // What this test turns on must not reach the other tests' settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder_.path());
}

void TestReadingAloudMenu::menuRemembersAndShowsTasksByEar() {
    auto f = std::make_unique<MainWindowFixture>();
    auto* reading = f->c->find<QAction>(QStringLiteral("Vorlesen1"));
    auto* earOnly = f->c->find<QAction>(QStringLiteral("NurHoeren1"));
    auto* solution = f->c->find<QLabel>(QStringLiteral("Label_Loesung"));
    QVERIFY(!reading->isChecked() && !earOnly->isEnabled());
    QVERIFY(reading->toolTip().contains(QStringLiteral("F5 oder Strg+R")));
    QSignalSpy repeats(f->form->speechMenu(), &SpeechMenu::repeatRequested);
    QTest::keyClick(f->form.get(), Qt::Key_F5);
    QCOMPARE(repeats.size(), 0); // nothing is read aloud yet

    choose(*f, Qt::Key_V);
    QVERIFY(reading->isChecked() && earOnly->isEnabled());
    choose(*f, Qt::Key_N);
    QVERIFY(f->form->speechMenu()->earOnly());
    // Competitions are never by ear.
    QTest::mouseClick(f->c->Panel_Wettbewerb_ini, Qt::LeftButton);
    QVERIFY(!earOnly->isEnabled() && !f->form->speechMenu()->earOnly());
    QTest::mouseClick(f->c->Panel_Wettbewerb_ini, Qt::LeftButton);
    QVERIFY(f->form->speechMenu()->earOnly());

    f->start();
    QCOMPARE(f->c->Panel_Zahl_1_zeigen->text(), QStringLiteral("?"));
    QCOMPARE(f->c->Panel_Zahl_2_zeigen->text(), QStringLiteral("?"));
    QTest::keyClick(f->c->Eingabe_aufnehmen(), Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(f->c->Eingabe_aufnehmen(), Qt::Key_F5);
    QCOMPARE(repeats.size(), 2);
    const qint32 first = f->state.operand1, second = f->state.operand2;
    const qint32 result = f->rightAnswer();
    f->answerRight();
    // The answered task is on view for a moment, then the new one is hidden again.
    QCOMPARE(f->c->Panel_Zahl_1_zeigen->text(), QString::number(first));
    QCOMPARE(f->c->Panel_Zahl_2_zeigen->text(), QString::number(second));
    QVERIFY(solution->isVisible());
    QCOMPARE(solution->text(), QStringLiteral("%1 + %2 = %3").arg(first).arg(second).arg(result));
    QTRY_COMPARE(f->c->Panel_Zahl_1_zeigen->text(), QStringLiteral("?"));
    QVERIFY(!solution->isVisible());
    // Without a voice a task that is only heard cannot be solved: it is shown.
    f->form->speechMenu()->voiceUnavailable();
    QCOMPARE(f->c->Panel_Zahl_1_zeigen->text(), QString::number(f->state.operand1));
    QVERIFY(!earOnly->isEnabled() && !f->form->speechMenu()->earOnly());
    f->stop();
    QCOMPARE(f->c->Panel_Zahl_1_zeigen->text(), noTaskShown);

    // The next start of the program finds both switches as they were left.
    f.reset();
    MainWindowFixture again;
    QVERIFY(again.c->find<QAction>(QStringLiteral("Vorlesen1"))->isChecked());
    QVERIFY(again.c->find<QAction>(QStringLiteral("NurHoeren1"))->isChecked());
    QVERIFY(again.form->speechMenu()->earOnly());
}

QTEST_MAIN(TestReadingAloudMenu)
#include "tst_reading_aloud_menu.moc"
