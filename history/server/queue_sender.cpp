#include "history/server/queue_sender.h"

#include "history/server/history_queue.h"

#include <QFileInfo>

QueueSender::QueueSender(const RemoteStoreFactory& connect, const QString& queueFile,
                         Listener listener)
    : listener_(std::move(listener)) {
    // Runs left from an earlier program run go at its start.
    if (QFileInfo::exists(queueFile)) {
        asked_ = 1;
        tell_ = true;
    }
    thread_ = std::thread([this, connect, queueFile] { work(connect, queueFile); });
}

QueueSender::~QueueSender() {
    {
        const std::lock_guard locked(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void QueueSender::send() {
    {
        const std::lock_guard locked(lock_);
        ++asked_;
        tell_ = true;
    }
    wake_.notify_all();
}

Outcome QueueSender::sendAndWait() {
    std::unique_lock locked(lock_);
    const quint64 pass = ++asked_;
    wake_.notify_all();
    passDone_.wait(locked, [&] { return finished_ >= pass || stopping_; });
    return lastFailure_;
}

void QueueSender::hold(const QString& key, const HistoryRun& run) {
    const std::lock_guard locked(lock_);
    held_ << Held{key, run};
}

void QueueSender::work(const RemoteStoreFactory& connect, const QString& queueFile) {
    HistoryQueue queue(queueFile, listener_.told);
    const std::unique_ptr<RemoteHistoryStore> remote = connect();
    bool queueTold = false;
    // Sends what waits, the file's runs first as they are older; the remote store's reason when it
    // did not take them all.
    const auto pass = [&]() -> Outcome {
        for (;;) {
            Result<std::optional<HistoryQueue::Entry>> read = queue.oldest();
            if (!read) {
                // A queue that cannot be read keeps its runs; the ones held here still go.
                if (!queueTold && listener_.told)
                    listener_.told(read.failure().reason);
                queueTold = true;
            }
            const std::optional<HistoryQueue::Entry> entry = read ? *std::move(read) : std::nullopt;
            Held held;
            {
                const std::lock_guard locked(lock_);
                if (stopping_)
                    return std::nullopt;
                if (!entry && held_.isEmpty())
                    return std::nullopt;
                if (!entry)
                    held = held_.first();
            }
            const Held& next = entry ? Held{entry->key, entry->run} : held;
            bool added = false;
            if (Outcome error = remote->send(next.run, next.key, added))
                return error;
            // Should the program end right here, the run is sent again next time and the server
            // knows its key.
            if (entry) {
                if (Outcome error = queue.remove(entry->seq)) {
                    if (!queueTold && listener_.told)
                        listener_.told(error->reason);
                    queueTold = true;
                    return std::nullopt;
                }
            } else {
                const std::lock_guard locked(lock_);
                held_.removeFirst();
            }
        }
    };
    std::unique_lock locked(lock_);
    for (;;) {
        wake_.wait(locked, [&] { return stopping_ || asked_ > finished_; });
        if (stopping_)
            break;
        const quint64 upTo = asked_;
        const bool tell = std::exchange(tell_, false);
        locked.unlock();
        // A connection the server closed since the last pass is the remote store's to make anew.
        const Outcome failure = pass();
        if (failure && tell && listener_.serverAway)
            listener_.serverAway(failure->reason);
        locked.lock();
        lastFailure_ = failure;
        finished_ = upTo;
        passDone_.notify_all();
    }
    passDone_.notify_all();
}
