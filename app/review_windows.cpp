#include "app/review_windows.h"

#include "competition/TForm_Bestenlisten.h"
#include "competition/TForm_Namensfenster.h"
#include "engine/run_controller.h"
#include "main_window/TForm1.h"
#include "review/TForm_Aufgaben.h"
#include "review/TForm_Drucken.h"
#include "review/TForm_Ergebnis_Meldung.h"
#include "review/TForm_Ergebnisse.h"
#include "review/run_saving.h"

struct ReviewWindows::RunWindows {
    RunWindows(RunState& state, Platform& platform, TForm1* mainWindow)
        : resultDialog(state, platform, mainWindow), saver(state),
          nameDialog(platform, mainWindow) {
        mainWindow->attachNameDialog(&nameDialog);
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

ReviewWindows::ReviewWindows(RunState& state, RunController& run, Platform& platform,
                             PrinterChoice& printers, const QString& dataFolder, TForm1& mainWindow)
    : state_(state), run_(run), platform_(platform), printers_(printers), dataFolder_(dataFolder),
      mainWindow_(mainWindow) {}

ReviewWindows::~ReviewWindows() = default;

ReviewWindows::RunWindows& ReviewWindows::runWindows() {
    if (!runWindows_)
        runWindows_ = std::make_unique<RunWindows>(state_, platform_, &mainWindow_);
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
    QObject::connect(&mainWindow_, &TForm1::resultsViewerRequested, &mainWindow_,
                     [this] { resultsViewer().openFromMainMenu(); });
    QObject::connect(&mainWindow_, &TForm1::bestListViewerRequested, &mainWindow_,
                     [this] { bestListViewer().openFromMainMenu(); });
    QObject::connect(&mainWindow_, &TForm1::taskSetViewerRequested, &mainWindow_,
                     [this] { taskSetWindows().taskSetViewer.openFromMainMenu(); });
    QObject::connect(&mainWindow_, &TForm1::emptyWorksheetRequested, &mainWindow_,
                     [this] { taskSetWindows().taskSetViewer.printEmptyWorksheet(); });
    QObject::connect(
        &run_, &RunController::runEnded, &mainWindow_, [this](const RunResult& result) {
            RunWindows& made = runWindows();
            windUpRun(made.resultDialog, made.saver,
                      {platform_, &mainWindow_, dataFolder_, mainWindow_.messageAnchor()}, result);
        });
}
