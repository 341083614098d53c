#pragma once

#include "history/history.h"

#include <QSqlDatabase>
#include <QString>

// A run's fields and answers as bytes, in a layout only this program reads: how the queue keeps a
// run, and what a copied run's key is made from.
QByteArray packedRun(const HistoryRun& run);

// Runs waiting on this computer for the server, in a small SQLite file in the user's own data
// folder. Each run keeps the key it got when it ended, so sending it twice stores it once.
class HistoryQueue {
public:
    struct Entry {
        qint64 seq = 0;
        QString key;
        HistoryRun run;
    };

    explicit HistoryQueue(const QString& path);
    ~HistoryQueue();
    HistoryQueue(const HistoryQueue&) = delete;
    HistoryQueue& operator=(const HistoryQueue&) = delete;

    HistoryError add(const QString& key, const HistoryRun& run);
    // The oldest waiting run, if any.
    HistoryError oldest(std::optional<Entry>& entry);
    HistoryError remove(qint64 seq);
    HistoryError count(qsizetype& n);

private:
    HistoryError open();

    QString path_;
    QString connectionName_;
    QSqlDatabase db_;
};
