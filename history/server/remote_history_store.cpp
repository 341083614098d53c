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
HistoryError newerFile(const QString& file) {
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
        return QStringLiteral("Die Datei stammt von einer neueren Programmversion.");
    return std::nullopt;
}

} // namespace

HistoryError transferHistory(const QString& sqliteFile, RemoteHistoryStore& target, int& added,
                             int& present) {
    added = present = 0;
    if (!QFileInfo::exists(sqliteFile))
        return QStringLiteral("Die Datei %1 gibt es nicht.")
            .arg(QDir::toNativeSeparators(sqliteFile));
    if (HistoryError error = newerFile(sqliteFile))
        return error;
    SqliteHistoryStore source(sqliteFile);
    QStringList names;
    if (HistoryError error = source.participants(names))
        return error;
    for (const QString& name : names) {
        QList<HistoryRun> runs;
        if (HistoryError error = source.runs(name, std::nullopt, runs))
            return error;
        for (const HistoryRun& run : runs) {
            bool isNew = false;
            if (HistoryError error = target.send(run, keyOfCopied(run), isNew))
                return error;
            ++(isNew ? added : present);
        }
    }
    return std::nullopt;
}
