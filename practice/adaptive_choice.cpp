#include "practice/adaptive_choice.h"

#include "engine/task_generation.h"
#include "practice/practice_history.h"
#include "storage/run_result.h"

#include <algorithm>

AdaptiveChoice::AdaptiveChoice(PracticeRatings ratings, QString participant, Operation operation,
                               Target target)
    : ratings_(std::move(ratings)), participant_(std::move(participant)), operation_(operation),
      target_(target) {}

void AdaptiveChoice::takeNewAnswers(const RunState& state) {
    for (; answersTaken_ < state.answeredTasks.size(); ++answersTaken_) {
        const AnsweredTask& answer = state.answeredTasks[answersTaken_];
        ratings_.update({participant_, operation_, answer.operand1, answer.operand2, answer.correct,
                         answer.answerMs});
    }
}

Generation AdaptiveChoice::poseNext(RunState& state, const Clock& clock) {
    if (state.taskCounter >= taskLimit) {
        state.noMoreTasks = true;
        return Generation::NoMoreTasks;
    }
    // One seed from the clock for the run; the draws go on from it.
    if (!seeded_) {
        random_.reseed(clock);
        seeded_ = true;
    }
    takeNewAnswers(state);
    const std::optional<PoolTask> task =
        chooseTask(ratings_, participant_, operation_, target_, posed_, random_);
    if (!task) {
        state.noMoreTasks = true;
        return Generation::NoMoreTasks;
    }
    posed_ << *task;
    recordTask(state, {task->operand1, task->operand2});
    state.taskSolved = false;
    return Generation::TaskPosed;
}

void AdaptiveChoice::completeResult(RunResult& result) const {
    result.adaptive = true;
    if (posed_.isEmpty())
        return;
    const auto [least1, most1] =
        std::minmax_element(posed_.begin(), posed_.end(), [](const PoolTask& a, const PoolTask& b) {
            return a.operand1 < b.operand1;
        });
    const auto [least2, most2] =
        std::minmax_element(posed_.begin(), posed_.end(), [](const PoolTask& a, const PoolTask& b) {
            return a.operand2 < b.operand2;
        });
    result.range1Min = least1->operand1;
    result.range1Max = most1->operand1;
    result.range2Min = least2->operand2;
    result.range2Max = most2->operand2;
}

std::unique_ptr<AdaptiveChoice> adaptiveChoiceFor(const QList<HistoryRun>& everyonesRuns,
                                                  const QString& participant, Operation operation,
                                                  Target target) {
    PracticeRatings ratings;
    for (const HistoryRun& run : everyonesRuns) {
        if (run.operation == operation)
            replayRun(ratings, run);
    }
    return std::make_unique<AdaptiveChoice>(std::move(ratings), participant, operation, target);
}
