#pragma once

#include "platform/program_modules.h"
#include "platform/speaker.h"
#include "speech/threaded_speaker.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// The voice lives in a module of its own, which brings in Qt's speech library and the speech
// service's client: the program loads it only when reading aloud is turned on, so a start with it
// off pays for none of it.
struct SpeechModule {
    // A German voice, or nullptr and the reason in German. Connecting to the speech service and
    // finding the voice waits on the service, so this runs on the voice's own thread, where the
    // voice is called too.
    std::unique_ptr<Voice> (*createVoice)(VoiceEvents events, QString& reason);
};

inline const QString speechModuleFileName = QStringLiteral("libkalumbrixtor-vorlesen.so");

// Loads the module from the first of the folders that has it, once. Without it: nullptr, and
// reason says why in German.
const SpeechModule* loadSpeechModule(QString& reason,
                                     const QStringList& folders = programModuleFolders());

// The program's voice as the run hears it: loaded at its first use on a thread of its own, silent
// for good after a failure, which the child is told once.
class SpeechOutput {
public:
    using Loader = std::function<const SpeechModule*(QString& reason)>;
    explicit SpeechOutput(
        std::function<void(const QString& reason)> tellFailure,
        Loader load = [](QString& reason) { return loadSpeechModule(reason); });

    // The voice, begun now if it is not there yet; nullptr once it failed. Phrases wait until the
    // voice is ready.
    Speaker* voice();
    void setRate(SpeechRate rate);

private:
    void fail(ThreadedSpeaker::Failure failure, const QString& reason);

    std::function<void(const QString&)> tellFailure_;
    Loader load_;
    std::unique_ptr<ThreadedSpeaker> speaker_;
    SpeechRate rate_ = SpeechRate::Normal;
    bool failed_ = false;
};
