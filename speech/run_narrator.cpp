#include "speech/run_narrator.h"

#include "platform/speaker.h"
#include "speech/phrases.h"

RunNarrator::RunNarrator(const RunController& run, std::function<Speaker*()> voice, QObject* parent)
    : QObject(parent), run_(run), voice_(std::move(voice)) {
    connect(&run, &RunController::taskPosed, this, &RunNarrator::taskPosed);
    connect(&run, &RunController::answered, this, &RunNarrator::answered);
    connect(&run, &RunController::remainingTime, this, &RunNarrator::remainingTime);
    connect(&run, &RunController::notice, this,
            [this](NoticeKind, const QString& text) { notice(text); });
    connect(&run, &RunController::runEnded, this, &RunNarrator::runEnded);
}

void RunNarrator::taskPosed(qint32 number, qint32 operand1, qint32 operand2) {
    Speaker* voice = voice_();
    if (!voice)
        return;
    const QString phrase = taskPhrase(number, operand1, operand2, run_.settings().operation);
    // A later task follows the word on the answer before it; the first has nothing to wait for.
    if (number == 1)
        voice->sayNow(phrase);
    else
        voice->say(phrase);
}

void RunNarrator::answered(const AnsweredTask& task) {
    // A quick child answers before the task is read out: the rest of it is of no use any more.
    if (Speaker* voice = voice_())
        voice->sayNow(
            feedbackPhrase(task, run_.settings().operation, run_.settings().competitionChosen()));
}

void RunNarrator::remainingTime(qint32 seconds) {
    Speaker* voice = voice_();
    const std::optional<QString> phrase = timePhrase(seconds, run_.settings().timeLimit);
    if (!voice || !phrase)
        return;
    // A warning is heard in time and in full; at the end, the time is up for what was being said.
    if (seconds == 0)
        voice->sayNow(*phrase);
    else
        voice->warn(*phrase);
}

// A child who only listens learns why the run waits: the box stays open until it is answered.
void RunNarrator::notice(const QString& text) {
    if (Speaker* voice = voice_())
        voice->say(noticePhrase(text));
}

void RunNarrator::runEnded(const RunResult& result) {
    Speaker* voice = voice_();
    if (!voice)
        return;
    const QString phrase = endPhrase(result.workedTaskCount, result.points);
    // After "Die Zeit ist um." the result follows; after Stop the task that was being read goes.
    if (run_.timeUp())
        voice->say(phrase);
    else
        voice->sayNow(phrase);
}

void RunNarrator::repeatTask() {
    Speaker* voice = voice_();
    if (voice && run_.active() && run_.taskNumber() >= 1)
        voice->sayNow(taskPhrase(run_.taskNumber(), run_.task().first, run_.task().second,
                                 run_.settings().operation));
}
