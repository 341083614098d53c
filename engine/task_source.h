#pragma once

#include "engine/run_state.h"
#include "engine/task_generation.h"

#include <QList>
#include <QStringList>

class Clock;
struct RunResult;

// Where the tasks of a run come from. The run controller asks for one task after another and
// leaves the rest of the run (scoring, time, the end) to itself; a new way of choosing tasks is
// one more class.
class TaskSource {
public:
    virtual ~TaskSource() = default;

    // The warnings about the settings that keep a free run from starting (the flags of the run
    // state say which check failed); none lets it start.
    virtual QStringList startWarnings(RunState&) const { return {}; }
    // Poses task taskCounter + 1 as generateTask does, or says that none is left.
    virtual Generation poseNext(RunState& state, const Clock& clock) = 0;
    // What the child is told when none is left.
    virtual QString doneMessage() const = 0;
    // Whether the task just answered was the source's last: the run then ends with doneMessage,
    // even where the limit of tasks is reached with it.
    virtual bool usedUp(const RunState&) const { return false; }
    // Whether a run of a single task counts as worked once that task is answered.
    virtual bool singleTaskCounts() const { return false; }
    // What the settings panel shows in place of both ranges while the run lasts, for a source
    // that does not draw from them; empty: the ranges stay on view.
    virtual QString rangesText() const { return {}; }
    // What the source has to add to the result of its run when the run ends.
    virtual void completeResult(RunResult&) const {}
};

// The tasks a free or competition run draws from the ranges of its settings.
class RangeDraw : public TaskSource {
public:
    QStringList startWarnings(RunState& state) const override;
    Generation poseNext(RunState& state, const Clock& clock) override;
    QString doneMessage() const override { return noMoreTasksMessage; }
};

inline const QString practiceDoneMessage =
    QStringLiteral("Das waren alle Aufgaben zum Üben. Gut gemacht !");

// A practice run: the given tasks in order, whatever the ranges; the settings stay untouched.
class PracticeList : public TaskSource {
public:
    explicit PracticeList(QList<OperandPair> tasks) : tasks_(std::move(tasks)) {}
    Generation poseNext(RunState& state, const Clock& clock) override;
    QString doneMessage() const override { return practiceDoneMessage; }
    bool usedUp(const RunState& state) const override;
    bool singleTaskCounts() const override { return true; }

private:
    QList<OperandPair> tasks_;
};
