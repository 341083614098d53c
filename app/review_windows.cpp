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

// In the order they are created.
struct ReviewWindows::Windows {
    Windows(RunState& state, Platform& platform, PrinterChoice& printers, const QString& dataFolder,
            TForm1* mainWindow)
        : resultsViewer(platform, printers, dataFolder, mainWindow),
          resultDialog(state, platform, mainWindow), saver(state),
          taskSetViewer(platform, printers, dataFolder, mainWindow), printOptions(mainWindow),
          nameDialog(platform, mainWindow),
          bestListViewer(platform, printers, dataFolder, mainWindow) {
        mainWindow->attachNameDialog(&nameDialog);
        taskSetViewer.attachPrintOptions(&printOptions);
        mainWindow->attachReviewWindows();
    }

    TForm_Ergebnisse resultsViewer;
    TForm_Ergebnis_Meldung resultDialog;
    RunSaver saver;
    TForm_Aufgaben taskSetViewer;
    TForm_Drucken printOptions;
    TForm_Namensfenster nameDialog;
    TForm_Bestenlisten bestListViewer;
};

ReviewWindows::ReviewWindows(RunState& state, RunController& run, Platform& platform,
                             PrinterChoice& printers, const QString& dataFolder, TForm1& mainWindow)
    : state_(state), run_(run), platform_(platform), printers_(printers), dataFolder_(dataFolder),
      mainWindow_(mainWindow) {}

ReviewWindows::~ReviewWindows() = default;

ReviewWindows::Windows& ReviewWindows::windows() {
    if (!windows_)
        windows_ =
            std::make_unique<Windows>(state_, platform_, printers_, dataFolder_, &mainWindow_);
    return *windows_;
}

void ReviewWindows::create() {
    windows();
}

void ReviewWindows::connect() {
    QObject::connect(&mainWindow_, &TForm1::resultsViewerRequested, &mainWindow_,
                     [this] { windows().resultsViewer.openFromMainMenu(); });
    QObject::connect(&mainWindow_, &TForm1::bestListViewerRequested, &mainWindow_,
                     [this] { windows().bestListViewer.openFromMainMenu(); });
    QObject::connect(&mainWindow_, &TForm1::taskSetViewerRequested, &mainWindow_,
                     [this] { windows().taskSetViewer.openFromMainMenu(); });
    QObject::connect(&mainWindow_, &TForm1::emptyWorksheetRequested, &mainWindow_,
                     [this] { windows().taskSetViewer.printEmptyWorksheet(); });
    QObject::connect(
        &run_, &RunController::runEnded, &mainWindow_, [this](const RunResult& result) {
            Windows& made = windows();
            windUpRun(made.resultDialog, made.saver,
                      {platform_, &mainWindow_, dataFolder_, mainWindow_.messageAnchor()}, result);
        });
}
