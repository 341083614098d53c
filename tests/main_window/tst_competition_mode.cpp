#include "main_window_fixture.h"
#include "support/operations.h"

#include "appearance/caption_contrast.h"
#include "competition/TForm_Namensfenster.h"
#include "platform/announcer.h"

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>

namespace {

constexpr CaptionState enabled = CaptionState::Enabled;
constexpr CaptionState greyed = CaptionState::Disabled;
constexpr CaptionState chosen = CaptionState::Chosen;

const QString chooseFirst = QStringLiteral("Bitte wähle zunächst einen Wettbewerb!");
const QString titlePrefix = QStringLiteral("    Deverizozov mit   ");

// The colour a caption is drawn in now (the palette's current group follows the enabled state).
QColor caption(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

bool marked(const QFrame* panel) {
    return panel->frameShadow() == QFrame::Sunken;
}

// The main window with the name dialog attached, driven by clicks as a child would.
struct CompetitionFixture : MainWindowFixture {
    TForm_Namensfenster dialog{platform, form.get()};

    CompetitionFixture() { form->attachNameDialog(&dialog); }

    ClickablePanel* panel(int n) const {
        return form->findChild<ClickablePanel*>(QStringLiteral("Panel_W%1").arg(n));
    }
    ClickablePanel* modeSwitch() const {
        return form->findChild<ClickablePanel*>("Panel_Wettbewerb_ini");
    }
    QPushButton* competitionButton() const {
        return form->findChild<QPushButton*>("Button_Wettb_starten");
    }
    void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    void switchMode() { click(modeSwitch()); }
    void choose(int n) { click(panel(n)); }

    // Presses the competition button and, once the modal name dialog is up, types the name and
    // leaves it with OK or Abbrechen. False if the dialog did not open or had to be cancelled by
    // the watchdog.
    bool enterName(const QString& name, bool ok) {
        bool handled = false;
        QTimer::singleShot(0, &dialog, [&] {
            if (!dialog.isVisible())
                return;
            QTest::keyClicks(dialog.findChild<QLineEdit*>("Edit_Namen"), name);
            QTest::mouseClick(dialog.findChild<QPushButton*>(ok ? "BitBtn_Ok" : "BitBtn_Abbruch"),
                              Qt::LeftButton);
            handled = !dialog.isVisible();
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] {
            handled = false;
            dialog.findChild<QPushButton*>("BitBtn_Abbruch")->click();
        });
        watchdog.start(3000);
        click(competitionButton());
        QCoreApplication::processEvents();
        return handled && !dialog.isVisible();
    }

    bool settingsEnabled() const {
        return c->Verknuepfung->isEnabled() && c->Edit_Name->isEnabled() &&
               c->Edit_Zahl_1->isEnabled() && c->Edit_Zahl_2->isEnabled() &&
               c->Edit_Zeit->isEnabled();
    }
    bool settingsDisabled() const {
        return !c->Verknuepfung->isEnabled() && !c->Edit_Name->isEnabled() &&
               !c->Edit_Zahl_1->isEnabled() && !c->Edit_Zahl_2->isEnabled() &&
               !c->Edit_Zeit->isEnabled();
    }
    bool menusEnabled(bool enabled) const {
        for (QMenu* m : {c->Datei1, c->Einstellungen1, c->Leistungen1, c->Aufgaben1})
            if (m->menuAction()->isEnabled() != enabled)
                return false;
        return true;
    }
    // Numbers of the panels drawn with the lowered frame.
    QList<int> markedPanels() const {
        QList<int> numbers;
        for (int n = 1; n <= 16; ++n)
            if (marked(panel(n)))
                numbers << n;
        return numbers;
    }
    // The caption colour of a state on the settings panel's colour now.
    QColor look(CaptionState s) const {
        const QColor b = c->Panel_Einstellungen->palette().color(QPalette::Window);
        const Rgb rgb = captionColour(s, Rgb{quint8(b.red()), quint8(b.green()), quint8(b.blue())});
        return QColor(rgb.r, rgb.g, rgb.b);
    }
    // Every panel enabled (or not), with the chosen one marked, checked for a screen reader and
    // in its colour, all others in `others`.
    void checkPanels(bool enabled, CaptionState others, int chosenOne = -1) const {
        for (int n = 1; n <= 16; ++n) {
            QVERIFY2(panel(n)->isEnabled() == enabled, qPrintable(QString::number(n)));
            QCOMPARE(caption(panel(n)), look(n == chosenOne ? chosen : others));
            const QAccessible::State s = QAccessible::queryAccessibleInterface(panel(n))->state();
            QVERIFY(s.checkable);
            QCOMPARE(bool(s.checked), n == chosenOne);
        }
    }
};

} // namespace

class TestCompetitionMode : public QObject {
    Q_OBJECT
private slots:
    void startsWithCompetitionsOff();
    void switchOnAndOffWithoutChoice();
    void choosingMarksExactlyOnePanel();
    void nameDialogCancelAndOk();
    void competitionRunAndItsEnd();
    void switchOffFromNamedAllowsAFreeRun();
    void remainderFieldFollowsThePreset();
    void switchingOffKeepsThePresetEditable();
    void presetsFillTheSettings_data();
    void presetsFillTheSettings();
    void noRangeWarningWalkingThroughAllPresets();
    void rankSwitch();
    void disabledPanelsIgnoreClicksWhileOff();
    void disabledPanelsAndSwitchIgnoreClicksDuringARun();
    void markedPanelShowsALoweredFrame();
    void choicesAreSpoken();
};

void TestCompetitionMode::startsWithCompetitionsOff() {
    // The window writes no best list: they are made at start-up, before it (see tst_best_list).
    const QString workingFolder = QDir::currentPath();
    CompetitionFixture f;
    QVERIFY(workingFolder != f.folder.path());
    QVERIFY(!QFileInfo::exists(QDir(workingFolder).filePath("W1.bli")));
    QVERIFY(!f.settings().competitionMode);
    QVERIFY(!f.settings().competitionChosen());
    QCOMPARE(f.settings().competitionNumber, -1);
    QCOMPARE(f.state.competitionTag, QString("-"));
    QVERIFY(f.form->menus().competitionRankShown());
    QCOMPARE(f.modeSwitch()->text(), QString("Wettbewerb ein"));
    QVERIFY(f.modeSwitch()->isEnabled());
    QCOMPARE(caption(f.modeSwitch()), f.look(enabled));
    f.checkPanels(false, greyed);
    QVERIFY(f.markedPanels().isEmpty());
    QVERIFY(!f.competitionButton()->isVisible());
    QCOMPARE(f.competitionButton()->text(), QString("zum Wettbewerb Namen eingeben"));
    QVERIFY(f.c->But_Start->isVisible());
    QVERIFY(f.settingsEnabled());
}

void TestCompetitionMode::switchOnAndOffWithoutChoice() {
    CompetitionFixture f;
    f.switchMode();
    QVERIFY(f.settings().competitionMode);
    QVERIFY(!f.settings().competitionChosen());
    QCOMPARE(f.settings().competitionNumber, -1);
    QCOMPARE(f.modeSwitch()->text(), QString("Wettbewerbe aus"));
    f.checkPanels(true, enabled);
    QVERIFY(f.settingsDisabled());
    QVERIFY(f.menusEnabled(true));
    QVERIFY(f.competitionButton()->isVisible());
    QVERIFY(!f.c->But_Start->isVisible());

    // The competition button without a competition: a hint, nothing else.
    QSignalSpy closed(&f.dialog, &TForm_Namensfenster::nameEntryClosed);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &f.dialog,
                     [&] { f.dialog.findChild<QPushButton*>("BitBtn_Abbruch")->click(); });
    watchdog.start(3000);
    f.click(f.competitionButton());
    watchdog.stop();
    QCOMPARE(f.platform.messageTexts(), QStringList{chooseFirst});
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Information);
    QCOMPARE(f.platform.messages[0].buttons, MessageButtons::Ok);
    QCOMPARE(closed.size(), 0);
    QVERIFY(f.competitionButton()->isVisible());
    QVERIFY(!f.c->But_Start->isVisible());
    QVERIFY(!f.settings().competitionChosen());

    f.switchMode();
    QVERIFY(!f.settings().competitionMode);
    QCOMPARE(f.modeSwitch()->text(), QString("Wettbewerbe ein"));
    f.checkPanels(false, greyed);
    QVERIFY(f.settingsEnabled());
    QVERIFY(f.c->But_Start->isVisible());
    QVERIFY(!f.competitionButton()->isVisible());
    f.switchMode();
    QCOMPARE(f.modeSwitch()->text(), QString("Wettbewerbe aus"));
}

void TestCompetitionMode::choosingMarksExactlyOnePanel() {
    CompetitionFixture f;
    f.switchMode();
    f.choose(7);
    QVERIFY(f.settings().competitionChosen());
    QCOMPARE(f.settings().competitionNumber, 7);
    QCOMPARE(f.markedPanels(), QList<int>{7});
    f.checkPanels(true, enabled, 7);
    QVERIFY(f.settingsDisabled());
    QCOMPARE(f.c->Verknuepfung->currentText(), QString("Multiplizieren (*)"));
    QVERIFY(f.competitionButton()->isVisible());
    QVERIFY(!f.c->But_Start->isVisible());

    f.choose(7);
    QCOMPARE(f.markedPanels(), QList<int>{7});
    f.checkPanels(true, enabled, 7);
    f.choose(2);
    QCOMPARE(f.settings().competitionNumber, 2);
    QCOMPARE(f.markedPanels(), QList<int>{2});
    f.checkPanels(true, enabled, 2);
    QVERIFY(f.platform.messages.isEmpty());

    // Switching off takes the mark away and greys every panel.
    f.switchMode();
    QVERIFY(!f.settings().competitionChosen());
    QCOMPARE(f.settings().competitionNumber, -1);
    QVERIFY(f.markedPanels().isEmpty());
    f.checkPanels(false, greyed);
}

void TestCompetitionMode::nameDialogCancelAndOk() {
    CompetitionFixture f;
    f.switchMode();
    f.choose(3);
    const QString title = f.form->windowTitle();

    QVERIFY(f.enterName("Ben", false));
    QVERIFY(f.competitionButton()->isVisible());
    QVERIFY(!f.c->But_Start->isVisible());
    QCOMPARE(f.settings().participantName, QString("Werda ?"));
    QCOMPARE(f.form->windowTitle(), title);
    QVERIFY(f.settings().competitionChosen());
    QCOMPARE(f.markedPanels(), QList<int>{3});

    const QString name("Friederike Annabella");
    QVERIFY(f.enterName(name, true));
    QVERIFY(f.c->But_Start->isVisible());
    QVERIFY(!f.competitionButton()->isVisible());
    QCOMPARE(f.settings().participantName, QString("Friederike A"));
    QCOMPARE(f.form->windowTitle(), titlePrefix + name);
    QVERIFY(f.platform.messages.isEmpty());

    // Another competition while named: its preset applies and the participant stays named.
    f.choose(14);
    QCOMPARE(f.settings().competitionNumber, 14);
    QCOMPARE(f.settings().operation, Operation::Subtract);
    QCOMPARE(f.settings().timeLimit, 120);
    QCOMPARE(f.markedPanels(), QList<int>{14});
    QVERIFY(f.c->But_Start->isVisible());
    QVERIFY(!f.competitionButton()->isVisible());
    QCOMPARE(f.settings().participantName, QString("Friederike A"));
}

void TestCompetitionMode::competitionRunAndItsEnd() {
    CompetitionFixture f;
    f.switchMode();
    f.choose(7);
    QVERIFY(f.enterName("Ben", true));
    f.start();
    QVERIFY(f.c->But_Stop->isVisible());
    QCOMPARE(f.state.competitionTag, QString("7"));
    QCOMPARE(f.state.taskCounter, 1);
    QCOMPARE(f.state.taskList[1].operation, QString("*"));
    f.checkPanels(false, greyed, 7);
    QVERIFY(!f.modeSwitch()->isEnabled());
    QCOMPARE(caption(f.modeSwitch()), f.look(greyed));
    QVERIFY(f.settingsDisabled());
    QVERIFY(f.menusEnabled(false));
    QVERIFY(f.run.countdown()->isActive());

    QTest::mouseClick(f.c->But_Stop, Qt::LeftButton);
    QVERIFY(f.settings().competitionMode);
    QVERIFY(f.settings().competitionChosen());
    QCOMPARE(f.settings().competitionNumber, 7);
    QCOMPARE(f.modeSwitch()->text(), QString("Wettbewerb aus"));
    QVERIFY(f.modeSwitch()->isEnabled());
    QCOMPARE(caption(f.modeSwitch()), f.look(enabled));
    f.checkPanels(true, enabled, 7);
    QCOMPARE(f.markedPanels(), QList<int>{7});
    QVERIFY(f.settingsDisabled());
    QVERIFY(f.menusEnabled(true));
    QVERIFY(!f.c->Eingabe_aufnehmen()->isEnabled());
    QVERIFY(!f.c->Edit_Rest->isEnabled());
    QVERIFY(f.competitionButton()->isVisible());
    QVERIFY(!f.c->But_Start->isVisible());
    QVERIFY(!f.c->But_Stop->isVisible());

    // The next participant runs the same competition.
    QVERIFY(f.enterName("Anna", true));
    f.start();
    QCOMPARE(f.state.competitionTag, QString("7"));
    f.stop();

    // Off by the switch, then a free run ends with the singular caption.
    f.switchMode();
    QCOMPARE(f.modeSwitch()->text(), QString("Wettbewerbe ein"));
    f.start();
    QCOMPARE(f.state.competitionTag, QString("-"));
    f.checkPanels(false, greyed);
    f.stop();
    QCOMPARE(f.modeSwitch()->text(), QString("Wettbewerb ein"));
    QVERIFY(f.c->But_Start->isVisible());
    QVERIFY(!f.competitionButton()->isVisible());
    f.checkPanels(false, greyed);
    QVERIFY(f.settingsEnabled());
    QVERIFY(f.platform.messages.isEmpty());
}

void TestCompetitionMode::switchOffFromNamedAllowsAFreeRun() {
    CompetitionFixture f;
    f.switchMode();
    f.choose(16);
    QVERIFY(f.enterName("Ben", true));
    f.switchMode();
    QVERIFY(!f.settings().competitionMode);
    QVERIFY(!f.settings().competitionChosen());
    QCOMPARE(f.settings().competitionNumber, -1);
    QVERIFY(f.c->But_Start->isVisible());
    QVERIFY(!f.competitionButton()->isVisible());
    QVERIFY(f.settingsEnabled());
    QVERIFY(f.markedPanels().isEmpty());
    f.start();
    QVERIFY(f.c->But_Stop->isVisible());
    QCOMPARE(f.state.competitionTag, QString("-"));
    QCOMPARE(f.state.taskList[1].operation, QString(": R")); // the preset left in the controls
    f.checkPanels(false, greyed);
    f.stop();
    QCOMPARE(f.modeSwitch()->text(), QString("Wettbewerb ein"));
    QVERIFY(f.settingsEnabled());
}

void TestCompetitionMode::remainderFieldFollowsThePreset() {
    CompetitionFixture f;
    f.switchMode();
    f.choose(16);
    QVERIFY(f.c->Edit_Rest->isVisible());
    QVERIFY(!f.c->Edit_Rest->isEnabled());
    QVERIFY(f.c->Label_Rest->isVisible());
    QCOMPARE(f.settings().operation, Operation::DivideWithRemainder);
    f.choose(4); // plain division
    QVERIFY(!f.c->Edit_Rest->isVisible());
    QVERIFY(!f.c->Label_Rest->isVisible());
    QCOMPARE(f.settings().operation, Operation::Divide);
}

void TestCompetitionMode::switchingOffKeepsThePresetEditable() {
    CompetitionFixture f;
    f.switchMode();
    f.choose(14);
    f.switchMode();
    QCOMPARE(f.c->Verknuepfung->currentText(), QString("Subtrahieren (-)"));
    QCOMPARE(f.c->Edit_Zahl_1->currentText(), QString("100 .. 1 000"));
    QCOMPARE(f.c->Edit_Zahl_2->currentText(), QString("20 .. 50"));
    QCOMPARE(f.c->Edit_Zeit->text(), QString("120"));
    QVERIFY(f.settingsEnabled());
    // Editable means the child's changes take effect again.
    f.setTime("30");
    QCOMPARE(f.settings().timeLimit, 30);
    f.c->Edit_Zahl_1->setCurrentIndex(12);
    QCOMPARE(f.settings().range1Max, 10000);
}

void TestCompetitionMode::presetsFillTheSettings_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("range1");
    QTest::addColumn<QString>("range2");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("sign");
    QTest::addColumn<bool>("remainder");
    QTest::addColumn<QList<int>>("bounds"); // range1Min, range1Max, range2Min, range2Max

    const QString add("Addieren (+)"), sub("Subtrahieren (-)"), mul("Multiplizieren (*)"),
        div("Dividieren (:)"), rest("Dividieren (:) m. Rest");
    auto row = [](int n, const QString& op, const QString& r1, const QString& r2, int seconds,
                  const char* sign, bool remainder, QList<int> bounds) {
        QTest::addRow("W %d", n) << n << op << r1 << r2 << seconds << QString(sign) << remainder
                                 << bounds;
    };
    row(1, add, "10 .. 20", "0 .. 20", 90, "+", false, {10, 20, 0, 20});
    row(2, sub, "10 .. 20", "0 .. 10", 90, "-", false, {10, 20, 0, 10});
    row(3, mul, "5 .. 10", "0 .. 10", 90, "*", false, {5, 10, 0, 10});
    row(4, div, "20 .. 50", "0 .. 10", 90, ":", false, {20, 50, 0, 10});
    row(5, add, "10 .. 20", "0 .. 20", 90, "+", false, {10, 20, 0, 20});
    row(6, sub, "20 .. 50", "20 .. 50", 90, "-", false, {20, 50, 20, 50});
    row(7, mul, "0 .. 10", "10 .. 20", 90, "*", false, {0, 10, 10, 20});
    row(8, div, "50 .. 100", "10 .. 20", 90, ":", false, {50, 100, 10, 20});
    row(9, add, "20 .. 50", "50 .. 100", 90, "+", false, {20, 50, 50, 100});
    row(10, sub, "50 .. 100", "20 .. 50", 90, "-", false, {50, 100, 20, 50});
    row(11, mul, "5 .. 10", "50 .. 100", 90, "*", false, {5, 10, 50, 100});
    row(12, div, "50 .. 100", "10 .. 20", 90, ":", false, {50, 100, 10, 20});
    row(13, add, "100 .. 500", "20 .. 50", 120, "+", false, {100, 500, 20, 50});
    row(14, sub, "100 .. 1 000", "20 .. 50", 120, "-", false, {100, 1000, 20, 50});
    row(15, mul, "5 .. 10", "20 .. 50", 120, "*", false, {5, 10, 20, 50});
    row(16, rest, "50 .. 100", "5 .. 10", 120, ":", true, {50, 100, 5, 10});
}

// Each preset from a fresh window (ranges 0 .. 10 and addition): a division preset passes through
// settings that the range checks would warn about, so a check running in competition mode shows.
void TestCompetitionMode::presetsFillTheSettings() {
    QFETCH(int, n);
    QFETCH(QString, operation);
    QFETCH(QString, range1);
    QFETCH(QString, range2);
    QFETCH(int, seconds);
    QFETCH(QString, sign);
    QFETCH(bool, remainder);
    QFETCH(QList<int>, bounds);

    CompetitionFixture f;
    f.switchMode();
    f.choose(n);
    QCOMPARE(f.settings().competitionNumber, n);
    QCOMPARE(f.c->Verknuepfung->currentText(), operation);
    QCOMPARE(f.c->Edit_Zahl_1->currentText(), range1);
    QCOMPARE(f.c->Edit_Zahl_2->currentText(), range2);
    QCOMPARE(f.c->Edit_Zeit->text(), QString::number(seconds));
    QCOMPARE(f.c->Panel_Verknuepfung_zeigen->text(), sign);
    QCOMPARE(f.settings().operation, operationOf(sign, remainder));
    QCOMPARE((QList<int>{f.settings().range1Min, f.settings().range1Max, f.settings().range2Min,
                         f.settings().range2Max}),
             bounds);
    QCOMPARE(f.settings().timeLimit, seconds);
    QVERIFY(f.settingsDisabled());

    // The run starts without a range check and names its competition.
    QVERIFY(f.enterName("Ben", true));
    f.start();
    QVERIFY(f.c->But_Stop->isVisible());
    QCOMPARE(f.state.taskCounter, 1);
    QCOMPARE(f.state.competitionTag, QString::number(n));
    QCOMPARE(f.state.remainingSeconds, seconds + 1);
    QVERIFY(f.platform.messages.isEmpty());
    f.stop();
}

// Walking through the presets up and down passes many operation-and-range combinations the
// range checks would warn about (e.g. subtraction 20 .. 50 - 50 .. 100 between W 9 and W 10).
void TestCompetitionMode::noRangeWarningWalkingThroughAllPresets() {
    CompetitionFixture f;
    f.switchMode();
    QList<int> order;
    for (int n = 1; n <= 16; ++n)
        order << n;
    for (int n = 15; n >= 1; --n)
        order << n;
    for (int n : order) {
        f.choose(n);
        QCOMPARE(f.settings().competitionNumber, n);
        QCOMPARE(f.markedPanels(), QList<int>{n});
    }
    QVERIFY(f.platform.messages.isEmpty());
    QVERIFY(f.state.subtractionRangesOk);
    QVERIFY(f.state.divisionRangesOk);
}

void TestCompetitionMode::rankSwitch() {
    CompetitionFixture f;
    QAction* item = f.form->findChild<QAction*>("RangNachWettbewerb");
    QVERIFY(item);
    QCOMPARE(item->text(), QString("Rang nach Wettbewerb nicht anzeigen"));
    item->trigger();
    QVERIFY(!f.form->menus().competitionRankShown());
    QCOMPARE(item->text(), QString("Rang nach Wettbewerb anzeigen"));
    item->trigger();
    QVERIFY(f.form->menus().competitionRankShown());
    QCOMPARE(item->text(), QString("Rang nach Wettbewerb nicht anzeigen"));
    QVERIFY(!f.settings().competitionMode);
}

// While competition mode is off the panels are disabled: a click on one changes nothing.
void TestCompetitionMode::disabledPanelsIgnoreClicksWhileOff() {
    CompetitionFixture f;
    f.choose(5);
    QVERIFY(!f.settings().competitionChosen());
    QCOMPARE(f.settings().competitionNumber, -1);
    QVERIFY(f.markedPanels().isEmpty());
    QVERIFY(f.settingsEnabled());
    QCOMPARE(f.c->Verknuepfung->currentText(), QString("Addieren (+)"));
}

// During a run the panels and the switch are disabled: the competition and its settings stay.
void TestCompetitionMode::disabledPanelsAndSwitchIgnoreClicksDuringARun() {
    CompetitionFixture f;
    f.switchMode();
    f.choose(7);
    QVERIFY(f.enterName("Ben", true));
    f.start();
    f.choose(1);
    f.switchMode();
    QVERIFY(f.c->But_Stop->isVisible());
    QCOMPARE(f.settings().competitionNumber, 7);
    QCOMPARE(f.settings().operation, Operation::Multiply);
    QCOMPARE(f.markedPanels(), QList<int>{7});
    QVERIFY(f.settings().competitionMode);
    QVERIFY(f.settings().competitionChosen());
    QVERIFY(f.settingsDisabled());
    QVERIFY(!f.c->But_Start->isVisible());
}

// Every marked panel, W 13 .. W 16 included, shows a lowered frame and the mark besides its
// caption.
void TestCompetitionMode::markedPanelShowsALoweredFrame() {
    CompetitionFixture f;
    f.switchMode();
    QList<int> withoutFrame;
    for (int n = 1; n <= 16; ++n) {
        f.choose(n);
        QVERIFY(marked(f.panel(n)));
        QCOMPARE(caption(f.panel(n)), f.look(chosen));
        QVERIFY(f.panel(n)->isChecked());
        if (f.panel(n)->frameWidth() == 0)
            withoutFrame << n;
    }
    QCOMPARE(withoutFrame, QList<int>{});
}

// The switch's new caption is announced; chosen with Space, a panel is a choice that a screen
// reader hears checked. (Which caption colour each panel colour gets is the core's table test;
// checkPanels sees the window use it.)
void TestCompetitionMode::choicesAreSpoken() {
    QAccessible::setActive(true);
    CompetitionFixture f;
    f.modeSwitch()->setFocus();
    QTest::keyClick(f.modeSwitch(), Qt::Key_Space);
    QVERIFY(f.settings().competitionMode);
    // The switch's new caption is announced while the focus stays on it.
    Announcer* announcer = f.form->findChild<Announcer*>();
    QVERIFY(announcer && announcer->isVisible());
    QAccessibleInterface* notification = QAccessible::queryAccessibleInterface(announcer);
    QCOMPARE(notification->role(), QAccessible::Notification);
    QCOMPARE(notification->text(QAccessible::Name), QString("Wettbewerbe aus"));
    f.panel(3)->setFocus();
    QTest::keyClick(f.panel(3), Qt::Key_Space);
    QCOMPARE(f.settings().competitionNumber, 3);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(f.panel(3));
    QVERIFY(a->state().checked);
    QCOMPARE(a->role(), QAccessible::RadioButton);
    QTest::keyClick(f.panel(3), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(f.settings().competitionNumber, 4);
    QVERIFY(!a->state().checked);
    QVERIFY(QAccessible::queryAccessibleInterface(f.panel(4))->state().checked);
}

QTEST_MAIN(TestCompetitionMode)
#include "tst_competition_mode.moc"
