#pragma once

#include "engine/run_state.h"
#include "history/model/history.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <limits>
#include <optional>

#include <array>
#include <unordered_map>
#include <vector>

// What the learning-progress window shows, worked out from plain history data. The chart and the
// grids only draw what these return.

// One point per run of the chart.
struct RunFigures {
    QDateTime startedAt;
    qint32 answers = 0;
    qint32 rightAnswers = 0;
    double solvedPerMinute = 0; // right answers per minute of answering time
    double rightShare = 0;      // 0..1
};
QList<RunFigures> runFigures(const QList<HistoryRun>& runs);

// All answers to one task (the same two operands) over the runs given.
struct TaskFigures {
    qint32 operand1 = 0;
    qint32 operand2 = 0;
    qint32 attempts = 0;
    qint32 misses = 0;
    double meanMs = 0;
    double errorRate() const { return attempts > 0 ? double(misses) / attempts : 0; }
};
QList<TaskFigures> taskFigures(const QList<HistoryRun>& runs);

// "7 * 8", "17 : 5 R": a task as the child saw it.
QString taskText(qint32 operand1, qint32 operand2, Operation operation);

// The order of mostMissed: more misses first, then the higher error rate, then the slower.
bool missedMoreOften(const TaskFigures& a, const TaskFigures& b);

// The n tasks missed most often (ties: higher error rate, then slower) and the n slowest tasks
// by mean time (ties: more attempts), from taskFigures.
QList<TaskFigures> mostMissed(const QList<TaskFigures>& tasks, int n = 10);
QList<TaskFigures> slowest(const QList<TaskFigures>& tasks, int n = 10);

// The times table of operands 1..10: cell [a - 1][b - 1] holds the figures of a * b; a cell
// never asked has zero attempts.
using TimesTable = std::array<std::array<TaskFigures, 10>, 10>;
TimesTable timesTable(const QList<HistoryRun>& runs);

// The tasks of a practice run: the missed tasks, latest first, each once; then the right answers
// that took more than 1.5 times the median time of the right answers, slowest first, each task
// once and none already chosen; at most cap tasks.
QList<OperandPair> practiceSelection(const QList<HistoryRun>& runs, int cap = taskLimit);

// The same choice over runs of several operations, each task with its run's operation: 7 + 8 and
// 7 * 8 are two tasks.
struct PracticeTask {
    Operation operation = Operation::Add;
    OperandPair operands;
    friend bool operator==(const PracticeTask&, const PracticeTask&) = default;
};
QList<PracticeTask> practiceTasks(const QList<HistoryRun>& runs, int cap = taskLimit);

// A run known by its sums alone, as a store that keeps them hands it over.
struct RunSums {
    QDateTime startedAt;
    qint64 answers = 0;
    qint64 rightAnswers = 0;
    double answeringMs = 0; // the answers' times, a negative one as 0, added up in their order
};

// All answers to one task of one operation added up, as a store that keeps them hands them over.
// lastMiss and slowestRightAt are places in the order the answers were given, the later the
// higher; -1 for none.
struct TaskSums {
    qint32 operand1 = 0;
    qint32 operand2 = 0;
    qint32 attempts = 0;
    qint32 misses = 0;
    double answeringMs = 0;
    qint64 lastMiss = -1;
    qint64 slowestRight = -1; // ms of the slowest right answer, the later of equal ones
    qint64 slowestRightAt = -1;
};

// The figures above worked out from runs handed in one at a time, oldest first (of runs started
// at the same time, the one listed later last): a few numbers per task and per chart point are
// kept, never the runs, so a history of any length is read in bounded memory.
class HistoryTally {
public:
    // At most maxPoints points on the chart: beyond them, neighbouring runs share a point, which
    // is figured from their answers together and dated by the later run.
    explicit HistoryTally(qsizetype maxPoints = std::numeric_limits<qsizetype>::max());
    HistoryTally(const HistoryTally&) = delete;
    HistoryTally& operator=(const HistoryTally&) = delete;

    void add(const HistoryRun& run);
    // The same from sums kept by a store: each run by its sums, oldest first, and the runs'
    // answers as each task's sums and how many right answers took each time. Places are only
    // compared with those of other sums, so a tally takes either runs with answers or sums.
    void addSums(const RunSums& run);
    void addTaskSums(Operation operation, const TaskSums& task);
    void addRightTimes(qint64 ms, qint64 answers);

    qint64 runCount() const { return runs_; }
    QList<RunFigures> points() const;
    // The last run added, alone; nothing before the first.
    std::optional<RunFigures> latest() const;
    QList<TaskFigures> tasks() const; // as taskFigures
    TimesTable timesTable() const;
    QList<PracticeTask> practiceTasks(int cap = taskLimit) const;

private:
    struct Point {
        QDateTime startedAt;
        qint64 answers = 0;
        qint64 rightAnswers = 0;
        double totalMs = 0;
        qint64 runs = 0;
    };
    struct Task {
        qint32 attempts = 0;
        qint32 misses = 0;
        double totalMs = 0;
        qint64 lastMiss = -1;     // the answer's place among all added, for "latest first"
        qint64 slowestRight = -1; // ms; -1 for a task never answered right
        qint64 slowestRightAt = -1;
    };
    static RunFigures figuresOf(const Point& point);
    void addPoint(const Point& sums);

    qsizetype maxPoints_;
    qint64 runs_ = 0;
    qint64 answersSeen_ = 0;
    qint64 pointRuns_ = 1; // runs per point
    std::vector<Point> points_;
    Point latest_;
    // By operation, then by the operands side by side.
    QHash<Operation, std::unordered_map<quint64, Task>> tasks_;
    std::unordered_map<qint64, qint64> rightTimes_; // how many right answers took each time
    // The tasks of the operation of the run added last.
    Operation lastOperation_ = Operation::Add;
    std::unordered_map<quint64, Task>* lastTasks_ = nullptr;
};

// A text field of a CSV line: quoted where it holds a semicolon, quote or line break, and with a
// leading apostrophe where a spreadsheet would take it for a formula.
QString csvTextField(const QString& text);

// The answers of the runs as CSV: UTF-8, semicolon-separated, one header line, one line per
// answer, fields with a semicolon, quote or line break quoted.
QByteArray answersCsv(const QList<HistoryRun>& runs);
