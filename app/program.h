#pragma once

#include "app/adaptive_practice.h"
#include "app/information_windows.h"
#include "app/learning_history.h"
#include "app/reading_aloud.h"
#include "app/review_windows.h"
#include "engine/run_controller.h"
#include "main_window/TForm1.h"
#include "platform/printing.h"

#include <QString>

class Platform;

// The program: the run, the main window, and one member per feature, each of which connects
// itself. Every window is created once and lives until the program ends. The main window comes
// first; the result dialog and the name dialog, which runs need at once, follow right after its
// first frame; the viewers, the about box and the help window come at their first use. The
// members are made, and destroyed, in the order they are declared.
class Program {
public:
    // Makes the run, the narrator and the main window, which makes the best lists. Nothing is
    // connected to the features yet: see connectFeatures.
    Program(Platform& platform, const QString& dataFolder);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TForm1& mainWindow() { return mainWindow_; }
    // Connects every feature to the main window and the run.
    void connectFeatures();
    // Shows the main window; the windows and modules it does not need follow its first frame.
    void show();

private:
    Platform& platform_;
    // The data folder is chosen once, in main: every window gets it from there.
    const QString dataFolder_;
    RunController run_;
    // Every printout goes to the printer chosen last, whichever window chose it.
    PrinterChoice printers_;
    // Made before the main window, so that it hears each of the run's signals first.
    ReadingAloud readingAloud_;
    TForm1 mainWindow_;
    InformationWindows information_;
    ReviewWindows review_;
    LearningHistory history_;
    AdaptivePractice adaptive_;
};
