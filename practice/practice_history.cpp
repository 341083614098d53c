#include "practice/practice_history.h"

QList<PracticeAnswer> practiceAnswersOf(const HistoryRun& run) {
    QList<PracticeAnswer> answers;
    answers.reserve(run.answers.size());
    for (const AnsweredTask& a : run.answers)
        answers.append(
            {run.participant, run.operation, a.operand1, a.operand2, a.correct, a.answerMs});
    return answers;
}

void replayRun(PracticeRatings& ratings, const HistoryRun& run) {
    PracticeAnswer answer{run.participant, run.operation, 0, 0, false, 0};
    for (const AnsweredTask& a : run.answers) {
        answer.operand1 = a.operand1;
        answer.operand2 = a.operand2;
        answer.correct = a.correct;
        answer.answerMs = a.answerMs;
        ratings.update(answer);
    }
}

QList<AbilityPoint> replayWithProgress(PracticeRatings& ratings, const QList<HistoryRun>& runs,
                                       const QString& participant, Operation operation) {
    QList<AbilityPoint> points;
    for (const HistoryRun& run : runs) {
        replayRun(ratings, run);
        if (run.participant != participant || run.operation != operation)
            continue;
        const double ability = ratings.ability(participant, operation);
        points.append(
            {run.startedAt, ratings.answersOf(participant, operation), ability, stufeOf(ability)});
    }
    return points;
}
