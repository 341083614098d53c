#include "engine/run_state.h"

void clearUsedPairs(RunState& state) {
    state.usedPairs.fill(OperandPair{});
}

bool pairUsed(const RunState& state, qint32 first, qint32 second) {
    const OperandPair wanted{first, second};
    for (int k = 1; k <= taskLimit; ++k) {
        if (state.usedPairs[k] == wanted)
            return true;
    }
    return false;
}

void clearTaskList(RunState& state) {
    for (TaskRecord& task : state.taskList) {
        task.name = task.date = task.time = QStringLiteral("---");
        task.points = 0;
        task.operand1 = task.operand2 = task.result = -1;
        task.operation = task.competitionTag = QStringLiteral("--");
    }
}

qint32 workedTasks(const RunState& state, RunEnd how) {
    if (how == RunEnd::StopOrTimeOut)
        return state.taskCounter - 1;
    return state.taskCounter;
}
