#include "storage/run_result.h"

#include <algorithm>

RunResult makeRunResult(const RunState& state, const QString& timeFieldText, int range1Item,
                        int range2Item) {
    RunResult result;
    result.participantName = state.settings.participantName;
    result.timeFieldText = timeFieldText;
    result.operation = state.settings.operation;
    result.competitionChosen = state.settings.competitionChosen();
    result.competitionNumber = state.settings.competitionNumber;
    result.competitionTag = state.competitionTag;
    result.range1Min = state.settings.range1Min;
    result.range1Max = state.settings.range1Max;
    result.range2Min = state.settings.range2Min;
    result.range2Max = state.settings.range2Max;
    result.range1Item = range1Item;
    result.range2Item = range2Item;
    result.taskCounter = state.taskCounter;
    result.workedTaskCount = state.workedTaskCount;
    result.points = state.points;
    result.startedAt = state.runStartedAt;
    result.answers = state.answeredTasks;

    // The set ends with the task that was on display. A run that posed a task keeps at least
    // that one; counters out of step with each other never read past the last task element.
    // Widened first, so that no counter value can overflow.
    qint64 count = std::min<qint64>(qint64(state.workedTaskCount) + 1, taskLimit);
    if (state.taskCounter >= 1)
        count = std::max<qint64>(count, 1);
    for (qint64 k = 1; k <= count; ++k)
        result.tasks.append(state.taskList[size_t(k)]);
    return result;
}

QString timeLimitText(const QString& timeFieldText) {
    // A time field of only zeros means no limit; the field accepts digits only.
    const bool noLimit =
        !timeFieldText.isEmpty() && std::all_of(timeFieldText.begin(), timeFieldText.end(),
                                                [](QChar c) { return c == QLatin1Char('0'); });
    return noLimit ? QStringLiteral("...") : timeFieldText;
}
