#include "engine/task_source.h"

QStringList RangeDraw::startWarnings(RunState& state) const {
    return checkSubtractionRanges(state) + checkDivisionRanges(state);
}

Generation RangeDraw::poseNext(RunState& state, const Clock& clock) {
    return generateTask(state, clock);
}

Generation PracticeList::poseNext(RunState& s, const Clock&) {
    // Never past the tables, however long the list.
    if (s.taskCounter >= taskLimit || s.taskCounter >= tasks_.size()) {
        s.noMoreTasks = true;
        return Generation::NoMoreTasks;
    }
    const OperandPair& next = tasks_[s.taskCounter];
    recordTask(s, next);
    s.taskSolved = false;
    return Generation::TaskPosed;
}

bool PracticeList::usedUp(const RunState& state) const {
    return state.taskCounter >= tasks_.size();
}
