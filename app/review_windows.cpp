#include "app/review_windows.h"

#include "competition/TForm_Bestenlisten.h"
#include "competition/TForm_Namensfenster.h"
#include "engine/run_controller.h"
#include "main_window/TForm1.h"
#include "main_window/main_menus.h"
#include "review/TForm_Aufgaben.h"
#include "review/TForm_Drucken.h"
#include "review/TForm_Ergebnis_Meldung.h"
#include "review/TForm_Ergebnisse.h"
#include "review/run_saving.h"

struct ReviewWindows::RunWindows {
    RunWindows(RunController& run, Platform& platform, TForm1* mainWindow,
               std::function<void(const RunResult&)> recordInHistory)
        : resultDialog(platform, mainWindow), saver(run.pendingSaves(), std::move(recordInHistory)),
          nameDialog(platform, mainWindow) {
        mainWindow->attachNameDialog(&nameDialog);
        resultDialog.setCompetitionRankShown(mainWindow->menus().competitionRankShown());
        QObject::connect(&mainWindow->menus(), &MainMenus::competitionRankSwitched, &resultDialog,
                         &TForm_Ergebnis_Meldung::setCompetitionRankShown);
        // The viewers behind these items are made when one is chosen.
        mainWindow->attachReviewWindows();
    }

    TForm_Ergebnis_Meldung resultDialog;
    RunSaver saver;
    TForm_Namensfenster nameDialog;
};

struct ReviewWindows::TaskSetWindows {
    TaskSetWindows(Platform& platform, PrinterChoice& printers, const QString& dataFolder,
                   TForm1* mainWindow)
        : taskSetViewer(platform, printers, dataFolder, mainWindow), printOptions(mainWindow) {
        taskSetViewer.attachPrintOptions(&printOptions);
    }

    TForm_Aufgaben taskSetViewer;
    TForm_Drucken printOptions;
};

ReviewWindows::ReviewWindows(RunController& run, Platform& platform, PrinterChoice& printers,
                             const QString& dataFolder, TForm1& mainWindow,
                             std::function<void(const RunResult&)> recordInHistory)
    : run_(run), platform_(platform), printers_(printers), dataFolder_(dataFolder),
      mainWindow_(mainWindow), recordInHistory_(std::move(recordInHistory)) {}

ReviewWindows::~ReviewWindows() = default;

ReviewWindows::RunWindows& ReviewWindows::runWindows() {
    if (!runWindows_)
        runWindows_ = std::make_unique<RunWindows>(run_, platform_, &mainWindow_, recordInHistory_);
    return *runWindows_;
}

ReviewWindows::TaskSetWindows& ReviewWindows::taskSetWindows() {
    if (!taskSetWindows_)
        taskSetWindows_ =
            std::make_unique<TaskSetWindows>(platform_, printers_, dataFolder_, &mainWindow_);
    return *taskSetWindows_;
}

TForm_Ergebnisse& ReviewWindows::resultsViewer() {
    if (!resultsViewer_)
        resultsViewer_ =
            std::make_unique<TForm_Ergebnisse>(platform_, printers_, dataFolder_, &mainWindow_);
    return *resultsViewer_;
}

TForm_Bestenlisten& ReviewWindows::bestListViewer() {
    if (!bestListViewer_)
        bestListViewer_ =
            std::make_unique<TForm_Bestenlisten>(platform_, printers_, dataFolder_, &mainWindow_);
    return *bestListViewer_;
}

void ReviewWindows::create() {
    runWindows();
}

void ReviewWindows::connect() {
    QObject::connect(&mainWindow_.menus(), &MainMenus::resultsViewerRequested, &mainWindow_,
                     [this] { resultsViewer().openFromMainMenu(); });
    QObject::connect(&mainWindow_.menus(), &MainMenus::bestListViewerRequested, &mainWindow_,
                     [this] { bestListViewer().openFromMainMenu(); });
    QObject::connect(&mainWindow_.menus(), &MainMenus::taskSetViewerRequested, &mainWindow_,
                     [this] { taskSetWindows().taskSetViewer.openFromMainMenu(); });
    QObject::connect(&mainWindow_.menus(), &MainMenus::emptyWorksheetRequested, &mainWindow_,
                     [this] { taskSetWindows().taskSetViewer.printEmptyWorksheet(); });
    QObject::connect(
        &run_, &RunController::runEnded, &mainWindow_, [this](const RunResult& result) {
            RunWindows& made = runWindows();
            windUpRun(made.resultDialog, made.saver,
                      {platform_, &mainWindow_, dataFolder_, mainWindow_.messageAnchor()}, result);
        });
}
