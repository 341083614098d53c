#pragma once

#include <thread>

// Opens the desktop's session bus on a helper thread while the program builds its main window.
// The screen-reader bridge needs the bus before the first frame, and opening it waits on another
// process (without a running bus, one is even started); on the main thread that wait delayed
// the window by several milliseconds. The bridge then finds the bus open, or waits only for the
// rest. The destructor waits for the thread, so the opener must end before the application.
class SessionBusOpener {
public:
    SessionBusOpener();
    ~SessionBusOpener();
    SessionBusOpener(const SessionBusOpener&) = delete;
    SessionBusOpener& operator=(const SessionBusOpener&) = delete;

private:
    std::thread thread_;
};
