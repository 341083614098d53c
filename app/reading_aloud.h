#pragma once

#include "platform/speech_module.h"
#include "speech/run_narrator.h"

#include <optional>

class Platform;
class RunController;
class SpeechMenu;
class TForm1;

// Reading aloud: the narrator follows every run from the start, and hears each of the run's
// signals before the windows do, so that a message of the run is read while its box is open
// and the result before the result dialog opens. That is why it is made before the main window.
// The voice, and Qt's speech library with it, is loaded only once reading aloud is on.
class ReadingAloud {
public:
    explicit ReadingAloud(const RunController& run);
    ReadingAloud(const ReadingAloud&) = delete;
    ReadingAloud& operator=(const ReadingAloud&) = delete;

    // Follows the main window's speech menu: reading aloud on or off, the rate, the key that
    // repeats the task. A voice that fails is reported once, outside the call that found it.
    void connect(TForm1& mainWindow, Platform& platform);
    // Begins the voice now if reading aloud is on (after the main window's first frame).
    void startVoiceIfOn();

private:
    Speaker* speaker();

    SpeechMenu* menu_ = nullptr;
    std::optional<SpeechOutput> output_;
    RunNarrator narrator_;
};
