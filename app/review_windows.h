#pragma once

#include <QString>

#include <functional>
#include <memory>

class Platform;
class PrinterChoice;
class RunController;
class TForm1;
class TForm_Bestenlisten;
class TForm_Ergebnisse;
struct RunResult;

// The windows that only a menu item, a finished run or the competition button opens: the results
// viewer, the result dialog, the task-set viewer with its print options, the name dialog and the
// best-list viewer. None of them shows anything in the main window's first frame. The result
// dialog and the name dialog, which every competition and every run's end needs at once, are made
// together right after that first frame (or at their first use if it comes earlier); each viewer
// only when a menu item first asks for it, since many sessions never open one.
class ReviewWindows {
public:
    // recordInHistory keeps each finished run in the learning history, before the result dialog.
    ReviewWindows(RunController& run, Platform& platform, PrinterChoice& printers,
                  const QString& dataFolder, TForm1& mainWindow,
                  std::function<void(const RunResult&)> recordInHistory);
    ~ReviewWindows();
    ReviewWindows(const ReviewWindows&) = delete;
    ReviewWindows& operator=(const ReviewWindows&) = delete;

    // The menu items that open a viewer or print, and the end of a run, which opens the result
    // dialog and performs the saves.
    void connect();
    // Makes the result dialog and the name dialog now, if they are not there yet.
    void create();

private:
    struct RunWindows;
    struct TaskSetWindows;
    RunWindows& runWindows();
    TaskSetWindows& taskSetWindows();
    TForm_Ergebnisse& resultsViewer();
    TForm_Bestenlisten& bestListViewer();

    RunController& run_;
    Platform& platform_;
    PrinterChoice& printers_;
    const QString dataFolder_;
    TForm1& mainWindow_;
    std::function<void(const RunResult&)> recordInHistory_;
    std::unique_ptr<RunWindows> runWindows_;
    std::unique_ptr<TForm_Ergebnisse> resultsViewer_;
    std::unique_ptr<TaskSetWindows> taskSetWindows_;
    std::unique_ptr<TForm_Bestenlisten> bestListViewer_;
};
