// The saves at the end of a run when the folder or the files are not as they should be: each
// case gives its German message or the sound way round, and no file changes that the run did
// not set out to change.

#include "bad_files.h"

#include "competition/best_list_file.h"
#include "engine/run_controller.h"
#include "review/TForm_Ergebnis_Meldung.h"
#include "review/run_saving.h"
#include "storage/results_file.h"
#include "storage/task_set_file.h"
#include "support/fake_platform.h"
#include "support/file_size_limit.h"

#include <QLockFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace badfiles;

namespace {

QByteArray bestListOf13() {
    QByteArray bytes;
    for (int place = 1; place <= bestListStoredRecords; ++place) {
        BestListEntry entry;
        entry.number = 3;
        entry.name = QStringLiteral("Kind%1").arg(place);
        entry.points = quint8(60 - place);
        bytes += encodeBestListEntry(entry);
    }
    return bytes;
}

QByteArray oneResult() {
    return encodeResultRecord(ResultRecord{});
}

RunResult competitionRun(const QString& name) {
    RunResult run;
    run.participantName = name;
    run.operation = Operation::Multiply;
    run.competitionChosen = true;
    run.competitionNumber = 3;
    run.competitionTag = QStringLiteral("3");
    run.timeFieldText = QStringLiteral("60");
    run.taskCounter = 4;
    run.workedTaskCount = 3;
    run.points = 3;
    run.tasks = QList<TaskRecord>(4);
    return run;
}

} // namespace

class TestSaveFaults : public QObject {
    Q_OBJECT
private slots:
    void endOfCompetitionRun_data();
    void endOfCompetitionRun();
    void chosenResultsFile_data();
    void chosenResultsFile();
};

void TestSaveFaults::endOfCompetitionRun_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("changed");  // files the run may write
    QTest::addColumn<QStringList>("messages"); // what each message box says, in part
    const QStringList all = {"W3.bli", "W.Erg", "Timo.AGB"};
    const QString listFailed = "Die Bestenliste W3.bli konnte nicht gelesen oder geschrieben";
    QTest::newRow("folder under a regular file")
        << "folder is a file" << QStringList()
        << QStringList{listFailed, "Den Ordner der Datei gibt es nicht.",
                       "Den Ordner der Datei gibt es nicht."};
    QTest::newRow("folder missing")
        << "folder missing" << QStringList()
        << QStringList{listFailed, "Den Ordner der Datei gibt es nicht.",
                       "Den Ordner der Datei gibt es nicht."};
    QTest::newRow("disk full") << "disk full" << QStringList()
                               << QStringList{listFailed, "Der Datenträger ist voll",
                                              "Die Aufgaben konnten nicht in der Datei"};
    QTest::newRow("best list deleted after start-up") << "W3.bli missing" << all << QStringList();
    QTest::newRow("best list a directory")
        << "W3.bli directory" << QStringList{"W.Erg", "Timo.AGB"} << QStringList{listFailed};
    QTest::newRow("best list of 39 bytes") << "W3.bli 39" << all << QStringList();
    QTest::newRow("best list of random bytes") << "W3.bli random" << all << QStringList();
    QTest::newRow("best list busy on another computer")
        << "W3.bli locked" << QStringList{"W.Erg", "Timo.AGB"}
        << QStringList{"Die Bestenliste W3.bli wird gerade von einem anderen Computer bearbeitet."};
    QTest::newRow("W.Erg a directory")
        << "W.Erg directory" << QStringList{"W3.bli", "Wa.Erg", "Timo.AGB"} << QStringList();
    QTest::newRow("W.Erg of 121 bytes")
        << "W.Erg 121" << QStringList{"W3.bli", "Wa.Erg", "Timo.AGB"} << QStringList();
    QTest::newRow("W.Erg of 10 000 records")
        << "W.Erg 10000" << QStringList{"W3.bli", "Wa.Erg", "Timo.AGB"} << QStringList();
    QTest::newRow("task set a directory")
        << "Timo.AGB directory" << QStringList{"W3.bli", "W.Erg"}
        << QStringList{"Timo.AGB\ngespeichert werden.\nDie Datei ist ein Ordner."};
}

// The result dialog ranks the run, then the results and the tasks are saved without dialogs.
void TestSaveFaults::endOfCompetitionRun() {
    QFETCH(QString, fault);
    QFETCH(QStringList, changed);
    QFETCH(QStringList, messages);
    QTemporaryDir root;
    QString folder = root.path();
    plant(bestListPath(folder, 3), "bytes", bestListOf13());
    plant(root.filePath("W.Erg"), "bytes", oneResult());
    plant(root.filePath("Timo.AGB"), "bytes", QByteArray(2 * taskRecordSize, 'x'));
    std::unique_ptr<QLockFile> otherComputer;
    if (fault == "folder is a file") {
        plant(root.filePath("Klasse"), "bytes", "kein Ordner");
        folder = root.filePath("Klasse");
    } else if (fault == "folder missing") {
        folder = root.filePath("fehlt");
    } else if (fault.startsWith("W3.bli ") || fault.startsWith("W.Erg ") ||
               fault.startsWith("Timo.AGB ")) {
        const QString file = fault.section(' ', 0, 0);
        const QString what = fault.section(' ', 1);
        if (what == "locked") {
            otherComputer = std::make_unique<QLockFile>(root.filePath(file + ".lock"));
            QVERIFY(otherComputer->tryLock(0));
        } else if (what == "missing" || what == "directory") {
            plant(root.filePath(file), what, {});
        } else {
            const QByteArray bytes = what == "random"  ? randomBytes(5000)
                                     : what == "10000" ? repeated(oneResult(), 10000 * 122)
                                                       : repeated(bestListOf13(), what.toInt());
            plant(root.filePath(file), "bytes", bytes);
        }
    }
    const auto before = snapshot(root.path());

    FakePlatform platform;
    PendingSaves pending{true, true};
    TForm_Ergebnis_Meldung dialog(platform);
    RunSaver saver(pending);
    auto* poll = new QTimer(&dialog);
    connect(poll, &QTimer::timeout, &dialog, [&] {
        if (dialog.isVisible())
            QTest::mouseClick(dialog.But_zurueck, Qt::LeftButton);
    });
    poll->start(5);
    {
        std::unique_ptr<FileSizeLimit> fullDisk;
        if (fault == "disk full")
            fullDisk = std::make_unique<FileSizeLimit>(200);
        windUpRun(dialog, saver, SaveContext{platform, nullptr, folder, std::nullopt},
                  competitionRun("Timo"));
    }

    const QStringList shown = platform.messageTexts();
    QCOMPARE(shown.size(), messages.size());
    for (int i = 0; i < messages.size(); ++i)
        QVERIFY2(shown[i].contains(messages[i]), qPrintable(shown[i]));
    QVERIFY(!pending.results && !pending.tasks);

    const auto after = snapshot(root.path());
    for (auto it = before.begin(); it != before.end(); ++it) {
        if (!changed.contains(it.key()))
            QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
    }
    for (const QString& name : after.keys())
        QVERIFY2(before.contains(name) || changed.contains(name), qPrintable(name));
    // What the run was to write is there in whole records.
    if (changed.contains("W3.bli")) {
        const qint64 size = after.value("W3.bli").size();
        QCOMPARE(size, fault == "W3.bli missing" ? 40 : 13 * 40);
    }
    for (const QString& results : {QString("W.Erg"), QString("Wa.Erg")}) {
        if (changed.contains(results))
            QCOMPARE(after.value(results).size() - before.value(results).size(),
                     qsizetype(resultRecordSize));
    }
    if (changed.contains("Timo.AGB"))
        QCOMPARE(after.value("Timo.AGB").size(), qsizetype(4 * taskRecordSize));
}

void TestSaveFaults::chosenResultsFile_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("121 bytes") << "121"
                               << "ist keine Leistungs-Datei";
    QTest::newRow("random bytes") << "random"
                                  << "ist keine Leistungs-Datei";
    QTest::newRow("10 000 records") << "10000"
                                    << "kann keinen Datensatz mehr aufnehmen";
    // A folder is no file of whole records: refused before anything is written.
    QTest::newRow("a directory") << "directory"
                                 << "ist keine Leistungs-Datei";
    QTest::newRow("folder under a regular file") << "under a file"
                                                 << "Den Ordner der Datei gibt es nicht.";
    // The disk takes part of the record, then refuses the rest; that part is taken back.
    QTest::newRow("disk full") << "disk full"
                               << "Der Datenträger ist voll";
    QTest::newRow("busy on another computer")
        << "locked"
        << "wird gerade von einem anderen Computer bearbeitet";
}

// A results file chosen in the save dialog; after the message the child gives the save up.
void TestSaveFaults::chosenResultsFile() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QTemporaryDir root;
    QString path = root.filePath("Klasse.ERG");
    std::unique_ptr<QLockFile> otherComputer;
    if (fault == "directory") {
        plant(path, "directory", {});
    } else if (fault == "under a file") {
        plant(path, "bytes", oneResult());
        path += "/Neu.ERG";
    } else if (fault == "locked") {
        plant(path, "bytes", oneResult());
        otherComputer = std::make_unique<QLockFile>(path + ".lock");
        QVERIFY(otherComputer->tryLock(0));
    } else {
        plant(path, "bytes",
              fault == "random"  ? randomBytes(5000)
              : fault == "10000" ? repeated(oneResult(), 10000 * 122)
                                 : repeated(oneResult(), fault == "121" ? 121 : 122));
    }
    const auto before = snapshot(root.path());

    FakePlatform platform;
    PendingSaves pending{true, false};
    RunResult run = competitionRun("Timo");
    run.competitionChosen = false;
    platform.saveAs({path, std::nullopt});
    // The full-file question is answered No; the warning about the loss OK.
    platform.answerWith({MessageAnswer::No, MessageAnswer::Ok});
    {
        std::unique_ptr<FileSizeLimit> fullDisk;
        if (fault == "disk full")
            fullDisk = std::make_unique<FileSizeLimit>(200);
        saveResultsInteractive(SaveContext{platform, nullptr, root.path(), std::nullopt}, pending,
                               run);
    }
    const QStringList shown = platform.messageTexts();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[0].contains(message), qPrintable(shown[0]));
    QVERIFY(shown[1].startsWith("Wenn Du jetzt 'OK' anclickst"));
    QCOMPARE(platform.fileRequests.size(), 2);
    QVERIFY(!pending.results);
    QCOMPARE(snapshot(root.path()), before);
}

QTEST_MAIN(TestSaveFaults)
#include "tst_save_faults.moc"
