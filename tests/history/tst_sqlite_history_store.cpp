#include "engine/answer_check.h"
#include "engine/task_source.h"
#include "history/file/sqlite_history_store.h"
#include "history/model/history_stats.h"
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
    void earlierFilesAreWritten_data();
    void earlierFilesAreWritten();
    void failedInsertLeavesNothing();
    void faults_data();
    void faults();
    void hostileObjects_data();
    void hostileObjects();
    void craftedRowsAreLeftOut();
    void runsHandedOverAsRead();
    void sumsShowWhatTheAnswersShow_data();
    void sumsShowWhatTheAnswersShow();
};

void TestSqliteHistoryStore::earlierFilesAreWritten_data() {
    QTest::addColumn<int>("version"); // as the file says before it is written
    QTest::newRow("first version") << 1;
    QTest::newRow("second version, without adaptive") << 2;
}

// A history written by an earlier version (the first: runs without by_ear; the second: without
// adaptive) is read as it is, none of its runs fitted to the child, and the next recorded run adds
// the missing columns without changing what was there or the version the second one writes.
void TestSqliteHistoryStore::earlierFilesAreWritten() {
    QFETCH(int, version);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    QStringList before{QStringLiteral("Mia|2026-11-29T10:15:00|*|0 .. 10|0 .. 10|60|0|2|1|gesehen"
                                      " [1 7 8 56 -1 56  1 2100] [2 6 4 24 -1 25  0 3400]")};
    if (version == 1) {
        QVERIFY(QFile::copy(QStringLiteral(KALU_HISTORY_DATA_DIR "/Lernverlauf_v1.sqlite"), path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    } else {
        HistoryRun heard = makeRun(QStringLiteral("Mia"), Operation::Add, morning.addDays(-1), 1);
        heard.byEar = true;
        QCOMPARE(SqliteHistoryStore(path).record(heard), Outcome());
        QVERIFY(RawConnection(path).exec(QStringLiteral("ALTER TABLE runs DROP COLUMN adaptive")));
        before = described({heard});
    }
    HistoryRun fitted = makeRun(QStringLiteral("Mia"), Operation::Multiply, morning, 2);
    fitted.byEar = fitted.adaptive = true;
    QList<HistoryRun> got;
    {
        SqliteHistoryStore store(path);
        QCOMPARE(filled(store.runs(QStringLiteral("Mia"), std::nullopt), got), Outcome());
        QCOMPARE(described(got), before);
        QCOMPARE(filled(store.everyonesRuns(Operation::DivideWithRemainder), got), Outcome());
        QCOMPARE(got.size(), 2 - version); // the second version's run is one of "+"
        QVERIFY(got.isEmpty() || (!got.first().byEar && !got.first().adaptive));
    }
    QCOMPARE(RawConnection(path).value(QStringLiteral("PRAGMA user_version")).toInt(), version);
    SqliteHistoryStore store(path);
    QCOMPARE(store.record(fitted), Outcome());
    QCOMPARE(filled(store.runs(QStringLiteral("Mia"), std::nullopt), got), Outcome());
    QCOMPARE(described(got), before + described({fitted}));
    const RawConnection raw(path);
    QCOMPARE(raw.value(QStringLiteral("PRAGMA user_version")).toInt(), 2);
    // The start of a run as local time in a text that sorts.
    QCOMPARE(raw.value(QStringLiteral("SELECT started_at FROM runs WHERE adaptive = 1")),
             QVariant(QStringLiteral("2026-12-08T09:03:12")));
}

// A run is written whole or not at all: an answer the file refuses takes the run with it.
void TestSqliteHistoryStore::failedInsertLeavesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    SqliteHistoryStore store(path);
    QCOMPARE(store.record(makeRun(QStringLiteral("Anna"), Operation::Add, morning, 4)), Outcome());
    {
        RawConnection raw(path);
        QVERIFY(raw.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON answers WHEN "
                                        "NEW.task_no = 3 BEGIN SELECT RAISE(ABORT, 'nein'); END")));
    }
    const QByteArray before = contents(path);
    QVERIFY(store.record(makeRun(QStringLiteral("Bert"), Operation::Add, morning, 5)));
    QCOMPARE(contents(path), before);
    QStringList names;
    QCOMPARE(filled(store.participants(), names), Outcome());
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
            QCOMPARE(writer.record(
                         makeRun(QStringLiteral("Anna"), Operation::Add, morning.addDays(i), 160)),
                     Outcome());
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
    QCOMPARE(reasonOf(store.record(makeRun(QStringLiteral("Bert"), Operation::Add, morning, 2))),
             writeReason);
    QStringList names;
    QList<HistoryRun> runs;
    QCOMPARE(reasonOf(filled(store.participants(), names)), readReason);
    QCOMPARE(reasonOf(filled(store.runs(QStringLiteral("Anna"), Operation::Add), runs)),
             readReason);
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
            QCOMPARE(writer.record(
                         makeRun(QStringLiteral("Anna"), Operation::Add, morning.addDays(i), 160)),
                     Outcome());
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
        QCOMPARE(
            reasonOf(store.record(makeRun(QStringLiteral("Bert"), Operation::Add, morning, 160))),
            writeReason);
    }
    QStringList names;
    QList<HistoryRun> runs;
    const QString expectedRead = readable ? QString() : writeReason;
    QCOMPARE(reasonOf(filled(store.participants(), names)), expectedRead);
    QCOMPARE(reasonOf(filled(store.runs(QStringLiteral("Anna"), Operation::Add), runs)),
             expectedRead);
    if (readable) {
        QCOMPARE(names, QStringList{QStringLiteral("Anna")});
        QCOMPARE(runs.size(), 6);
    }
    QCOMPARE(folderObjects(folder), folderBefore);
    QCOMPARE(folderObjects(outside), outsideBefore);
}

// A history changed by another program can hold tasks this program never poses or runs of an
// operation it does not know, and a damaged one an index that names a run wrongly. Such rows are
// left out of what the store reads, so neither the figures nor a practice run compute with them;
// the child practises the rest.
void TestSqliteHistoryStore::craftedRowsAreLeftOut() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    SqliteHistoryStore store(path);
    HistoryRun run = makeRun(QStringLiteral("Mia"), Operation::Divide, morning, 0);
    run.answers = {{1, 12, 3, 4, -1, QStringLiteral("5"), {}, false, 3000},
                   {2, 20, 4, 5, -1, QStringLiteral("5"), {}, true, 2000}};
    QCOMPARE(store.record(run), Outcome());
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
        // Ute's run of an operation the program does not know, with a task any operation poses.
        QVERIFY(raw.exec(QStringLiteral(
            "INSERT INTO runs (participant, started_at, operation, range1, range2, time_limit, "
            "competition, tasks_worked, points) VALUES ('Ute', '2026-12-08T09:00:00', '=1', "
            "'0 .. 10', '1 .. 10', 0, 0, 1, 1)")));
        QVERIFY(raw.exec(QStringLiteral(
            "INSERT INTO answers (run_id, task_no, operand1, operand2, correct_result, "
            "correct_remainder, given_answer, given_remainder, correct, answer_ms) VALUES "
            "((SELECT max(id) FROM runs), 1, 6, 3, 9, -1, '8', '', 0, 1000)")));
    }
    QList<HistoryRun> runs;
    QCOMPARE(filled(store.runs(QStringLiteral("Mia"), Operation::Divide), runs), Outcome());
    QCOMPARE(described(runs), described({run}));
    QList<HistoryRun> everyone;
    QCOMPARE(filled(store.everyonesRuns(std::nullopt), everyone), Outcome());
    QCOMPARE(everyone.size(), 1);
    QCOMPARE(everyone[0].answers.size(), 2);
    // Ute's run is left out by every reader.
    QList<HistoryRun> ute;
    QCOMPARE(filled(store.runs(QStringLiteral("Ute"), std::nullopt), ute), Outcome());
    QVERIFY(ute.isEmpty());
    int visited = 0;
    QCOMPARE(
        store.eachRun(QStringLiteral("Ute"), std::nullopt, [&](const HistoryRun&) { ++visited; }),
        Outcome());
    QCOMPARE(visited, 0);
    ClassTotals totals;
    QCOMPARE(filled(store.classTotals(std::nullopt, [](const QDateTime&) { return true; }), totals),
             Outcome());
    QCOMPARE(totals.runs.size(), 1);
    QCOMPARE(totals.runs[0].participant, QStringLiteral("Mia"));
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
    for (const std::optional<Operation> operation :
         {std::optional(Operation::Divide), std::optional<Operation>()}) {
        QCOMPARE(filled(reader.runs(QStringLiteral("Mya"), operation), runs), Outcome());
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
         {makeRun(anna, Operation::Multiply, morning, 3),
          makeRun(QStringLiteral("Ben"), Operation::Multiply, morning.addSecs(60), 2),
          makeRun(anna, Operation::Add, morning.addSecs(90), 2),
          makeRun(anna, Operation::Multiply, morning.addSecs(-3600), 4),
          makeRun(anna, Operation::Multiply, morning.addSecs(7200), 0),
          makeRun(anna, Operation::Multiply, morning.addSecs(7300), 1)})
        QCOMPARE(store.record(run), Outcome());
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
    for (const std::optional<Operation> operation :
         {std::optional(Operation::Multiply), std::optional<Operation>()}) {
        QList<HistoryRun> read;
        QCOMPARE(filled(reader.runs(anna, operation), read), Outcome());
        QCOMPARE(read.size(), !operation ? 5 : 4);
        // The first run recorded, second in time, with the answer added to it afterwards.
        QCOMPARE(read[1].answers.size(), 4);
        QList<HistoryRun> visited;
        QCOMPARE(reader.eachRun(anna, operation, [&](const HistoryRun& run) { visited << run; }),
                 Outcome());
        QCOMPARE(described(untyped(visited)), described(untyped(read)));
    }
}

enum class SumsCase { Recorded, FileOfBefore, AddedByEarlierVersion, Busy, VersionOne, NoStart };

void TestSqliteHistoryStore::sumsShowWhatTheAnswersShow_data() {
    QTest::addColumn<SumsCase>("kind");
    QTest::addColumn<bool>("summedToTheEnd"); // every run's sums in the file afterwards
    QTest::newRow("recorded by this version") << SumsCase::Recorded << true;
    QTest::newRow("file without sums") << SumsCase::FileOfBefore << true;
    QTest::newRow("runs added by an earlier version") << SumsCase::AddedByEarlierVersion << true;
    QTest::newRow("file without sums that another program writes") << SumsCase::Busy << false;
    QTest::newRow("first version's file") << SumsCase::VersionOne << true;
    QTest::newRow("a run without a start") << SumsCase::NoStart << false;
}

// What the window shows of a child's runs of an operation is the same from the sums the file
// keeps as from the answers, however the runs came into the file: recorded by this version, in a
// file of before, added by an earlier version after the sums, in a file that cannot be written,
// in a file of the first version, after a run whose start is missing. The sums are filled where
// the file can be written and the schema's version stays, so an earlier version still writes it.
void TestSqliteHistoryStore::sumsShowWhatTheAnswersShow() {
    QFETCH(SumsCase, kind);
    QFETCH(bool, summedToTheEnd);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    if (kind == SumsCase::VersionOne) {
        QVERIFY(QFile::copy(QStringLiteral(KALU_HISTORY_DATA_DIR "/Lernverlauf_v1.sqlite"), path));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    }
    const QString anna = QStringLiteral("Anna");
    // Runs out of time order, two at the same moment, one without answers; the times differ so
    // that the practice choice has slow answers to pick.
    QList<HistoryRun> runs{
        makeRun(anna, Operation::Multiply, morning, 9),
        makeRun(QStringLiteral("Ben"), Operation::Multiply, morning.addSecs(60), 5),
        makeRun(anna, Operation::Add, morning.addSecs(90), 4),
        makeRun(anna, Operation::Multiply, morning.addSecs(-3600), 12),
        makeRun(anna, Operation::Multiply, morning.addSecs(7200), 0),
        makeRun(anna, Operation::Multiply, morning.addSecs(7200), 7),
        makeRun(QStringLiteral("Mia"), Operation::Multiply, morning.addDays(-20), 3)};
    for (qsizetype r = 0; r < runs.size(); ++r)
        for (qsizetype a = 0; a < runs[r].answers.size(); ++a)
            runs[r].answers[a].answerMs = 300 + (r * 7919 + a * 104729) % 6000 - (a == 2 ? 900 : 0);
    // An earlier version writes a run and its answers, and nothing else; startedAt as SQL.
    const auto recordAsBefore = [&](const HistoryRun& run, const QString& startedAt) {
        const RawConnection raw(path);
        QVERIFY(raw.exec(QStringLiteral("INSERT INTO runs (participant, started_at, operation, "
                                        "range1, range2, time_limit, competition, tasks_worked, "
                                        "points) VALUES ('%1', %2, '%3', '', '', 0, 0, 0, 0)")
                             .arg(run.participant, startedAt, operationText(run.operation))));
        for (const AnsweredTask& a : run.answers)
            QVERIFY(raw.exec(
                QStringLiteral("INSERT INTO answers (run_id, task_no, operand1, operand2, "
                               "correct_result, correct_remainder, given_answer, given_remainder, "
                               "correct, answer_ms) VALUES ((SELECT max(id) FROM runs), %1, %2, "
                               "%3, %4, -1, '', '', %5, %6)")
                    .arg(a.taskNo)
                    .arg(a.operand1)
                    .arg(a.operand2)
                    .arg(a.correctResult)
                    .arg(a.correct ? 1 : 0)
                    .arg(a.answerMs)));
    };
    const auto startText = [](const HistoryRun& run) {
        return run.startedAt.toString(QStringLiteral("''yyyy-MM-ddTHH:mm:ss''"));
    };
    {
        SqliteHistoryStore store(path);
        for (qsizetype r = 0; r < 4; ++r)
            QCOMPARE(store.record(runs[r]), Outcome());
    }
    if (kind == SumsCase::FileOfBefore || kind == SumsCase::Busy) {
        const RawConnection raw(path);
        for (const char* table : {"run_sums", "task_sums", "right_times", "sums_state"})
            QVERIFY(raw.exec(QStringLiteral("DROP TABLE %1").arg(QLatin1String(table))));
        QVERIFY(raw.exec(QStringLiteral("VACUUM")));
    }
    for (qsizetype r = 4; r < runs.size(); ++r) {
        if (kind == SumsCase::Recorded || kind == SumsCase::VersionOne) {
            QCOMPARE(SqliteHistoryStore(path).record(runs[r]), Outcome());
        } else {
            recordAsBefore(runs[r], kind == SumsCase::NoStart && r == 5 ? QStringLiteral("NULL")
                                                                        : startText(runs[r]));
        }
    }
    // Another program in the middle of writing: reading goes on, writing waits.
    std::optional<RawConnection> writer;
    if (kind == SumsCase::Busy) {
        writer.emplace(path);
        QVERIFY(writer->exec(QStringLiteral("BEGIN IMMEDIATE")));
    }
    const QByteArray before = contents(path);

    // What the window shows, as a text that names every figure; few chart points, so that runs
    // share them. The practice tasks are compared as they are.
    const auto shown = [](const HistoryTally& tally) {
        const auto n = [](double v) { return QString::number(v, 'g', 17); };
        const auto point = [&](const RunFigures& f) {
            return QStringList{QString::number(f.startedAt.toMSecsSinceEpoch()), n(f.rightAnswers),
                               n(f.answers), n(f.solvedPerMinute), n(f.rightShare)};
        };
        QStringList lines;
        for (const RunFigures& f : tally.points())
            lines << QStringLiteral("Punkt ") + point(f).join(QLatin1Char(' '));
        if (tally.latest())
            lines << QStringLiteral("Letzter ") + point(*tally.latest()).join(QLatin1Char(' '));
        QList<TaskFigures> tasks = tally.tasks();
        for (const auto& row : tally.timesTable())
            tasks.append(QList<TaskFigures>(row.cbegin(), row.cend()));
        for (const TaskFigures& t : tasks)
            lines << QStringList{n(t.operand1), n(t.operand2), n(t.misses), n(t.attempts),
                                 n(t.meanMs)}
                         .join(QLatin1Char(' '));
        return lines;
    };
    SqliteHistoryStore store(path, kind == SumsCase::Busy ? 100 : 5000);
    for (const QString& name : {anna, QStringLiteral("Ben"), QStringLiteral("Mia")}) {
        for (const Operation operation : {Operation::Multiply, Operation::Add}) {
            QList<HistoryRun> read;
            QCOMPARE(filled(store.runs(name, operation), read), Outcome());
            HistoryTally fromAnswers(3);
            for (const HistoryRun& run : read)
                fromAnswers.add(run);
            HistoryTally fromSums(3);
            QCOMPARE(store.tallyRuns(name, operation, fromSums), Outcome());
            QCOMPARE(fromSums.runCount(), fromAnswers.runCount());
            QCOMPARE(shown(fromSums), shown(fromAnswers));
            QCOMPARE(fromSums.practiceTasks(), fromAnswers.practiceTasks());
        }
    }
    if (writer) {
        QCOMPARE(contents(path), before);
        writer.reset();
    }
    {
        const RawConnection raw(path);
        QCOMPARE(raw.value(QStringLiteral("PRAGMA user_version")).toInt(), 2);
        const QVariant summedTo = raw.value(QStringLiteral("SELECT summed_to FROM sums_state"));
        const qint64 lastRun = raw.value(QStringLiteral("SELECT max(id) FROM runs")).toLongLong();
        QCOMPARE(summedTo.isValid() && summedTo.toLongLong() == lastRun, summedToTheEnd);
    }
    // An earlier version adds a run to a file with sums; it shows at once.
    if (kind != SumsCase::Busy) {
        recordAsBefore(runs[0],
                       startText(runs[0]).replace(QStringLiteral("2026"), QStringLiteral("2027")));
        HistoryTally fromSums;
        QCOMPARE(store.tallyRuns(anna, Operation::Multiply, fromSums), Outcome());
        QCOMPARE(fromSums.latest()->startedAt.date().year(), 2027);
    }
}

QTEST_GUILESS_MAIN(TestSqliteHistoryStore)
#include "tst_sqlite_history_store.moc"
