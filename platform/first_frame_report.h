#pragma once

class QWidget;

// A hook for the start-up benchmark (bench/startup_probe), not a feature for users. When the
// environment variable KALU_EXIT_AFTER_FIRST_FRAME is set, the program prints one line
//   first-frame hwm_kib=<peak resident memory so far, KiB>
// on standard output once the first frame of the window has been painted and handed to the
// display, and then leaves its event loop with exit code 0. Without the variable it does
// nothing. Call it before the window is shown.
void reportFirstFrameIfAsked(QWidget* window);
