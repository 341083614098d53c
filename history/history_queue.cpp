#include "history/history_queue.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QIODevice>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace {

// The queue's own layout; it never leaves this computer, so a version number inside each entry
// is all a later program needs to read it.
constexpr qint32 entryFormat = 1;

} // namespace

QByteArray packedRun(const HistoryRun& run) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << entryFormat << run.participant << run.startedAt << run.operation << run.range1
        << run.range2 << run.timeLimit << run.competition << run.tasksWorked << run.points
        << run.byEar << qint32(run.answers.size());
    for (const AnsweredTask& a : run.answers)
        out << a.taskNo << a.operand1 << a.operand2 << a.correctResult << a.correctRemainder
            << a.givenAnswer << a.givenRemainder << a.correct << a.answerMs;
    return bytes;
}

namespace {

bool unpacked(const QByteArray& bytes, HistoryRun& run) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    qint32 format = 0;
    qint32 answers = 0;
    in >> format;
    if (format != entryFormat)
        return false;
    in >> run.participant >> run.startedAt >> run.operation >> run.range1 >> run.range2 >>
        run.timeLimit >> run.competition >> run.tasksWorked >> run.points >> run.byEar >> answers;
    if (in.status() != QDataStream::Ok || answers < 0 || answers > 1000)
        return false;
    for (qint32 i = 0; i < answers; ++i) {
        AnsweredTask a;
        in >> a.taskNo >> a.operand1 >> a.operand2 >> a.correctResult >> a.correctRemainder >>
            a.givenAnswer >> a.givenRemainder >> a.correct >> a.answerMs;
        run.answers << a;
    }
    return in.status() == QDataStream::Ok;
}

QString queueFault(const QSqlError& error) {
    return QStringLiteral("Die Warteschlange auf diesem Rechner kann nicht verwendet werden: %1")
        .arg(error.text());
}

} // namespace

HistoryQueue::HistoryQueue(const QString& path) : path_(path) {
    static std::atomic<int> nextConnection{0};
    connectionName_ =
        QStringLiteral("kalumbrixtor-queue-%1-%2").arg(quintptr(this), 0, 16).arg(nextConnection++);
}

HistoryQueue::~HistoryQueue() {
    const bool added = db_.isValid();
    if (added)
        db_.close();
    db_ = QSqlDatabase();
    if (added)
        QSqlDatabase::removeDatabase(connectionName_);
}

HistoryError HistoryQueue::open() {
    if (db_.isOpen())
        return std::nullopt;
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
            .arg(QDir::toNativeSeparators(QFileInfo(path_).absolutePath()));
    if (!db_.isValid()) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        db_.setDatabaseName(path_);
        // Two program windows of one user may send the same queue at once.
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    }
    if (!db_.open())
        return queueFault(db_.lastError());
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS waiting (seq INTEGER PRIMARY KEY "
                               "AUTOINCREMENT, run_key TEXT NOT NULL UNIQUE, run BLOB NOT NULL)")))
        return queueFault(q.lastError());
    return std::nullopt;
}

HistoryError HistoryQueue::add(const QString& key, const HistoryRun& run) {
    if (HistoryError error = open())
        return error;
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("INSERT OR IGNORE INTO waiting (run_key, run) VALUES (?, ?)")))
        return queueFault(q.lastError());
    q.addBindValue(key);
    q.addBindValue(packedRun(run));
    if (!q.exec())
        return queueFault(q.lastError());
    return std::nullopt;
}

HistoryError HistoryQueue::oldest(std::optional<Entry>& entry) {
    entry.reset();
    // No file: nothing waits, and nothing is created for asking.
    if (!db_.isOpen() && !QFileInfo::exists(path_))
        return std::nullopt;
    if (HistoryError error = open())
        return error;
    QSqlQuery q(db_);
    // An entry this program cannot read (a damaged file) is skipped rather than holding up all
    // the runs behind it; it stays in the file.
    if (!q.exec(QStringLiteral("SELECT seq, run_key, run FROM waiting ORDER BY seq")))
        return queueFault(q.lastError());
    while (q.next()) {
        Entry found;
        found.seq = q.value(0).toLongLong();
        found.key = q.value(1).toString();
        if (unpacked(q.value(2).toByteArray(), found.run)) {
            entry = std::move(found);
            return std::nullopt;
        }
    }
    return std::nullopt;
}

HistoryError HistoryQueue::remove(qint64 seq) {
    if (HistoryError error = open())
        return error;
    QSqlQuery q(db_);
    if (!q.prepare(QStringLiteral("DELETE FROM waiting WHERE seq = ?")))
        return queueFault(q.lastError());
    q.addBindValue(seq);
    if (!q.exec())
        return queueFault(q.lastError());
    return std::nullopt;
}

HistoryError HistoryQueue::count(qsizetype& n) {
    n = 0;
    if (!db_.isOpen() && !QFileInfo::exists(path_))
        return std::nullopt;
    if (HistoryError error = open())
        return error;
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM waiting")) || !q.next())
        return queueFault(q.lastError());
    n = q.value(0).toLongLong();
    return std::nullopt;
}
