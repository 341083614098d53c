#pragma once

#include "practice/practice_pool.h"

class LearningHistory;
class RunController;
class TForm1;

// "Üben nach Maß": the menu entry starts a practice run for the child and the operation of the
// settings panel, whose tasks an AdaptiveChoice picks from the ratings of every run of that
// operation the learning history holds. The run then goes as a free run does.
class AdaptivePractice {
public:
    AdaptivePractice(RunController& run, TForm1& mainWindow, LearningHistory& history);
    AdaptivePractice(const AdaptivePractice&) = delete;
    AdaptivePractice& operator=(const AdaptivePractice&) = delete;

    void connect();

private:
    void start(Target target);

    RunController& run_;
    TForm1& mainWindow_;
    LearningHistory& history_;
};
