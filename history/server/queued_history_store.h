#pragma once

#include "history/model/history.h"
#include "history/server/remote_history_store.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>

class HistoryQueue;
class QueueSender;

// The learning history in a remote store (a school's database server), for many computers at
// once. A finished run goes into a small queue file on this computer first, and a thread of the
// store's own sends the queue to the remote store, oldest first: recording never waits for the
// other side, and a run is not lost when the program ends or the server is away. Each run carries
// a key made here, so a run whose sending broke off after the remote store had it is never stored
// twice.
class QueuedHistoryStore : public HistoryStore {
public:
    // connect makes a connection to the remote store, once here for the readers and once on the
    // sending thread. queueFile: where waiting runs are kept; runs left there by an earlier
    // program run are sent at once.
    QueuedHistoryStore(const RemoteStoreFactory& connect, const QString& queueFile);
    ~QueuedHistoryStore() override;
    QueuedHistoryStore(const QueuedHistoryStore&) = delete;
    QueuedHistoryStore& operator=(const QueuedHistoryStore&) = delete;

    QString location() const override;
    bool onServer() const override { return true; }
    // Puts the run into the queue and returns; the sending follows on the store's thread. Call it
    // on the thread that made the store.
    Outcome record(const HistoryRun& run) override;
    // The readers send what waits first, so that they find it in the remote store. They may be
    // called from any thread, one call at a time.
    Result<QStringList> participants() override;
    Result<QList<HistoryRun>> runs(const QString& participant,
                                   std::optional<Operation> operation) override;
    Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation> operation) override;
    Result<ClassTotals> classTotals(std::optional<Operation> operation,
                                    const RunPeriod& inPeriod) override;
    QString takeNotice() override;
    void whenNoticed(std::function<void()> ready) override;
    // A window's reading thread reads through this store itself, as its readers guard their own
    // connection; the store must outlive the reader it makes.
    HistoryStoreFactory readerFactory() const override;

    // Sends the runs waiting on this computer now and returns when that is done: the remote
    // store's reason when it did not take them all.
    Outcome sendWaiting();

    // How many runs wait on this computer (on the thread that made the store).
    qsizetype waiting();

    // The readers' connection to the remote store, for copying a whole history over.
    RemoteHistoryStore& remote() { return *remote_; }

private:
    // Adds a notice for the child (once per kind) and tells the listener.
    void notice(const QString& text, bool& told);

    std::unique_ptr<RemoteHistoryStore> remote_;
    QString location_;
    std::unique_ptr<HistoryQueue> queue_; // the recording thread's
    std::mutex noticeLock_;
    QString notice_;
    bool serverAwayTold_ = false;
    bool queueTold_ = false;
    std::function<void()> noticed_;
    std::unique_ptr<QueueSender> sender_; // last: its thread ends before the rest goes
};
