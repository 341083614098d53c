#pragma once

#include "history/model/history.h"
#include "storage/run_result.h"

#include <QObject>

#include <functional>

class HistoryStore;
class Platform;
class QWidget;

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
