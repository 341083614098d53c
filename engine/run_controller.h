#pragma once

#include "engine/answered_task.h"
#include "engine/operation.h"
#include "engine/run_settings.h"
#include "engine/run_state.h"
#include "engine/task_source.h"
#include "storage/run_result.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class Clock;

// What the settings panel shows when a run starts; the fields are locked until it ends, and the
// result of the run names them.
struct RunFields {
    QString timeFieldText;
    int range1Item = -1;
    int range2Item = -1;
};

// A practice run's settings (the participant and operation asked for, the rest as the settings
// panel holds them) and the fields that show them.
struct PracticeStart {
    RunSettings settings;
    RunFields fields;
};

// The screen that runs the controller. Before a run starts it gets the chance to check its
// settings fields (and to tell the child what is wrong); a practice run first puts its
// participant and operation into them.
class RunFrontend {
public:
    virtual ~RunFrontend() = default;
    virtual std::optional<RunFields> readyToStart() = 0;
    virtual std::optional<PracticeStart> readyToPractise(const QString& participant,
                                                         Operation operation) = 0;
};

enum class NoticeKind { Information, Warning };

// What of the last run still waits to be saved: its results, its task set. An answer makes both
// wait; the saves at the end of the run clear what they stored or what the child gave up.
struct PendingSaves {
    bool results = false;
    bool tasks = false;
    bool any() const { return results || tasks; }
};

// One run from Start to its result: poses the tasks, scores the answers, counts the time down
// and ends the run. The run's working record (RunState) is its own: the settings are handed to it
// at each start and stay the settings panel's, and the figures of the run (task number, points,
// time left, how it ended) are read from it and told by its signals. Everything it has to show goes
// out as a signal, synchronously, so a screen that shows a modal message for a notice sees the run
// go on (the countdown ticks) until the message is closed.
class RunController : public QObject {
    Q_OBJECT
public:
    enum class Phase {
        Idle,              // no run
        Starting,          // the checks passed, the first task is being drawn
        AwaitingAnswer,    // a task is on display
        AwaitingRemainder, // the quotient is in, the remainder is asked for
    };
    Q_ENUM(Phase)

    // What an answer did to the run.
    enum class AfterAnswer {
        Ignored,          // no run, nothing typed, or the task was solved already
        RemainderAwaited, // the quotient is kept; the remainder decides
        NextTaskTried,    // scored; the next task is on display, or none was left and the run ended
        LimitReached,     // scored; that was the last task a run may have, the run ended
    };

    explicit RunController(const Clock& clock, QObject* parent = nullptr);

    void setFrontend(RunFrontend* frontend) { frontend_ = frontend; }

    Phase phase() const { return phase_; }
    bool active() const { return phase_ != Phase::Idle; }
    // The last run's data wait to be saved, so no new run starts (unless fewer save hints are
    // asked for).
    bool savesPending() const;
    // What of the last run waits to be saved; the saves clear it.
    PendingSaves& pendingSaves() { return pending_; }
    const PendingSaves& pendingSaves() const { return pending_; }
    // Fewer save hints are asked for: unsaved data of the last run keep no run from starting.
    void setFewerSaveHints(bool on) { fewerSaveHints_ = on; }
    // "Nur hören" is on: a free run's result says its tasks were heard, not seen.
    void setEarOnly(bool on) { earOnly_ = on; }

    // The run on display, or the last one: its settings (as generation may have raised them), the
    // number and operands of the task on display (0 between runs), the seconds left, and how the
    // last task came to an end.
    const RunSettings& settings() const { return state_.settings; }
    qint32 taskNumber() const { return state_.taskCounter; }
    OperandPair task() const { return {state_.operand1, state_.operand2}; }
    qint32 remainingSeconds() const { return state_.remainingSeconds; }
    bool timeUp() const { return state_.timeUp; }
    // No further task could be made, or a practice list was used up.
    bool noMoreTasks() const { return state_.noMoreTasks; }
    // The whole working record, read-only, for the engine's tests and benchmarks.
    const RunState& state() const { return state_; }
    QTimer* countdown() { return &countdown_; }

    // Start: a free or competition run with these settings. Returns whether it runs.
    bool start(const RunSettings& settings);
    // A practice run of the given tasks, in order; refused while a run is on, for no tasks, and
    // as Start is while the last run's data wait to be saved.
    bool startPractice(const QString& participant, Operation operation,
                       const QList<OperandPair>& tasks);
    // A practice run of the child and operation with the tasks the source gives.
    bool startPracticeFrom(const QString& participant, Operation operation,
                           std::unique_ptr<TaskSource> source);
    // Where the running run's tasks come from; nothing between runs.
    const TaskSource* taskSource() const { return source_.get(); }
    // The answer field's text has changed under the child's keys.
    void answerTyped(const QString& text);
    AfterAnswer submitAnswer(const QString& text);
    AfterAnswer submitRemainder(const QString& text);
    void stop();
    // One second of the countdown.
    void tick();

signals:
    void phaseChanged(RunController::Phase phase);
    // The figures are back to zero: no task on display, no points.
    void cleared();
    void taskPosed(qint32 number, qint32 operand1, qint32 operand2);
    void scored(qint32 points);
    // Every checked answer, right or wrong, after scored.
    void answered(const AnsweredTask& task);
    // Generation raised the lower bound of the second range (a division with remainder never
    // divides by 0): the settings in force keep the raised bound.
    void settingsRaised(const RunSettings& settings);
    // Seconds left; 0 when the time ran out.
    void remainingTime(qint32 seconds);
    void notice(NoticeKind kind, const QString& text);
    // A run in which more than one task was posed (or a practice of one, answered) has ended.
    // Receivers show the result and save before this returns.
    void runEnded(const RunResult& result);

private:
    bool begin(const RunSettings& settings, const RunFields& fields,
               std::unique_ptr<TaskSource> source);
    bool poseTask();
    void nextTask();
    void score(const QString& remainderText);
    AfterAnswer afterScoring();
    void end(RunEnd how);
    void setPhase(Phase phase);

    RunState state_;
    const Clock& clock_;
    RunFrontend* frontend_ = nullptr;
    QTimer countdown_;
    Phase phase_ = Phase::Idle;
    RunFields fields_;
    std::unique_ptr<TaskSource> source_;
    // The last posed task was answered (the 160th, or no further task could be made): a time-out
    // while the closing message is open must not count that task as unworked.
    bool allTasksAnswered_ = false;
    bool fewerSaveHints_ = false;
    bool earOnly_ = false;
    PendingSaves pending_;
};
