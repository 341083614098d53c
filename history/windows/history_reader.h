#pragma once

#include "history/model/history.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

// Reads the learning history for a window without holding up the window's thread. Each job runs
// on a thread of the reader's own, on a store that the history store's readerFactory made there;
// what the job returns runs afterwards on the reader's thread, unless a later job was asked for in
// the meantime. A store without a factory is read at once on the reader's thread, as before.
class HistoryReader : public QObject {
public:
    // What a job leaves for the reader's thread: it shows what the job read.
    using Finish = std::function<void()>;
    using Job = std::function<Finish(HistoryStore& store)>;

    explicit HistoryReader(HistoryStore& store, QObject* parent = nullptr);
    // Waits for a job that is running; its result is dropped.
    ~HistoryReader() override;

    void read(Job job);
    // Whether a job was asked for whose result has not been shown yet.
    bool busy() const { return busy_; }

private:
    HistoryStore& store_;
    HistoryStoreFactory factory_;
    QThread* thread_ = nullptr;
    QObject* worker_ = nullptr;                 // lives on thread_
    std::unique_ptr<HistoryStore> threadStore_; // used on thread_ only
    std::atomic<quint64> latest_{0};
    bool busy_ = false;
};
