#pragma once

#include "competition/best_list_file.h"
#include "engine/answer_check.h"
#include "engine/run_controller.h"
#include "engine/run_state.h"
#include "main_window/TForm1.h"
#include "main_window/digit_field.h"
#include "main_window/main_menus.h"
#include "main_window/main_window_controls.h"
#include "main_window/settings_panel.h"
#include "support/fake_platform.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

// A main window on the offscreen screen with its own run controller and data folder
// (with the best lists in it), and a fake platform whose clock moves on a few milliseconds at
// every reading, as a real one would between tasks.
struct MainWindowFixture {
    QTemporaryDir folder;
    FakePlatform platform;
    RunController run{platform};
    // The run's working record and what of the last run waits to be saved.
    const RunState& state = run.state();
    PendingSaves& pending = run.pendingSaves();
    std::unique_ptr<TForm1> form;
    // Its controls, found by name.
    std::unique_ptr<MainWindowControls> c;

    // With a UTC time the clock stands still while the window is created, so the start scheme
    // drawn from it is known.
    explicit MainWindowFixture(std::optional<QTime> utcAtStart = std::nullopt) {
        if (utcAtStart) {
            platform.utc = *utcAtStart;
            platform.utcStepMs = 0;
        }
        // The best lists are there as the program's start-up makes them.
        if (ensureBestListFiles(folder.path()))
            qWarning("best lists not made");
        form = std::make_unique<TForm1>(run, platform);
        c = std::make_unique<MainWindowControls>(*form);
        platform.utcStepMs = 7;
        form->show();
        form->activateWindow();
        // Offscreen, activation is immediate; focus tests need the window active.
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("main window did not become active");
    }

    const MainMenus& menus() const { return *qobject_cast<const MainMenus*>(form->menuBar()); }
    // The settings in force: what the next run would get.
    const RunSettings& settings() const { return form->runSettings(); }
    bool timeFieldOk() const { return form->findChild<SettingsPanel*>()->timeFieldOk(); }

    void chooseOperation(int item) {
        c->Verknuepfung->setCurrentIndex(item);
        emit c->Verknuepfung->activated(item);
    }
    void chooseRanges(int item1, int item2) {
        c->Edit_Zahl_1->setCurrentIndex(item1);
        c->Edit_Zahl_2->setCurrentIndex(item2);
    }
    void setTime(const QString& seconds) { c->Edit_Zeit->setText(seconds); }

    void start() { QTest::mouseClick(c->But_Start, Qt::LeftButton); }
    void stop() { QTest::mouseClick(c->But_Stop, Qt::LeftButton); }

    qint32 rightAnswer() const {
        return correctResult(state.settings.operation, state.operand1, state.operand2);
    }
    void answer(const QString& text) {
        QTest::keyClicks(c->Eingabe_aufnehmen(), text);
        QTest::keyClick(c->Eingabe_aufnehmen(), Qt::Key_Return);
    }
    void answerRight() { answer(QString::number(rightAnswer())); }
    void answerWrong() { answer(QString::number(rightAnswer() + 1)); }
};
