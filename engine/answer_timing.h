#pragma once

#include "engine/run_state.h"

class Clock;

// The learning history of a run as it goes: when it started, when each task was shown, and every
// answer with the time it took.

// A new run: no answers yet, started now (local date and time).
void beginRunHistory(RunState& state, const Clock& clock);

// The task on display has just been shown.
void markTaskShown(RunState& state, const Clock& clock);

// Records the answer to the task on display as checkAnswer judged it (right): the answer text of
// the state, the remainder text as typed (ignored for tasks without remainder), and the time
// since the task was shown, never negative.
void recordAnswer(RunState& state, const Clock& clock, bool right,
                  const QString& remainderText = QString());
