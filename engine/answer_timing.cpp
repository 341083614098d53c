#include "engine/answer_timing.h"

#include "common/clock.h"
#include "engine/answer_check.h"

#include <limits>

void beginRunHistory(RunState& state, const Clock& clock) {
    state.answeredTasks.clear();
    state.runStartedAt = QDateTime(clock.today(), clock.localTime());
    state.taskShownAtMs = clock.monotonicMs();
}

void markTaskShown(RunState& state, const Clock& clock) {
    state.taskShownAtMs = clock.monotonicMs();
}

void recordAnswer(RunState& state, const Clock& clock, bool right, const QString& remainderText) {
    const qint64 now = clock.monotonicMs();
    const qint64 shown = state.taskShownAtMs;
    const bool withRemainder = hasRemainder(state.settings.operation);
    AnsweredTask answer;
    answer.taskNo = state.taskCounter;
    answer.operand1 = state.operand1;
    answer.operand2 = state.operand2;
    answer.correctResult = correctResult(state.settings.operation, state.operand1, state.operand2);
    answer.correctRemainder =
        taskRemainder(state.settings.operation, state.operand1, state.operand2);
    answer.givenAnswer = state.answerText;
    answer.givenRemainder = withRemainder ? remainderText : QString();
    answer.correct = right;
    // Taken apart without overflow whatever the two readings are.
    if (now > shown) {
        const quint64 elapsed = quint64(now) - quint64(shown);
        answer.answerMs = qint64(std::min<quint64>(elapsed, std::numeric_limits<qint64>::max()));
    }
    state.answeredTasks.append(answer);
}
