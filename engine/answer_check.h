#pragma once

#include "engine/run_state.h"

// Compares answerText (and for division with remainder givenRemainder) with the task on display.
// A right answer raises points and sets taskSolved; a wrong one changes nothing. Returns whether
// the answer was right.
bool checkAnswer(RunState& state);

// "Punkt" for exactly one point, "Punkte" otherwise.
QString pointsWord(qint32 points);
