#include "engine/answer_check.h"
#include "engine/task_source.h"
#include "history/history_stats.h"
#include "history/sqlite_history_store.h"
#include "support/file_size_limit.h"
#include "support/fixed_clock.h"
#include "support/history_runs.h"
#include "support/hostile_objects.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString notHistory =
    QStringLiteral("Die Datei ist keine Lernverlauf-Datenbank oder ist beschädigt.");

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
    void versionOneFileIsMigrated();
    void failedInsertLeavesNothing();
    void faults_data();
    void faults();
    void hostileObjects_data();
    void hostileObjects();
    void craftedRowsAreLeftOut();
    void runsHandedOverAsRead();
};

// A history written by the first version (runs without by_ear) is read as it is, all its runs
// seen, and the next recorded run adds the column without changing what was there.
void TestSqliteHistoryStore::versionOneFileIsMigrated() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    QVERIFY(QFile::copy(QStringLiteral(KALU_HISTORY_DATA_DIR "/Lernverlauf_v1.sqlite"), path));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    const QStringList before{
        QStringLiteral("Mia|2026-11-29T10:15:00|*|0 .. 10|0 .. 10|60|0|2|1|gesehen"
                       " [1 7 8 56 -1 56  1 2100] [2 6 4 24 -1 25  0 3400]")};
    HistoryRun heard = makeRun(QStringLiteral("Mia"), QStringLiteral("*"), morning, 2);
    heard.byEar = true;
    QList<HistoryRun> got;
    {
        SqliteHistoryStore store(path);
        QCOMPARE(store.runs(QStringLiteral("Mia"), QString(), got), HistoryError());
        QCOMPARE(described(got), before);
        QCOMPARE(store.everyonesRuns(QStringLiteral(": R"), got), HistoryError());
        QCOMPARE(got.size(), 1);
        QVERIFY(!got.first().byEar);
    }
    QCOMPARE(RawConnection(path).value(QStringLiteral("PRAGMA user_version")).toInt(), 1);
    SqliteHistoryStore store(path);
    QCOMPARE(store.record(heard), HistoryError());
    QCOMPARE(store.runs(QStringLiteral("Mia"), QString(), got), HistoryError());
    QCOMPARE(described(got), before + described({heard}));
    const RawConnection raw(path);
    QCOMPARE(raw.value(QStringLiteral("PRAGMA user_version")).toInt(), 2);
    // The start of a run as local time in a text that sorts.
    QCOMPARE(raw.value(QStringLiteral("SELECT started_at FROM runs ORDER BY id DESC LIMIT 1")),
             QVariant(QStringLiteral("2026-12-08T09:03:12")));
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

enum class Fault { RandomBytes, Truncated, DamagedPage, Foreign, Newer, Locked };

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
    QTest::newRow("locked") << Fault::Locked << lockedReason << lockedReason;
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
        QVERIFY(raw.exec(
            QStringLiteral("PRAGMA user_version = %1").arg(SqliteHistoryStore::schemaVersion + 1)));
    } else if (fault == Fault::Locked) {
        holder.emplace(path);
        QVERIFY(holder->exec(QStringLiteral("BEGIN EXCLUSIVE")));
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

// A store call that blocks ends the test (SIGALRM) instead of hanging it.
struct Watchdog {
    Watchdog() { ::alarm(30); }
    ~Watchdog() { ::alarm(0); }
};

enum class Hostile { Link, BrokenLink, Pipe, Device, Folder, FullDisk, SizeLimit };

void TestSqliteHistoryStore::hostileObjects_data() {
    QTest::addColumn<Hostile>("object");
    QTest::addColumn<QString>("suffix"); // of the name the object takes: the file or a companion
    QTest::addColumn<QString>("writeReason");
    QTest::addColumn<bool>("readable"); // false: reading fails with writeReason as well
    const QString link =
        QStringLiteral("Die Datei ist eine Verknüpfung. Das Programm liest und "
                       "schreibt seine eigenen Dateien nicht durch Verknüpfungen.");
    const QString special = QStringLiteral("Die Datei ist keine gewöhnliche Datei.");
    const QString folder = QStringLiteral("Die Datei ist ein Ordner.");
    const auto companion = [](const QString& suffix, const QString& reason) {
        return QStringLiteral("Die zugehörige Datei Lernverlauf.sqlite%1 kann nicht verwendet "
                              "werden. %2")
            .arg(suffix, reason);
    };
    QTest::newRow("link") << Hostile::Link << "" << link << false;
    QTest::newRow("broken link") << Hostile::BrokenLink << "" << link << false;
    QTest::newRow("pipe") << Hostile::Pipe << "" << special << false;
    QTest::newRow("device") << Hostile::Device << "" << special << false;
    QTest::newRow("folder") << Hostile::Folder << "" << folder << false;
    QTest::newRow("journal: pipe")
        << Hostile::Pipe << "-journal" << companion("-journal", special) << false;
    QTest::newRow("wal: link") << Hostile::Link << "-wal" << companion("-wal", link) << false;
    QTest::newRow("full disk") << Hostile::FullDisk << ""
                               << "Der Datenträger ist voll." << true;
    QTest::newRow("file-size limit")
        << Hostile::SizeLimit << ""
        << "Der Datenträger ist voll, oder die Datei darf nicht größer werden." << true;
}

// Whatever someone put into the shared folder, or however full the disk is, the store refuses
// with the reason, promptly, and neither the folder nor anything outside it changes.
void TestSqliteHistoryStore::hostileObjects() {
    QFETCH(Hostile, object);
    QFETCH(QString, suffix);
    QFETCH(QString, writeReason);
    QFETCH(bool, readable);
    QTemporaryDir root;
    const QDir top(root.path());
    QVERIFY(top.mkdir(QStringLiteral("Klasse")) && top.mkdir(QStringLiteral("draussen")));
    const QString folder = top.filePath(QStringLiteral("Klasse"));
    const QString outside = top.filePath(QStringLiteral("draussen"));
    const QString path = QDir(folder).filePath(QStringLiteral("Lernverlauf.sqlite"));
    const QByteArray name = QFile::encodeName(path + suffix);
    {
        QFile victim(QDir(outside).filePath(QStringLiteral("Zeugnisse.txt")));
        QVERIFY(victim.open(QIODevice::WriteOnly) && victim.write(QByteArray(200, 'z')) == 200);
    }
    std::optional<FullDisk> disk;
    if (object == Hostile::FullDisk) {
        disk.emplace(folder);
        QVERIFY2(disk->mounted(), qPrintable(disk->mountError()));
    }
    if (!suffix.isEmpty() || object == Hostile::FullDisk || object == Hostile::SizeLimit) {
        SqliteHistoryStore writer(path);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(writer.record(makeRun(QStringLiteral("Anna"), QStringLiteral("+"),
                                           morning.addDays(i), 160)),
                     HistoryError());
    }
    switch (object) {
    case Hostile::Link:
        QCOMPARE(::symlink("../draussen/Zeugnisse.txt", name.constData()), 0);
        break;
    case Hostile::BrokenLink:
        QCOMPARE(::symlink("../draussen/neu", name.constData()), 0);
        break;
    case Hostile::Pipe:
        QCOMPARE(::mkfifo(name.constData(), 0666), 0);
        break;
    case Hostile::Device:
        QCOMPARE(::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)), 0);
        break;
    case Hostile::Folder:
        QCOMPARE(::mkdir(name.constData(), 0777), 0);
        break;
    case Hostile::FullDisk:
        QVERIFY(disk->fill());
        break;
    case Hostile::SizeLimit:
        break;
    }
    const QStringList folderBefore = folderObjects(folder);
    const QStringList outsideBefore = folderObjects(outside);

    const Watchdog watchdog;
    SqliteHistoryStore store(path, 100);
    {
        std::optional<FileSizeLimit> limit;
        if (object == Hostile::SizeLimit)
            limit.emplace(8 * 1024);
        QCOMPARE(store.record(makeRun(QStringLiteral("Bert"), QStringLiteral("+"), morning, 160)),
                 HistoryError(writeReason));
    }
    QStringList names;
    QList<HistoryRun> runs;
    const HistoryError expectedRead = readable ? HistoryError() : HistoryError(writeReason);
    QCOMPARE(store.participants(names), expectedRead);
    QCOMPARE(store.runs(QStringLiteral("Anna"), QStringLiteral("+"), runs), expectedRead);
    if (readable) {
        QCOMPARE(names, QStringList{QStringLiteral("Anna")});
        QCOMPARE(runs.size(), 6);
    }
    QCOMPARE(folderObjects(folder), folderBefore);
    QCOMPARE(folderObjects(outside), outsideBefore);
}

// A history changed by another program can hold tasks this program never poses, and a damaged
// one an index that names a run wrongly. Such rows are left out of what the store reads, so
// neither the figures nor a practice run compute with them; the child practises the rest.
void TestSqliteHistoryStore::craftedRowsAreLeftOut() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    SqliteHistoryStore store(path);
    HistoryRun run = makeRun(QStringLiteral("Mia"), QStringLiteral(":"), morning, 0);
    run.answers = {{1, 12, 3, 4, -1, QStringLiteral("5"), {}, false, 3000},
                   {2, 20, 4, 5, -1, QStringLiteral("5"), {}, true, 2000}};
    QCOMPARE(store.record(run), HistoryError());
    {
        RawConnection raw(path);
        // Each a wrong answer: the smallest int by -1, a divisor 0, an operand that only its low
        // 32 bits would make 6, an inexact quotient, an operand that is no number.
        for (const char* operands : {"-2147483648, -1", "5, 0", "4294967302, 3", "7, 2", "'x', 1"})
            QVERIFY(raw.exec(QStringLiteral("INSERT INTO answers (run_id, task_no, operand1, "
                                            "operand2, correct_result, correct_remainder, "
                                            "given_answer, given_remainder, correct, answer_ms) "
                                            "VALUES (1, 3, %1, 0, -1, '1', '', 0, 9000)")
                                 .arg(QLatin1String(operands))));
    }
    QList<HistoryRun> runs;
    QCOMPARE(store.runs(QStringLiteral("Mia"), QStringLiteral(":"), runs), HistoryError());
    QCOMPARE(described(runs), described({run}));
    QList<HistoryRun> everyone;
    QCOMPARE(store.everyonesRuns(QString(), everyone), HistoryError());
    QCOMPARE(everyone.size(), 1);
    QCOMPARE(everyone[0].answers.size(), 2);
    const QList<OperandPair> practice = practiceSelection(runs);
    QCOMPARE(practice, (QList<OperandPair>{{12, 3}}));

    // The practice run as the engine poses and checks it.
    RunState state;
    state.settings.operation = Operation::Divide;
    PracticeList source(practice);
    FixedClock clock;
    QCOMPARE(source.poseNext(state, clock), Generation::TaskPosed);
    state.answerText = QStringLiteral("4");
    QVERIFY(checkAnswer(state));

    // A damaged file whose index names Mia's run as Mya's: SQLite finds it under Mya, but the
    // run is not hers to see or practise.
    int page = 0;
    int pageSize = 0;
    {
        RawConnection raw(path);
        page = raw.value(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = "
                                        "'runs_by_child'"))
                   .toInt();
        pageSize = raw.value(QStringLiteral("PRAGMA page_size")).toInt();
    }
    QByteArray bytes = contents(path);
    const qsizetype at = bytes.indexOf("Mia", qsizetype(page - 1) * pageSize);
    QVERIFY(page > 0 && at >= 0 && at < qsizetype(page) * pageSize);
    bytes[at + 1] = 'y';
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    SqliteHistoryStore reader(path);
    for (const QString& operation : {QStringLiteral(":"), QString()}) {
        QCOMPARE(reader.runs(QStringLiteral("Mya"), operation, runs), HistoryError());
        QCOMPARE(described(runs), QStringList());
    }
}

// A child's runs handed over one by one are those runs() reads, in the same order, whatever the
// order of the rows in the file: runs of several children mixed, a run recorded after a later
// one, a run without answers, an answer added to an old run afterwards, and answers whose run id
// is no whole number.
void TestSqliteHistoryStore::runsHandedOverAsRead() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    SqliteHistoryStore store(path);
    const QString anna = QStringLiteral("Anna");
    for (const HistoryRun& run :
         {makeRun(anna, QStringLiteral("*"), morning, 3),
          makeRun(QStringLiteral("Ben"), QStringLiteral("*"), morning.addSecs(60), 2),
          makeRun(anna, QStringLiteral("+"), morning.addSecs(90), 2),
          makeRun(anna, QStringLiteral("*"), morning.addSecs(-3600), 4),
          makeRun(anna, QStringLiteral("*"), morning.addSecs(7200), 0),
          makeRun(anna, QStringLiteral("*"), morning.addSecs(7300), 1)})
        QCOMPARE(store.record(run), HistoryError());
    {
        RawConnection raw(path);
        for (const char* runId : {"1", "'1x'", "1.5", "'x'", "4"})
            QVERIFY(raw.exec(QStringLiteral("INSERT INTO answers (run_id, task_no, operand1, "
                                            "operand2, correct_result, correct_remainder, "
                                            "given_answer, given_remainder, correct, answer_ms) "
                                            "VALUES (%1, 0, 6, 7, 42, -1, '41', '', 0, 4000)")
                                 .arg(QLatin1String(runId))));
    }
    const auto untyped = [](QList<HistoryRun> runs) {
        for (HistoryRun& run : runs) {
            run.startedAt = run.startedAt.toLocalTime();
            for (AnsweredTask& answer : run.answers)
                answer.givenAnswer = answer.givenRemainder = QString();
        }
        return runs;
    };
    SqliteHistoryStore reader(path);
    for (const QString& operation : {QStringLiteral("*"), QString()}) {
        QList<HistoryRun> read;
        QCOMPARE(reader.runs(anna, operation, read), HistoryError());
        QCOMPARE(read.size(), operation.isEmpty() ? 5 : 4);
        // The first run recorded, second in time, with the answer added to it afterwards.
        QCOMPARE(read[1].answers.size(), 4);
        QList<HistoryRun> visited;
        QCOMPARE(reader.eachRun(anna, operation, [&](const HistoryRun& run) { visited << run; }),
                 HistoryError());
        QCOMPARE(described(untyped(visited)), described(untyped(read)));
    }
}

QTEST_GUILESS_MAIN(TestSqliteHistoryStore)
#include "tst_sqlite_history_store.moc"
