#include "history/server/history_queue.h"

#include "common/file_lock.h"

#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The queue's own layout; it never leaves this computer, so a version number inside each entry
// is all a later program needs to read it.
constexpr qint32 entryFormat = 1;

} // namespace

QByteArray packedRun(const HistoryRun& run) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << entryFormat << run.participant << run.startedAt << operationText(run.operation)
        << run.range1 << run.range2 << run.timeLimit << run.competition << run.tasksWorked
        << run.points << run.byEar;
    // Only a run fitted to the child carries the mark: every other run packs as before, so its
    // copy keeps the key an earlier version gave it, and an earlier version reads its entry.
    if (run.adaptive)
        out << run.adaptive;
    out << qint32(run.answers.size());
    for (const AnsweredTask& a : run.answers)
        out << a.taskNo << a.operand1 << a.operand2 << a.correctResult << a.correctRemainder
            << a.givenAnswer << a.givenRemainder << a.correct << a.answerMs;
    return bytes;
}

namespace {

// Entries written before the run learnt byEar carry the same format number without that field,
// and only an adaptive run's entry carries that mark: an entry is read in the layout whose fields
// take up its bytes exactly. The mark, where there is one, is true; read in that place, an entry
// without it shows the first byte of its count of answers, which is 0.
enum class Layout { ByEarAndAdaptive, ByEar, Neither };

bool unpackedAs(const QByteArray& bytes, Layout layout, HistoryRun& out) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    qint32 format = 0;
    qint32 answers = 0;
    in >> format;
    if (format != entryFormat)
        return false;
    HistoryRun run;
    QString operation;
    in >> run.participant >> run.startedAt >> operation >> run.range1 >> run.range2 >>
        run.timeLimit >> run.competition >> run.tasksWorked >> run.points;
    // An operation the program does not know cannot be its own entry.
    const std::optional<Operation> known = operationFromText(operation);
    if (!known)
        return false;
    run.operation = *known;
    if (layout != Layout::Neither)
        in >> run.byEar;
    if (layout == Layout::ByEarAndAdaptive) {
        in >> run.adaptive;
        if (!run.adaptive)
            return false;
    }
    in >> answers;
    if (in.status() != QDataStream::Ok || answers < 0 || answers > 1000)
        return false;
    for (qint32 i = 0; i < answers; ++i) {
        AnsweredTask a;
        in >> a.taskNo >> a.operand1 >> a.operand2 >> a.correctResult >> a.correctRemainder >>
            a.givenAnswer >> a.givenRemainder >> a.correct >> a.answerMs;
        run.answers << a;
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return false;
    out = std::move(run);
    return true;
}

bool unpacked(const QByteArray& bytes, HistoryRun& run) {
    return unpackedAs(bytes, Layout::ByEarAndAdaptive, run) ||
           unpackedAs(bytes, Layout::ByEar, run) || unpackedAs(bytes, Layout::Neither, run);
}

// SQLite's primary result code of a failed call (the driver gives the extended one).
int sqliteCode(const QSqlError& error) {
    return error.nativeErrorCode().toInt() & 0xff;
}

bool damage(const QSqlError& error) {
    const int code = sqliteCode(error);
    return code == 11 /* corrupt */ || code == 26 /* not a database */;
}

const char* const companionSuffixes[] = {"-journal", "-wal", "-shm"};

} // namespace

HistoryQueue::HistoryQueue(const QString& path, std::function<void(const QString&)> told)
    : path_(path), told_(std::move(told)) {
    static std::atomic<int> nextConnection{0};
    connectionName_ =
        QStringLiteral("kalumbrixtor-queue-%1-%2").arg(quintptr(this), 0, 16).arg(nextConnection++);
}

HistoryQueue::~HistoryQueue() {
    close();
}

void HistoryQueue::close() {
    const bool added = db_.isValid();
    if (added)
        db_.close();
    db_ = QSqlDatabase();
    if (added)
        QSqlDatabase::removeDatabase(connectionName_);
}

Failure HistoryQueue::fault(const QSqlError& error) const {
    QString reason;
    Failure::Kind kind = Failure::Kind::Io;
    switch (sqliteCode(error)) {
    case 5: // busy
    case 6: // locked
        kind = Failure::Kind::Busy;
        reason = QStringLiteral("Ein anderes Kalumbrixtor dieses Benutzers hält sie gesperrt.");
        break;
    case 3:  // no permission
    case 8:  // read-only
    case 23: // not authorised
        reason = QStringLiteral("Sie darf nicht beschrieben werden.");
        break;
    case 11:
    case 26:
        kind = Failure::Kind::Damaged;
        reason = QStringLiteral("Sie ist beschädigt.");
        break;
    case 13:
        reason = QStringLiteral("Der Datenträger ist voll.");
        break;
    case 14:
        reason = QStringLiteral("Sie kann nicht geöffnet werden.");
        break;
    case 10:
        reason = QStringLiteral("Beim Lesen oder Schreiben ist ein Fehler aufgetreten.");
        break;
    default:
        reason = QStringLiteral("SQLite meldet den Fehler %1.").arg(error.nativeErrorCode());
        break;
    }
    return Failure{
        kind,
        QStringLiteral("Die Warteschlange %1 auf diesem Rechner kann nicht verwendet werden: %2")
            .arg(QDir::toNativeSeparators(path_), reason)};
}

Outcome HistoryQueue::setAside() {
    const QString aside =
        QStringLiteral("%1.beschaedigt-%2")
            .arg(path_,
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")));
    if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(aside).constData()) != 0)
        return Failure{Failure::Kind::Io,
                       QStringLiteral("Die Warteschlange %1 auf diesem Rechner ist beschädigt und "
                                      "lässt sich nicht umbenennen: %2")
                           .arg(QDir::toNativeSeparators(path_),
                                QString::fromLocal8Bit(std::strerror(errno)))};
    // What SQLite keeps beside the file belongs to it, not to the new one.
    for (const char* suffix : companionSuffixes)
        ::rename(QFile::encodeName(path_ + QLatin1String(suffix)).constData(),
                 QFile::encodeName(aside + QLatin1String(suffix)).constData());
    if (told_)
        told_(QStringLiteral("Die Warteschlange des Lernverlaufs auf diesem Rechner\n%1\nwar "
                             "beschädigt. Kalumbrixtor hat sie umbenannt in\n%2\nund eine neue "
                             "angelegt. Läufe, die darin auf den Server warteten, sind nicht "
                             "übertragen; die umbenannte Datei bleibt dafür liegen.")
                  .arg(QDir::toNativeSeparators(path_), QDir::toNativeSeparators(aside)));
    return std::nullopt;
}

Outcome HistoryQueue::open(std::optional<QSqlError>& sqlError) {
    sqlError.reset();
    if (db_.isOpen())
        return std::nullopt;
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder))
        return Failure{Failure::Kind::Io,
                       QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                           .arg(QDir::toNativeSeparators(folder))};
    // The runs are the user's own: the file is made for the user alone before SQLite opens it
    // (SQLite gives its journal the file's rights), and an older file open to others is closed.
    const QByteArray name = QFile::encodeName(path_);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            ::close(fd);
    } else if (!S_ISREG(info.st_mode)) {
        return Failure{Failure::Kind::Io,
                       QStringLiteral("Die Warteschlange %1 auf diesem Rechner ist keine "
                                      "gewöhnliche Datei.")
                           .arg(QDir::toNativeSeparators(path_))};
    } else if ((info.st_mode & 077) != 0 && info.st_uid == ::getuid()) {
        ::chmod(name.constData(), 0600);
    }
    if (!db_.isValid()) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        db_.setDatabaseName(path_);
        // Two program windows of one user may send the same queue at once.
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    }
    if (!db_.open()) {
        sqlError = db_.lastError();
        return std::nullopt;
    }
    QSqlQuery q(db_);
    // SQLite's own rollback journal, synced at every commit: a run is on the disk once add
    // returns, also through a power cut, and the file works in a home folder on a network share,
    // where a write-ahead log would not.
    if (!q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS waiting (seq INTEGER PRIMARY KEY "
                               "AUTOINCREMENT, run_key TEXT NOT NULL UNIQUE, run BLOB NOT NULL)")))
        sqlError = q.lastError();
    return std::nullopt;
}

Outcome HistoryQueue::withFile(const std::function<bool(QSqlQuery&)>& work) {
    // Another program of this user, or the store's other thread, may find the damage at the same
    // moment. From the second try on a lock is held: the file goes only when it is still damaged
    // when opened afresh under it, so a new queue that another one started meanwhile stays.
    std::optional<FileLock> lock;
    for (int attempt = 0;; ++attempt) {
        std::optional<QSqlError> sqlError;
        if (Outcome error = open(sqlError))
            return error;
        if (!sqlError) {
            QSqlQuery q(db_);
            if (work(q))
                return std::nullopt;
            sqlError = q.lastError();
        }
        if (!damage(*sqlError) || attempt == 2)
            return fault(*sqlError);
        close();
        if (attempt == 0)
            lock.emplace(path_ + QStringLiteral(".lock"), fileLockTimeoutMs);
        if (attempt == 1) {
            if (Outcome error = setAside())
                return error;
            lock.reset();
        }
    }
}

Outcome HistoryQueue::add(const QString& key, const HistoryRun& run) {
    return withFile([&](QSqlQuery& q) {
        if (!q.prepare(
                QStringLiteral("INSERT OR IGNORE INTO waiting (run_key, run) VALUES (?, ?)")))
            return false;
        q.addBindValue(key);
        q.addBindValue(packedRun(run));
        return q.exec();
    });
}

Result<std::optional<HistoryQueue::Entry>> HistoryQueue::oldest() {
    std::optional<Entry> entry;
    // No file: nothing waits, and nothing is created for asking.
    if (!db_.isOpen() && !QFileInfo::exists(path_))
        return entry;
    // An entry this program cannot read is skipped rather than holding up all the runs behind
    // it; it stays in the file.
    const Outcome failed = withFile([&](QSqlQuery& q) {
        if (!q.exec(QStringLiteral("SELECT seq, run_key, run FROM waiting ORDER BY seq")))
            return false;
        while (q.next()) {
            Entry found;
            found.seq = q.value(0).toLongLong();
            found.key = q.value(1).toString();
            if (unpacked(q.value(2).toByteArray(), found.run)) {
                entry = std::move(found);
                return true;
            }
        }
        return q.lastError().type() == QSqlError::NoError;
    });
    if (failed)
        return *failed;
    return entry;
}

Outcome HistoryQueue::remove(qint64 seq) {
    return withFile([&](QSqlQuery& q) {
        if (!q.prepare(QStringLiteral("DELETE FROM waiting WHERE seq = ?")))
            return false;
        q.addBindValue(seq);
        return q.exec();
    });
}

Result<qsizetype> HistoryQueue::count() {
    qsizetype n = 0;
    if (!db_.isOpen() && !QFileInfo::exists(path_))
        return n;
    const Outcome failed = withFile([&](QSqlQuery& q) {
        if (!q.exec(QStringLiteral("SELECT count(*) FROM waiting")) || !q.next())
            return false;
        n = q.value(0).toLongLong();
        return true;
    });
    if (failed)
        return *failed;
    return n;
}
