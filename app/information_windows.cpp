#include "app/information_windows.h"

#include "appearance/hilfe.h"
#include "appearance/info.h"
#include "main_window/TForm1.h"
#include "main_window/speech_menu.h"

struct InformationWindows::Windows {
    explicit Windows(TForm1* mainWindow) : info(mainWindow), help(mainWindow) {}

    TForm_Info info;
    TForm_Hilfe help;
};

InformationWindows::InformationWindows(TForm1& mainWindow) : mainWindow_(mainWindow) {}

InformationWindows::~InformationWindows() = default;

InformationWindows::Windows& InformationWindows::windows() {
    if (!windows_) {
        windows_ = std::make_unique<Windows>(&mainWindow_);
        windows_->help.setReadingAloud(mainWindow_.speechMenu()->readingAloud());
    }
    return *windows_;
}

void InformationWindows::connect() {
    QObject::connect(mainWindow_.speechMenu(), &SpeechMenu::readingAloudChanged, &mainWindow_,
                     [this](bool on) {
                         if (windows_)
                             windows_->help.setReadingAloud(on);
                     });
    mainWindow_.attachInformationWindows([this] { return &windows().info; },
                                         [this] { return &windows().help; });
}
