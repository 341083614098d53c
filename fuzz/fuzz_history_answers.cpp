#include "history_fuzz.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdint>

namespace {

QString historyPath() {
    static const QString path = history_fuzz::scratchFolder().filePath("Lernverlauf.sqlite");
    return path;
}

// An empty history as the store makes it: its tables, no runs.
const QByteArray& emptyHistory() {
    static const QByteArray bytes = [] {
        const QString path = historyPath();
        {
            SqliteHistoryStore store(path, 0);
            HistoryRun run;
            run.participant = QStringLiteral("-");
            if (store.record(run))
                std::abort();
        }
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "empty");
            db.setDatabaseName(path);
            if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("DELETE FROM runs")))
                std::abort();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("empty"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        return file.readAll();
    }();
    return bytes;
}

QVariant operandValue(qint64 value, int kind) {
    switch (kind) {
    case 1:
        return QString::number(value);
    case 2: {
        double real = 0;
        std::memcpy(&real, &value, sizeof real);
        return real;
    }
    case 3:
        return QVariant(QMetaType::fromType<qlonglong>());
    default:
        return value;
    }
}

// Writes the rows into the history file with SQL of its own, as another program could, so that
// every value reaches the store's read path, not only those the store would write.
void writeRows(const QString& path, const QList<history_fuzz::AnswerRow>& rows) {
    static const QString startedAt[] = {QStringLiteral("2026-12-01T08:00:00"),
                                        QStringLiteral("2026-12-01T08:00:00"),
                                        QStringLiteral("2026-02-30T25:61:00"), QString()};
    static const QString children[] = {QStringLiteral("Mia"), QStringLiteral("Ben"),
                                       QStringLiteral("=Ü;\"\n")};
    QSqlDatabase db = QSqlDatabase::database(QStringLiteral("rows"), false);
    db.setDatabaseName(path);
    if (!db.open())
        std::abort();
    {
        QSqlQuery q(db);
        q.exec(QStringLiteral("BEGIN"));
        QSqlQuery insertRun(db);
        QSqlQuery insertAnswer(db);
        if (!insertRun.prepare(QStringLiteral(
                "INSERT INTO runs (participant, started_at, operation, range1, range2, "
                "time_limit, competition, tasks_worked, points) VALUES (?, ?, ?, '0 .. 10', "
                "'0 .. 10', 0, 0, 0, 0)")) ||
            !insertAnswer.prepare(QStringLiteral(
                "INSERT INTO answers (run_id, task_no, operand1, operand2, correct_result, "
                "correct_remainder, given_answer, given_remainder, correct, answer_ms) VALUES "
                "(?, ?, ?, ?, 0, -1, ?, '', ?, ?)")))
            std::abort();
        QHash<int, qint64> runIds;
        for (const history_fuzz::AnswerRow& row : rows) {
            const int key = row.child * 24 + row.operation * 4 + row.runNumber;
            if (!runIds.contains(key)) {
                insertRun.bindValue(0, children[row.child]);
                insertRun.bindValue(1, startedAt[row.runNumber]);
                insertRun.bindValue(2, row.operation < 5 ? history_fuzz::operations()[row.operation]
                                                         : QStringLiteral("/"));
                if (!insertRun.exec())
                    std::abort();
                runIds.insert(key, insertRun.lastInsertId().toLongLong());
            }
            insertAnswer.bindValue(0, runIds.value(key));
            insertAnswer.bindValue(1, row.runNumber);
            insertAnswer.bindValue(2, operandValue(row.operand1, row.operandKind & 3));
            insertAnswer.bindValue(3, operandValue(row.operand2, row.operandKind >> 2 & 3));
            insertAnswer.bindValue(4, QString::fromUtf8(row.given));
            insertAnswer.bindValue(5, row.correct ? 1 : 0);
            insertAnswer.bindValue(6, row.answerMs);
            if (!insertAnswer.exec())
                std::abort();
        }
        if (!q.exec(QStringLiteral("COMMIT")))
            std::abort();
    }
    db.close();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "fuzz_history_answers";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rows"));
    return 0;
}

// The bytes as answer rows (see history_fuzz::AnswerRow) in a history of the store's own layout,
// then read through the store and used as the learning-progress window uses them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = historyPath();
    const QByteArray empty = emptyHistory();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(empty) != empty.size())
            std::abort();
    }
    writeRows(path, history_fuzz::decodeRows(QByteArray::fromRawData(
                        reinterpret_cast<const char*>(data), qsizetype(size))));
    SqliteHistoryStore store(path, 0);
    history_fuzz::useHistory(store);
    return 0;
}
