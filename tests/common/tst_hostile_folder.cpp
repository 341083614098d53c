// A data folder shared by a class: whatever somebody puts where the program expects one of its
// own files (a link, a pipe, a device, a folder, a full disk) never leads a write out of the
// folder, never blocks and is reported with what it is.

#include "common/data_folder.h"
#include "common/file_access.h"
#include "common/file_lock.h"
#include "competition/best_list_file.h"
#include "storage/results_file.h"
#include "storage/task_set_file.h"
#include "support/failures.h"
#include "support/hostile_objects.h"

#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>
#include <QTest>

#include <sys/resource.h>
#include <sys/wait.h>

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
const QString notAFileReason = QStringLiteral("keine gewöhnliche Datei");
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
        return update                                         ? "stored in W3.bli"
               : update.failure().kind == Failure::Kind::Busy ? "busy"
                                                              : update.failure().reason;
    }
    if (writer == "automatic results") {
        const AutomaticStore store = storeAutomaticResultRecord(folder, resultOf("Ben"));
        return store.outcome ? store.outcome->reason
                             : "stored in " + QFileInfo(store.path).fileName();
    }
    if (writer == "chosen results") {
        const Outcome outcome =
            storeResultRecord(QDir(folder).filePath("Klasse.ERG"), resultOf("Ben"));
        return outcome ? outcome->reason : "stored in Klasse.ERG";
    }
    const Outcome outcome = writeTaskSet(QDir(folder).filePath(automaticTaskSetName("Ben")),
                                         QList<TaskRecord>(3), FileOrigin::Own);
    return outcome ? outcome->reason : "stored in Ben.AGB";
}

// The files each writer finds in the folder before it runs: an old best list, a results file
// with room, an old task set.
void plantUsualFiles(const QString& folder) {
    QVERIFY(writeFile(QDir(folder).filePath("W3.bli"), QByteArray(40 * 13, '\0')));
    QVERIFY(writeFile(QDir(folder).filePath("Klasse.ERG"), QByteArray(122 * 2, ' ')));
    QVERIFY(writeFile(QDir(folder).filePath("Ben.AGB"), QByteArray(72 * 2, 'a')));
}

// Dates the object at path (itself, not what a link leads to) seconds back.
void setAge(const QString& path, qint64 seconds) {
    const timespec when[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), when, AT_SYMLINK_NOFOLLOW),
             0);
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
    void failedCallsKeepTheOldFile();
    void staleTemporaryFiles();
    void leftLocks();
    void dataFolderFaults();
    void settingValues();
    void settingsPipeDoesNotBlock();
};

void TestHostileFolder::writersInAHostileFolder_data() {
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("object"); // file name in the folder
    QTest::addColumn<QString>("kind");   // what is put there, or "full disk"
    QTest::addColumn<QString>("outcome");
    const QList<std::pair<QString, QString>> kinds{{"link", linkReason},
                                                   {"broken link", linkReason},
                                                   {"fifo", notAFileReason},
                                                   {"device", notAFileReason},
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
    QCOMPARE(storeResultRecord(link, resultOf("Mia")), Outcome());
    QCOMPARE(writeTaskSet(folder.filePath("Mia.AGB"), QList<TaskRecord>(2)), Outcome());
    QVERIFY(QFile::link(folder.filePath("Mia.AGB"), folder.filePath("Satz.AGB")));
    QCOMPARE(writeTaskSet(folder.filePath("Satz.AGB"), QList<TaskRecord>(4)), Outcome());
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
                if (ensureBestListFiles(folder.path()))
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
        const Outcome set =
            writeTaskSet(folder.filePath("Ben.AGB"), QList<TaskRecord>(160), FileOrigin::Own);
        const Outcome results = storeResultRecord(folder.filePath("Ben.ERG"), resultOf("Ben"));
        ::_exit(set && set->reason.startsWith(fullReason.chopped(1)) && !results ? 0 : 1);
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

// A step of a write that fails keeps the old file, leaves nothing behind and names its reason.
void TestHostileFolder::failedCallsKeepTheOldFile() {
    const QString ioError = "Der Datenträger meldet einen Fehler beim Schreiben.";
    QTemporaryDir folder;
    const QString path = folder.filePath("Ben.AGB");
    QVERIFY(writeFile(path, "alt"));
    const QStringList before = folderObjects(folder.path());
    for (const auto& [replacing, call, err, reason] :
         QList<std::tuple<bool, SystemCall, int, QString>>{
             {true, SystemCall::Fsync, EIO, ioError},
             {false, SystemCall::Fsync, EIO, ioError},
             {false, SystemCall::Write, ENOSPC, fullReason},
             {true, SystemCall::Close, EIO, ioError},
             {true, SystemCall::Rename, EROFS, "Der Datenträger ist schreibgeschützt."}}) {
        const FailingSystemCall failing(call, err);
        QCOMPARE(replacing ? replaceContents(path, "neu", FileOrigin::Own)
                           : appendToFile(path, "neu", FileOrigin::Own),
                 Outcome(Failure{Failure::Kind::Io, reason}));
        QCOMPARE(folderObjects(folder.path()), before);
    }
}

// Of what a replace may leave behind only an old regular file of the user's own goes.
void TestHostileFolder::staleTemporaryFiles() {
    QTemporaryDir folder;
    QTemporaryDir outside;
    const QString victim = outside.filePath("Ben.AGB.x7Gq2c");
    QVERIFY(writeFile(victim, "fremd"));
    setAge(victim, 7200);
    QStringList kept{"Notizen.txt.x7Gq2c", "W3.bli.young1", "fifo.AGB.x7Gq2c", "link.AGB.x7Gq2c"};
    if (::geteuid() == 0) // only root can give a file away
        kept << "user.AGB.x7Gq2c";
    for (const QString& name : kept + QStringList{"Ben.AGB.x7Gq2c"}) {
        const QString path = folder.filePath(name);
        QVERIFY(plantHostile(name.left(4), path, victim) || writeFile(path, "halb"));
        QVERIFY(!name.startsWith("user") ||
                ::lchown(QFile::encodeName(path).constData(), 65534, 0) == 0);
        setAge(path, name.contains("young") ? 60 : 7200);
    }
    const QStringList outsideBefore = folderObjects(outside.path());
    QCOMPARE(removeStaleTemporaryFiles(folder.path()), 1);
    QCOMPARE(QDir(folder.path())
                 .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name),
             kept);
    QCOMPARE(folderObjects(outside.path()), outsideBefore);
}

// A lock dated in the future gives no age: unless its owner here has ended, it is taken once it
// has outlasted the whole wait; a fresh lock of another computer is waited for.
void TestHostileFolder::leftLocks() {
    const QByteArray elsewhere = "4242\nKalumbrixtor\nanderer-rechner\n";
    const QByteArray running = QByteArray::number(::getpid()) + "\nKalumbrixtor\n" +
                               QSysInfo::machineHostName().toUtf8() + "\n";
    const qint64 in2099 = qint64(::time(nullptr)) - 4070908800LL;
    QTemporaryDir folder;
    const QString path = folder.filePath("W1.bli.lock");
    for (const auto& [owner, age, taken] :
         QList<std::tuple<QByteArray, qint64, bool>>{{elsewhere, 0, false},
                                                     {QByteArray(), in2099, true},
                                                     {elsewhere, in2099, true},
                                                     {running, -60, true}}) {
        QVERIFY(writeFile(path, owner));
        setAge(path, age);
        {
            const FileLock lock(path, 200);
            QCOMPARE(lock.held(), taken);
            QCOMPARE(lock.failure().has_value(), !taken);
            QVERIFY(taken || lock.failure()->kind == Failure::Kind::Busy);
        }
        QCOMPARE(QFileInfo::exists(path), !taken); // a lock taken over goes with its update
    }
}

// What is in the folder's place, or in its name, is what the message says, whichever way the
// folder was given; the settings file that gave it is named.
void TestHostileFolder::dataFolderFaults() {
    QTemporaryDir dir;
    QVERIFY(QFile(dir.filePath("Liste.txt")).open(QIODevice::WriteOnly));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("Rohr")).constData(), 0600), 0);
    using Kind = Failure::Kind;
    const auto failed = [](Kind kind, const char* reason) {
        return Outcome{Failure{kind, QString::fromUtf8(reason)}};
    };
    QCOMPARE(dataFolderFault(dir.path()), Outcome{});
    QCOMPARE(dataFolderFault(dir.filePath("fehlt")), failed(Kind::Io, "Den Ordner gibt es nicht."));
    QCOMPARE(dataFolderFault(dir.filePath("Liste.txt")),
             failed(Kind::Refused, "Der Pfad nennt eine Datei, keinen Ordner."));
    QCOMPARE(dataFolderFault(dir.filePath("Rohr")),
             failed(Kind::Refused, "Der Pfad nennt eine Pipe (FIFO), keinen Ordner."));
    QCOMPARE(dataFolderFault("/proc")->kind, Kind::Refused);
    QVERIFY(dataFolderFault("/proc")->reason.startsWith("Der Ordner gehört zum Betriebssystem"));
    // The same message for a name Qt cannot read back on every way; a huge value is cut short.
    const auto fault = [](const QByteArrayList& arguments, const QByteArray& setting) {
        return chooseDataFolder(arguments, {setting, "/u/K.conf"}, "/", "/").fault;
    };
    const QString shown = "Der Name des Ordners\n/Sch\\xFCler\n(";
    QVERIFY(fault({"k", "--ordner", "/Sch\xfcler"}, "")
                .startsWith(shown + "angegeben mit --ordner)\nenthält"));
    QVERIFY(fault({"k"}, "/Sch\xfcler")
                .startsWith(shown + "eingestellt als Datenordner in /u/K.conf)\nenthält"));
    QVERIFY(fault({"k"}, "/" + QByteArray(1 << 20, 'a')).startsWith("Der Pfad des Ordners\n/aa"));
    const DataFolderChoice set =
        chooseDataFolder({"k"}, {"Liste.txt", "/u/K.conf"}, QFile::encodeName(dir.path()), "/");
    QVERIFY(unusableDataFolderMessage(set, dataFolderFault(set.folder)->reason)
                .contains("Liste.txt\n(eingestellt als Datenordner in /u/K.conf)\nnicht angelegt "
                          "werden.\nDer Pfad nennt eine Datei"));
}

// A value with commas is one text as written (Qt's settings would make a list of it), from the
// first file that sets it.
void TestHostileFolder::settingValues() {
    QTemporaryDir dir;
    const QStringList files{dir.filePath("user.conf"), dir.filePath("system.conf")};
    QFile system(files[1]);
    QVERIFY(system.open(QIODevice::WriteOnly) && system.write("Datenordner=/srv/schule\n") > 0);
    system.close();
    const auto read = [&](const QByteArray& user, const QString& key = "Datenordner") {
        QFile file(files[0]);
        file.remove();
        if (user == "pipe") // never waited for
            ::mkfifo(QFile::encodeName(files[0]).constData(), 0600);
        else if (file.open(QIODevice::WriteOnly))
            file.write(user);
        file.close();
        const SettingValue found = settingValue(key, files);
        return std::pair(found.bytes, files.indexOf(found.file));
    };
    using Found = std::pair<QByteArray, qsizetype>;
    QCOMPARE(read("[General]\nDatenordner=/srv/x/4a, 4b\n"), Found("/srv/x/4a, 4b", 0));
    QCOMPARE(read("Lernverlauf=postgresql://k@h1:5432,h2/db", "Lernverlauf"),
             Found("postgresql://k@h1:5432,h2/db", 0));
    QCOMPARE(read("[general]\nDatenordner = /a ,  b ; alt\n"), Found("/a ,  b", 0));
    QCOMPARE(read("Datenordner=\"/a; b, c\""), Found("/a; b, c", 0));
    QCOMPARE(read("Datenordner=/Sch\xfcler"), Found("/Sch\xfcler", 0));
    QCOMPARE(read("pipe"), Found("/srv/schule", 1));
    QCOMPARE(read("a=1", "Lernverlauf"), Found("", -1));
}

// A pipe as the user's settings file is never read: a process reading the settings either ends
// or opens the pipe, which a writer that does not wait would find.
void TestHostileFolder::settingsPipeDoesNotBlock() {
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkdir("Kalumbrixtor"));
    const QByteArray pipe = QFile::encodeName(home.filePath("Kalumbrixtor/Kalumbrixtor.conf"));
    QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        keepSettingsFromBlocking();
        ::_exit(QSettings("Kalumbrixtor", "Kalumbrixtor").value("Vorlesen/an").isValid());
    }
    int status = 0;
    int opened = -1; // a child that opened the pipe waits in the open for a writer
    while (opened < 0 && ::waitpid(child, &status, WNOHANG) == 0) {
        opened = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
        QTest::qSleep(2);
    }
    if (opened >= 0) { // lets the child go on
        ::close(opened);
        ::waitpid(child, &status, 0);
        QFAIL("the settings were read from the pipe");
    }
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

QTEST_GUILESS_MAIN(TestHostileFolder)
#include "tst_hostile_folder.moc"
