// Both stores of the learning history, the file and the school's server, against what they must
// give back; and the server's store where the server or the network lets it down. The server is
// a real one of the test's own.
#include "history/file/sqlite_history_store.h"
#include "history/model/class_overview.h"
#include "history/server/history_queue.h"
#include "history/server/postgres_history_store.h"
#include "history/server/queued_history_store.h"
#include "support/history_runs.h"
#include "support/pg_server.h"
#include "support/silent_server.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <chrono>
#include <csignal>
#include <libpq-fe.h>
#include <netdb.h>
#include <thread>
#include <unistd.h>

namespace {

const QDateTime morning(QDate(2026, 12, 8), QTime(9, 3, 12));

// A store call that blocks ends the test (SIGALRM) instead of hanging it.
struct Watchdog {
    explicit Watchdog(unsigned seconds) { ::alarm(seconds); }
    ~Watchdog() { ::alarm(0); }
};

QString keptLocally(const QString& location, const QString& reason) {
    return QStringLiteral("Der Lernverlauf kann gerade nicht auf dem Server\n%1\naufgezeichnet "
                          "werden:\n%2\n\nKalumbrixtor bewahrt die Läufe auf diesem Rechner auf "
                          "und schickt sie dem Server, sobald er wieder erreichbar ist.")
        .arg(location, reason);
}

const QString refused =
    QStringLiteral("Der Rechner nimmt keine Verbindung an: Der Datenbankserver läuft nicht, oder "
                   "die Portnummer stimmt nicht.");
const QString broken = QStringLiteral("Die Verbindung zum Server ist abgebrochen.");
const QString shuttingDown =
    QStringLiteral("Der Datenbankserver fährt gerade herunter oder startet neu.");

enum class Store { Memory, File, Server };
enum class Away {
    LoginRefused,
    PasswordFileOpen,
    UnknownHost,
    NameServiceSilent,
    ServerDown,
    NeverAnswers,
    SslRequired
};

// The name lookups of a test: none finds a name, or none ever finishes.
int noSuchName(const char*, const char*, const addrinfo*, addrinfo**) {
    return EAI_NONAME;
}
int silentNameService(const char*, const char*, const addrinfo*, addrinfo**) {
    std::this_thread::sleep_for(std::chrono::seconds(30));
    return EAI_AGAIN;
}
struct NameService {
    explicit NameService(NameLookup lookup) { setNameLookup(lookup); }
    ~NameService() { setNameLookup(nullptr); }
};
enum class Stop { DuringRun, DuringQueue };

} // namespace

class TestHistoryStores : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void recordAndReadBack_data();
    void recordAndReadBack();
    void serverAway_data();
    void serverAway();
    void serverStops_data();
    void serverStops();
    void olderServerDatabases_data();
    void olderServerDatabases();
    void queueOnThisComputer();
    void computersRole();
    void thirtyComputersAtOnce();
    void copyingAHistoryFileTwice();
    void copyingWithoutDisplay();

private:
    // A new, empty database on the server, owned by the role of the refused logins.
    QString newDatabase();
    // Who is on the server, in the order the runs arrived.
    QString arrivals(const QString& database);
    // Stops the server from another thread as soon as a session sleeps in the brake; counts
    // first, in waiting, how many runs the queue file holds at that moment.
    std::thread stopWhenBraked(const QString& database, const QString& queueFile,
                               qsizetype& waiting);

    TestServer server_;
    int databases_ = 0;
};

void TestHistoryStores::initTestCase() {
    const Watchdog watchdog(120);
    QVERIFY2(server_.start(), qPrintable(server_.error()));
}

QString TestHistoryStores::newDatabase() {
    const QString name = QStringLiteral("verlauf%1").arg(++databases_);
    if (!server_.exec(QStringLiteral("postgres"),
                      QStringLiteral("CREATE DATABASE %1 OWNER lehrer").arg(name)))
        qWarning("%s", qPrintable(server_.error()));
    return name;
}

QString TestHistoryStores::arrivals(const QString& database) {
    return server_.value(database,
                         QStringLiteral("SELECT string_agg(participant || '/' || (SELECT count(*) "
                                        "FROM answers a WHERE a.run_id = r.id), ',' ORDER BY id) "
                                        "FROM runs r"));
}

std::thread TestHistoryStores::stopWhenBraked(const QString& database, const QString& queueFile,
                                              qsizetype& waiting) {
    const qint64 pid = server_.pid();
    TestServer* server = &server_;
    return std::thread([server, pid, database, queueFile, &waiting] {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 20000 &&
               server->value(database, QStringLiteral("SELECT count(*) FROM pg_stat_activity "
                                                      "WHERE wait_event = 'PgSleep'")) !=
                   QLatin1String("1"))
            QThread::msleep(20);
        const Result<qsizetype> n = HistoryQueue(queueFile).count();
        waiting = n ? *n : 0;
        ::kill(pid_t(pid), SIGINT);
    });
}

void TestHistoryStores::recordAndReadBack_data() {
    QTest::addColumn<Store>("kind");
    QTest::newRow("file in memory") << Store::Memory;
    QTest::newRow("file") << Store::File;
    QTest::newRow("server") << Store::Server;
}

// What a store is given, it gives back field by field, for one child, one operation, and the
// whole class, and added up for the class overview; a fresh store on the same history sees the
// same.
void TestHistoryStores::recordAndReadBack() {
    QFETCH(Store, kind);
    const Watchdog watchdog(60);
    QTemporaryDir dir;
    const QString database = kind == Store::Server ? newDatabase() : QString();
    const auto open = [&]() -> std::unique_ptr<HistoryStore> {
        switch (kind) {
        case Store::Memory:
            return std::make_unique<SqliteHistoryStore>(QStringLiteral(":memory:"));
        case Store::File:
            return std::make_unique<SqliteHistoryStore>(
                dir.filePath(QStringLiteral("Lernverlauf.sqlite")));
        case Store::Server:
            break;
        }
        return std::make_unique<QueuedHistoryStore>(
            PostgresHistoryStore::factory(server_.uri(database)),
            dir.filePath(QStringLiteral("Warteschlange.sqlite")));
    };
    const QString odd = QStringLiteral("Änne O'Brien; \"Ü\" -- DROP {a,b} \\");
    HistoryRun late = makeRun(odd, Operation::DivideWithRemainder, morning.addSecs(3600), 160);
    late.byEar = true;
    HistoryRun early = makeRun(odd, Operation::Add, morning, 3);
    early.adaptive = true;
    const HistoryRun other =
        makeRun(QStringLiteral("zoe"), Operation::DivideWithRemainder, morning, 2);
    {
        const std::unique_ptr<HistoryStore> store = open();
        // Reading before the first run finds nothing and leaves the folder empty.
        QStringList names{QStringLiteral("alt")};
        QCOMPARE(filled(store->participants(), names), Outcome());
        QVERIFY(names.isEmpty() && QDir(dir.path()).isEmpty());
        for (const HistoryRun& run : {late, other, early})
            QCOMPARE(store->record(run), Outcome());
        if (kind == Store::Server)
            QCOMPARE(static_cast<QueuedHistoryStore&>(*store).sendWaiting(), Outcome());
        QCOMPARE(store->takeNotice(), QString());
        if (kind == Store::Memory) {
            QList<HistoryRun> got;
            QCOMPARE(filled(store->runs(odd, Operation::DivideWithRemainder), got), Outcome());
            QCOMPARE(described(got), described({late}));
            return;
        }
    }
    const std::unique_ptr<HistoryStore> store = open();
    QStringList names;
    QCOMPARE(store->record(makeRun(QStringLiteral("Anna"), Operation::Multiply, morning, 1)),
             Outcome());
    QCOMPARE(filled(store->participants(), names), Outcome());
    QCOMPARE(names, QStringList({QStringLiteral("Anna"), odd, QStringLiteral("zoe")}));
    // A window's reading thread finds the same through the store the factory makes there.
    const HistoryStoreFactory readerFactory = store->readerFactory();
    QVERIFY(readerFactory);
    QStringList namesThere;
    Outcome errorThere = Failure{Failure::Kind::Io, QStringLiteral("nicht gelesen")};
    std::thread([&] { errorThere = filled(readerFactory()->participants(), namesThere); }).join();
    QCOMPARE(errorThere, Outcome());
    QCOMPARE(namesThere, names);
    QList<HistoryRun> got;
    QCOMPARE(filled(store->runs(odd, Operation::DivideWithRemainder), got), Outcome());
    QCOMPARE(described(got), described({late}));
    QCOMPARE(filled(store->runs(odd, std::nullopt), got), Outcome());
    QCOMPARE(described(got), described({early, late}));
    QCOMPARE(filled(store->runs(QStringLiteral("Zoe"), std::nullopt), got), Outcome());
    QVERIFY(got.isEmpty());
    // The whole class in one read: every child's runs, oldest first, without what was typed.
    auto untyped = [](QList<HistoryRun> runs) {
        for (HistoryRun& run : runs) {
            for (AnsweredTask& answer : run.answers)
                answer.givenAnswer = answer.givenRemainder = QString();
        }
        return runs;
    };
    // One child's runs handed over one by one, as runs() reads them.
    for (const std::optional<Operation> operation :
         {std::optional(Operation::DivideWithRemainder), std::optional<Operation>()}) {
        QList<HistoryRun> visited;
        QCOMPARE(store->eachRun(odd, operation,
                                [&](const HistoryRun& run) {
                                    visited << run;
                                    visited.last().startedAt = run.startedAt.toLocalTime();
                                }),
                 Outcome());
        QCOMPARE(described(untyped(visited)),
                 described(untyped(!operation ? QList{early, late} : QList{late})));
    }
    QCOMPARE(filled(store->everyonesRuns(Operation::DivideWithRemainder), got), Outcome());
    QCOMPARE(described(got), described(untyped({other, late})));
    QCOMPARE(filled(store->everyonesRuns(std::nullopt), got), Outcome());
    QCOMPARE(got.size(), 4);

    // The schema's version, and the start of a run as local time in a text that sorts (the
    // file's are its own test's); no run is left waiting on this computer.
    if (kind == Store::Server) {
        QCOMPARE(server_.value(database, QStringLiteral("SELECT version FROM schema_version")),
                 QString::number(PostgresHistoryStore::schemaVersion));
        QCOMPARE(server_.value(database,
                               QStringLiteral("SELECT started_at FROM runs ORDER BY id LIMIT 1")),
                 QStringLiteral("2026-12-08T10:03:12"));
        QCOMPARE(static_cast<QueuedHistoryStore&>(*store).waiting(), 0);
    }

    // The class overview's sums as the store gives them make the figures of the runs as read:
    // only tasks the program poses count, and the most missed go by misses, then by their share
    // of misses, which needs every answer to them. A server database of the first version gains
    // the sums' table, and its runs without sums are added up from their answers.
    const auto run = [](const QString& name, Operation operation, const QDateTime& at,
                        const QList<std::array<qint32, 4>>& answers) {
        HistoryRun r = makeRun(name, operation, at, 0);
        for (const auto& [operand1, operand2, right, ms] : answers)
            r.answers << AnsweredTask{
                int(r.answers.size()) + 1, operand1, operand2, 0, -1, {}, {}, right != 0, ms};
        return r;
    };
    const QDate today(2026, 12, 8);
    const QString mia = QStringLiteral("Mia");
    const QString ben = QStringLiteral("Ben");
    // Mia missed 3 * 4 2 of 2 times, 5 * 5 2 of 3, 2 * 2 2 of 4, 6 * 6 once; 9 * 9 three times, but
    // before the last 30 days. Two answers to ":" and one to "+" pose no task.
    const QList<HistoryRun> history{
        run(mia, Operation::Multiply, QDateTime(today.addDays(-1), QTime(10, 0)),
            {{3, 4, 0, 2000},
             {3, 4, 0, 2000},
             {2, 2, 0, 1000},
             {2, 2, 1, 1000},
             {2, 2, 1, 1000},
             {2, 2, 0, 1000},
             {5, 5, 0, 3000},
             {5, 5, 1, 3000},
             {5, 5, 0, 3000},
             {6, 6, 0, 3000}}),
        run(mia, Operation::Multiply, QDateTime(today.addDays(-60), QTime(10, 0)),
            {{9, 9, 0, 1000}, {9, 9, 0, 1000}, {9, 9, 0, 1000}}),
        run(mia, Operation::Divide, QDateTime(today, QTime(9, 0)),
            {{7, 0, 0, 500}, {8, 3, 0, 500}, {8, 4, 1, 1000}}),
        run(ben, Operation::Add, QDateTime(today.addDays(-2), QTime(9, 0)),
            {{40000, 1, 0, 100}, {7, 8, 1, 6000}, {7, 8, 0, 6000}})};
    for (const HistoryRun& r : history)
        QCOMPARE(store->record(r), Outcome());
    const QMap<OverviewPeriod, QStringList> miasMissed{
        {OverviewPeriod::Month, {"3 * 4", "5 * 5", "2 * 2"}},
        {OverviewPeriod::Everything, {"9 * 9", "3 * 4", "5 * 5"}}};
    for (const bool firstVersion : {false, true}) {
        if (firstVersion) {
            if (kind != Store::Server)
                break;
            // A database of the first version, without sums: the next store brings it up to date.
            QVERIFY(server_.exec(database,
                                 QStringLiteral("DROP TABLE run_totals; DROP INDEX answers_missed, "
                                                "answers_by_task; UPDATE schema_version SET "
                                                "version = 1")));
        }
        const std::unique_ptr<HistoryStore> again = open();
        const QStringList names{mia, ben};
        QList<HistoryRun> runs;
        QCOMPARE(filled(again->everyonesRuns(std::nullopt), runs), Outcome());
        for (const OverviewPeriod period : miasMissed.keys()) {
            ClassTotals totals;
            QCOMPARE(filled(again->classTotals(std::nullopt, periodOf(period, today)), totals),
                     Outcome());
            const QList<ChildFigures> got = classFigures(totals, names, period, today);
            const QList<ChildFigures> read = classFigures(runs, names, period, today);
            QCOMPARE(got.size(), 2);
            for (int child = 0; child < 2; ++child) {
                for (int column = 0; column < overviewColumnCount; ++column)
                    QCOMPARE(overviewCell(got[child], OverviewColumn(column), CellForm::Written),
                             overviewCell(read[child], OverviewColumn(column), CellForm::Written));
            }
            QCOMPARE(got[0].mostMissed, miasMissed[period]);
            QCOMPARE(got[0].rightShare, period == OverviewPeriod::Month ? 4 / 11.0 : 4 / 14.0);
            QCOMPARE(got[1].mostMissed, QStringList({"7 + 8"}));
            QCOMPARE(got[1].rightShare, 0.5);
        }
        if (firstVersion)
            QCOMPARE(server_.value(database, QStringLiteral("SELECT version FROM schema_version")),
                     QString::number(PostgresHistoryStore::schemaVersion));
    }
}

void TestHistoryStores::serverAway_data() {
    QTest::addColumn<Away>("away");
    QTest::addColumn<QString>("reason");
    // A setting the server will not take is refused; a server away is unreachable.
    QTest::addColumn<Failure::Kind>("kind");
    constexpr Failure::Kind refusedSetting = Failure::Kind::Refused;
    constexpr Failure::Kind away = Failure::Kind::Unreachable;
    QTest::newRow("login refused")
        << Away::LoginRefused
        << QStringLiteral("Der Server hat die Anmeldung abgelehnt (Benutzername oder Passwort "
                          "stimmt nicht, oder der Zugang ist nicht erlaubt).")
        << refusedSetting;
    QTest::newRow("password file open to others")
        << Away::PasswordFileOpen
        << QStringLiteral("PostgreSQL liest die Passwortdatei %1 nicht, weil auch andere Benutzer "
                          "sie lesen dürfen (Zugriffsrechte 0644). Mit „chmod 600 %1“ liest es "
                          "sie wieder.")
        << refusedSetting;
    QTest::newRow("unknown host") << Away::UnknownHost
                                  << QStringLiteral("Einen Rechner dieses Namens gibt es im Netz "
                                                    "nicht.")
                                  << away;
    QTest::newRow("name service silent")
        << Away::NameServiceSilent
        << QStringLiteral("Der Name des Servers (schulserver.invalid) konnte nicht innerhalb von "
                          "3 Sekunden nachgeschlagen werden: Der Namensdienst (DNS) des Netzes "
                          "antwortet nicht.")
        << away;
    QTest::newRow("server down") << Away::ServerDown << refused << away;
    QTest::newRow("server never answers")
        << Away::NeverAnswers
        << QStringLiteral("Der Server hat nicht innerhalb von 3 Sekunden geantwortet.") << away;
    QTest::newRow("encryption required")
        << Away::SslRequired
        << QStringLiteral("Der Server bietet keine verschlüsselte Verbindung an, die Einstellung "
                          "(sslmode) verlangt aber eine. (server does not support SSL, but SSL "
                          "was required)")
        << refusedSetting;
}

// A server that cannot be reached costs the child no run: each run is in the queue on this
// computer when recording returns, one message names the server and the reason, and the next call
// that reaches the server sends them, oldest first.
void TestHistoryStores::serverAway() {
    QFETCH(Away, away);
    QFETCH(QString, reason);
    QFETCH(Failure::Kind, kind);
    const Watchdog watchdog(60);
    QTemporaryDir local;
    const QString database = newDatabase();
    const QString passwords = local.filePath(QStringLiteral("pgpass"));
    auto writePassword = [&](const char* password, QFileDevice::Permissions permissions) {
        QFile file(passwords);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("127.0.0.1:%1:*:lehrer:%2\n")
                       .arg(server_.port())
                       .arg(QLatin1String(password))
                       .toUtf8());
        file.setPermissions(permissions);
    };
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (away == Away::PasswordFileOpen) {
        writePassword("richtig", ownerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        reason = reason.arg(passwords);
    } else {
        writePassword("falsch", ownerOnly);
    }
    qputenv("PGPASSFILE", QFile::encodeName(passwords));
    QString uri = server_.uri(database, QStringLiteral("lehrer"));
    std::optional<NameService> names;
    if (away == Away::UnknownHost || away == Away::NameServiceSilent) {
        uri = QStringLiteral("postgresql://lehrer@schulserver.invalid/%1").arg(database);
        names.emplace(away == Away::UnknownHost ? noSuchName : silentNameService);
    }
    const SilentServer silent;
    if (away == Away::NeverAnswers)
        uri =
            QStringLiteral("postgresql://lehrer@127.0.0.1:%1/%2").arg(silent.port()).arg(database);
    if (away == Away::SslRequired)
        uri += QStringLiteral("?sslmode=require");
    if (away == Away::ServerDown)
        QVERIFY(server_.stop());

    const QString queueFile = local.filePath(QStringLiteral("Warteschlange.sqlite"));
    QueuedHistoryStore store(PostgresHistoryStore::factory(uri), queueFile);
    QVERIFY(store.location().startsWith(QStringLiteral("postgresql://lehrer@")));
    QVERIFY(!store.location().contains(QLatin1String("falsch")));
    QCOMPARE(store.record(makeRun(QStringLiteral("Anna"), Operation::Add, morning, 5)), Outcome());
    QCOMPARE(store.waiting(), 1);
    // The queue holds the children's names and answers: for the user's eyes only.
    QCOMPARE(QFileInfo(queueFile).permissions() &
                 (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                  QFileDevice::WriteOther),
             QFileDevice::Permissions());
    QCOMPARE(store.sendWaiting(), Outcome(Failure{kind, reason}));
    QCOMPARE(store.takeNotice(), keptLocally(store.location(), reason));
    QCOMPARE(store.record(makeRun(QStringLiteral("Bert"), Operation::Add, morning, 7)), Outcome());
    QCOMPARE(reasonOf(store.sendWaiting()), reason);
    QCOMPARE(store.takeNotice(), QString());
    QCOMPARE(store.waiting(), 2);
    QStringList read;
    QCOMPARE(reasonOf(filled(store.participants(), read)), reason);

    if (away != Away::LoginRefused && away != Away::PasswordFileOpen && away != Away::ServerDown)
        return;
    if (away == Away::ServerDown)
        QVERIFY2(server_.start(), qPrintable(server_.error()));
    writePassword("richtig", ownerOnly);
    QCOMPARE(filled(store.participants(), read), Outcome());
    QCOMPARE(read, QStringList({QStringLiteral("Anna"), QStringLiteral("Bert")}));
    QCOMPARE(store.waiting(), 0);
    QCOMPARE(arrivals(database), QStringLiteral("Anna/5,Bert/7"));
    QCOMPARE(store.takeNotice(), QString());
}

void TestHistoryStores::serverStops_data() {
    QTest::addColumn<Stop>("when");
    QTest::newRow("during a run's transaction") << Stop::DuringRun;
    QTest::newRow("while the queue is sent") << Stop::DuringQueue;
}

// The server goes down while a run is on its way, the run held back by a trigger that sleeps:
// that run and the ones behind it arrive once the server is back, each exactly once, in order.
void TestHistoryStores::serverStops() {
    QFETCH(Stop, when);
    const Watchdog watchdog(120);
    QTemporaryDir local;
    const QString database = newDatabase();
    const QString queueFile = local.filePath(QStringLiteral("Warteschlange.sqlite"));
    QueuedHistoryStore store(PostgresHistoryStore::factory(server_.uri(database)), queueFile);
    QStringList names;
    QCOMPARE(filled(store.participants(), names), Outcome()); // makes the tables
    QVERIFY2(server_.exec(
                 database,
                 QStringLiteral("CREATE TABLE brake (participant text);"
                                "CREATE FUNCTION slow() RETURNS trigger LANGUAGE plpgsql AS $$ "
                                "BEGIN IF EXISTS (SELECT 1 FROM brake WHERE participant = "
                                "NEW.participant) THEN PERFORM pg_sleep(60); END IF; RETURN NEW; "
                                "END $$;"
                                "CREATE TRIGGER slow BEFORE INSERT ON runs FOR EACH ROW EXECUTE "
                                "FUNCTION slow();"
                                "INSERT INTO brake VALUES ('Bert')")),
             qPrintable(server_.error()));
    const HistoryRun anna = makeRun(QStringLiteral("Anna"), Operation::Add, morning, 3);
    const HistoryRun bert = makeRun(QStringLiteral("Bert"), Operation::Add, morning, 160);
    const HistoryRun carl = makeRun(QStringLiteral("Carl"), Operation::Add, morning, 4);
    QString notice;
    if (when == Stop::DuringRun) {
        QCOMPARE(store.record(anna), Outcome());
        QCOMPARE(store.sendWaiting(), Outcome());
        qsizetype waitingWhileSent = -1;
        std::thread stopper = stopWhenBraked(database, queueFile, waitingWhileSent);
        QCOMPARE(store.record(bert), Outcome());
        QVERIFY(store.sendWaiting().has_value());
        stopper.join();
        // The run was in the file while the server took it: a program killed then keeps it.
        QCOMPARE(waitingWhileSent, 1);
        notice = store.takeNotice();
        QCOMPARE(store.waiting(), 1);
        QVERIFY(server_.stop());
        QVERIFY2(server_.start(), qPrintable(server_.error()));
        QVERIFY(server_.exec(database, QStringLiteral("DELETE FROM brake")));
        QCOMPARE(store.record(carl), Outcome());
        QCOMPARE(store.sendWaiting(), Outcome());
    } else {
        QVERIFY(server_.stop());
        for (const HistoryRun& run : {anna, bert, carl})
            QCOMPARE(store.record(run), Outcome());
        QVERIFY(store.sendWaiting().has_value());
        notice = store.takeNotice();
        QCOMPARE(store.waiting(), 3);
        QVERIFY2(server_.start(), qPrintable(server_.error()));
        qsizetype waitingWhileSent = -1;
        std::thread stopper = stopWhenBraked(database, queueFile, waitingWhileSent);
        QVERIFY(filled(store.participants(), names).has_value());
        stopper.join();
        QCOMPARE(waitingWhileSent, 2);
        // Anna's run reached the server before it went down; Bert's and Carl's still wait.
        QCOMPARE(store.waiting(), 2);
        QVERIFY(server_.stop());
        QVERIFY2(server_.start(), qPrintable(server_.error()));
        QVERIFY(server_.exec(database, QStringLiteral("DELETE FROM brake")));
        QCOMPARE(filled(store.participants(), names), Outcome());
    }
    QCOMPARE(store.waiting(), 0);
    QCOMPARE(arrivals(database), QStringLiteral("Anna/3,Bert/160,Carl/4"));
    // One message, whichever of the three ways the lost server showed itself first.
    const QString prefix =
        keptLocally(store.location(), QString()).section(QLatin1Char('\n'), 0, 2);
    QVERIFY2(notice.startsWith(prefix), qPrintable(notice));
    const QString reason = notice.section(QLatin1Char('\n'), 3, 3);
    QVERIFY2(reason == broken || reason == refused || reason == shuttingDown, qPrintable(reason));
    QCOMPARE(store.takeNotice(), QString());

    // A run the server took just before the connection broke waits with the same key: sending
    // the queue does not store it twice.
    bool added = false;
    const HistoryRun dora = makeRun(QStringLiteral("Dora"), Operation::Add, morning, 2);
    QCOMPARE(store.remote().send(dora, QStringLiteral("schon-da"), added), Outcome());
    QVERIFY(added);
    QCOMPARE(HistoryQueue(queueFile).add(QStringLiteral("schon-da"), dora), Outcome());
    QCOMPARE(store.record(makeRun(QStringLiteral("Emil"), Operation::Add, morning, 1)), Outcome());
    QCOMPARE(store.sendWaiting(), Outcome());
    QCOMPARE(store.waiting(), 0);
    QCOMPARE(arrivals(database), QStringLiteral("Anna/3,Bert/160,Carl/4,Dora/2,Emil/1"));
}

void TestHistoryStores::olderServerDatabases_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("byEarColumn");
    QTest::newRow("first version") << 1 << false;
    QTest::newRow("first version, by_ear made with it") << 1 << true;
    QTest::newRow("second version, raised from the first") << 2 << false;
    QTest::newRow("third version, without adaptive") << 3 << true;
}

// A database an earlier program made, with a run it recorded, is brought up to date step by step
// and keeps its runs: the tables exactly as the first version made them, with what later versions
// added to them.
void TestHistoryStores::olderServerDatabases() {
    QFETCH(int, version);
    QFETCH(bool, byEarColumn);
    const Watchdog watchdog(60);
    QTemporaryDir local;
    const QString database = newDatabase();
    QStringList statements{
        "CREATE TABLE schema_version (version integer NOT NULL)",
        "CREATE TABLE runs (id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY, participant "
        "text, started_at text, operation text, range1 text, range2 text, time_limit integer, "
        "competition integer, tasks_worked integer, points integer)",
        "CREATE TABLE answers (run_id bigint REFERENCES runs (id), task_no integer, operand1 "
        "integer, operand2 integer, correct_result integer, correct_remainder integer, "
        "given_answer text, given_remainder text, correct integer, answer_ms bigint)",
        "CREATE TABLE received_runs (run_key text PRIMARY KEY, run_id bigint NOT NULL REFERENCES "
        "runs (id))",
        "CREATE INDEX runs_by_child ON runs (participant, operation, started_at)",
        "CREATE INDEX answers_by_run ON answers (run_id)"};
    if (byEarColumn)
        statements << "ALTER TABLE runs ADD COLUMN by_ear integer NOT NULL DEFAULT 0";
    if (version >= 2)
        statements << "CREATE TABLE run_totals (run_id bigint PRIMARY KEY REFERENCES runs (id), "
                      "answers integer NOT NULL, right_answers integer NOT NULL, answering_ms "
                      "bigint NOT NULL)";
    const HistoryRun old =
        makeRun(QStringLiteral("Alt"), Operation::Add, QDateTime(QDate(2026, 12, 1), {}), 1);
    statements << QStringLiteral("INSERT INTO schema_version VALUES (%1)").arg(version)
               << "INSERT INTO runs (participant, started_at, operation, range1, range2, "
                  "time_limit, competition, tasks_worked, points) VALUES ('Alt', "
                  "'2026-12-01T00:00:00', '+', '0 .. 100', '1 .. 10', 90, 7, 1, 1)"
               << "INSERT INTO answers VALUES (1, 1, 17, 2, 3, -1, '3', '', 1, 537)";
    QVERIFY2(server_.exec(database, statements.join(QLatin1Char(';'))),
             qPrintable(server_.error()));

    QueuedHistoryStore store(PostgresHistoryStore::factory(server_.uri(database)),
                             local.filePath(QStringLiteral("Warteschlange.sqlite")));
    HistoryRun heard = makeRun(QStringLiteral("Neu"), Operation::Multiply, morning, 4);
    heard.byEar = true;
    heard.adaptive = true;
    QCOMPARE(store.record(heard), Outcome());
    QCOMPARE(store.sendWaiting(), Outcome());
    QCOMPARE(store.takeNotice(), QString());
    QList<HistoryRun> got;
    QCOMPARE(filled(store.runs(QStringLiteral("Alt"), std::nullopt), got), Outcome());
    QCOMPARE(described(got), described({old}));
    QCOMPARE(filled(store.runs(QStringLiteral("Neu"), std::nullopt), got), Outcome());
    QCOMPARE(described(got), described({heard}));
    QCOMPARE(server_.value(database, QStringLiteral("SELECT version FROM schema_version")),
             QString::number(PostgresHistoryStore::schemaVersion));
}

namespace {

// SQL on a file of SQLite, beside the program's own connections.
bool rawSql(const QString& file, const QString& sql, const QVariant& value = {}) {
    bool done = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(file);
        QSqlQuery q(db);
        done = db.open() && q.prepare(sql);
        if (value.isValid())
            q.addBindValue(value);
        done = done && q.exec();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    return done;
}

} // namespace

// The queue on this computer: runs left there by an earlier program run are sent at the start,
// also one written before runs knew "Nur hören", and one fitted to the child keeps its mark; a run
// without the mark is kept as the previous version kept it. A damaged queue is set aside under a
// name the message gives, and a new one takes the runs.
void TestHistoryStores::queueOnThisComputer() {
    const Watchdog watchdog(60);
    QTemporaryDir local;
    const QString database = newDatabase();
    const QString queueFile = local.filePath(QStringLiteral("Warteschlange.sqlite"));
    const HistoryRun old =
        makeRun(QStringLiteral("Alt"), Operation::DivideWithRemainder, morning, 3);
    const auto earlierLayout = [](const HistoryRun& run, bool withByEar) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_6_4);
        out << qint32(1) << run.participant << run.startedAt << operationText(run.operation)
            << run.range1 << run.range2 << run.timeLimit << run.competition << run.tasksWorked
            << run.points;
        if (withByEar)
            out << run.byEar;
        out << qint32(run.answers.size());
        for (const AnsweredTask& a : run.answers)
            out << a.taskNo << a.operand1 << a.operand2 << a.correctResult << a.correctRemainder
                << a.givenAnswer << a.givenRemainder << a.correct << a.answerMs;
        return bytes;
    };
    const QByteArray oldLayout = earlierLayout(old, false);
    HistoryRun heard = makeRun(QStringLiteral("Neu"), Operation::Add, morning, 2);
    heard.byEar = true;
    QCOMPARE(packedRun(heard), earlierLayout(heard, true));
    HistoryRun fitted = makeRun(QStringLiteral("Ida"), Operation::Multiply, morning, 1);
    fitted.adaptive = true;
    QVERIFY(rawSql(queueFile, QStringLiteral("CREATE TABLE waiting (seq INTEGER PRIMARY KEY "
                                             "AUTOINCREMENT, run_key TEXT NOT NULL UNIQUE, run "
                                             "BLOB NOT NULL)")));
    QVERIFY(rawSql(queueFile,
                   QStringLiteral("INSERT INTO waiting (run_key, run) VALUES ('alt', ?)"),
                   oldLayout));
    QCOMPARE(HistoryQueue(queueFile).add(QStringLiteral("neu"), heard), Outcome());
    QCOMPARE(HistoryQueue(queueFile).add(QStringLiteral("ida"), fitted), Outcome());
    {
        QueuedHistoryStore store(PostgresHistoryStore::factory(server_.uri(database)), queueFile);
        QTRY_COMPARE_WITH_TIMEOUT(arrivals(database), QStringLiteral("Alt/3,Neu/2,Ida/1"), 15000);
        QList<HistoryRun> got;
        QCOMPARE(filled(store.runs(QStringLiteral("Alt"), std::nullopt), got), Outcome());
        QCOMPARE(described(got), described({old}));
        QCOMPARE(filled(store.runs(QStringLiteral("Neu"), std::nullopt), got), Outcome());
        QCOMPARE(described(got), described({heard}));
        QCOMPARE(filled(store.runs(QStringLiteral("Ida"), std::nullopt), got), Outcome());
        QCOMPARE(described(got), described({fitted}));
        QCOMPARE(store.waiting(), 0);
    }

    const QByteArray damaged = QByteArray("Kein SQLite. ").repeated(400);
    QFile file(queueFile);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(damaged), damaged.size());
    file.close();
    QueuedHistoryStore store(PostgresHistoryStore::factory(server_.uri(database)), queueFile);
    QCOMPARE(store.record(makeRun(QStringLiteral("Zoe"), Operation::Subtract, morning, 1)),
             Outcome());
    QCOMPARE(store.sendWaiting(), Outcome());
    const QStringList aside = QDir(local.path()).entryList({QStringLiteral("*.beschaedigt-*")});
    QCOMPARE(aside.size(), 1);
    QFile kept(local.filePath(aside[0]));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), damaged);
    QCOMPARE(store.takeNotice(),
             QStringLiteral("Die Warteschlange des Lernverlaufs auf diesem Rechner\n%1\nwar "
                            "beschädigt. Kalumbrixtor hat sie umbenannt in\n%2\nund eine neue "
                            "angelegt. Läufe, die darin auf den Server warteten, sind nicht "
                            "übertragen; die umbenannte Datei bleibt dafür liegen.")
                 .arg(queueFile, local.filePath(aside[0])));
    QStringList names;
    QCOMPARE(filled(store.participants(), names), Outcome());
    QCOMPARE(names, QStringList({QStringLiteral("Alt"), QStringLiteral("Ida"),
                                 QStringLiteral("Neu"), QStringLiteral("Zoe")}));
    QCOMPARE(store.waiting(), 0);
}

// The rights the README gives: a set-up role owns the database and makes the tables at its first
// connection; the school's computers log in as a role that may only connect, read and add, and
// they record and read as well, but cannot change or delete what is there.
void TestHistoryStores::computersRole() {
    const Watchdog watchdog(60);
    QTemporaryDir local;
    const QString database = QStringLiteral("rechte");
    for (const QString& sql : {QStringLiteral("CREATE ROLE einrichtung LOGIN"),
                               QStringLiteral("CREATE ROLE rechner LOGIN"),
                               QStringLiteral("CREATE DATABASE rechte OWNER einrichtung"),
                               QStringLiteral("REVOKE ALL ON DATABASE rechte FROM PUBLIC"),
                               QStringLiteral("GRANT CONNECT ON DATABASE rechte TO rechner")})
        QVERIFY2(server_.exec(QStringLiteral("postgres"), sql), qPrintable(server_.error()));
    QVERIFY2(server_.exec(database, QStringLiteral("ALTER DEFAULT PRIVILEGES FOR ROLE einrichtung "
                                                   "IN SCHEMA public GRANT SELECT, INSERT ON "
                                                   "TABLES TO rechner")),
             qPrintable(server_.error()));
    const QString queueFile = local.filePath(QStringLiteral("Warteschlange.sqlite"));
    QueuedHistoryStore computer(
        PostgresHistoryStore::factory(server_.uri(database, QStringLiteral("rechner"))), queueFile);
    QStringList names;
    QCOMPARE(reasonOf(filled(computer.participants(), names)),
             QStringLiteral("Die Tabellen des Lernverlaufs fehlen auf dem Server, und "
                            "dieser Benutzer darf sie nicht anlegen. Das geschieht "
                            "einmal mit dem Benutzer, dem die Datenbank gehört."));
    {
        QueuedHistoryStore setUp(
            PostgresHistoryStore::factory(server_.uri(database, QStringLiteral("einrichtung"))),
            local.filePath(QStringLiteral("andere")));
        QCOMPARE(filled(setUp.participants(), names), Outcome());
    }
    const HistoryRun run = makeRun(QStringLiteral("Anna"), Operation::Multiply, morning, 3);
    QCOMPARE(computer.record(run), Outcome());
    QCOMPARE(computer.sendWaiting(), Outcome());
    QList<HistoryRun> got;
    QCOMPARE(filled(computer.runs(QStringLiteral("Anna"), std::nullopt), got), Outcome());
    QCOMPARE(described(got), described({run}));
    ClassTotals totals;
    QCOMPARE(
        filled(computer.classTotals(std::nullopt, [](const QDateTime&) { return true; }), totals),
        Outcome());
    QCOMPARE(totals.runs.size(), 1);
    for (const char* sql : {"DELETE FROM answers", "UPDATE runs SET points = 0", "DROP TABLE runs",
                            "TRUNCATE received_runs"}) {
        PGconn* conn = PQconnectdb(server_.uri(database, QStringLiteral("rechner")).toUtf8());
        PGresult* result = PQexec(conn, sql);
        QVERIFY2(PQresultStatus(result) == PGRES_FATAL_ERROR, sql);
        PQclear(result);
        PQfinish(conn);
    }
    QCOMPARE(arrivals(database), QStringLiteral("Anna/3"));
}

// 30 computers record 20 runs each at the same moment into a database nobody has used yet: the
// server holds 600 runs afterwards, each once and whole.
void TestHistoryStores::thirtyComputersAtOnce() {
    const Watchdog watchdog(300);
    constexpr int computers = 30;
    constexpr int runsEach = 20;
    QTemporaryDir local;
    const QString database = newDatabase();
    const qint64 moment = QDateTime::currentMSecsSinceEpoch() + 3000;
    std::vector<std::unique_ptr<QProcess>> clients;
    for (int i = 0; i < computers; ++i) {
        auto client = std::make_unique<QProcess>();
        client->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client->start(QStringLiteral(KALU_HISTORY_CLIENT),
                      {server_.uri(database), local.filePath(QStringLiteral("queue%1").arg(i)),
                       QStringLiteral("Kind %1").arg(i), QString::number(runsEach),
                       QString::number(moment)});
        clients.push_back(std::move(client));
    }
    int finished = 0;
    for (auto& client : clients) {
        QVERIFY(client->waitForFinished(240000));
        finished += client->exitStatus() == QProcess::NormalExit && client->exitCode() == 0;
    }
    const qint64 took = QDateTime::currentMSecsSinceEpoch() - moment;
    QCOMPARE(finished, computers);
    QCOMPARE(server_.value(database, QStringLiteral("SELECT count(*) FROM runs")),
             QString::number(computers * runsEach));
    QCOMPARE(server_.value(database, QStringLiteral("SELECT count(DISTINCT run_key) FROM "
                                                    "received_runs")),
             QString::number(computers * runsEach));
    QCOMPARE(server_.value(database, QStringLiteral("SELECT count(*) FROM answers")),
             QString::number(computers * runsEach * 40));
    QCOMPARE(
        server_.value(database, QStringLiteral("SELECT count(*) FROM (SELECT participant FROM runs "
                                               "GROUP BY participant HAVING count(*) = %1 AND "
                                               "count(DISTINCT started_at) = %1) AS whole")
                                    .arg(runsEach)),
        QString::number(computers));
    qInfo("%d computers x %d runs: %d runs on the server, all recorded within %lld ms of the "
          "agreed moment",
          computers, runsEach, computers * runsEach, took);
}

// A school moving over copies its history file to the server; doing it again adds nothing.
void TestHistoryStores::copyingAHistoryFileTwice() {
    const Watchdog watchdog(60);
    QTemporaryDir local;
    const QString file = local.filePath(QStringLiteral("Lernverlauf.sqlite"));
    const QList<HistoryRun> history{
        makeRun(QStringLiteral("Anna"), Operation::Add, morning, 12),
        makeRun(QStringLiteral("Anna"), Operation::DivideWithRemainder, morning.addDays(1), 160),
        makeRun(QStringLiteral("Bert"), Operation::Multiply, morning, 1)};
    {
        SqliteHistoryStore source(file);
        for (const HistoryRun& run : history)
            QCOMPARE(source.record(run), Outcome());
    }
    const QString database = newDatabase();
    QueuedHistoryStore store(PostgresHistoryStore::factory(server_.uri(database)),
                             local.filePath(QStringLiteral("Warteschlange.sqlite")));
    int added = -1;
    int present = -1;
    QCOMPARE(transferHistory(file, store.remote(), added, present), Outcome());
    QCOMPARE(std::pair(added, present), std::pair(3, 0));
    QCOMPARE(transferHistory(file, store.remote(), added, present), Outcome());
    QCOMPARE(std::pair(added, present), std::pair(0, 3));
    QList<HistoryRun> got;
    QCOMPARE(filled(store.runs(QStringLiteral("Anna"), std::nullopt), got), Outcome());
    QCOMPARE(described(got), described(history.mid(0, 2)));
    QCOMPARE(arrivals(database), QStringLiteral("Anna/12,Anna/160,Bert/1"));

    // A file of a newer program version is not copied, as the program does not write to one.
    const QString newer = local.filePath(QStringLiteral("neuer.sqlite"));
    QVERIFY(QFile::copy(file, newer));
    QVERIFY(rawSql(
        newer,
        QStringLiteral("PRAGMA user_version = %1").arg(SqliteHistoryStore::schemaVersion + 1)));
    const Outcome refusal = SqliteHistoryStore(newer).record(history[0]);
    QVERIFY(refusal);
    QCOMPARE(transferHistory(newer, store.remote(), added, present), refusal);
    QCOMPARE(std::pair(added, present), std::pair(0, 0));

    // A file name mistyped on the command line is no empty history.
    const QString missing = local.filePath(QStringLiteral("fehlt.sqlite"));
    QCOMPARE(reasonOf(transferHistory(missing, store.remote(), added, present)),
             QStringLiteral("Die Datei %1 gibt es nicht.").arg(QDir::toNativeSeparators(missing)));
}

// The copy from the command line, as an administrator runs it over ssh: without a display.
void TestHistoryStores::copyingWithoutDisplay() {
    const Watchdog watchdog(60);
    QTemporaryDir local;
    const QString file = local.filePath(QStringLiteral("Lernverlauf.sqlite"));
    {
        SqliteHistoryStore source(file);
        QCOMPARE(source.record(makeRun(QStringLiteral("Anna"), Operation::Add, morning, 2)),
                 Outcome());
    }
    const QString database = newDatabase();
    QVERIFY(QDir(local.path()).mkpath(QStringLiteral("config/Kalumbrixtor")));
    QFile settings(local.filePath(QStringLiteral("config/Kalumbrixtor/Kalumbrixtor.conf")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nLernverlauf=" + server_.uri(database).toUtf8() + "\n");
    settings.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("HOME"), local.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), local.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), local.filePath(QStringLiteral("data")));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(KALU_PROGRAM),
                  {QStringLiteral("--lernverlauf-uebertragen"), file});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.readAllStandardError(), QByteArray());
    QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()),
             QStringLiteral("1 Läufe übertragen, 0 waren schon auf dem Server.\n"));
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(arrivals(database), QStringLiteral("Anna/2"));
}

QTEST_GUILESS_MAIN(TestHistoryStores)
#include "tst_history_stores.moc"
