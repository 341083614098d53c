#pragma once

#include "engine/run_controller.h"

#include <QObject>

#include <functional>

class Speaker;

// Reads a run to the child: it listens to the run's signals, makes their phrases and hands them to
// the voice in use. The voice is asked for at each phrase, so turning reading aloud on or off
// takes effect at once and nothing of speech exists while it is off.
class RunNarrator : public QObject {
    Q_OBJECT
public:
    // voice() gives the speaker in use, or nullptr while nothing is read aloud.
    RunNarrator(const RunController& run, std::function<Speaker*()> voice,
                QObject* parent = nullptr);

    // The task on display once more, cutting off whatever is being said; nothing between runs.
    void repeatTask();

private:
    void taskPosed(qint32 number, qint32 operand1, qint32 operand2);
    void answered(const AnsweredTask& task);
    void remainingTime(qint32 seconds);
    void notice(const QString& text);
    void runEnded(const RunResult& result);

    const RunController& run_;
    std::function<Speaker*()> voice_;
};
