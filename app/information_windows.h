#pragma once

#include <memory>

class TForm1;

// The about box and the help window, which the main window's menu items open. The items are
// enabled from the start; the windows are made at their first use. The help window follows the
// reading-aloud item.
class InformationWindows {
public:
    explicit InformationWindows(TForm1& mainWindow);
    ~InformationWindows();
    InformationWindows(const InformationWindows&) = delete;
    InformationWindows& operator=(const InformationWindows&) = delete;

    void connect();

private:
    struct Windows;
    Windows& windows();

    TForm1& mainWindow_;
    std::unique_ptr<Windows> windows_;
};
