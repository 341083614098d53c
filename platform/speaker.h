#pragma once

#include <QString>

enum class SpeechRate { Slow, Normal, Fast };

// A voice that reads to the child. Nothing the program does ever waits for it: a phrase is queued
// behind what is being said, or cuts it off, and the call returns at once.
class Speaker {
public:
    virtual ~Speaker() = default;
    // After everything that is being said or waits.
    virtual void say(const QString& text) = 0;
    // Drops what is being said and what waits, then says text.
    virtual void sayNow(const QString& text) = 0;
    virtual void setRate(SpeechRate rate) = 0;
};
