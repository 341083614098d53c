// The queue on this computer in front of a remote store, without a server: a remote store of the
// test's own that takes runs, refuses them or holds the sending thread until the test lets go.
#include "history/server/queued_history_store.h"
#include "support/history_runs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

const QDateTime morning(QDate(2026, 12, 8), QTime(10, 3, 12));

// What the remote side holds, shared by every connection the store makes to it.
struct RemoteSide {
    std::mutex lock;
    std::condition_variable changed;
    bool held = false; // a send waits until the test lets go
    QString refusal;   // a send fails with this reason
    QStringList keys;  // in the order they arrived
    QList<HistoryRun> runs;
    std::atomic<int> connections = 0;

    void letGo() {
        {
            const std::lock_guard locked(lock);
            held = false;
        }
        changed.notify_all();
    }
};

class FakeRemote : public RemoteHistoryStore {
public:
    explicit FakeRemote(RemoteSide& side) : side_(side) {}
    QString location() const override { return QStringLiteral("postgresql://lehrer@schule/kl"); }
    Outcome send(const HistoryRun& run, const QString& key, bool& added) override {
        std::unique_lock locked(side_.lock);
        side_.changed.wait(locked, [&] { return !side_.held; });
        if (!side_.refusal.isEmpty())
            return Failure{Failure::Kind::Unreachable, side_.refusal};
        added = !side_.keys.contains(key);
        if (added) {
            side_.keys << key;
            side_.runs << run;
        }
        return std::nullopt;
    }
    Result<QStringList> participants() override {
        const std::lock_guard locked(side_.lock);
        QStringList names;
        for (const HistoryRun& run : side_.runs)
            names << run.participant;
        return names;
    }
    Result<QList<HistoryRun>> runs(const QString&, std::optional<Operation>) override {
        return QList<HistoryRun>();
    }
    Result<QList<HistoryRun>> everyonesRuns(std::optional<Operation>) override {
        return QList<HistoryRun>();
    }
    Result<ClassTotals> classTotals(std::optional<Operation>, const RunPeriod&) override {
        return ClassTotals();
    }

private:
    RemoteSide& side_;
};

RemoteStoreFactory connectTo(RemoteSide& side) {
    return [&side] {
        ++side.connections;
        return std::make_unique<FakeRemote>(side);
    };
}

QString arrivals(RemoteSide& side) {
    return FakeRemote(side).participants()->join(QLatin1Char(','));
}

} // namespace

class TestQueuedHistoryStore : public QObject {
    Q_OBJECT
private slots:
    void recordingNeverWaitsForTheRemoteStore_data();
    void recordingNeverWaitsForTheRemoteStore();
};

void TestQueuedHistoryStore::recordingNeverWaitsForTheRemoteStore_data() {
    QTest::addColumn<bool>("folderBlocked"); // the queue file cannot be made
    QTest::newRow("runs kept in the queue file") << false;
    QTest::newRow("queue file cannot keep runs") << true;
}

// A remote store that does not answer holds up neither record() nor the store's end: each run
// is in the queue file when record() returns (or, where that file cannot be written, held in
// memory, and the child hears once why it would be lost should the program end first), the
// sending thread has a connection of its own beside the readers', and once the store answers the
// runs arrive in order and the readers find them. (A server that refuses is tried against a real
// one.)
void TestQueuedHistoryStore::recordingNeverWaitsForTheRemoteStore() {
    QFETCH(bool, folderBlocked);
    QTemporaryDir local;
    if (folderBlocked) {
        // A file where the queue's folder should be: the folder cannot be made.
        QFile inTheWay(local.filePath(QStringLiteral("Lernverlauf")));
        QVERIFY(inTheWay.open(QIODevice::WriteOnly));
    }
    const QString queueFile = local.filePath(QStringLiteral("Lernverlauf/Warteschlange.sqlite"));
    RemoteSide side;
    side.held = true;
    std::thread letGo;
    HistoryRun carl = makeRun(QStringLiteral("Carl"), Operation::Multiply, morning, 3);
    carl.adaptive = true;
    {
        QueuedHistoryStore store(connectTo(side), queueFile);
        std::atomic<int> told = 0;
        store.whenNoticed([&] { ++told; });
        QCOMPARE(store.location(), QStringLiteral("postgresql://lehrer@schule/kl"));
        for (const QString& name : {QStringLiteral("Anna"), QStringLiteral("Bert")}) {
            QElapsedTimer took;
            took.start();
            QCOMPARE(store.record(makeRun(name, Operation::Add, morning, 40)), Outcome());
            QVERIFY2(took.elapsed() < 1000, qPrintable(QString::number(took.elapsed())));
        }
        QTRY_COMPARE(side.connections.load(), 2);
        QCOMPARE(arrivals(side), QString());
        if (folderBlocked) {
            QTRY_COMPARE(told.load(), 1);
            const QString notice = store.takeNotice();
            const QString start =
                QStringLiteral("Die Läufe können auf diesem Rechner nicht aufbewahrt werden:\n");
            QVERIFY2(notice.startsWith(start) &&
                         notice.endsWith(QStringLiteral(
                             "\nKalumbrixtor schickt sie dem Server, solange es läuft.")),
                     qPrintable(notice));
            QCOMPARE(notice.count(start), 1);
        } else {
            QCOMPARE(store.waiting(), 2);
        }
        side.letGo();
        QStringList names;
        QCOMPARE(filled(store.participants(), names), Outcome());
        QCOMPARE(names, QStringList({QStringLiteral("Anna"), QStringLiteral("Bert")}));
        QCOMPARE(store.waiting(), 0);
        QCOMPARE(store.takeNotice(), QString());
        QCOMPARE(told.load(), int(folderBlocked));
        store.whenNoticed({});
        if (folderBlocked)
            return;

        // The store ends while its thread is held in a send: the end waits for that send, and
        // the run it could not send stays in the file for the next program run.
        {
            const std::lock_guard locked(side.lock);
            side.held = true;
            side.refusal = QStringLiteral("Der Server antwortet nicht.");
        }
        QCOMPARE(store.record(carl), Outcome());
        letGo = std::thread([&] {
            QThread::msleep(100);
            side.letGo();
        });
    }
    letGo.join();
    QCOMPARE(arrivals(side), QStringLiteral("Anna,Bert"));
    side.refusal.clear();
    QueuedHistoryStore next(connectTo(side), queueFile);
    QCOMPARE(next.sendWaiting(), Outcome());
    QCOMPARE(arrivals(side), QStringLiteral("Anna,Bert,Carl"));
    // The run kept its mark in the file: its tasks were fitted to the child.
    QCOMPARE(described({side.runs.last()}), described({carl}));
    QVERIFY(!side.runs[0].adaptive && !side.runs[1].adaptive);
    QCOMPARE(next.waiting(), 0);
}

QTEST_GUILESS_MAIN(TestQueuedHistoryStore)
#include "tst_queued_history_store.moc"
