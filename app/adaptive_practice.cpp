#include "app/adaptive_practice.h"

#include "app/learning_history.h"
#include "engine/run_controller.h"
#include "history/model/history.h"
#include "main_window/TForm1.h"
#include "main_window/adaptive_practice_menu.h"
#include "main_window/main_menus.h"
#include "practice/adaptive_choice.h"

#include <QApplication>

AdaptivePractice::AdaptivePractice(RunController& run, TForm1& mainWindow, LearningHistory& history)
    : run_(run), mainWindow_(mainWindow), history_(history) {}

void AdaptivePractice::connect() {
    QObject::connect(mainWindow_.menus().adaptivePracticeMenu(), &AdaptivePracticeMenu::requested,
                     &mainWindow_, [this](Target target) { start(target); });
}

void AdaptivePractice::start(Target target) {
    if (run_.active())
        return;
    const RunSettings& settings = mainWindow_.runSettings();
    // A history that cannot be read leaves every rating at its start: the child still practises,
    // beginning with easy tasks.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Result<QList<HistoryRun>> runs = history_.everyonesRuns(settings.operation);
    QApplication::restoreOverrideCursor();
    run_.startPracticeFrom(settings.participantName, settings.operation,
                           adaptiveChoiceFor(runs ? *runs : QList<HistoryRun>(),
                                             settings.participantName, settings.operation, target));
}
