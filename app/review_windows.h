#pragma once

#include <QString>

#include <memory>

class Platform;
class PrinterChoice;
class RunController;
class TForm1;
struct RunState;

// The windows that only a menu item, a finished run or the competition button opens: the results
// viewer, the result dialog, the task-set viewer with its print options, the name dialog and the
// best-list viewer. None of them shows anything in the main window's first frame; all are made
// together at the first use of one, or right after that first frame if it comes earlier.
class ReviewWindows {
public:
    ReviewWindows(RunState& state, RunController& run, Platform& platform, PrinterChoice& printers,
                  const QString& dataFolder, TForm1& mainWindow);
    ~ReviewWindows();
    ReviewWindows(const ReviewWindows&) = delete;
    ReviewWindows& operator=(const ReviewWindows&) = delete;

    // The menu items that open a viewer or print, and the end of a run, which opens the result
    // dialog and performs the saves.
    void connect();
    // Makes the windows now, if they are not there yet.
    void create();

private:
    struct Windows;
    Windows& windows();

    RunState& state_;
    RunController& run_;
    Platform& platform_;
    PrinterChoice& printers_;
    const QString dataFolder_;
    TForm1& mainWindow_;
    std::unique_ptr<Windows> windows_;
};
