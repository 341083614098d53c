#include "practice/practice_history.h"

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
