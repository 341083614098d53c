#pragma once

#include "common/failure.h"
#include "engine/answered_task.h"
#include "engine/operation.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

struct RunResult;
class HistoryTally;

// The operation as a key of the history's tables (QHash).
inline size_t qHash(Operation operation, size_t seed = 0) noexcept {
    return qHash(int(operation), seed);
}

// One finished run as the learning history keeps it: who, when, what was set, how it went, and
// every answer with its time. A store reads a run only with one of the five operations: a row
// whose operation is none of them, which only a foreign or damaged store can hold, is left out
// as answer rows the program could not have posed are.
struct HistoryRun {
    qint64 id = 0; // given by the store
    QString participant;
    QDateTime startedAt; // local time
    Operation operation = Operation::Add;
    QString range1; // "0 .. 10"
    QString range2;
    qint32 timeLimit = 0;   // seconds, 0 = no limit
    qint32 competition = 0; // 1..16, 0 = free run
    qint32 tasksWorked = 0;
    qint32 points = 0;
    bool byEar = false; // the tasks were only heard ("Nur hören")
    // The tasks were chosen to fit the child ("Üben nach Maß"): the figures and a teacher can
    // tell such a run from one of ranges the child set.
    bool adaptive = false;
    QList<AnsweredTask> answers;
};

// The run as the history records it. Only runs with at least one answer are worth recording.
HistoryRun historyRunOf(const RunResult& result);

// Sorts names as a German reader expects a list of names: Ä beside A, case aside, then exact
// order.
void sortParticipantNames(QStringList& names);
// Whether name a comes before b in that order.
bool participantNameBefore(const QString& a, const QString& b);

// A run as the class overview counts it: its answers added up.
struct RunTotals {
    QString participant;
    Operation operation = Operation::Add;
    QDateTime startedAt;
    qint32 answers = 0;
    qint32 rightAnswers = 0;
    qint64 answeringMs = 0; // a negative answer time counts as 0
};
RunTotals runTotalsOf(const HistoryRun& run);

// One child's answers to one task of one operation over the runs of a period.
struct ChildTaskTotals {
    QString participant;
    Operation operation = Operation::Add;
    qint32 operand1 = 0;
    qint32 operand2 = 0;
    qint32 attempts = 0;
    qint32 misses = 0;
    qint64 answeringMs = 0;
};

// What the class overview is worked out from.
struct ClassTotals {
    QList<RunTotals> runs; // oldest first
    // Tasks missed in the runs of the period, each with all its answers there: at least every
    // task that can be among a child's three missed most often.
    QList<ChildTaskTotals> missedTasks;
};

// Whether a run, by its start, belongs to the period the overview shows.
using RunPeriod = std::function<bool(const QDateTime& startedAt)>;

// The totals of the runs, with every task missed in the runs of the period.
ClassTotals classTotalsOf(const QList<HistoryRun>& runs, const RunPeriod& inPeriod);
// The same from runs handed in one at a time, in any order.
class ClassTally {
public:
    explicit ClassTally(RunPeriod inPeriod);
    void add(const HistoryRun& run);
    // A run's answers may also come apart from it: the run first, then each answer with the
    // number addRun gave the run.
    qsizetype addRun(const HistoryRun& run);
    void addAnswer(qsizetype runNumber, const AnsweredTask& answer);
    Operation operationOf(qsizetype runNumber) const { return runs_[runNumber].operation; }
    // The runs oldest first, and the missed tasks.
    ClassTotals totals() const;

private:
    struct Sums {
        qint32 attempts = 0;
        qint32 misses = 0;
        qint64 answeringMs = 0;
    };
    using Tasks = std::unordered_map<quint64, Sums>;
    Tasks* tasksOf(qsizetype runNumber);

    RunPeriod inPeriod_;
    QList<RunTotals> runs_;
    std::vector<bool> runInPeriod_;
    qsizetype lastRun_ = -1; // whose tasks lastTasks_ are
    Tasks* lastTasks_ = nullptr;
    // Each child's tasks of each operation, by their operands side by side.
    QHash<QPair<QString, Operation>, std::unordered_map<quint64, Sums>> tasks_;
};

// What read filled into a value of its own, or why it could not: for a store that reads bit by
// bit into what it returns.
template <typename T, typename Read> Result<T> readInto(Read&& read) {
    T value;
    if (Outcome failed = read(value))
        return *std::move(failed);
    return value;
}

class HistoryStore;
// Makes a store of the same history; called on the thread that is to use it.
using HistoryStoreFactory = std::function<std::unique_ptr<HistoryStore>()>;

// Where the learning history lives. The program keeps it in a database file or on a school's
// database server; tests use an in-memory store or a plain fake.
class HistoryStore {
public:
    virtual ~HistoryStore() = default;

    // The file as a message names it (native path), or a description of the store.
    virtual QString location() const = 0;
    // Whether the history lives on a server rather than in a file: a message says which.
    virtual bool onServer() const { return false; }

    // Writes the run and its answers, all or nothing.
    virtual Outcome record(const HistoryRun& run) = 0;

    // The names of everyone in the history, sorted.
    virtual Result<QStringList> participants() = 0;

    // One child's runs, oldest first, each with its answers. No operation means all.
    virtual Result<QList<HistoryRun>> runs(const QString& participant,
                                           std::optional<Operation> operation) = 0;

    // The same runs as runs(), handed to visit one by one, each with its answers (what was typed
    // may be left out, and the start may carry its offset from UTC instead of being marked as
    // local time): a reader that adds up holds one run at a time. This one reads them all with
    // runs() first.
    virtual Outcome eachRun(const QString& participant, std::optional<Operation> operation,
                            const std::function<void(const HistoryRun&)>& visit);

    // The same runs added to tally, oldest first. A store that keeps each run's sums beside it
    // hands those over instead of the answers; this one adds what eachRun hands over.
    virtual Outcome tallyRuns(const QString& participant, Operation operation, HistoryTally& tally);

    // Every child's runs of the operation (none: all), read in one pass for a whole class, oldest
    // first. The answers carry the task, whether it was right and its time, but not what was
    // typed: the class's figures do not need it, and a class reads many.
    virtual Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation> operation) = 0;

    // What the class overview needs of every child's runs of the operation (none: all), with the
    // tasks missed in the runs of the period. A store that can add up on its side answers with
    // less than everyonesRuns; this one adds everyonesRuns up.
    virtual Result<ClassTotals> classTotals(std::optional<Operation> operation,
                                            const RunPeriod& inPeriod);

    // How a window reads the history on a thread of its own: a database connection belongs to
    // the thread that opened it, so the reader makes a store there. Empty when this store has no
    // such twin; a window then reads this store on its own thread.
    virtual HistoryStoreFactory readerFactory() const { return {}; }

    // Something the child should be told once although the last call worked, e.g. that the
    // server is away and runs are kept on this computer until it is back; empty when nothing is.
    // Asking clears it.
    virtual QString takeNotice() { return {}; }

    // A store that works on after its call returned (sending runs in the background) calls ready,
    // on any thread, whenever a notice waits to be taken; an empty function stops that.
    virtual void whenNoticed(std::function<void()> ready) { (void)ready; }
};
