#pragma once

#include "history/model/history.h"
#include "practice/practice_model.h"

// The learning history as the practice model reads it. The ratings are never stored: they are
// derived from the recorded runs by taking their answers in again, oldest run first.

// Takes the answers of a run into the ratings, in the order they were given, as update does one by
// one. The chart's Stufe line (history/model/practice_levels.h) replays the same way.
void replayRun(PracticeRatings& ratings, const HistoryRun& run);
