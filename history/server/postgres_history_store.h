#pragma once

#include "history/model/history.h"
#include "history/server/server_connection.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

class HistoryQueue;
class QueueSender;

// The learning history on a school's database server, for many computers at once. A finished run
// goes into a small queue file on this computer first, and a thread of the store's own sends the
// queue to the server, oldest first: recording never waits for the server, and a run is not lost
// when the program ends or the server is away. Each run carries a key made here, so a run whose
// sending broke off after the server had it is never stored twice.
class PostgresHistoryStore : public HistoryStore {
public:
    // How long the program waits for the server before it keeps runs locally.
    static constexpr int connectTimeoutSeconds = ServerConnection::timeoutSeconds;
    // The schema this program writes; a database with a higher number is only read.
    static constexpr int schemaVersion = ServerConnection::schemaVersion;

    // server: a connection in libpq's URI or key=value form, without a password (libpq reads
    // ~/.pgpass, PGPASSFILE and PGSERVICEFILE itself). queueFile: where waiting runs are kept;
    // runs left there by an earlier program run are sent at once.
    PostgresHistoryStore(const QString& server, const QString& queueFile);
    ~PostgresHistoryStore() override;
    PostgresHistoryStore(const PostgresHistoryStore&) = delete;
    PostgresHistoryStore& operator=(const PostgresHistoryStore&) = delete;

    QString location() const override;
    // Puts the run into the queue and returns; the sending follows on the store's thread. Call it
    // on the thread that made the store.
    HistoryError record(const HistoryRun& run) override;
    // The readers send what waits first, so that they find it on the server. They may be called
    // from any thread, one call at a time.
    HistoryError participants(QStringList& names) override;
    HistoryError runs(const QString& participant, const QString& operation,
                      QList<HistoryRun>& out) override;
    HistoryError everyonesRuns(const QString& operation, QList<HistoryRun>& out) override;
    HistoryError classTotals(const QString& operation, const RunPeriod& inPeriod,
                             ClassTotals& out) override;
    QString takeNotice() override;
    void whenNoticed(std::function<void()> ready) override;
    // A window's reading thread reads through this store itself, as its readers guard their own
    // connection; the store must outlive the reader it makes.
    HistoryStoreFactory readerFactory() const override;

    // Sends the runs waiting on this computer now and returns when that is done: the server's
    // reason when it did not take them all.
    HistoryError sendWaiting();

    // Sends the run under key straight to the server, without the queue: added tells whether the
    // server did not have it yet. For copying a whole history over.
    HistoryError send(const HistoryRun& run, const QString& key, bool& added);

    // How many runs wait on this computer (on the thread that made the store).
    qsizetype waiting();

private:
    // Runs work on the readers' connection after the queue was sent.
    HistoryError onServer(const std::function<HistoryError()>& work);
    // Runs work on the readers' connection; a kept connection that the server had closed is made
    // anew once.
    HistoryError onReader(const std::function<HistoryError()>& work);
    HistoryError readRuns(const QString& participant, const QString& operation,
                          QList<HistoryRun>& out);
    HistoryError readClass(const QString& operation, QList<HistoryRun>& out);
    HistoryError readClassTotals(const QString& operation, const RunPeriod& inPeriod,
                                 ClassTotals& out);
    // The sums of runs the server holds none for, from their answers.
    HistoryError addUp(const QList<qint64>& ids, const QList<qint64>& withoutSums,
                       QList<RunTotals>& totals);
    // The missed tasks of the period's runs that may be among a child's three most missed, with
    // all their answers in the period.
    HistoryError readMissedTasks(const QList<qint64>& ids, const RunPeriod& inPeriod,
                                 ClassTotals& out);
    // Adds a notice for the child (once per kind) and tells the listener.
    void notice(const QString& text, bool& told);

    QString server_;
    QString location_;
    std::unique_ptr<HistoryQueue> queue_; // the recording thread's
    std::mutex readerLock_;
    ServerConnection reader_;
    std::mutex noticeLock_;
    QString notice_;
    bool serverAwayTold_ = false;
    bool queueTold_ = false;
    std::function<void()> noticed_;
    std::unique_ptr<QueueSender> sender_; // last: its thread ends before the rest goes
};

// Copies every run of a history file into the store on the server. A run the server already
// holds (from an earlier copy of the same file) is left as it is, so copying twice changes
// nothing. A file of a newer program version is refused, as the program refuses to write it.
// added and present count the runs.
HistoryError transferHistory(const QString& sqliteFile, PostgresHistoryStore& target, int& added,
                             int& present);
