#pragma once

#include "history/model/history.h"
#include "history/server/remote_history_store.h"
#include "history/server/server_connection.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <mutex>

// The learning history on a school's database server, for many computers at once: the server's
// side of QueuedHistoryStore, which puts the queue on this computer in front of it. Its calls
// share one connection, kept between calls and guarded, so they may come from any thread.
class PostgresHistoryStore : public RemoteHistoryStore {
public:
    // How long the program waits for the server before it keeps runs locally.
    static constexpr int connectTimeoutSeconds = ServerConnection::timeoutSeconds;
    // The schema this program writes; a database with a higher number is only read.
    static constexpr int schemaVersion = ServerConnection::schemaVersion;

    // server: a connection in libpq's URI or key=value form, without a password (libpq reads
    // ~/.pgpass, PGPASSFILE and PGSERVICEFILE itself). Nothing is connected before the first call.
    explicit PostgresHistoryStore(const QString& server);

    // Makes stores of the server, for QueuedHistoryStore.
    static RemoteStoreFactory factory(const QString& server);

    QString location() const override;
    Outcome send(const HistoryRun& run, const QString& key, bool& added) override;
    Result<QStringList> participants() override;
    Result<QList<HistoryRun>> runs(const QString& participant,
                                   std::optional<Operation> operation) override;
    Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation> operation) override;
    Result<ClassTotals> classTotals(std::optional<Operation> operation,
                                    const RunPeriod& inPeriod) override;

private:
    // Runs work on the connection; a kept connection that the server had closed is made anew
    // once.
    Outcome onConnection(const std::function<Outcome()>& work);
    Outcome readRuns(const QString& participant, std::optional<Operation> operation,
                     QList<HistoryRun>& out);
    Outcome readClass(std::optional<Operation> operation, QList<HistoryRun>& out);
    Outcome readClassTotals(std::optional<Operation> operation, const RunPeriod& inPeriod,
                            ClassTotals& out);
    // The sums of runs the server holds none for, from their answers.
    Outcome addUp(const QList<qint64>& ids, const QList<qint64>& withoutSums,
                  QList<RunTotals>& totals);
    // The missed tasks of the period's runs that may be among a child's three most missed, with
    // all their answers in the period.
    Outcome readMissedTasks(const QList<qint64>& ids, const RunPeriod& inPeriod, ClassTotals& out);

    QString location_;
    std::mutex lock_;
    ServerConnection connection_;
};
