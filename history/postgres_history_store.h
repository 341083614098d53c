#pragma once

#include "history/history.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

struct pg_conn;
struct pg_result;
class HistoryQueue;

// The learning history on a school's database server, for many computers at once. A run that
// cannot reach the server waits in a small queue file on this computer and is sent, oldest
// first, as soon as a later call gets a connection; each run carries a key made here, so a run
// whose sending broke off after the server had it is never stored twice.
class PostgresHistoryStore : public HistoryStore {
public:
    // How long the program waits for the server before it records locally.
    static constexpr int connectTimeoutSeconds = 3;
    // The schema this program writes; a database with a higher number is only read.
    static constexpr int schemaVersion = 2;

    // server: a connection in libpq's URI or key=value form, without a password (libpq reads
    // ~/.pgpass, PGPASSFILE and PGSERVICEFILE itself). queueFile: where waiting runs are kept.
    PostgresHistoryStore(const QString& server, const QString& queueFile);
    ~PostgresHistoryStore() override;
    PostgresHistoryStore(const PostgresHistoryStore&) = delete;
    PostgresHistoryStore& operator=(const PostgresHistoryStore&) = delete;

    QString location() const override;
    HistoryError record(const HistoryRun& run) override;
    HistoryError participants(QStringList& names) override;
    HistoryError runs(const QString& participant, const QString& operation,
                      QList<HistoryRun>& out) override;
    HistoryError everyonesRuns(const QString& operation, QList<HistoryRun>& out) override;
    HistoryError classTotals(const QString& operation, const RunPeriod& inPeriod,
                             ClassTotals& out) override;
    QString takeNotice() override;

    // Sends the run under key straight to the server, without the queue: added tells whether the
    // server did not have it yet. For copying a whole history over.
    HistoryError send(const HistoryRun& run, const QString& key, bool& added);

    // How many runs wait on this computer.
    qsizetype waiting();

private:
    // A connection with the schema checked and the queue sent, or the reason there is none.
    HistoryError connection();
    // Runs work on a connection; a kept connection that the server had closed is made anew once.
    HistoryError onServer(const std::function<HistoryError()>& work);
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
    HistoryError connect();
    HistoryError prepareSchema();
    HistoryError prepareStatements();
    HistoryError sendQueue();
    void disconnect();
    using Rows = std::unique_ptr<pg_result, void (*)(pg_result*)>;
    // Runs a prepared statement with its values in the server's text form; rows holds its result
    // (the rows in the server's binary form, or the failure). The reason when it failed.
    HistoryError execute(const char* statement, const QList<QByteArray>& values, Rows& rows);
    // The reason for a failed call; a connection that broke is dropped, to be made anew.
    QString reasonForFailure(const char* fallback);
    void keepLocally(const QString& reason);

    QString server_;
    QString location_;
    std::unique_ptr<HistoryQueue> queue_;
    pg_conn* conn_ = nullptr;
    QString notice_;
    bool told_ = false;
};

// Copies every run of a history file into the store on the server. A run the server already
// holds (from an earlier copy of the same file) is left as it is, so copying twice changes
// nothing. added and present count the runs.
HistoryError transferHistory(const QString& sqliteFile, PostgresHistoryStore& target, int& added,
                             int& present);
