#pragma once

#include "history/model/history.h"
#include "history/server/remote_history_store.h"

#include <QList>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Sends the runs that wait on this computer to the remote store (the school's server), oldest
// first, on a thread of its own, so that neither a slow server nor a long queue holds up the
// child. The thread has its own connections to the queue file and to the remote store, as both
// belong to the thread that made them. A pass over the queue stops at the first run the remote
// store does not take; that run and the ones behind it wait for the next pass.
class QueueSender {
public:
    struct Listener {
        // A pass asked for with send() failed: the remote store's reason.
        std::function<void(const QString& reason)> serverAway;
        // Something about the queue file the child should be told.
        std::function<void(const QString& message)> told;
    };

    // Starts the thread; when the queue file holds runs, the first pass starts at once.
    // connect is called on the thread, for its connection to the remote store.
    QueueSender(const RemoteStoreFactory& connect, const QString& queueFile, Listener listener);
    // Ends after the run being sent: a run cut off is sent again next time, under its key.
    ~QueueSender();
    QueueSender(const QueueSender&) = delete;
    QueueSender& operator=(const QueueSender&) = delete;

    // Asks for a pass and returns at once; a failure goes to the listener.
    void send();
    // Asks for a pass and waits for it: the remote store's reason when a run could not be sent.
    Outcome sendAndWait();
    // A run the queue file could not keep: sent by the next passes, lost if the program ends first.
    void hold(const QString& key, const HistoryRun& run);

private:
    struct Held {
        QString key;
        HistoryRun run;
    };
    void work(const RemoteStoreFactory& connect, const QString& queueFile);

    Listener listener_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::condition_variable passDone_;
    quint64 asked_ = 0;    // passes asked for
    quint64 finished_ = 0; // the last pass asked for that is done
    bool tell_ = false;    // a pass asked for with send() is among those waiting
    bool stopping_ = false;
    Outcome lastFailure_;
    QList<Held> held_;
    std::thread thread_;
};
