#pragma once

#include "common/failure.h"
#include "engine/operation.h"
#include "history/model/history.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class PracticeRatings;

// A child's Stufe (1..10) in an operation as the windows show it: worked out by replaying the
// answers of everyone's runs of the operation (the tasks' difficulties learn from the whole
// class), oldest first. Runs of other operations are passed over; a child without an answer in
// the operation has no Stufe.

// The child's Stufe on each day the child answered in the operation: the value after the
// child's last run of that day, dated by that run's start.
struct LevelPoint {
    QDateTime at;
    double stufe = 0;
};

// Everyone's runs of one operation, handed in one at a time in any order (child by child, as a
// store reads them), kept as a few numbers per answer until they are replayed in the order the
// runs were started: a class's history is never held as runs.
class LevelReplay {
public:
    explicit LevelReplay(Operation operation) : operation_(operation) {}

    void add(const HistoryRun& run);
    // Every child's runs of the operation from the store, child by child.
    Outcome read(HistoryStore& store);

    // Each child's Stufe after all the runs, as a real number; only children with answers.
    QHash<QString, double> currentLevels() const;
    QList<LevelPoint> dailyLevels(const QString& participant) const;

private:
    struct Run {
        qint64 startMs = 0; // the order of replay: by start, then by the store's number
        qint64 id = 0;
        qsizetype firstAnswer = 0;
        qint32 answers = 0;
        qint32 child = 0;
    };
    struct Answer {
        qint32 operand1 = 0;
        qint32 operand2 = 0;
        qint32 answerMs = 0; // past the time limit every time scores alike
        bool correct = false;
    };
    // Replays the runs in order; after gets each run once its answers are in.
    void replay(const std::function<void(const PracticeRatings&, const Run&)>& after) const;

    Operation operation_;
    QStringList children_;
    QHash<QString, qint32> childNumbers_;
    std::vector<Run> runs_;
    std::vector<Answer> answers_;
};

// The same from runs in a list (everyonesRuns).
QHash<QString, double> currentLevels(const QList<HistoryRun>& everyonesRuns, Operation operation);
QList<LevelPoint> dailyLevels(const QList<HistoryRun>& everyonesRuns, const QString& participant,
                              Operation operation);

// The Stufe as a table or a sentence shows it: a whole number, "4".
QString stufeText(double stufe);
