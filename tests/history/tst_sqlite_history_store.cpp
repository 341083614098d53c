#include "history/sqlite_history_store.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// QCOMPARE shows both reasons when they differ.
char* toString(const HistoryError& error) {
    return QTest::toString(error ? *error : QStringLiteral("<kein Fehler>"));
}

namespace {

const QString notHistory =
    QStringLiteral("Die Datei ist keine Lernverlauf-Datenbank oder ist beschädigt.");

HistoryRun makeRun(const QString& participant, const QString& operation, const QDateTime& at,
                   int answerCount) {
    HistoryRun run{
        0, participant, at, operation, QStringLiteral("0 .. 100"), QStringLiteral("1 .. 10"), 90,
        7, answerCount, 0,  {}};
    for (int i = 1; i <= answerCount; ++i) {
        const bool right = i % 3 != 0;
        const int remainder = operation == QLatin1String(": R") ? i % 4 : -1;
        AnsweredTask a{i, 17 * i % 101, i % 10 + 1, i * 3, remainder, {}, {}, right, 500 + 37 * i};
        a.givenAnswer = right ? QString::number(i * 3) : QStringLiteral("1ä;\"x\"");
        a.givenRemainder = remainder < 0 ? QString() : QString::number(remainder);
        run.answers << a;
        run.points += right;
    }
    return run;
}

// Every field of the runs and their answers, one line per run, so a difference shows where.
QStringList described(const QList<HistoryRun>& runs) {
    QStringList lines;
    for (const HistoryRun& r : runs) {
        QString line = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                           .arg(r.participant, r.startedAt.toString(Qt::ISODate), r.operation,
                                r.range1, r.range2)
                           .arg(r.timeLimit)
                           .arg(r.competition)
                           .arg(r.tasksWorked)
                           .arg(r.points);
        for (const AnsweredTask& a : r.answers)
            line += QStringLiteral(" [%1 %2 %3 %4 %5 %6 %7 %8 %9]")
                        .arg(a.taskNo)
                        .arg(a.operand1)
                        .arg(a.operand2)
                        .arg(a.correctResult)
                        .arg(a.correctRemainder)
                        .arg(a.givenAnswer, a.givenRemainder)
                        .arg(a.correct)
                        .arg(a.answerMs);
        lines << line;
    }
    return lines;
}

// A second program's view of the file, for what the store itself does not show.
struct RawConnection {
    explicit RawConnection(const QString& path) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.open();
    }
    ~RawConnection() {
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
    QVariant value(const QString& sql) const {
        QSqlQuery q(QSqlDatabase::database(name, false));
        return q.exec(sql) && q.next() ? q.value(0) : QVariant();
    }
    bool exec(const QString& sql) const {
        return QSqlQuery(QSqlDatabase::database(name, false)).exec(sql);
    }
    const QString name = QStringLiteral("raw");
};

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

const QDateTime morning(QDate(2026, 12, 8), QTime(9, 3, 12));

} // namespace

class TestSqliteHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void recordAndReadBack_data();
    void recordAndReadBack();
    void failedInsertLeavesNothing();
    void faults_data();
    void faults();
};

void TestSqliteHistoryStore::recordAndReadBack_data() {
    QTest::addColumn<bool>("onDisk");
    QTest::newRow("in memory") << false;
    QTest::newRow("file") << true;
}

void TestSqliteHistoryStore::recordAndReadBack() {
    QFETCH(bool, onDisk);
    QTemporaryDir dir;
    const QString path =
        onDisk ? dir.filePath(QStringLiteral("Lernverlauf.sqlite")) : QStringLiteral(":memory:");
    const QString odd = QStringLiteral("Änne O'Brien; \"Ü\" -- DROP");
    const HistoryRun late = makeRun(odd, QStringLiteral(": R"), morning.addSecs(3600), 160);
    const HistoryRun early = makeRun(odd, QStringLiteral("+"), morning, 3);
    const HistoryRun other = makeRun(QStringLiteral("zoe"), QStringLiteral(": R"), morning, 2);
    {
        SqliteHistoryStore store(path);
        // Reading before the first run finds nothing and leaves the folder empty.
        QStringList names{QStringLiteral("alt")};
        QCOMPARE(store.participants(names), HistoryError());
        QVERIFY(names.isEmpty() && QDir(dir.path()).isEmpty());
        for (const HistoryRun& run : {late, other, early})
            QCOMPARE(store.record(run), HistoryError());
        if (!onDisk) {
            QList<HistoryRun> got;
            QCOMPARE(store.runs(odd, QStringLiteral(": R"), got), HistoryError());
            QCOMPARE(described(got), described({late}));
            return;
        }
    }
    // A fresh store on the file sees everything the first one wrote.
    SqliteHistoryStore store(path);
    QStringList names;
    QCOMPARE(store.record(makeRun(QStringLiteral("Anna"), QStringLiteral("*"), morning, 1)),
             HistoryError());
    QCOMPARE(store.participants(names), HistoryError());
    QCOMPARE(names, QStringList({QStringLiteral("Anna"), odd, QStringLiteral("zoe")}));
    QList<HistoryRun> got;
    QCOMPARE(store.runs(odd, QStringLiteral(": R"), got), HistoryError());
    QCOMPARE(described(got), described({late}));
    QCOMPARE(store.runs(odd, QString(), got), HistoryError());
    QCOMPARE(described(got), described({early, late}));
    QCOMPARE(store.runs(QStringLiteral("Zoe"), QString(), got), HistoryError());
    QVERIFY(got.isEmpty());
    RawConnection raw(path);
    QCOMPARE(raw.value(QStringLiteral("PRAGMA user_version")).toInt(), 1);
    QCOMPARE(raw.value(QStringLiteral("SELECT started_at FROM runs WHERE id = 1")).toString(),
             QStringLiteral("2026-12-08T10:03:12"));
}

// A run is written whole or not at all: an answer the file refuses takes the run with it.
void TestSqliteHistoryStore::failedInsertLeavesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    SqliteHistoryStore store(path);
    QCOMPARE(store.record(makeRun(QStringLiteral("Anna"), QStringLiteral("+"), morning, 4)),
             HistoryError());
    {
        RawConnection raw(path);
        QVERIFY(raw.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON answers WHEN "
                                        "NEW.task_no = 3 BEGIN SELECT RAISE(ABORT, 'nein'); END")));
    }
    const QByteArray before = contents(path);
    QVERIFY(store.record(makeRun(QStringLiteral("Bert"), QStringLiteral("+"), morning, 5)));
    QCOMPARE(contents(path), before);
    QStringList names;
    QCOMPARE(store.participants(names), HistoryError());
    QCOMPARE(names, QStringList{QStringLiteral("Anna")});
}

enum class Fault { RandomBytes, Truncated, DamagedPage, Foreign, Newer, Folder, Locked, Journal };

void TestSqliteHistoryStore::faults_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("writeReason");
    QTest::addColumn<QString>("readReason"); // empty: the history can still be read
    const QString lockedReason = QStringLiteral("Die Datei ist gesperrt.");
    QTest::newRow("random bytes") << Fault::RandomBytes << notHistory << notHistory;
    QTest::newRow("truncated") << Fault::Truncated << notHistory << notHistory;
    QTest::newRow("damaged page") << Fault::DamagedPage << notHistory << notHistory;
    QTest::newRow("another program's database") << Fault::Foreign << notHistory << notHistory;
    QTest::newRow("newer version")
        << Fault::Newer << QStringLiteral("Die Datei stammt von einer neueren Programmversion.")
        << QString();
    QTest::newRow("folder") << Fault::Folder
                            << QStringLiteral("Unter dem Namen der Datei steht ein Ordner.")
                            << QStringLiteral("Unter dem Namen der Datei steht ein Ordner.");
    QTest::newRow("locked") << Fault::Locked << lockedReason << lockedReason;
    QTest::newRow("journal cannot be made")
        << Fault::Journal << QStringLiteral("Die Datei kann nicht beschrieben werden.")
        << QStringLiteral("Die Datei kann nicht gelesen werden.");
}

// Whatever is wrong with the file, the store says why in German and leaves every byte of it.
void TestSqliteHistoryStore::faults() {
    QFETCH(Fault, fault);
    QFETCH(QString, writeReason);
    QFETCH(QString, readReason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    if (fault == Fault::RandomBytes) {
        QByteArray bytes(8192, '\0');
        QRandomGenerator generator(42);
        for (char& b : bytes)
            b = char(generator.bounded(256));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    } else if (fault == Fault::Folder) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Lernverlauf.sqlite")));
    } else if (fault == Fault::Foreign) {
        RawConnection raw(path);
        QVERIFY(raw.exec(QStringLiteral("CREATE TABLE kunden (name TEXT)")));
    } else {
        SqliteHistoryStore writer(path);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(writer.record(makeRun(QStringLiteral("Anna"), QStringLiteral("+"),
                                           morning.addDays(i), 160)),
                     HistoryError());
    }
    std::optional<RawConnection> holder;
    if (fault == Fault::Truncated) {
        QFile f(path);
        QVERIFY(f.resize(f.size() / 2 / 4096 * 4096));
    } else if (fault == Fault::DamagedPage) {
        // Pages 2 to 5 are the roots of the two tables and their indexes.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(4096));
        QVERIFY(f.write(QByteArray(4 * 4096, '\x5a')) == 4 * 4096);
    } else if (fault == Fault::Newer) {
        RawConnection raw(path);
        QVERIFY(raw.exec(QStringLiteral("PRAGMA user_version = 2")));
    } else if (fault == Fault::Locked) {
        holder.emplace(path);
        QVERIFY(holder->exec(QStringLiteral("BEGIN EXCLUSIVE")));
    } else if (fault == Fault::Journal) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Lernverlauf.sqlite-journal")));
    }
    const QByteArray before = contents(path);
    const QStringList entries = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    SqliteHistoryStore store(path, 100);
    QCOMPARE(store.record(makeRun(QStringLiteral("Bert"), QStringLiteral("+"), morning, 2)),
             HistoryError(writeReason));
    QStringList names;
    QList<HistoryRun> runs;
    const HistoryError expectedRead =
        readReason.isEmpty() ? HistoryError() : HistoryError(readReason);
    QCOMPARE(store.participants(names), expectedRead);
    QCOMPARE(store.runs(QStringLiteral("Anna"), QStringLiteral("+"), runs), expectedRead);
    if (readReason.isEmpty()) {
        QCOMPARE(names, QStringList{QStringLiteral("Anna")});
        QCOMPARE(runs.size(), 6);
    }

    if (holder)
        QVERIFY(holder->exec(QStringLiteral("ROLLBACK")));
    holder.reset();
    QCOMPARE(contents(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), entries);
}

QTEST_GUILESS_MAIN(TestSqliteHistoryStore)
#include "tst_sqlite_history_store.moc"
