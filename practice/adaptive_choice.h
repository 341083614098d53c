#pragma once

#include "common/random.h"
#include "engine/task_source.h"
#include "history/model/history.h"
#include "practice/practice_model.h"
#include "practice/practice_pool.h"

#include <memory>

inline const QString adaptiveDoneMessage =
    QStringLiteral("Beim Üben nach Maß habe ich keine weiteren Aufgaben für Dich !");
// What the settings panel shows in place of the ranges while a run goes "nach Maß".
inline const QString adaptiveRangesText = QStringLiteral("nach Maß");

// "Üben nach Maß": each task is chosen for the child from the ratings the learning history gave,
// near the success the target asks for. Every answer of the run moves the ratings at once, as the
// history will when it takes the run in, so the next task already fits what the child just did.
class AdaptiveChoice : public TaskSource {
public:
    AdaptiveChoice(PracticeRatings ratings, QString participant, Operation operation,
                   Target target);

    Generation poseNext(RunState& state, const Clock& clock) override;
    QString doneMessage() const override { return adaptiveDoneMessage; }
    QString rangesText() const override { return adaptiveRangesText; }
    // The ranges of the result are those of the tasks posed, and the run is marked as adaptive.
    void completeResult(RunResult& result) const override;

    const PracticeRatings& ratings() const { return ratings_; }

private:
    void takeNewAnswers(const RunState& state);

    PracticeRatings ratings_;
    QString participant_;
    Operation operation_;
    Target target_;
    QList<PoolTask> posed_;
    qsizetype answersTaken_ = 0;
    Lcg random_;
    bool seeded_ = false;
};

// The source of a run "nach Maß" for the child, with the ratings the runs give (every child's runs
// of the operation the learning history holds, oldest first; none: every rating at its start).
std::unique_ptr<AdaptiveChoice> adaptiveChoiceFor(const QList<HistoryRun>& everyonesRuns,
                                                  const QString& participant, Operation operation,
                                                  Target target);
