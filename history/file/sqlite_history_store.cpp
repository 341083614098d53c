#include "history/file/sqlite_history_store.h"

#include "common/file_access.h"
#include "engine/task_generation.h"
#include "history/file/sqlite_history_sums.h"
#include "history/model/history_stats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <limits>
#include <memory>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const Failure notHistory{
    Failure::Kind::Damaged,
    QStringLiteral("Die Datei ist keine Lernverlauf-Datenbank oder ist beschädigt.")};
const Failure locked{Failure::Kind::Busy, QStringLiteral("Die Datei ist gesperrt.")};
const Failure cannotWrite{Failure::Kind::Io,
                          QStringLiteral("Die Datei kann nicht beschrieben werden.")};
const Failure cannotRead{Failure::Kind::Io, QStringLiteral("Die Datei kann nicht gelesen werden.")};
const Failure newerVersion{Failure::Kind::Refused,
                           QStringLiteral("Die Datei stammt von einer neueren Programmversion.")};
const Failure replacedByLink{
    Failure::Kind::Io,
    QStringLiteral("Die Datei wurde beim Öffnen durch eine Verknüpfung ersetzt. Das Programm liest "
                   "und schreibt seine eigenen Dateien nicht durch Verknüpfungen.")};
const Failure noDriver{Failure::Kind::Refused,
                       QStringLiteral("Der Datenbanktreiber für SQLite fehlt.")};

// The files SQLite keeps beside the database: the rollback journal first, then the log and its
// index of a database in WAL mode.
const char* const companionSuffixes[] = {"-journal", "-wal", "-shm"};

const char* const startedAtFormat = "yyyy-MM-ddTHH:mm:ss";

// SQLite's primary result codes, as the driver reports them in nativeErrorCode.
enum SqliteCode {
    sqlitePerm = 3,
    sqliteBusy = 5,
    sqliteLocked = 6,
    sqliteReadOnly = 8,
    sqliteIoErr = 10,
    sqliteCorrupt = 11,
    sqliteFull = 13,
    sqliteCantOpen = 14,
    sqliteAuth = 23,
    sqliteNotADb = 26,
};

// Whether anything is there under the name, a link included.
bool present(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 || errno != ENOENT;
}

// SQLite reports a full disk, and a write that stopped short, as "full"; a write that stopped
// short is also what the file-size limit of the process causes.
bool fileSizeLimited() {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
}

quint32 bigEndian32(const QByteArray& bytes, int at) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | quint8(bytes[at + i]);
    return value;
}

// Rolls back whatever the transaction wrote unless it was committed.
class WriteTransaction {
public:
    explicit WriteTransaction(QSqlDatabase& db) : db_(db) {}
    ~WriteTransaction() {
        if (begun_ && !committed_)
            QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
    }
    // IMMEDIATE takes the write lock before the content is checked, so no other program can
    // create or change the schema between the check and the insert.
    bool begin(QSqlError& error) {
        QSqlQuery q(db_);
        begun_ = q.exec(QStringLiteral("BEGIN IMMEDIATE"));
        if (!begun_)
            error = q.lastError();
        return begun_;
    }
    bool commit(QSqlError& error) {
        QSqlQuery q(db_);
        committed_ = q.exec(QStringLiteral("COMMIT"));
        if (!committed_)
            error = q.lastError();
        return committed_;
    }

private:
    QSqlDatabase& db_;
    bool begun_ = false;
    bool committed_ = false;
};

// The driver stores a null text as NULL; the history keeps an empty field as an empty text.
QString notNull(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

// A file of the first version has no by_ear column: its runs were all seen. A file without the
// column adaptive (made or only written by an earlier version) holds no run fitted to the child.
QString runColumns(int version, bool adaptiveColumn) {
    return QStringLiteral("id, participant, started_at, operation, range1, range2, time_limit, "
                          "competition, tasks_worked, points, %1, %2")
        .arg(version >= 2 ? QStringLiteral("by_ear") : QStringLiteral("0"),
             adaptiveColumn ? QStringLiteral("adaptive") : QStringLiteral("0"));
}

// The columns of an answer that every reader takes; the typed answer follows where it is read.
QString answerColumns() {
    return QStringLiteral("a.run_id, a.task_no, a.operand1, a.operand2, a.correct_result, "
                          "a.correct_remainder, a.correct, a.answer_ms");
}

// The run with its answers in the order they were given.
const HistoryRun& finished(HistoryRun& run) {
    const auto byTaskNo = [](const AnsweredTask& x, const AnsweredTask& y) {
        return x.taskNo < y.taskNo;
    };
    if (std::is_sorted(run.answers.cbegin(), run.answers.cend(), byTaskNo))
        return run;
    std::stable_sort(run.answers.begin(), run.answers.end(), byTaskNo);
    return run;
}

// Each run's answers in the order they were given.
void sortAnswers(QList<HistoryRun>& runs) {
    for (HistoryRun& run : runs)
        finished(run);
}

// Start times as the file keeps them ("2026-12-08T09:03:12", local time). Each local time turned
// into an instant asks the system's time zone anew (and the system looks at its zone file each
// time), which costs more than all the rest of a run; the offset from UTC is the same throughout
// a day whose start and end have the same offset, so it is asked once per day and the time
// carries it as a fixed offset: the same instant, date and time of day.
class StartTimes {
public:
    QDateTime of(const char* text, int size) {
        const auto digits = [&](int at, int count) {
            int value = 0;
            for (int i = at; i < at + count; ++i) {
                if (text[i] < '0' || text[i] > '9')
                    return -1;
                value = value * 10 + (text[i] - '0');
            }
            return value;
        };
        const auto general = [&] {
            return QDateTime::fromString(QString::fromUtf8(text, size), Qt::ISODate);
        };
        if (!text || size != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
            text[13] != ':' || text[16] != ':')
            return general();
        const QDate date(digits(0, 4), digits(5, 2), digits(8, 2));
        const QTime time(digits(11, 2), digits(14, 2), digits(17, 2));
        if (!date.isValid() || !time.isValid())
            return general();
        if (date != date_) {
            const QDateTime local(date, QTime(0, 0));
            date_ = date;
            // A day on which the clocks change is left to the general rule.
            dayKept_ = local.isValid() && local.time() == QTime(0, 0) &&
                       local.addSecs(86399).offsetFromUtc() == local.offsetFromUtc();
            offset_ = dayKept_ ? local.offsetFromUtc() : 0;
        }
        if (!dayKept_)
            return QDateTime(date, time);
        return QDateTime(date, time, Qt::OffsetFromUTC, offset_);
    }

private:
    QDate date_;
    bool dayKept_ = false;
    int offset_ = 0;
};

// A row of runColumns; nothing for an operation the program does not know (see HistoryRun).
std::optional<HistoryRun> runOf(const QSqlQuery& q) {
    const std::optional<Operation> operation = operationFromText(q.value(3).toString());
    if (!operation)
        return std::nullopt;
    HistoryRun run;
    run.id = q.value(0).toLongLong();
    run.participant = q.value(1).toString();
    run.startedAt = QDateTime::fromString(q.value(2).toString(), Qt::ISODate);
    run.operation = *operation;
    run.range1 = q.value(4).toString();
    run.range2 = q.value(5).toString();
    run.timeLimit = q.value(6).toInt();
    run.competition = q.value(7).toInt();
    run.tasksWorked = q.value(8).toInt();
    run.points = q.value(9).toInt();
    run.byEar = q.value(10).toInt() != 0;
    run.adaptive = q.value(11).toInt() != 0;
    return run;
}

// A statement of SQLite's own interface, finalised when it goes.
using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

// Prepares query on connection; SQLite's result code.
int prepareStatement(sqlite3* connection, const QString& query, Statement& statement) {
    const QByteArray sql = query.toUtf8();
    sqlite3_stmt* made = nullptr;
    const int code =
        sqlite3_prepare_v2(connection, sql.constData(), int(sql.size()), &made, nullptr);
    statement = Statement(made, sqlite3_finalize);
    return code;
}

// A text column of SQLite's own interface as a QString. Runs read one after another mostly repeat
// their texts: one equal to the last row's is shared instead of decoded again.
class SharedText {
public:
    QString of(sqlite3_stmt* row, int column) {
        const QByteArray bytes =
            QByteArray::fromRawData(reinterpret_cast<const char*>(sqlite3_column_blob(row, column)),
                                    sqlite3_column_bytes(row, column));
        if (bytes != lastBytes_ || last_.isNull()) {
            lastBytes_ = QByteArray(bytes.constData(), bytes.size());
            last_ = QString::fromUtf8(bytes);
        }
        return last_;
    }

private:
    QByteArray lastBytes_;
    QString last_;
};

// An answer row of answerColumns() as SQLite hands it over, or nothing for a task the program
// could not have posed or an operand that is not a whole number: every reader leaves those out.
std::optional<AnsweredTask> posableAnswer(sqlite3_stmt* row, Operation operation) {
    if (sqlite3_column_type(row, 2) != SQLITE_INTEGER ||
        sqlite3_column_type(row, 3) != SQLITE_INTEGER)
        return std::nullopt;
    const qint64 operand1 = sqlite3_column_int64(row, 2);
    const qint64 operand2 = sqlite3_column_int64(row, 3);
    if (!taskPosable(operation, operand1, operand2))
        return std::nullopt;
    AnsweredTask answer;
    answer.taskNo = sqlite3_column_int(row, 1);
    answer.operand1 = qint32(operand1);
    answer.operand2 = qint32(operand2);
    answer.correctResult = sqlite3_column_int(row, 4);
    answer.correctRemainder = sqlite3_column_int(row, 5);
    answer.correct = sqlite3_column_int(row, 6) != 0;
    answer.answerMs = sqlite3_column_int64(row, 7);
    return answer;
}

// The answers of runs read one after the other, by the index on their run from a run's first on:
// runs recorded one after the other have their answers one after the other there, so the answers
// of the next run mostly follow on without a new search. A run id that is text comes after every
// number and is not read.
class RunAnswers {
public:
    int prepare(sqlite3* connection) {
        return prepareStatement(
            connection,
            QStringLiteral("SELECT run_id, task_no, operand1, operand2, correct_result, "
                           "correct_remainder, correct, answer_ms FROM answers WHERE run_id "
                           "BETWEEN ?1 AND 9223372036854775807 ORDER BY run_id"),
            held_);
    }
    // The run's answers that every reader keeps, in the order they were given; SQLite's code.
    int read(qint64 runId, Operation operation, QList<AnsweredTask>& out) {
        sqlite3_stmt* const statement = held_.get();
        // The answers are searched anew only where they do not follow on.
        if (!at_ || atRun_ != runId) {
            sqlite3_reset(statement);
            if (const int bound = sqlite3_bind_int64(statement, 1, runId); bound != SQLITE_OK)
                return bound;
            if (const int step = next(); step != SQLITE_OK)
                return step;
        }
        for (; at_ && atRun_ == runId;) {
            if (const std::optional<AnsweredTask> answer = posableAnswer(statement, operation))
                out << *answer;
            if (const int step = next(); step != SQLITE_OK)
                return step;
        }
        const auto byTaskNo = [](const AnsweredTask& x, const AnsweredTask& y) {
            return x.taskNo < y.taskNo;
        };
        if (!std::is_sorted(out.cbegin(), out.cend(), byTaskNo))
            std::stable_sort(out.begin(), out.end(), byTaskNo);
        return SQLITE_OK;
    }

private:
    int next() {
        sqlite3_stmt* const statement = held_.get();
        const int step = sqlite3_step(statement);
        at_ = step == SQLITE_ROW;
        // A run id that is not a whole number belongs to no run (runs have whole-number ids).
        if (at_)
            atRun_ = sqlite3_column_type(statement, 0) == SQLITE_INTEGER
                         ? sqlite3_column_int64(statement, 0)
                         : std::numeric_limits<qint64>::min();
        return step == SQLITE_ROW || step == SQLITE_DONE ? SQLITE_OK : step;
    }

    Statement held_{nullptr, sqlite3_finalize};
    // Where the answers are: on a row of the run atRun_, or past the last (at_ false).
    bool at_ = false;
    qint64 atRun_ = 0;
};

// A read transaction of its own, so that the sums and the runs beyond them are of one moment.
class ReadTransaction {
public:
    explicit ReadTransaction(sqlite3* connection) : connection_(connection) {
        begun_ = sqlite3_exec(connection_, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~ReadTransaction() {
        if (begun_)
            sqlite3_exec(connection_, "COMMIT", nullptr, nullptr, nullptr);
    }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    bool begun() const { return begun_; }

private:
    sqlite3* connection_;
    bool begun_ = false;
};

QByteArray columnBytes(sqlite3_stmt* row, int column) {
    return QByteArray(reinterpret_cast<const char*>(sqlite3_column_blob(row, column)),
                      sqlite3_column_bytes(row, column));
}

} // namespace

SqliteHistoryStore::SqliteHistoryStore(const QString& path, int busyTimeoutMs)
    : path_(path), busyTimeoutMs_(busyTimeoutMs) {
    // Unique in the process even where two copies of this code are loaded (a test that links the
    // store and also loads the history module): the counter is per copy, the address is not.
    static std::atomic<int> nextConnection{0};
    connectionName_ = QStringLiteral("kalumbrixtor-history-%1-%2")
                          .arg(quintptr(this), 0, 16)
                          .arg(nextConnection++);
}

SqliteHistoryStore::~SqliteHistoryStore() {
    const bool added = db_.isValid();
    close();
    // The connection can only be removed once no handle to it is left.
    db_ = QSqlDatabase();
    if (added)
        QSqlDatabase::removeDatabase(connectionName_);
}

QString SqliteHistoryStore::location() const {
    return inMemory() ? path_ : QDir::toNativeSeparators(QFileInfo(path_).absoluteFilePath());
}

HistoryStoreFactory SqliteHistoryStore::readerFactory() const {
    // A memory database is only seen through its own connection.
    if (inMemory())
        return {};
    return [path = path_, busyTimeoutMs = busyTimeoutMs_] {
        return std::make_unique<SqliteHistoryStore>(path, busyTimeoutMs);
    };
}

bool SqliteHistoryStore::inMemory() const {
    return path_ == QLatin1String(":memory:");
}

Outcome SqliteHistoryStore::checkFile() const {
    if (inMemory())
        return std::nullopt;
    // SQLite opens these files itself, blocking: a pipe in their place would hang the program, a
    // device would be taken for an empty database, and a link in the database's place would be
    // followed out of the folder. So each must be missing or a regular file of the folder, looked
    // at without blocking before SQLite comes near it.
    qint64 journalSize = 0;
    for (const char* suffix : companionSuffixes) {
        const QString companion = path_ + QLatin1String(suffix);
        if (!present(companion))
            continue;
        QFile file;
        if (const Outcome failed = openToRead(file, companion, FileOrigin::Own))
            return Failure{failed->kind,
                           QStringLiteral("Die zugehörige Datei %1 kann nicht verwendet werden. %2")
                               .arg(QFileInfo(companion).fileName(), failed->reason)};
        if (suffix == companionSuffixes[0])
            journalSize = file.size();
    }
    if (!present(path_))
        return std::nullopt;
    QFile file;
    if (const Outcome failed = openToRead(file, path_, FileOrigin::Own))
        return failed;
    const qint64 size = file.size();
    // An empty file holds nothing that could be lost; SQLite treats it as a new database.
    if (size == 0)
        return std::nullopt;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return notHistory;
    const quint32 pageField = quint8(header[16]) << 8 | quint8(header[17]);
    const quint32 pageSize = pageField == 1 ? 65536 : pageField;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return notHistory;
    // After a crash the journal beside the file restores its end; SQLite replays it at the next
    // read, so the length is only judged without one.
    if (journalSize > 0)
        return std::nullopt;
    if (size % pageSize != 0)
        return notHistory;
    // The page count in the header is only kept up to date when these two counters agree.
    const quint32 pages = bigEndian32(header, 28);
    if (pages > 0 && bigEndian32(header, 24) == bigEndian32(header, 92) &&
        size < qint64(pages) * pageSize)
        return notHistory;
    return std::nullopt;
}

Outcome SqliteHistoryStore::open(Access wanted) {
    if (access_ == Access::Write || access_ == wanted)
        return std::nullopt;
    close();
    if (!db_.isValid()) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
        if (!db_.isValid())
            return noDriver;
        db_.setDatabaseName(path_);
    }
    // A memory database lives as long as its connection, so it is opened once for everything.
    if (inMemory())
        wanted = Access::Write;
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs_);
    if (wanted == Access::Read)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db_.setConnectOptions(options);
    if (!db_.open())
        return reasonFor(db_.lastError(), wanted == Access::Write);
    if (Outcome error = checkOpenedFile()) {
        close();
        return error;
    }
    access_ = wanted;
    return std::nullopt;
}

// SQLite follows a link in the database's name by itself. Should a link have taken the file's
// place after checkFile looked, the file SQLite opened is another one: it is closed again before
// anything is read from it or written to it.
Outcome SqliteHistoryStore::checkOpenedFile() {
    if (inMemory())
        return std::nullopt;
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("PRAGMA database_list")))
        return reasonFor(q.lastError(), false);
    QString opened;
    while (q.next()) {
        if (q.value(1).toString() == QLatin1String("main"))
            opened = q.value(2).toString();
    }
    // SQLite names the file by its folder with every link in the folder's path resolved.
    const QFileInfo info(path_);
    const QString folder = QDir(info.absolutePath()).canonicalPath();
    // A folder whose name Qt cannot give back as the system holds it has no name to compare.
    if (folder.isEmpty())
        return std::nullopt;
    if (opened != folder + QLatin1Char('/') + info.fileName())
        return replacedByLink;
    return std::nullopt;
}

void SqliteHistoryStore::close() {
    if (db_.isValid())
        db_.close();
    access_ = Access::Closed;
}

Outcome SqliteHistoryStore::content(Content& what, Layout& layout) {
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return reasonFor(q.lastError(), false);
    layout = Layout{q.value(0).toInt(), false};
    const int version = layout.version;
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")))
        return reasonFor(q.lastError(), false);
    QStringList tables;
    while (q.next())
        tables << q.value(0).toString();
    if (tables.isEmpty() && version == 0)
        what = Content::Empty;
    else if (version >= 1 && tables.contains(QStringLiteral("runs")) &&
             tables.contains(QStringLiteral("answers")))
        what = Content::History;
    else
        what = Content::Foreign;
    if (what != Content::History)
        return std::nullopt;
    if (!q.exec(QStringLiteral("PRAGMA table_info(runs)")))
        return reasonFor(q.lastError(), false);
    while (q.next())
        layout.adaptiveColumn |= q.value(1).toString() == QLatin1String("adaptive");
    if (q.lastError().isValid())
        return reasonFor(q.lastError(), false);
    return std::nullopt;
}

Outcome SqliteHistoryStore::createSchema() {
    const QStringList statements{
        QStringLiteral("CREATE TABLE runs (id INTEGER PRIMARY KEY, participant TEXT, started_at "
                       "TEXT, operation TEXT, range1 TEXT, range2 TEXT, time_limit INTEGER, "
                       "competition INTEGER, tasks_worked INTEGER, points INTEGER, "
                       "by_ear INTEGER NOT NULL DEFAULT 0, adaptive INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE TABLE answers (run_id INTEGER, task_no INTEGER, operand1 INTEGER, "
                       "operand2 INTEGER, correct_result INTEGER, correct_remainder INTEGER, "
                       "given_answer TEXT, given_remainder TEXT, correct INTEGER, "
                       "answer_ms INTEGER)"),
        // The window asks for one child's runs of one operation in time order, then for their
        // answers.
        QStringLiteral("CREATE INDEX runs_by_child ON runs (participant, operation, started_at)"),
        QStringLiteral("CREATE INDEX answers_by_run ON answers (run_id)"),
        QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion)};
    QSqlQuery q(db_);
    for (const QString& statement : statements)
        if (!q.exec(statement))
            return reasonFor(q.lastError(), true);
    return std::nullopt;
}

Outcome SqliteHistoryStore::record(const HistoryRun& run) {
    if (Outcome error = checkFile())
        return error;
    if (Outcome error = open(Access::Write))
        return error;

    WriteTransaction transaction(db_);
    QSqlError sqlError;
    if (!transaction.begin(sqlError))
        return reasonFor(sqlError, true);
    Content what = Content::Empty;
    Layout layout;
    if (Outcome error = content(what, layout))
        return error;
    // A file someone else made, or one whose later layout this program does not know, keeps
    // what it holds.
    if (what == Content::Foreign)
        return notHistory;
    if (layout.version > schemaVersion)
        return newerVersion;
    if (what == Content::Empty)
        if (Outcome error = createSchema())
            return error;
    // A file of the first version gains the column in the same transaction as the run.
    if (what == Content::History && layout.version == 1) {
        QSqlQuery migrate(db_);
        for (const QString& statement :
             {QStringLiteral("ALTER TABLE runs ADD COLUMN by_ear INTEGER NOT NULL DEFAULT 0"),
              QStringLiteral("PRAGMA user_version = %1").arg(schemaVersion)})
            if (!migrate.exec(statement))
                return reasonFor(migrate.lastError(), true);
    }
    // So does a file without the column adaptive. The version stays: an earlier program names
    // the columns it writes, so its runs get 0, and it reads past the column.
    if (what == Content::History && !layout.adaptiveColumn) {
        QSqlQuery migrate(db_);
        if (!migrate.exec(
                QStringLiteral("ALTER TABLE runs ADD COLUMN adaptive INTEGER NOT NULL DEFAULT 0")))
            return reasonFor(migrate.lastError(), true);
    }

    // A new file keeps sums from its first run on; a file whose sums reach up to its last run
    // gets the new run's sums with it. Otherwise the next reader sums what is missing.
    sqlite3* connection = handle();
    if (!connection)
        return noDriver;
    if (what == Content::Empty)
        if (const int code = history_sums::createTables(connection); code != SQLITE_OK)
            return reasonForCode(connection, code, true);
    std::optional<qint64> summedTo;
    if (const int code = history_sums::summedTo(connection, summedTo); code != SQLITE_OK)
        return reasonForCode(connection, code, true);
    if (summedTo) {
        QSqlQuery last(db_);
        if (!last.exec(QStringLiteral("SELECT coalesce(max(id), 0) FROM runs")) || !last.next())
            return reasonFor(last.lastError(), true);
        if (last.value(0).toLongLong() != *summedTo)
            summedTo.reset();
    }

    QSqlQuery insertRun(db_);
    if (!insertRun.prepare(
            QStringLiteral("INSERT INTO runs (participant, started_at, operation, "
                           "range1, range2, time_limit, competition, "
                           "tasks_worked, points, by_ear, adaptive) VALUES (?, ?, ?, "
                           "?, ?, ?, ?, ?, ?, ?, ?)")))
        return reasonFor(insertRun.lastError(), true);
    insertRun.addBindValue(run.participant);
    insertRun.addBindValue(run.startedAt.toLocalTime().toString(QLatin1String(startedAtFormat)));
    insertRun.addBindValue(operationText(run.operation));
    insertRun.addBindValue(run.range1);
    insertRun.addBindValue(run.range2);
    insertRun.addBindValue(run.timeLimit);
    insertRun.addBindValue(run.competition);
    insertRun.addBindValue(run.tasksWorked);
    insertRun.addBindValue(run.points);
    insertRun.addBindValue(run.byEar ? 1 : 0);
    insertRun.addBindValue(run.adaptive ? 1 : 0);
    if (!insertRun.exec())
        return reasonFor(insertRun.lastError(), true);
    const qint64 runId = insertRun.lastInsertId().toLongLong();

    QSqlQuery insertAnswer(db_);
    if (!insertAnswer.prepare(QStringLiteral(
            "INSERT INTO answers (run_id, task_no, operand1, operand2, correct_result, "
            "correct_remainder, given_answer, given_remainder, correct, answer_ms) VALUES (?, ?, "
            "?, ?, ?, ?, ?, ?, ?, ?)")))
        return reasonFor(insertAnswer.lastError(), true);
    for (const AnsweredTask& answer : run.answers) {
        insertAnswer.bindValue(0, runId);
        insertAnswer.bindValue(1, answer.taskNo);
        insertAnswer.bindValue(2, answer.operand1);
        insertAnswer.bindValue(3, answer.operand2);
        insertAnswer.bindValue(4, answer.correctResult);
        insertAnswer.bindValue(5, answer.correctRemainder);
        insertAnswer.bindValue(6, notNull(answer.givenAnswer));
        insertAnswer.bindValue(7, notNull(answer.givenRemainder));
        insertAnswer.bindValue(8, answer.correct ? 1 : 0);
        insertAnswer.bindValue(9, answer.answerMs);
        if (!insertAnswer.exec())
            return reasonFor(insertAnswer.lastError(), true);
    }
    if (summedTo) {
        // Read back as every reader reads it, so the sums hold what the readers would add up.
        int code = sumRunsAfter(*summedTo);
        if (code == SQLITE_OK)
            code = history_sums::setSummedTo(connection, *summedTo);
        if (code != SQLITE_OK)
            return reasonForCode(connection, code, true);
    }
    if (!transaction.commit(sqlError))
        return reasonFor(sqlError, true);
    return std::nullopt;
}

// A file that is not there yet, or a history without runs, is nothing to read but no fault.
Outcome SqliteHistoryStore::openForReading(bool& readable, Layout& layout) {
    readable = false;
    if (Outcome error = checkFile())
        return error;
    if (!inMemory() && !present(path_))
        return std::nullopt;
    if (Outcome error = open(Access::Read))
        return error;
    Content what = Content::Empty;
    if (Outcome error = content(what, layout))
        return error;
    if (what == Content::Foreign)
        return notHistory;
    readable = what != Content::Empty;
    return std::nullopt;
}

Result<QStringList> SqliteHistoryStore::participants() {
    return readInto<QStringList>([&](QStringList& names) { return readParticipants(names); });
}

Result<QList<HistoryRun>> SqliteHistoryStore::runs(const QString& participant,
                                                   std::optional<Operation> operation) {
    return readInto<QList<HistoryRun>>(
        [&](QList<HistoryRun>& out) { return readRuns(participant, operation, out); });
}

Result<QList<HistoryRun>> SqliteHistoryStore::everyonesRuns(std::optional<Operation> operation) {
    return readInto<QList<HistoryRun>>(
        [&](QList<HistoryRun>& out) { return readEveryonesRuns(operation, out); });
}

Result<ClassTotals> SqliteHistoryStore::classTotals(std::optional<Operation> operation,
                                                    const RunPeriod& inPeriod) {
    return readInto<ClassTotals>(
        [&](ClassTotals& out) { return readClassTotals(operation, inPeriod, out); });
}

Outcome SqliteHistoryStore::readParticipants(QStringList& names) {
    names.clear();
    bool readable = false;
    Layout layout;
    if (Outcome error = openForReading(readable, layout); error || !readable)
        return error;

    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT DISTINCT participant FROM runs")))
        return reasonFor(q.lastError(), false);
    while (q.next())
        names << q.value(0).toString();
    sortParticipantNames(names);
    return std::nullopt;
}

Outcome SqliteHistoryStore::readRuns(const QString& participant, std::optional<Operation> operation,
                                     QList<HistoryRun>& out) {
    out.clear();
    bool readable = false;
    Layout layout;
    if (Outcome error = openForReading(readable, layout); error || !readable)
        return error;

    const bool allOperations = !operation;
    const QString filter = allOperations ? QStringLiteral("r.participant = ?")
                                         : QStringLiteral("r.participant = ? AND r.operation = ?");
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    // The index finds the runs; their fields are then read from the rows themselves by id, so
    // that the check below sees what the rows hold and not what a damaged index says of them.
    if (!q.prepare(QStringLiteral("SELECT %1 FROM runs WHERE id IN (SELECT r.id FROM runs r WHERE "
                                  "%2) ORDER BY started_at, id")
                       .arg(runColumns(layout.version, layout.adaptiveColumn), filter)))
        return reasonFor(q.lastError(), false);
    q.addBindValue(participant);
    if (!allOperations)
        q.addBindValue(operationText(*operation));
    if (!q.exec())
        return reasonFor(q.lastError(), false);
    QHash<qint64, qsizetype> indexOfRun;
    while (q.next()) {
        std::optional<HistoryRun> read = runOf(q);
        if (!read)
            continue;
        HistoryRun& run = *read;
        // In a damaged file the index can name a row that says otherwise: that run is someone
        // else's, or of another operation than the one its answers are checked and practised in.
        if (run.participant != participant || (!allOperations && run.operation != operation))
            continue;
        indexOfRun.insert(run.id, out.size());
        out << run;
    }
    if (q.lastError().isValid())
        return reasonFor(q.lastError(), false);
    if (out.isEmpty())
        return std::nullopt;

    // CROSS JOIN keeps the runs as the outer loop, so SQLite finds the child's runs by their
    // index and then each run's answers by theirs, instead of walking every answer.
    QSqlQuery a(db_);
    a.setForwardOnly(true);
    if (!a.prepare(QStringLiteral("SELECT %1, a.given_answer, a.given_remainder FROM runs r CROSS "
                                  "JOIN answers a ON a.run_id = r.id WHERE %2")
                       .arg(answerColumns(), filter)))
        return reasonFor(a.lastError(), false);
    a.addBindValue(participant);
    if (!allOperations)
        a.addBindValue(operationText(*operation));
    return readAnswers(a, indexOfRun, true, out);
}

Outcome SqliteHistoryStore::eachRun(const QString& participant, std::optional<Operation> operation,
                                    const std::function<void(const HistoryRun&)>& visit) {
    return visitRuns(&participant, operation, visit);
}

Outcome SqliteHistoryStore::readClassTotals(std::optional<Operation> operation,
                                            const RunPeriod& inPeriod, ClassTotals& out) {
    out = {};
    bool readable = false;
    Layout layout;
    if (Outcome error = openForReading(readable, layout); error || !readable)
        return error;
    // The runs first, then every answer in the order of the file, added up as it passes: the
    // class's answers are never held.
    const bool allOperations = !operation;
    sqlite3* connection = handle();
    if (!connection)
        return noDriver;
    const auto failure = [&](int code) { return reasonForCode(connection, code); };
    const QByteArray operationText =
        operation ? ::operationText(*operation).toUtf8() : QByteArray();
    const auto prepared = [&](const QString& query, Statement& statement) {
        int code = prepareStatement(connection, query, statement);
        if (code == SQLITE_OK && !allOperations)
            code = sqlite3_bind_text(statement.get(), 1, operationText.constData(),
                                     int(operationText.size()), SQLITE_STATIC);
        return code;
    };
    ClassTally tally(inPeriod);
    QHash<qint64, qsizetype> numberOfRun;
    {
        Statement held(nullptr, sqlite3_finalize);
        const int code =
            prepared(QStringLiteral("SELECT id, participant, started_at, operation FROM runs %1 "
                                    "ORDER BY started_at, id")
                         .arg(allOperations ? QString() : QStringLiteral("WHERE operation = ?")),
                     held);
        sqlite3_stmt* const statement = held.get();
        if (code != SQLITE_OK)
            return failure(code);
        StartTimes startTimes;
        SharedText participants, operations;
        HistoryRun run;
        int step = SQLITE_ROW;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            run.id = sqlite3_column_int64(statement, 0);
            run.participant = participants.of(statement, 1);
            run.startedAt =
                startTimes.of(reinterpret_cast<const char*>(sqlite3_column_text(statement, 2)),
                              sqlite3_column_bytes(statement, 2));
            const std::optional<Operation> known = operationFromText(operations.of(statement, 3));
            if (!known)
                continue; // see HistoryRun
            run.operation = *known;
            if (!allOperations && run.operation != operation)
                continue;
            numberOfRun.insert(run.id, tally.addRun(run));
        }
        if (step != SQLITE_DONE)
            return failure(step);
    }
    if (numberOfRun.isEmpty())
        return std::nullopt;

    Statement held(nullptr, sqlite3_finalize);
    const int prepareCode = prepared(
        allOperations ? QStringLiteral("SELECT %1 FROM answers a").arg(answerColumns())
                      : QStringLiteral("SELECT %1 FROM runs r CROSS JOIN answers a ON a.run_id = "
                                       "r.id WHERE r.operation = ?")
                            .arg(answerColumns()),
        held);
    sqlite3_stmt* const statement = held.get();
    if (prepareCode != SQLITE_OK)
        return failure(prepareCode);
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto found = numberOfRun.constFind(sqlite3_column_int64(statement, 0));
        if (found == numberOfRun.cend())
            continue;
        if (const std::optional<AnsweredTask> answer =
                posableAnswer(statement, tally.operationOf(*found)))
            tally.addAnswer(*found, *answer);
    }
    if (code != SQLITE_DONE)
        return failure(code);
    out = tally.totals();
    return std::nullopt;
}

Outcome SqliteHistoryStore::visitRuns(const QString* participant,
                                      std::optional<Operation> operation,
                                      const std::function<void(const HistoryRun&)>& visit) {
    bool readable = false;
    Layout layout;
    if (Outcome error = openForReading(readable, layout); error || !readable)
        return error;
    sqlite3* connection = handle();
    if (!connection)
        return noDriver;
    const auto failure = [&](int code) { return reasonForCode(connection, code); };
    // The runs in one pass: a child's come in time order, which for one operation the index
    // gives, so nothing is sorted or held; a whole class's in the order of the file.
    const bool allOperations = !operation;
    QStringList conditions;
    if (participant)
        conditions << QStringLiteral("participant = ?1");
    if (!allOperations)
        conditions << QStringLiteral("operation = ?2");
    Statement runHeld(nullptr, sqlite3_finalize);
    const int runCode = prepareStatement(
        connection,
        QStringLiteral("SELECT %1 FROM runs %2 ORDER BY %3")
            .arg(runColumns(layout.version, layout.adaptiveColumn),
                 conditions.isEmpty()
                     ? QString()
                     : QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND ")),
                 participant ? QStringLiteral("started_at, id") : QStringLiteral("id")),
        runHeld);
    sqlite3_stmt* const runStatement = runHeld.get();
    if (runCode != SQLITE_OK)
        return failure(runCode);
    RunAnswers answers;
    if (const int answerCode = answers.prepare(connection); answerCode != SQLITE_OK)
        return failure(answerCode);
    const QByteArray participantText = participant ? participant->toUtf8() : QByteArray();
    const QByteArray operationText =
        operation ? ::operationText(*operation).toUtf8() : QByteArray();
    int code = SQLITE_OK;
    if (participant)
        code = sqlite3_bind_text(runStatement, 1, participantText.constData(),
                                 int(participantText.size()), SQLITE_STATIC);
    if (code == SQLITE_OK && !allOperations)
        code = sqlite3_bind_text(runStatement, 2, operationText.constData(),
                                 int(operationText.size()), SQLITE_STATIC);
    if (code != SQLITE_OK)
        return failure(code);
    SharedText texts[4];
    StartTimes startTimes;
    HistoryRun run;
    while ((code = sqlite3_step(runStatement)) == SQLITE_ROW) {
        run.answers.clear(); // keeps its room for the next run's answers
        run.id = sqlite3_column_int64(runStatement, 0);
        run.participant = texts[0].of(runStatement, 1);
        run.startedAt =
            startTimes.of(reinterpret_cast<const char*>(sqlite3_column_text(runStatement, 2)),
                          sqlite3_column_bytes(runStatement, 2));
        const std::optional<Operation> known = operationFromText(texts[1].of(runStatement, 3));
        if (!known)
            continue; // see HistoryRun
        run.operation = *known;
        run.range1 = texts[2].of(runStatement, 4);
        run.range2 = texts[3].of(runStatement, 5);
        run.timeLimit = sqlite3_column_int(runStatement, 6);
        run.competition = sqlite3_column_int(runStatement, 7);
        run.tasksWorked = sqlite3_column_int(runStatement, 8);
        run.points = sqlite3_column_int(runStatement, 9);
        run.byEar = sqlite3_column_int(runStatement, 10) != 0;
        run.adaptive = sqlite3_column_int(runStatement, 11) != 0;
        // As runs() does: a row that says otherwise than the index is left out.
        if ((participant && run.participant != *participant) ||
            (!allOperations && run.operation != operation))
            continue;
        if (const int step = answers.read(run.id, run.operation, run.answers); step != SQLITE_OK)
            return failure(step);
        visit(run);
    }
    if (code != SQLITE_DONE)
        return failure(code);
    return std::nullopt;
}

Outcome SqliteHistoryStore::tallyRuns(const QString& participant, Operation operation,
                                      HistoryTally& tally) {
    bool readable = false;
    Layout layout;
    if (Outcome error = openForReading(readable, layout); error || !readable)
        return error;
    {
        std::optional<qint64> summedTo;
        qint64 lastRun = 0;
        sqlite3* connection = handle();
        // Runs without sums (a file of before, or runs an earlier version added) are summed
        // first; where that fails the sums still serve the children they are complete for.
        if (connection && !fillFailed_ && layout.version <= schemaVersion &&
            history_sums::summedTo(connection, summedTo) == SQLITE_OK) {
            QSqlQuery last(db_);
            if (last.exec(QStringLiteral("SELECT coalesce(max(id), 0) FROM runs")) && last.next())
                lastRun = last.value(0).toLongLong();
            if (!summedTo || *summedTo < lastRun) {
                fillFailed_ = !fillSums();
                if (Outcome error = openForReading(readable, layout); error || !readable)
                    return error;
            }
        }
        Outcome error;
        if (tallyFromSums(participant, operation, tally, error))
            return error;
    }
    return visitRuns(&participant, operation, [&](const HistoryRun& run) { tally.add(run); });
}

bool SqliteHistoryStore::fillSums() {
    if (checkFile() || open(Access::Write))
        return false;
    WriteTransaction transaction(db_);
    QSqlError sqlError;
    if (!transaction.begin(sqlError))
        return false;
    Content what = Content::Empty;
    Layout layout;
    if (content(what, layout) || what != Content::History || layout.version > schemaVersion)
        return false;
    sqlite3* connection = handle();
    std::optional<qint64> summedTo;
    if (!connection || history_sums::createTables(connection) != SQLITE_OK ||
        history_sums::summedTo(connection, summedTo) != SQLITE_OK || !summedTo)
        return false;
    const qint64 before = *summedTo;
    if (sumRunsAfter(*summedTo) != SQLITE_OK)
        return false;
    // A run that holds the sums back is met again at every read: the file is written only when
    // the sums moved, and the store does not try again.
    if (*summedTo != before && (history_sums::setSummedTo(connection, *summedTo) != SQLITE_OK ||
                                !transaction.commit(sqlError)))
        return false;
    QSqlQuery last(db_);
    return last.exec(QStringLiteral("SELECT coalesce(max(id), 0) FROM runs")) && last.next() &&
           last.value(0).toLongLong() == *summedTo;
}

int SqliteHistoryStore::sumRunsAfter(qint64& summedTo) {
    sqlite3* connection = handle();
    if (!connection)
        return SQLITE_MISUSE;
    Statement held(nullptr, sqlite3_finalize);
    int code = prepareStatement(connection,
                                QStringLiteral("SELECT id, participant, operation, started_at FROM "
                                               "runs WHERE id > ?1 ORDER BY id"),
                                held);
    sqlite3_stmt* const statement = held.get();
    if (code == SQLITE_OK)
        code = sqlite3_bind_int64(statement, 1, summedTo);
    RunAnswers answers;
    if (code == SQLITE_OK)
        code = answers.prepare(connection);
    if (code != SQLITE_OK)
        return code;
    HistorySumsBatch batch;
    QList<AnsweredTask> runAnswers;
    SharedText operations;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        const qint64 id = sqlite3_column_int64(statement, 0);
        // A run without a name or an operation as text is found by no child's reader; one whose
        // start is not a text cannot be placed among the sums: it and every run after it are
        // read from their answers.
        if (sqlite3_column_type(statement, 1) != SQLITE_TEXT ||
            sqlite3_column_type(statement, 2) != SQLITE_TEXT) {
            summedTo = id;
            continue;
        }
        if (sqlite3_column_type(statement, 3) != SQLITE_TEXT)
            break;
        // Nor is a run of an operation the program does not know.
        const std::optional<Operation> operation = operationFromText(operations.of(statement, 2));
        if (!operation) {
            summedTo = id;
            continue;
        }
        runAnswers.clear();
        if (code = answers.read(id, *operation, runAnswers); code != SQLITE_OK)
            return code;
        batch.add(columnBytes(statement, 1), columnBytes(statement, 2), columnBytes(statement, 3),
                  id, runAnswers);
        summedTo = id;
        // Written as it goes: a long history is never held.
        if (batch.runCount() >= 4096)
            if (code = batch.write(connection); code != SQLITE_OK)
                return code;
    }
    if (code != SQLITE_DONE && code != SQLITE_ROW)
        return code;
    return batch.write(connection);
}

bool SqliteHistoryStore::tallyFromSums(const QString& participant, Operation operation,
                                       HistoryTally& tally, Outcome& error) {
    error.reset();
    sqlite3* connection = handle();
    if (!connection)
        return false;
    const ReadTransaction reading(connection);
    std::optional<qint64> summedTo;
    if (!reading.begun() || history_sums::summedTo(connection, summedTo) != SQLITE_OK || !summedTo)
        return false;
    const QByteArray participantText = participant.toUtf8();
    const QByteArray operationBytes = operationText(operation).toUtf8();
    const auto prepared = [&](const char* sql, Statement& statement) {
        int code = prepareStatement(connection, QString::fromLatin1(sql), statement);
        if (code == SQLITE_OK)
            code = sqlite3_bind_text(statement.get(), 1, participantText.constData(),
                                     int(participantText.size()), SQLITE_STATIC);
        if (code == SQLITE_OK)
            code = sqlite3_bind_text(statement.get(), 2, operationBytes.constData(),
                                     int(operationBytes.size()), SQLITE_STATIC);
        return code;
    };
    // A run of the child after the summed ones: the answers are read. The rows are found by id,
    // not by the index on the child, which would walk all the child's runs.
    Statement later(nullptr, sqlite3_finalize);
    if (prepared("SELECT 1 FROM runs WHERE +participant = ?1 AND +operation = ?2 AND id > ?3",
                 later) != SQLITE_OK ||
        sqlite3_bind_int64(later.get(), 3, *summedTo) != SQLITE_OK ||
        sqlite3_step(later.get()) != SQLITE_DONE)
        return false;
    Statement runs(nullptr, sqlite3_finalize);
    Statement tasks(nullptr, sqlite3_finalize);
    Statement times(nullptr, sqlite3_finalize);
    if (prepared("SELECT started_at, answers, right_answers, answering_ms FROM run_sums WHERE "
                 "participant = ?1 AND operation = ?2 ORDER BY started_at, run_id",
                 runs) != SQLITE_OK ||
        prepared("SELECT operand1, operand2, attempts, misses, answering_ms, slowest_right_ms, "
                 "last_miss_started_at, last_miss_run, last_miss_place, "
                 "slowest_right_started_at, slowest_right_run, slowest_right_place FROM "
                 "task_sums WHERE participant = ?1 AND operation = ?2",
                 tasks) != SQLITE_OK ||
        prepared("SELECT ms, answers FROM right_times WHERE participant = ?1 AND operation = ?2",
                 times) != SQLITE_OK)
        return false;
    // From here on the sums are read: what goes wrong is the file's fault, told as such.
    const auto failed = [&](int code) {
        error = reasonForCode(connection, code);
        return true;
    };
    StartTimes startTimes;
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(runs.get())) == SQLITE_ROW) {
        RunSums run;
        run.startedAt =
            startTimes.of(reinterpret_cast<const char*>(sqlite3_column_text(runs.get(), 0)),
                          sqlite3_column_bytes(runs.get(), 0));
        run.answers = sqlite3_column_int64(runs.get(), 1);
        run.rightAnswers = sqlite3_column_int64(runs.get(), 2);
        run.answeringMs = sqlite3_column_double(runs.get(), 3);
        tally.addSums(run);
    }
    if (code != SQLITE_DONE)
        return failed(code);
    // The places of the last miss and the slowest right answer become numbers in their order.
    std::vector<std::pair<TaskSums, std::array<std::optional<AnswerPlace>, 2>>> rows;
    std::vector<AnswerPlace> places;
    while ((code = sqlite3_step(tasks.get())) == SQLITE_ROW) {
        sqlite3_stmt* const row = tasks.get();
        TaskSums task;
        task.operand1 = sqlite3_column_int(row, 0);
        task.operand2 = sqlite3_column_int(row, 1);
        task.attempts = sqlite3_column_int(row, 2);
        task.misses = sqlite3_column_int(row, 3);
        task.answeringMs = sqlite3_column_double(row, 4);
        task.slowestRight = sqlite3_column_int64(row, 5);
        std::array<std::optional<AnswerPlace>, 2> at;
        for (int i = 0; i < 2; ++i) {
            if (sqlite3_column_type(row, 6 + 3 * i) == SQLITE_NULL)
                continue;
            at[size_t(i)] =
                AnswerPlace{columnBytes(row, 6 + 3 * i), sqlite3_column_int64(row, 7 + 3 * i),
                            sqlite3_column_int(row, 8 + 3 * i)};
            places.push_back(*at[size_t(i)]);
        }
        rows.emplace_back(task, at);
    }
    if (code != SQLITE_DONE)
        return failed(code);
    std::sort(places.begin(), places.end());
    const auto number = [&](const std::optional<AnswerPlace>& place) -> qint64 {
        if (!place)
            return -1;
        return std::lower_bound(places.begin(), places.end(), *place) - places.begin();
    };
    for (auto& [task, at] : rows) {
        task.lastMiss = number(at[0]);
        task.slowestRightAt = number(at[1]);
        if (task.attempts > 0)
            tally.addTaskSums(operation, task);
    }
    while ((code = sqlite3_step(times.get())) == SQLITE_ROW)
        tally.addRightTimes(sqlite3_column_int64(times.get(), 0),
                            sqlite3_column_int64(times.get(), 1));
    if (code != SQLITE_DONE)
        return failed(code);
    return true;
}

Outcome SqliteHistoryStore::readEveryonesRuns(std::optional<Operation> operation,
                                              QList<HistoryRun>& out) {
    out.clear();
    bool readable = false;
    Layout layout;
    if (Outcome error = openForReading(readable, layout); error || !readable)
        return error;

    const bool allOperations = !operation;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM runs %2 ORDER BY started_at, id")
                       .arg(runColumns(layout.version, layout.adaptiveColumn),
                            allOperations ? QString() : QStringLiteral("WHERE operation = ?"))))
        return reasonFor(q.lastError(), false);
    if (!allOperations)
        q.addBindValue(operationText(*operation));
    if (!q.exec())
        return reasonFor(q.lastError(), false);
    QHash<qint64, qsizetype> indexOfRun;
    while (q.next()) {
        std::optional<HistoryRun> read = runOf(q);
        if (!read)
            continue;
        HistoryRun& run = *read;
        if (!allOperations && run.operation != operation)
            continue;
        // Room for the answers the run says it had, up to a run's most: they arrive one by one.
        run.answers.reserve(std::clamp(run.tasksWorked, 0, taskLimit));
        indexOfRun.insert(run.id, out.size());
        out << run;
    }
    if (q.lastError().isValid())
        return reasonFor(q.lastError(), false);
    if (out.isEmpty())
        return std::nullopt;

    // All answers in the order of the file, one pass; for one operation its runs lead, each
    // run's answers found by their index.
    const QString query =
        allOperations
            ? QStringLiteral("SELECT %1 FROM answers a").arg(answerColumns())
            : QStringLiteral("SELECT %1 FROM runs r CROSS JOIN answers a ON a.run_id = r.id "
                             "WHERE r.operation = ?")
                  .arg(answerColumns());
    return readClassAnswers(query, operation, indexOfRun, out);
}

// A class's answers are read through SQLite's own interface: for a quarter of a million answers
// the driver's conversion of every value into a variant takes longer than all the rest of the
// class overview.
Outcome SqliteHistoryStore::readClassAnswers(const QString& query,
                                             std::optional<Operation> operation,
                                             const QHash<qint64, qsizetype>& indexOfRun,
                                             QList<HistoryRun>& out) {
    sqlite3* connection = handle();
    if (!connection)
        return noDriver;
    const auto failure = [&](int code) { return reasonForCode(connection, code); };
    Statement held(nullptr, sqlite3_finalize);
    if (const int code = prepareStatement(connection, query, held); code != SQLITE_OK)
        return failure(code);
    sqlite3_stmt* const statement = held.get();
    const QByteArray operationText =
        operation ? ::operationText(*operation).toUtf8() : QByteArray();
    if (operation) {
        if (const int code = sqlite3_bind_text(statement, 1, operationText.constData(),
                                               int(operationText.size()), SQLITE_STATIC);
            code != SQLITE_OK)
            return failure(code);
    }
    int code = SQLITE_ROW;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        const auto found = indexOfRun.constFind(sqlite3_column_int64(statement, 0));
        if (found == indexOfRun.cend())
            continue;
        if (const std::optional<AnsweredTask> answer =
                posableAnswer(statement, out[*found].operation))
            out[*found].answers << *answer;
    }
    if (code != SQLITE_DONE)
        return failure(code);
    sortAnswers(out);
    return std::nullopt;
}

Outcome SqliteHistoryStore::readAnswers(QSqlQuery& a, const QHash<qint64, qsizetype>& indexOfRun,
                                        bool typed, QList<HistoryRun>& out) {
    if (!a.exec())
        return reasonFor(a.lastError(), false);
    while (a.next()) {
        const auto found = indexOfRun.constFind(a.value(0).toLongLong());
        if (found == indexOfRun.cend())
            continue;
        // The statistics and a practice run compute with the operands: a task the program could
        // not have posed (the file was made or changed by something else) is left out.
        bool readOperand1 = false;
        bool readOperand2 = false;
        const qint64 operand1 = a.value(2).toLongLong(&readOperand1);
        const qint64 operand2 = a.value(3).toLongLong(&readOperand2);
        if (!readOperand1 || !readOperand2 ||
            !taskPosable(out[*found].operation, operand1, operand2))
            continue;
        AnsweredTask answer;
        answer.taskNo = a.value(1).toInt();
        answer.operand1 = qint32(operand1);
        answer.operand2 = qint32(operand2);
        answer.correctResult = a.value(4).toInt();
        answer.correctRemainder = a.value(5).toInt();
        answer.correct = a.value(6).toInt() != 0;
        answer.answerMs = a.value(7).toLongLong();
        if (typed) {
            answer.givenAnswer = a.value(8).toString();
            answer.givenRemainder = a.value(9).toString();
        }
        out[*found].answers << answer;
    }
    if (a.lastError().isValid())
        return reasonFor(a.lastError(), false);
    sortAnswers(out);
    return std::nullopt;
}

sqlite3* SqliteHistoryStore::handle() const {
    const QVariant handle = db_.isValid() ? db_.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

int SqliteHistoryStore::systemError() const {
    sqlite3* connection = handle();
    return connection ? sqlite3_system_errno(connection) : 0;
}

Failure SqliteHistoryStore::reasonForCode(sqlite3* connection, int code, bool writing) const {
    return reasonFor(QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(connection)),
                               QSqlError::StatementError, QString::number(code)),
                     writing);
}

Failure SqliteHistoryStore::reasonFor(const QSqlError& error, bool writing) const {
    bool known = false;
    const int code = error.nativeErrorCode().toInt(&known) & 0xff;
    if (known) {
        switch (code) {
        case sqliteBusy:
        case sqliteLocked:
            return locked;
        case sqliteCorrupt:
        case sqliteNotADb:
            return notHistory;
        case sqliteFull:
            return failureOfError(fileSizeLimited() ? EFBIG : ENOSPC, true);
        case sqlitePerm:
        case sqliteReadOnly:
        case sqliteAuth:
            return cannotWrite;
        case sqliteCantOpen:
        case sqliteIoErr:
            // What the system said to the failed call: a full disk, a file-size limit, a device
            // error.
            // SQLite retries a create that failed as a plain open, whose "no such file" then
            // hides a full disk.
            if (writing && noRoomIn(QFileInfo(path_).absolutePath()))
                return failureOfError(ENOSPC, true);
            if (const int err = systemError(); err != 0)
                return failureOfError(err, writing);
            return writing ? cannotWrite : cannotRead;
        default:
            break;
        }
    }
    return Failure{Failure::Kind::Io,
                   QStringLiteral("Die Datenbank meldet einen Fehler: %1").arg(error.text())};
}
