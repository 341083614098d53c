#pragma once

#include "common/random.h"
#include "engine/answered_task.h"
#include "engine/operation.h"
#include "engine/run_settings.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>

inline constexpr int taskLimit = 160;       // tasks per run
inline constexpr int randomDrawLimit = 110; // random draws per task before the search

// Capacities of the texts the run state holds.
inline constexpr int participantNameCapacity = 12;
inline constexpr int answerTextCapacity = 12;
inline constexpr int competitionTagCapacity = 4;

// One task of a run. Element 1 of the task list also carries the header of a saved task set.
struct TaskRecord {
    qint32 operand1 = -1;
    qint32 operand2 = -1;
    QString operation = QStringLiteral("--"); // "+", "-", "*", ":" or ": R"
    qint32 result = -1;
    qint32 remainder = -1; // -1 except for division with remainder
    qint32 givenAnswer = 0;
    qint32 givenRemainder = 0;
    // Header fields, written into element 1 when the task set is saved.
    QString name = QStringLiteral("---");
    QString date = QStringLiteral("---");
    QString time = QStringLiteral("---");
    quint8 points = 0;
    QString competitionTag = QStringLiteral("--");
    QString timeLimitText;
};

struct OperandPair {
    qint32 first = -1;
    qint32 second = -1;
    friend bool operator==(const OperandPair&, const OperandPair&) = default;
};

// The working record of a run: its settings, the task on display, its figures and its task list.
// It is the run controller's alone; generation and checking work on it for the controller, and the
// rest of the program learns of the run from the controller's signals and its RunResult.
struct RunState {
    // The settings of the run on display (or of the last one): a copy of what the settings panel
    // held at Start. Generation raises range2Min of a division with remainder from 0 to 1; the
    // controller hands that back to the panel (settingsRaised).
    RunSettings settings;

    // The competition's tag in the task-set and results files; "-" for a free run.
    QString competitionTag = QStringLiteral("-");

    // The run and the task on display.
    qint32 taskCounter = 0;
    qint32 points = 0;
    qint32 workedTaskCount = 0;
    qint32 operand1 = 0;
    qint32 operand2 = 0;
    QString answerText;
    qint32 givenRemainder = 0;
    qint32 remainingSeconds = 0;

    // Flags.
    bool taskSolved = false;
    bool timeUp = false;
    bool limitReached = false;
    bool noMoreTasks = false;
    bool subtractionRangesOk = true;
    bool divisionRangesOk = true;

    // Entry k (1..160) holds the operands of task k; entry 0 is unused.
    std::array<OperandPair, taskLimit + 1> usedPairs{};
    // Element k (1..160) is task k of the run; element 0 is never a task.
    std::array<TaskRecord, taskLimit + 1> taskList{};

    Lcg generator;

    // Learning history of the run: when it started (local time), when the task on display was
    // shown (monotonic milliseconds), and every answer given so far, in order.
    QDateTime runStartedAt;
    qint64 taskShownAtMs = 0;
    QList<AnsweredTask> answeredTasks;
};

void clearUsedPairs(RunState& state);
bool pairUsed(const RunState& state, qint32 first, qint32 second);

// Resets what a new run needs reset in all 161 task records; the given answers and the time-limit
// text keep what earlier runs left, as the task-set file expects.
void clearTaskList(RunState& state);

// The number of tasks the child worked on, from how the run ended: by Stop or time-out the task
// on display was not answered; after the limit or a failed generation every posed task was.
enum class RunEnd { StopOrTimeOut, AllTasksAnswered };
qint32 workedTasks(const RunState& state, RunEnd how);
