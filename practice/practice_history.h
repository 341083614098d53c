#pragma once

#include "history/model/history.h"
#include "practice/practice_model.h"

#include <QDateTime>
#include <QList>

// The learning history as the practice model reads it. The ratings are never stored: they are
// derived from the recorded runs by taking their answers in again, oldest run first.

// The answers of a run, in the order they were given.
QList<PracticeAnswer> practiceAnswersOf(const HistoryRun& run);
// Takes the answers of a run into the ratings, as update does one by one.
void replayRun(PracticeRatings& ratings, const HistoryRun& run);

// Where a child stood in an operation after one of its runs: a point of the chart line.
struct AbilityPoint {
    QDateTime startedAt; // the run's start
    qint32 answers = 0;  // the child's answers in the operation so far
    double ability = 0;
    double stufe = 0;
};

// Takes runs (everyone's, oldest first, so the tasks learn from the whole class) into the ratings
// and returns the child's ability in the operation after each of the child's runs of it.
QList<AbilityPoint> replayWithProgress(PracticeRatings& ratings, const QList<HistoryRun>& runs,
                                       const QString& participant, Operation operation);
