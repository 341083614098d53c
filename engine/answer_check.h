#pragma once

#include "engine/run_state.h"

// Integer results of a task; both divisions give the integer quotient. A divisor of 0 gives 0
// rather than a crash (no posed task has one).
qint32 correctResult(const QString& operationSign, qint32 operand1, qint32 operand2);
qint32 correctRemainder(qint32 operand1, qint32 operand2);

// Compares answerText (and for division with remainder givenRemainder) with the task on display.
// A right answer raises points and sets taskSolved; a wrong one changes nothing. Returns whether
// the answer was right.
bool checkAnswer(RunState& state);

// "Punkt" for exactly one point, "Punkte" otherwise.
QString pointsWord(qint32 points);
