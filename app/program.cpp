#include "app/program.h"

#include "appearance/focus_marker.h"
#include "appearance/program_icon.h"
#include "common/file_access.h"
#include "platform/first_frame.h"
#include "platform/window_scaling.h"

#include <QApplication>

Program::Program(Platform& platform, const QString& dataFolder)
    : platform_(platform), dataFolder_(dataFolder), run_(platform), readingAloud_(run_),
      mainWindow_(run_, platform), information_(mainWindow_),
      review_(run_, platform, printers_, dataFolder, mainWindow_,
              [this](const RunResult& result) { history_.record(result); }),
      history_(run_, platform, printers_, dataFolder, mainWindow_),
      adaptive_(run_, mainWindow_, history_) {
    scaleStandardWindows(mainWindow_.scalePercent());
    FocusMarker::frameFocusInEveryWindow();
}

void Program::connectFeatures() {
    // What a replace left behind when a program was ended in the middle of it goes once the
    // window is on screen.
    afterFirstFrame(&mainWindow_, [this] { removeStaleTemporaryFiles(dataFolder_); });
    readingAloud_.connect(mainWindow_, platform_);
    information_.connect();
    history_.connect();
    adaptive_.connect();
    review_.connect();
}

void Program::show() {
    reportFirstFrameIfAsked(&mainWindow_);
    // Decoding the icon's images (and loading the image plugins) would delay the first frame;
    // every window, made before or after, takes the icon from the application.
    afterFirstFrame(&mainWindow_, [this] {
        QApplication::setWindowIcon(programIcon());
        review_.create();
        readingAloud_.startVoiceIfOn();
        history_.sendWaitingRuns();
    });
    mainWindow_.showMaximized();
}
