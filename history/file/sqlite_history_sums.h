#pragma once

// The sums the history file keeps beside its runs, so that the window shows a child with a
// million runs without reading three million answers: for each run what its point on the chart
// needs, for each child, operation and task what the tables and the practice choice need, and
// how many right answers took each time. They sit in tables of their own: a program that does
// not know them reads and writes the file as before, and the runs it adds stay without sums
// until this program sums them. Every run up to the id the file names as summed is in the sums,
// except runs that no child's reader finds (without a name or an operation as text).

#include "engine/answered_task.h"

#include <QByteArray>
#include <QList>

#include <map>
#include <optional>
#include <tuple>
#include <vector>

struct sqlite3;

// Where an answer stands in the order a child's runs are read: by the run's start as the file
// holds it, then by run id, then by its place among the run's answers. The later, the greater.
struct AnswerPlace {
    QByteArray startedAt;
    qint64 run = 0;
    qint32 place = 0;
    friend bool operator<(const AnswerPlace& a, const AnswerPlace& b) {
        return std::tie(a.startedAt, a.run, a.place) < std::tie(b.startedAt, b.run, b.place);
    }
};

// A task's answers of one child and operation added up.
struct StoredTaskSums {
    qint32 attempts = 0;
    qint32 misses = 0;
    double answeringMs = 0;
    std::optional<AnswerPlace> lastMiss;
    qint64 slowestRight = -1; // ms; of equal ones the later
    AnswerPlace slowestRightAt;
};

// What a run adds to the chart.
struct StoredRunSums {
    qint64 answers = 0;
    qint64 rightAnswers = 0;
    double answeringMs = 0;
};

// Sums of runs gathered in memory and then written into the file, added to what it holds.
class HistorySumsBatch {
public:
    // Adds a run: its answers as the readers hand them over (tasks the program could not have
    // posed left out, in the order they were given).
    StoredRunSums add(const QByteArray& participant, const QByteArray& operation,
                      const QByteArray& startedAt, qint64 runId,
                      const QList<AnsweredTask>& answers);
    qsizetype runCount() const { return qsizetype(runs_.size()); }
    // Writes what was added and empties the batch; SQLite's result code. Inside the caller's
    // write transaction.
    int write(sqlite3* db);

private:
    struct Run {
        QByteArray participant, operation, startedAt;
        qint64 id = 0;
        StoredRunSums sums;
    };
    std::vector<Run> runs_;
    std::map<std::tuple<QByteArray, QByteArray, qint32, qint32>, StoredTaskSums> tasks_;
    std::map<std::tuple<QByteArray, QByteArray, qint64>, qint64> rightTimes_;
};

namespace history_sums {

// Creates the tables that are missing, with the state "nothing summed"; SQLite's result code.
int createTables(sqlite3* db);
// The id up to which the runs are summed, or nothing for a file without the sums.
int summedTo(sqlite3* db, std::optional<qint64>& to);
int setSummedTo(sqlite3* db, qint64 to);

} // namespace history_sums
