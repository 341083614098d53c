// Several computers of a classroom on one data folder: two processes of this test program rank
// runs into the same best list and append them to the automatic results files at the same time.

#include "competition/best_list_file.h"
#include "storage/results_file.h"
#include "support/failures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace {

constexpr int runsPerProcess = 100;
// Long enough that a busy list is never given up under a loaded test machine; the point of the
// test is that no update is lost, not the timeout.
constexpr int childLockTimeoutMs = 30000;

// Process A's run i scores 2i, process B's 2i - 1: 200 distinct scores 1..200.
int scoreOf(char process, int i) {
    return process == 'A' ? 2 * i : 2 * i - 1;
}

QString nameOf(char process, int i) {
    return QStringLiteral("%1%2").arg(QLatin1Char(process)).arg(i, 3, 10, QLatin1Char('0'));
}

BestListEntry entryOf(char process, int i) {
    BestListEntry entry;
    entry.number = 1;
    entry.name = nameOf(process, i);
    entry.date = QStringLiteral("06.12.26");
    entry.time = QStringLiteral("17:06:29");
    entry.settingCode = QStringLiteral("+9043");
    entry.points = quint8(scoreOf(process, i));
    return entry;
}

// The child: ranks its 100 runs in a shuffled order and stores each as a results record.
int runChild(const QString& folder, char process) {
    std::vector<int> order(runsPerProcess);
    for (int i = 0; i < runsPerProcess; ++i)
        order[size_t(i)] = i + 1;
    std::shuffle(order.begin(), order.end(), std::mt19937(unsigned(process)));
    for (int i : order) {
        if (!updateBestList(folder, 1, entryOf(process, i), childLockTimeoutMs))
            return 2;
        ResultRecord record;
        record.name = nameOf(process, i);
        record.points = quint8(scoreOf(process, i));
        if (storeAutomaticResultRecord(folder, record, childLockTimeoutMs).outcome)
            return 3;
    }
    return 0;
}

} // namespace

class TestSharedFolder : public QObject {
    Q_OBJECT
private slots:
    void twoComputersRankIntoOneList();
    void aLockHeldTooLongGivesUpQuickly();
};

void TestSharedFolder::twoComputersRankIntoOneList() {
    QTemporaryDir folder;
    QCOMPARE(ensureBestListFiles(folder.path()), Outcome());
    const QString list = bestListPath(folder.path(), 1);

    QProcess children[2];
    const char names[2] = {'A', 'B'};
    for (int c = 0; c < 2; ++c) {
        children[c].setProcessChannelMode(QProcess::ForwardedChannels);
        children[c].start(QCoreApplication::applicationFilePath(),
                          {QStringLiteral("--child"), folder.path(), QString(QChar(names[c]))});
    }
    QVERIFY(children[0].waitForStarted() && children[1].waitForStarted());

    // While they run, every look at the list finds the empty file or 13 whole records.
    int looks = 0;
    int fullLooks = 0;
    QElapsedTimer clock;
    clock.start();
    while (children[0].state() != QProcess::NotRunning ||
           children[1].state() != QProcess::NotRunning) {
        const qint64 size = QFileInfo(list).size();
        QVERIFY2(size == 0 || size == bestListStoredRecords * bestListRecordSize,
                 qPrintable(QString::number(size)));
        if (size > 0) {
            const Result<QList<BestListEntry>> read = readBestList(list);
            // The file may be replaced between the look at its size and the read; what is read
            // is always one whole list.
            QVERIFY(read);
            QCOMPARE(read->size(), bestListStoredRecords);
            ++fullLooks;
        }
        ++looks;
        QVERIFY2(clock.elapsed() < 240000, "the two processes did not finish");
        children[0].waitForFinished(2);
        children[1].waitForFinished(2);
    }
    for (QProcess& child : children) {
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }
    QVERIFY2(fullLooks > 10, qPrintable(QString::number(looks)));

    // The 12 best of the 200 in order. (The reserve below them depends on the order the runs
    // came in: a score that would only reach it is not entered.)
    const QList<BestListEntry> final = *readBestList(list);
    QCOMPARE(final.size(), bestListStoredRecords);
    for (int place = 1; place <= bestListPlaces; ++place) {
        const int score = 201 - place;
        const char process = score % 2 == 0 ? 'A' : 'B';
        QCOMPARE(final[place - 1], entryOf(process, (score + 1) / 2));
    }
    QVERIFY(!QFileInfo::exists(list + ".lock"));

    // Each of the 200 records is in exactly one automatic results file, none holds more than 20.
    QStringList stored;
    int files = 0;
    for (const QFileInfo& file : QDir(folder.path()).entryInfoList({"W*.Erg"}, QDir::Files)) {
        QCOMPARE(file.size() % resultRecordSize, 0);
        const QList<ResultRecord> records = *loadResults(file.filePath());
        QVERIFY(records.size() <= fullFileLimit);
        for (const ResultRecord& record : records)
            stored.append(record.name);
        ++files;
    }
    QCOMPARE(files, 2 * runsPerProcess / fullFileLimit);
    stored.sort();
    QCOMPARE(stored.size(), 2 * runsPerProcess);
    QCOMPARE(stored.removeDuplicates(), 0);
}

void TestSharedFolder::aLockHeldTooLongGivesUpQuickly() {
    QTemporaryDir folder;
    const QString list = bestListPath(folder.path(), 1);
    QCOMPARE(ensureBestListFiles(folder.path()), Outcome());
    const BestListUpdate first = updateBestList(folder.path(), 1, entryOf('A', 5));
    QVERIFY(first && *first == 1);
    const QByteArray listBefore = [&] {
        QFile file(list);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ResultRecord record;
    QCOMPARE(storeResultRecord(folder.filePath("Klasse.ERG"), record), Outcome());

    // Another computer holds the locks of the list, the chosen file and the automatic files.
    QLockFile listLock(list + ".lock");
    QLockFile chosenLock(folder.filePath("Klasse.ERG.lock"));
    QLockFile automaticLock(folder.filePath("W.Erg.lock"));
    QVERIFY(listLock.tryLock(0) && chosenLock.tryLock(0) && automaticLock.tryLock(0));

    QElapsedTimer clock;
    clock.start();
    const BestListUpdate update = updateBestList(folder.path(), 1, entryOf('B', 50), 300);
    QVERIFY(!update); // no rank
    QCOMPARE(update.failure().kind, Failure::Kind::Busy);

    const Outcome chosen = storeResultRecord(folder.filePath("Klasse.ERG"), record, false, 300);
    QVERIFY(chosen);
    QCOMPARE(chosen->kind, Failure::Kind::Busy);
    QVERIFY2(chosen->reason.contains("anderen Computer"), qPrintable(chosen->reason));
    // A file of the automatic series chosen in the dialog waits for the automatic files' lock.
    QVERIFY(storeResultRecord(folder.filePath("Waa.Erg"), record, false, 300));
    const AutomaticStore automatic = storeAutomaticResultRecord(folder.path(), record, 300);
    QVERIFY(automatic.outcome);
    QCOMPARE(automatic.outcome->kind, Failure::Kind::Busy);
    QVERIFY(automatic.path.isEmpty());
    QVERIFY2(automatic.outcome->reason.contains("anderen Computer"),
             qPrintable(automatic.outcome->reason));
    QVERIFY2(clock.elapsed() < 4 * 300 + 2000, qPrintable(QString::number(clock.elapsed())));

    QFile file(list);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), listBefore);
    QCOMPARE(QFileInfo(folder.filePath("Klasse.ERG")).size(), resultRecordSize);
    QVERIFY(!QFileInfo::exists(folder.filePath("W.Erg")));
    QVERIFY(!QFileInfo::exists(folder.filePath("Waa.Erg")));

    // Once the other computer is done, the next update goes through.
    listLock.unlock();
    const BestListUpdate after = updateBestList(folder.path(), 1, entryOf('B', 50), 300);
    QVERIFY(after && *after == 1);

    // A lock left behind by a program on this computer that ended without removing it is taken
    // over at once.
    automaticLock.unlock();
    QProcess crashed;
    crashed.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--leave-lock"), folder.filePath("W.Erg.lock")});
    QVERIFY(crashed.waitForFinished());
    QVERIFY(QFileInfo::exists(folder.filePath("W.Erg.lock")));
    QCOMPARE(storeAutomaticResultRecord(folder.path(), record, 300).outcome, Outcome());
    QCOMPARE(QFileInfo(folder.filePath("W.Erg")).size(), resultRecordSize);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--child")
        return runChild(QString::fromLocal8Bit(argv[2]), argv[3][0]);
    if (argc == 3 && QByteArray(argv[1]) == "--leave-lock") {
        // Takes the lock and ends as a crash would, without removing it.
        QLockFile lock(QString::fromLocal8Bit(argv[2]));
        if (!lock.tryLock(0))
            return 1;
        std::_Exit(0);
    }
    TestSharedFolder test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shared_folder.moc"
