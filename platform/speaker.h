#pragma once

#include <QString>

#include <functional>

enum class SpeechRate { Slow, Normal, Fast };

// A voice that reads to the child. Nothing the program does ever waits for it: a phrase is queued
// behind what is being said, or cuts it off, and the call returns at once.
class Speaker {
public:
    virtual ~Speaker() = default;
    // After everything that is being said or waits.
    virtual void say(const QString& text) = 0;
    // Drops what is being said and what waits, then says text. Warnings are kept: text follows
    // them.
    virtual void sayNow(const QString& text) = 0;
    // A warning the child must hear in time: after what is being said and the warnings before it,
    // ahead of every other phrase that waits, and never cut off by a later phrase.
    virtual void warn(const QString& text) = 0;
    virtual void setRate(SpeechRate rate) = 0;
};

// What a voice tells about the phrase it was given last. Each may be called on any thread.
struct VoiceEvents {
    std::function<void()> began;
    // Said to its end, or cut off by the service.
    std::function<void()> ended;
    // The voice cannot speak any more; reason in German.
    std::function<void(const QString& reason)> failed;
};

// A speech engine as the program drives it: one phrase at a time. A call may take as long as the
// speech service takes to answer, or never return, so the program makes a voice and calls it only
// on a thread of its own (see ThreadedSpeaker), never on the thread of the windows.
class Voice {
public:
    virtual ~Voice() = default;
    // Cuts off what is being said and says text.
    virtual void speak(const QString& text) = 0;
    virtual void setRate(SpeechRate rate) = 0;
};
