#pragma once

class QApplication;

// Keeps a modal window of the program in view. Some window managers offer minimise on every
// dialog and take no hint against it; minimising a modal window there iconifies the main window
// with it, and a child without a task bar cannot get either back. While a modal window is open,
// the program therefore undoes the minimising of that window and of the windows below it.
void keepModalWindowsInView(QApplication& app);
