#pragma once

#include <functional>

class QWidget;

// Runs the work once, right after the first frame of the window has been painted and handed to
// the display: for what start-up can leave until the window is on screen. Pieces of work for
// the same window run in the order they were given, in one pass of the event loop.
void afterFirstFrame(QWidget* window, std::function<void()> work);

// A hook for the start-up benchmark (bench/startup_probe), not a feature for users. When the
// environment variable KALU_EXIT_AFTER_FIRST_FRAME is set, the program prints one line
//   first-frame hwm_kib=<peak resident memory so far, KiB>
// on standard output at the window's first frame (see afterFirstFrame) and leaves its event loop
// with exit code 0 once the work given to afterFirstFrame has run, so that its peak memory
// includes that work. Without the variable it does nothing. Call it before afterFirstFrame.
void reportFirstFrameIfAsked(QWidget* window);
