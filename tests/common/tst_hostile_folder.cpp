// A data folder shared by a class: whatever somebody puts where the program expects one of its
// own files (a link, a pipe, a device, a folder, a full disk) never leads a write out of the
// folder, never blocks and is reported with what it is.

#include "common/file_access.h"
#include "common/file_lock.h"
#include "competition/best_list_file.h"
#include "storage/results_file.h"
#include "storage/task_set_file.h"
#include "support/hostile_objects.h"

#include <QFileInfo>
#include <QSysInfo>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace {

ResultRecord resultOf(const QString& name) {
    ResultRecord record;
    record.name = name;
    record.points = 12;
    return record;
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

const QString linkReason = QStringLiteral("ist eine Verknüpfung");
const QString notAFile = QStringLiteral("keine gewöhnliche Datei");
const QString folderReason = QStringLiteral("ist ein Ordner");
const QString fullReason = QStringLiteral("Der Datenträger ist voll.");
const QString foreignLock = QStringLiteral("An der Stelle der Sperrdatei");

// What the writer under test does in the folder; the reason it failed with, or "stored in NAME".
QString runWriter(const QString& writer, const QString& folder) {
    if (writer == "best list") {
        BestListEntry entry;
        entry.number = 3;
        entry.name = QStringLiteral("Ben");
        entry.points = 40;
        const BestListUpdate update = updateBestList(folder, 3, entry);
        return update.ioError ? update.reason : update.busy ? "busy" : "stored in W3.bli";
    }
    if (writer == "automatic results") {
        const AutomaticStore store = storeAutomaticResultRecord(folder, resultOf("Ben"));
        return store.outcome.ok ? "stored in " + QFileInfo(store.path).fileName()
                                : store.outcome.reason;
    }
    if (writer == "chosen results") {
        const FileOutcome outcome =
            storeResultRecord(QDir(folder).filePath("Klasse.ERG"), resultOf("Ben"));
        return outcome.ok ? "stored in Klasse.ERG" : outcome.reason;
    }
    const FileOutcome outcome = writeTaskSet(QDir(folder).filePath(automaticTaskSetName("Ben")),
                                             QList<TaskRecord>(3), FileOrigin::Own);
    return outcome.ok ? "stored in Ben.AGB" : outcome.reason;
}

// The files each writer finds in the folder before it runs: an old best list, a results file
// with room, an old task set.
void plantUsualFiles(const QString& folder) {
    QVERIFY(writeFile(QDir(folder).filePath("W3.bli"), QByteArray(40 * 13, '\0')));
    QVERIFY(writeFile(QDir(folder).filePath("Klasse.ERG"), QByteArray(122 * 2, ' ')));
    QVERIFY(writeFile(QDir(folder).filePath("Ben.AGB"), QByteArray(72 * 2, 'a')));
}

} // namespace

class TestHostileFolder : public QObject {
    Q_OBJECT
private slots:
    void writersInAHostileFolder_data();
    void writersInAHostileFolder();
    void chosenLinksAreTheUsersChoice();
    void startsTogetherInAnEmptyFolder();
    void fileSizeLimitFailsLikeAFullDisk();
    void undecodableFolderNames_data();
    void undecodableFolderNames();
    void failedCallsKeepTheOldFile_data();
    void failedCallsKeepTheOldFile();
    void staleTemporaryFiles_data();
    void staleTemporaryFiles();
    void leftLocks_data();
    void leftLocks();
};

void TestHostileFolder::writersInAHostileFolder_data() {
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("object"); // file name in the folder
    QTest::addColumn<QString>("kind");   // what is put there, or "full disk"
    QTest::addColumn<QString>("outcome");
    const QList<std::pair<QString, QString>> kinds{{"link", linkReason},
                                                   {"broken link", linkReason},
                                                   {"fifo", notAFile},
                                                   {"device", notAFile},
                                                   {"folder", folderReason}};
    for (const auto& [kind, reason] : kinds) {
        QTest::addRow("best list, %s", qPrintable(kind)) << "best list"
                                                         << "W3.bli" << kind << reason;
        QTest::addRow("task set, %s", qPrintable(kind)) << "task set"
                                                        << "Ben.AGB" << kind << reason;
        // The search for a free automatic results file passes over what is not a file of its own,
        // so the child's run is still stored.
        QTest::addRow("automatic results, %s", qPrintable(kind))
            << "automatic results"
            << "W.Erg" << kind << "stored in Wa.Erg";
        for (const auto& [writer, lock] : {std::pair<QString, QString>{"best list", "W3.bli.lock"},
                                           {"automatic results", "W.Erg.lock"},
                                           {"chosen results", "Klasse.ERG.lock"}}) {
            QTest::addRow("%s, lock file is a %s", qPrintable(writer), qPrintable(kind))
                << writer << lock << kind << foreignLock;
        }
    }
    for (const QString writer : {"best list", "task set", "automatic results", "chosen results"})
        QTest::addRow("%s, full disk", qPrintable(writer))
            << writer << QString() << "full disk" << fullReason;
}

void TestHostileFolder::writersInAHostileFolder() {
    QFETCH(QString, writer);
    QFETCH(QString, object);
    QFETCH(QString, kind);
    QFETCH(QString, outcome);

    QTemporaryDir outside;
    const QString victim = outside.filePath("Zeugnisse.txt");
    QVERIFY(writeFile(victim, "Zeugnisse der Klasse 3b\n"));
    const auto outsideBefore = folderObjects(outside.path());

    QTemporaryDir plain;
    const QString folder = plain.path();
    std::optional<FullDisk> disk;
    if (kind == "full disk") {
        disk.emplace(folder);
        QVERIFY2(disk->mounted(), qPrintable(disk->mountError()));
    }
    plantUsualFiles(folder);
    const QString objectPath = QDir(folder).filePath(object);
    if (!object.isEmpty()) {
        QFile::remove(objectPath);
        QVERIFY(plantHostile(kind, objectPath, victim));
    }
    if (kind == "full disk")
        QVERIFY(disk->fill());
    const mode_t objectBefore = objectType(objectPath);
    const auto folderBefore = folderObjects(folder);

    const QString result = runWriter(writer, folder);
    QVERIFY2(result.contains(outcome), qPrintable(result));
    if (result.startsWith("stored in "))
        QCOMPARE(QFileInfo(QDir(folder).filePath(result.mid(10))).size(), 122);
    else
        QCOMPARE(folderObjects(folder), folderBefore);
    QCOMPARE(objectType(objectPath), objectBefore);
    QCOMPARE(folderObjects(outside.path()), outsideBefore);
}

void TestHostileFolder::chosenLinksAreTheUsersChoice() {
    // A link the child picks in a save dialog is followed: the file it leads to gets the data.
    QTemporaryDir folder;
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath("Klasse.ERG");
    const QString link = folder.filePath("Klasse.ERG");
    QVERIFY(QFile::link(target, link));
    QVERIFY(storeResultRecord(link, resultOf("Mia")).ok);
    QVERIFY(writeTaskSet(folder.filePath("Mia.AGB"), QList<TaskRecord>(2)).ok);
    QVERIFY(QFile::link(folder.filePath("Mia.AGB"), folder.filePath("Satz.AGB")));
    QVERIFY(writeTaskSet(folder.filePath("Satz.AGB"), QList<TaskRecord>(4)).ok);
    QCOMPARE(QFileInfo(target).size(), 122);
    QCOMPARE(objectType(link), mode_t(S_IFLNK));
    QCOMPARE(QFileInfo(folder.filePath("Mia.AGB")).size(), 4 * 72);
    QCOMPARE(objectType(folder.filePath("Satz.AGB")), mode_t(S_IFLNK));
}

void TestHostileFolder::startsTogetherInAnEmptyFolder() {
    // Three programs started at the same moment in an empty folder each find the lists there,
    // whichever of them created each one.
    for (int trial = 0; trial < 200; ++trial) {
        QTemporaryDir folder;
        std::atomic<int> failures{0};
        std::vector<std::thread> starts;
        for (int i = 0; i < 3; ++i)
            starts.emplace_back([&] {
                if (!ensureBestListFiles(folder.path()))
                    ++failures;
            });
        for (std::thread& start : starts)
            start.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 16);
    }
}

void TestHostileFolder::fileSizeLimitFailsLikeAFullDisk() {
    // Past the limit the system ends the process unless the program ignores the signal; a child
    // process shows whether the write is reported instead.
    QTemporaryDir folder;
    const pid_t child = ::fork();
    if (child == 0) {
        ignoreFileSizeSignal();
        const rlimit limit{8 * 1024, 8 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const FileOutcome set =
            writeTaskSet(folder.filePath("Ben.AGB"), QList<TaskRecord>(160), FileOrigin::Own);
        const FileOutcome results = storeResultRecord(folder.filePath("Ben.ERG"), resultOf("Ben"));
        ::_exit(!set.ok && set.reason.startsWith(fullReason.chopped(1)) && results.ok ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), qPrintable(QString("ended by signal %1").arg(WTERMSIG(status))));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(!QFileInfo::exists(folder.filePath("Ben.AGB")));
}

void TestHostileFolder::undecodableFolderNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << QByteArray("/home/lehrer/Klasse 3b") << QString();
    QTest::newRow("two stray bytes")
        << QByteArray("/tmp/\xff\xfeklasse") << QString("/tmp/\\xFF\\xFEklasse");
    QTest::newRow("Latin-1 umlaut")
        << QByteArray("/srv/Sch\xfcler/ä") << QString("/srv/Sch\\xFCler/ä");
}

void TestHostileFolder::undecodableFolderNames() {
    QFETCH(QByteArray, name);
    QTEST(undecodableName(name), "shown");
}

void TestHostileFolder::failedCallsKeepTheOldFile_data() {
    QTest::addColumn<bool>("replacing"); // or appending
    QTest::addColumn<int>("call");
    QTest::addColumn<int>("err");
    QTest::addColumn<QString>("reason");
    const QString ioError = QStringLiteral("Der Datenträger meldet einen Fehler beim Schreiben.");
    for (const bool replacing : {true, false}) {
        QTest::addRow("%d, fsync", replacing)
            << replacing << int(SystemCall::Fsync) << EIO << ioError;
        QTest::addRow("%d, write", replacing)
            << replacing << int(SystemCall::Write) << ENOSPC << fullReason;
    }
    QTest::newRow("replace, close") << true << int(SystemCall::Close) << EIO << ioError;
    QTest::newRow("replace, rename") << true << int(SystemCall::Rename) << EROFS
                                     << QStringLiteral("Der Datenträger ist schreibgeschützt.");
}

// A step of a write that fails keeps the old file, leaves nothing behind and names its reason.
void TestHostileFolder::failedCallsKeepTheOldFile() {
    QFETCH(bool, replacing);
    QFETCH(int, call);
    QFETCH(int, err);
    QTemporaryDir folder;
    const QString path = folder.filePath("Ben.AGB");
    QVERIFY(writeFile(path, "alt"));
    const auto before = folderObjects(folder.path());
    std::optional<FailingSystemCall> failing(std::in_place, SystemCall(call), err);
    QTEST(replacing ? replaceFile(path, "neu", FileOrigin::Own)
                    : appendToFile(path, "neu", FileOrigin::Own),
          "reason");
    QCOMPARE(folderObjects(folder.path()), before);
    failing.reset();
    QCOMPARE(replaceFile(path, "neu", FileOrigin::Own), QString());
}

void TestHostileFolder::staleTemporaryFiles_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind"); // "file", "other user's", or what plantHostile puts there
    QTest::addColumn<int>("age");      // seconds
    QTest::newRow("removed: two hours old") << "Ben.AGB.x7Gq2c"
                                            << "file" << 7200;
    QTest::newRow("a replace still running") << "W3.bli.Ab3dEf"
                                             << "file" << 60;
    QTest::newRow("not the program's") << "Notizen.txt.x7Gq2c"
                                       << "file" << 7200;
    QTest::newRow("not mkostemp's") << "Ben.AGB.x7-q2"
                                    << "file" << 7200;
    QTest::newRow("a link") << "Ben.AGB.x7Gq2c"
                            << "link" << 7200;
    QTest::newRow("a pipe") << "Ben.AGB.x7Gq2c"
                            << "fifo" << 7200;
    if (::geteuid() == 0) // only root can give a file away
        QTest::newRow("another user's") << "Ben.AGB.x7Gq2c"
                                        << "other user's" << 7200;
}

void TestHostileFolder::staleTemporaryFiles() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(int, age);
    QTemporaryDir folder;
    QTemporaryDir outside;
    const QString path = folder.filePath(name);
    const QString victim = outside.filePath(name);
    QVERIFY(writeFile(victim, "fremd"));
    QVERIFY(kind == "link" || kind == "fifo" ? plantHostile(kind, path, victim)
                                             : writeFile(path, "halb"));
    if (kind == "other user's")
        QCOMPARE(::lchown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    const timespec when[2] = {{::time(nullptr) - age, 0}, {::time(nullptr) - age, 0}};
    for (const QString& file : {path, victim})
        QCOMPARE(
            ::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), when, AT_SYMLINK_NOFOLLOW),
            0);
    const auto outsideBefore = folderObjects(outside.path());
    const bool removed = QByteArray(QTest::currentDataTag()).startsWith("removed");
    const auto expected = removed ? QStringList() : folderObjects(folder.path());
    QCOMPARE(removeStaleTemporaryFiles(folder.path()), int(removed));
    QCOMPARE(folderObjects(folder.path()), expected);
    QCOMPARE(folderObjects(outside.path()), outsideBefore);
}

void TestHostileFolder::leftLocks_data() {
    QTest::addColumn<QByteArray>("owner");
    QTest::addColumn<qint64>("age"); // seconds; negative: dated in the future
    QTest::addColumn<bool>("taken");
    const pid_t ended = ::fork(); // the id of a process that has ended
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const QByteArray here = "\nKalumbrixtor\n" + QSysInfo::machineHostName().toUtf8() + "\n";
    const QByteArray elsewhere = "4242\nKalumbrixtor\nanderer-rechner\n";
    const qint64 in2099 = qint64(::time(nullptr)) - 4070908800LL;
    QTest::newRow("fresh, another computer") << elsewhere << qint64(0) << false;
    QTest::newRow("fresh, ended here") << QByteArray::number(ended) + here << qint64(0) << true;
    // A date in the future gives no age: unless its owner here has ended, such a lock is taken
    // once it has outlasted the whole wait.
    QTest::newRow("2099, nothing written") << QByteArray() << in2099 << true;
    QTest::newRow("2099, another computer") << elsewhere << in2099 << true;
    QTest::newRow("a minute ahead, running here")
        << QByteArray::number(::getpid()) + here << qint64(-60) << true;
}

void TestHostileFolder::leftLocks() {
    QFETCH(QByteArray, owner);
    QFETCH(qint64, age);
    QFETCH(bool, taken);
    QTemporaryDir folder;
    const QString path = folder.filePath("W1.bli.lock");
    QVERIFY(writeFile(path, owner));
    const timespec when[2] = {{::time(nullptr) - age, 0}, {::time(nullptr) - age, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), when, 0), 0);
    {
        const FileLock lock(path, 200);
        QCOMPARE(lock.state(), taken ? FileLock::State::Held : FileLock::State::Busy);
    }
    QCOMPARE(QFileInfo::exists(path), !taken); // a lock taken over goes with its update
}

QTEST_GUILESS_MAIN(TestHostileFolder)
#include "tst_hostile_folder.moc"
