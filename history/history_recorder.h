#pragma once

#include "history/model/history.h"
#include "storage/run_result.h"

#include <QObject>

#include <functional>

class HistoryStore;
class Platform;
class QWidget;
class RunController;

// Writes every finished run with answers into the learning history. The history is an extra:
// when it cannot be written, the child is told once and the program goes on without it, so a
// broken file never stands between a run and its result dialog or its saves. What a store has to
// say later (a server away, found while sending in the background) is shown when it comes.
class HistoryRecorder {
public:
    HistoryRecorder(HistoryStore& store, Platform& platform, QWidget* parent);
    ~HistoryRecorder();
    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    void record(const RunResult& result);

    // True once a run could not be recorded; nothing is recorded from then on.
    bool givenUp() const { return givenUp_; }

private:
    void showNotice();

    QObject context_; // where a store's notice from another thread is shown
    HistoryStore& store_;
    Platform& platform_;
    QWidget* parent_;
    bool givenUp_ = false;
};

// Records each run the controller ends while recordingOn says so (the main window's menu item
// "Lernverlauf aufzeichnen"). The recorder is asked for only then, so it can be made at the first
// run that needs it. Connect this before anything else that handles the end of a run: the run is
// then in the history before the result dialog opens.
void recordEndedRuns(RunController& run, std::function<bool()> recordingOn,
                     std::function<HistoryRecorder&()> recorder);
