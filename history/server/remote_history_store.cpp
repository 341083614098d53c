#include "history/server/remote_history_store.h"

#include "history/file/sqlite_history_store.h"
#include "history/server/history_queue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <atomic>

namespace {

// A run copied from a history file is known by what it holds, so the same file copied twice
// finds its runs already there.
QString keyOfCopied(const HistoryRun& run) {
    return QStringLiteral("datei-") +
           QString::fromLatin1(
               QCryptographicHash::hash(packedRun(run), QCryptographicHash::Sha256).toHex());
}

// A history file of a newer program version is refused with the words the file's own store uses
// when it refuses to write one: what it holds may mean more than this program knows.
Outcome newerFile(const QString& file) {
    static std::atomic<int> nextConnection{0};
    const QString name = QStringLiteral("kalumbrixtor-transfer-%1").arg(nextConnection++);
    int version = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA user_version")) && q.next())
                version = q.value(0).toInt();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (version > SqliteHistoryStore::schemaVersion)
        return Failure{Failure::Kind::Refused,
                       QStringLiteral("Die Datei stammt von einer neueren Programmversion.")};
    return std::nullopt;
}

} // namespace

Outcome transferHistory(const QString& sqliteFile, RemoteHistoryStore& target, int& added,
                        int& present) {
    added = present = 0;
    if (!QFileInfo::exists(sqliteFile))
        return Failure{Failure::Kind::Io, QStringLiteral("Die Datei %1 gibt es nicht.")
                                              .arg(QDir::toNativeSeparators(sqliteFile))};
    if (Outcome error = newerFile(sqliteFile))
        return error;
    SqliteHistoryStore source(sqliteFile);
    const Result<QStringList> names = source.participants();
    if (!names)
        return names.failure();
    for (const QString& name : *names) {
        const Result<QList<HistoryRun>> runs = source.runs(name, std::nullopt);
        if (!runs)
            return runs.failure();
        for (const HistoryRun& run : *runs) {
            bool isNew = false;
            if (Outcome error = target.send(run, keyOfCopied(run), isNew))
                return error;
            ++(isNew ? added : present);
        }
    }
    return std::nullopt;
}
