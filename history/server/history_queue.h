#pragma once

#include "history/model/history.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <optional>

// A run's fields and answers as bytes, in a layout only this program reads: how the queue keeps a
// run, and what a copied run's key is made from.
QByteArray packedRun(const HistoryRun& run);

// Runs waiting on this computer for the server, in a small SQLite file in the user's own data
// folder that only the user may read. Each run keeps the key it got when it ended, so sending it
// twice stores it once. A file that SQLite finds damaged is renamed and a new one started.
// Like every QSqlDatabase connection, a queue belongs to the thread that first uses it.
class HistoryQueue {
public:
    struct Entry {
        qint64 seq = 0;
        QString key;
        HistoryRun run;
    };

    // told hears, in German, when the file was found damaged and set aside for a new one.
    explicit HistoryQueue(const QString& path,
                          std::function<void(const QString& message)> told = {});
    ~HistoryQueue();
    HistoryQueue(const HistoryQueue&) = delete;
    HistoryQueue& operator=(const HistoryQueue&) = delete;

    Outcome add(const QString& key, const HistoryRun& run);
    // The oldest waiting run, if any.
    Result<std::optional<Entry>> oldest();
    Outcome remove(qint64 seq);
    Result<qsizetype> count();

private:
    // Opens the file, made if need be; sqlError holds what SQLite reported, the result any other
    // reason.
    Outcome open(std::optional<QSqlError>& sqlError);
    // Runs work (false when its query failed) on the open file. A file still damaged when opened
    // afresh is set aside and work runs on a new one.
    Outcome withFile(const std::function<bool(QSqlQuery&)>& work);
    Outcome setAside();
    Failure fault(const QSqlError& error) const;
    void close();

    QString path_;
    std::function<void(const QString&)> told_;
    QString connectionName_;
    QSqlDatabase db_;
};
