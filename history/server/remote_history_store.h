#pragma once

#include "history/model/history.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A history kept somewhere else than on this computer, e.g. on a school's database server: it
// takes a run under a key and reads what it holds. Each call may wait for the other side, so
// the program never calls it on the GUI thread while a child waits; QueuedHistoryStore puts a
// queue on this computer in front of it. Its calls may come from any thread, one at a time.
class RemoteHistoryStore {
public:
    virtual ~RemoteHistoryStore() = default;

    // The store as a message names it, never with a password.
    virtual QString location() const = 0;

    // Stores the run under key unless the store holds that key already; added tells which.
    virtual Outcome send(const HistoryRun& run, const QString& key, bool& added) = 0;

    // The readers of HistoryStore, with the same meaning.
    virtual Result<QStringList> participants() = 0;
    virtual Result<QList<HistoryRun>> runs(const QString& participant,
                                           std::optional<Operation> operation) = 0;
    virtual Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation> operation) = 0;
    virtual Result<ClassTotals> classTotals(std::optional<Operation> operation,
                                            const RunPeriod& inPeriod) = 0;
};

// Makes a connection of the same remote store; called on the thread that is to use it.
using RemoteStoreFactory = std::function<std::unique_ptr<RemoteHistoryStore>()>;

// Copies every run of a history file into the remote store. A run the store already holds (from
// an earlier copy of the same file) is left as it is, so copying twice changes nothing. A file of
// a newer program version is refused, as the program refuses to write it. added and present
// count the runs.
Outcome transferHistory(const QString& sqliteFile, RemoteHistoryStore& target, int& added,
                        int& present);
