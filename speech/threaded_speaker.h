#pragma once

#include "platform/speaker.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

// The speaker the program reads with. The voice is made and called on a thread of its own, and
// the phrases wait here, on the caller's thread, until the voice has come back from its last call:
// a speech service that is slow to start or stops answering never holds up the windows. A voice
// that is not there in time, or does not come back from a call in time, counts as failed: the
// phrases are dropped, failed is called once, and the speaker is silent from then on.
class ThreadedSpeaker : public QObject, public Speaker {
public:
    // Runs on the voice's thread. A voice, or nullptr and the reason in German.
    using MakeVoice = std::function<std::unique_ptr<Voice>(VoiceEvents events, QString& reason)>;
    // Whether the voice never spoke (it could not be made) or stopped later.
    enum class Failure { NotStarted, Stopped };
    using Failed = std::function<void(Failure failure, const QString& reason)>;
    struct Limits {
        // For making the voice: the service connects and lists its voices, which on a machine
        // with thousands of them and a busy processor takes some seconds.
        int startMs = 20000;
        // For every later call, which the service answers at once when it works.
        int answerMs = 3000;
        // For a phrase handed over to begin; one that does not is passed over.
        int beginMs = 10000;
    };

    ThreadedSpeaker(MakeVoice makeVoice, Failed failed, Limits limits);
    ThreadedSpeaker(MakeVoice makeVoice, Failed failed)
        : ThreadedSpeaker(std::move(makeVoice), std::move(failed), Limits{}) {}
    // Never waits for a voice that did not come back: its thread is left to itself.
    ~ThreadedSpeaker() override;

    void say(const QString& text) override;
    void sayNow(const QString& text) override;
    void warn(const QString& text) override;
    void setRate(SpeechRate rate) override;

    struct Worker;

private:
    struct Phrase {
        QString text;
        bool warning = false;
    };
    enum class Stage { Starting, Ready, Failed };

    // Hands the voice its next call if it has come back from the last one.
    void next();
    void call(std::function<void(Worker&)> what);
    void answered();
    void started(bool ok, const QString& reason);
    void began(quint64 id);
    void ended(quint64 id);
    void fail(Failure failure, const QString& reason);
    qsizetype warningsWaiting() const;

    Failed failed_;
    Limits limits_;
    std::unique_ptr<Worker> worker_;
    Stage stage_ = Stage::Starting;
    QList<Phrase> waiting_;
    std::optional<Phrase> current_; // handed to the voice, not ended yet
    quint64 currentId_ = 0;
    bool calling_ = true; // the voice is being made, or has not come back from a call
    bool hung_ = false;   // it did not come back in time
    std::optional<SpeechRate> rate_;
    QTimer answer_;
    QTimer begin_;
};
