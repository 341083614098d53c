#pragma once

#include "history/model/history.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>

class QSqlError;
struct sqlite3;
class QSqlQuery;

// The learning history in an SQLite file. The file is opened at the first call, not before, so
// the program starts without loading the database driver. Reading a file that does not exist
// yet gives an empty history and leaves the folder as it was; only recording creates the file.
// A file that is not a history of this program, or one from a newer version, is never written.
class SqliteHistoryStore : public HistoryStore {
public:
    // How long a call waits for another program that holds the file, in milliseconds.
    static constexpr int defaultBusyTimeoutMs = 5000;
    // The schema this program writes; a file with a higher number is only read.
    static constexpr int schemaVersion = 2;

    // path: the database file, or ":memory:" for a history that lives only as long as the store.
    explicit SqliteHistoryStore(const QString& path, int busyTimeoutMs = defaultBusyTimeoutMs);
    ~SqliteHistoryStore() override;
    SqliteHistoryStore(const SqliteHistoryStore&) = delete;
    SqliteHistoryStore& operator=(const SqliteHistoryStore&) = delete;

    QString location() const override;
    Outcome record(const HistoryRun& run) override;
    Result<QStringList> participants() override;
    Result<QList<HistoryRun>> runs(const QString& participant,
                                   std::optional<Operation> operation) override;
    Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation> operation) override;
    Outcome eachRun(const QString& participant, std::optional<Operation> operation,
                    const std::function<void(const HistoryRun&)>& visit) override;
    Result<ClassTotals> classTotals(std::optional<Operation> operation,
                                    const RunPeriod& inPeriod) override;
    // From the sums the file keeps beside the runs where they are complete for the child and the
    // operation; otherwise from the answers. A file without sums gets them here, once.
    Outcome tallyRuns(const QString& participant, Operation operation,
                      HistoryTally& tally) override;
    HistoryStoreFactory readerFactory() const override;

private:
    enum class Access { Closed, Read, Write };
    enum class Content { Empty, History, Foreign };
    // What the file's runs table holds. A column added without a new version number (an earlier
    // program reads and writes such a file as before) is looked up in the table itself.
    struct Layout {
        int version = 0;
        bool adaptiveColumn = false;
    };

    bool inMemory() const;
    // Checks the file and the files SQLite keeps beside it before SQLite sees them: each must be
    // missing or a regular file of the folder, and the file's first page must be a database's
    // that did not lose its end.
    Outcome checkFile() const;
    Outcome open(Access wanted);
    Outcome checkOpenedFile();
    void close();
    Outcome content(Content& what, Layout& layout);
    Outcome openForReading(bool& readable, Layout& layout);
    Outcome createSchema();
    // The readers above, each filling what it read in.
    Outcome readParticipants(QStringList& names);
    Outcome readRuns(const QString& participant, std::optional<Operation> operation,
                     QList<HistoryRun>& out);
    Outcome readEveryonesRuns(std::optional<Operation> operation, QList<HistoryRun>& out);
    Outcome readClassTotals(std::optional<Operation> operation, const RunPeriod& inPeriod,
                            ClassTotals& out);
    // The runs of the child (every child's without one) and operation (every one when empty),
    // each with its answers but not what was typed, one by one.
    Outcome visitRuns(const QString* participant, std::optional<Operation> operation,
                      const std::function<void(const HistoryRun&)>& visit);
    // The answers of the runs in out (found by id in indexOfRun) from a query whose first column
    // is the run's id; answers to tasks the program could not have posed are left out.
    Outcome readAnswers(QSqlQuery& query, const QHash<qint64, qsizetype>& indexOfRun, bool typed,
                        QList<HistoryRun>& out);
    Outcome readClassAnswers(const QString& query, std::optional<Operation> operation,
                             const QHash<qint64, qsizetype>& indexOfRun, QList<HistoryRun>& out);
    // Sums the runs that have none yet, in one write transaction; whether every run has its sums
    // now. A file that cannot be written, or one from a newer version, keeps what it holds.
    bool fillSums();
    // The sums of the runs after summedTo, as far as they can be summed; SQLite's result code.
    int sumRunsAfter(qint64& summedTo);
    // Whether the tally was made from the sums; error is what a read of them met.
    bool tallyFromSums(const QString& participant, Operation operation, HistoryTally& tally,
                       Outcome& error);
    // SQLite's own connection under the driver, or nullptr.
    sqlite3* handle() const;
    Failure reasonFor(const QSqlError& error, bool writing) const;
    // The reason for a failed call of SQLite's own interface on the connection.
    Failure reasonForCode(sqlite3* connection, int code, bool writing = false) const;
    // The errno of the system call that made SQLite's last call fail, or 0.
    int systemError() const;

    QString path_;
    QString connectionName_;
    int busyTimeoutMs_;
    Access access_ = Access::Closed;
    bool fillFailed_ = false; // a file that could not be summed is not tried again
    QSqlDatabase db_;
};
