#pragma once

#include "common/failure.h"
#include "engine/operation.h"

#include <QList>
#include <QString>

#include <memory>

class ClassOverview;
class HistoryViewer;
class Platform;
class PrinterChoice;
class RunController;
class TForm1;
struct HistoryRun;
struct RunResult;

// The learning history in the data folder, or on the school's server that the settings name: the
// recording of every finished run, the learning-progress window, the class overview and the copy
// of a history file to the server. The store is made at the end of the first run that is
// recorded, or when one of the windows is first asked for, so the start of the program loads
// neither the history module nor a database driver.
class LearningHistory {
public:
    LearningHistory(RunController& run, Platform& platform, PrinterChoice& printers,
                    const QString& dataFolder, TForm1& mainWindow);
    ~LearningHistory();
    LearningHistory(const LearningHistory&) = delete;
    LearningHistory& operator=(const LearningHistory&) = delete;

    // Keeps a finished run, while the main window's item "Lernverlauf aufzeichnen" is checked. The
    // saves at the end of a run call it first (see RunSaver).
    void record(const RunResult& result);
    // The menu items of the history.
    void connect();
    // Every child's runs of the operation, oldest first, with their answers (for the ratings of
    // "Üben nach Maß").
    Result<QList<HistoryRun>> everyonesRuns(Operation operation);
    // Runs that waited for the server since an earlier start are sent now, in the background.
    void sendWaitingRuns();

private:
    struct Recording;
    Recording& recording();
    Recording* withModule();
    HistoryViewer* progressViewer();
    void openClassOverview();
    void transferFile();

    RunController& run_;
    Platform& platform_;
    PrinterChoice& printers_;
    const QString dataFolder_;
    TForm1& mainWindow_;
    std::unique_ptr<Recording> recording_;
    // The learning-progress window and the class overview read the store the recorder writes;
    // each is made at its first use, as they load the database driver (and the chart library).
    std::unique_ptr<HistoryViewer> progress_;
    std::unique_ptr<ClassOverview> overview_;
};
