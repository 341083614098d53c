#include "app/reading_aloud.h"

#include "main_window/TForm1.h"
#include "main_window/speech_menu.h"
#include "platform/platform.h"

#include <QTimer>

ReadingAloud::ReadingAloud(const RunController& run)
    : narrator_(run, [this] { return speaker(); }) {}

Speaker* ReadingAloud::speaker() {
    return menu_ && output_ && menu_->readingAloud() ? output_->voice() : nullptr;
}

void ReadingAloud::connect(TForm1& mainWindow, Platform& platform) {
    menu_ = mainWindow.speechMenu();
    output_.emplace([this, &mainWindow, &platform](const QString& reason) {
        menu_->voiceUnavailable();
        QTimer::singleShot(0, &mainWindow, [&platform, &mainWindow, reason] {
            platform.showMessage(&mainWindow, MessageKind::Warning, MessageButtons::Ok, reason);
        });
    });
    output_->setRate(menu_->rate());
    QObject::connect(menu_, &SpeechMenu::rateChanged, &mainWindow,
                     [this](SpeechRate rate) { output_->setRate(rate); });
    QObject::connect(menu_, &SpeechMenu::repeatRequested, &narrator_, &RunNarrator::repeatTask);
    QObject::connect(menu_, &SpeechMenu::readingAloudChanged, &mainWindow, [this](bool on) {
        if (on)
            output_->voice();
    });
}

void ReadingAloud::startVoiceIfOn() {
    if (menu_->readingAloud())
        output_->voice();
}
