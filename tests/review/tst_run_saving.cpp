#include "engine/run_controller.h"
#include "platform/printing.h"
#include "review/TForm_Aufgaben.h"
#include "review/TForm_Ergebnisse.h"
#include "review/run_saving.h"
#include "storage/result_record.h"
#include "storage/results_file.h"
#include "storage/task_set_file.h"
#include "support/fake_platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct SaveFixture {
    QTemporaryDir folder;
    FakePlatform platform;
    PendingSaves pending;
    RunResult run;
    SaveContext context{platform, nullptr, folder.path(), QPoint(150, 148)};

    SaveFixture() {
        run.participantName = "Timo";
        run.operation = Operation::Add;
        run.competitionTag = "-";
        run.taskCounter = 4;
        run.workedTaskCount = 3;
        run.points = 2;
        run.tasks = QList<TaskRecord>(4);
        pending.results = pending.tasks = true;
    }
    QString path(const QString& name) const { return folder.filePath(name); }
    qint64 size(const QString& name) const { return QFileInfo(path(name)).size(); }
    void fill(const QString& name, int records) {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < records; ++i)
            file.write(encodeResultRecord(ResultRecord{}));
    }
    void saveResults() {
        pending.results = true;
        saveResultsInteractive(context, pending, run);
    }
};

const QString resultsLoss = "Wenn Du jetzt 'OK' anclickst, gehen Deine Leistungsdaten\nzum "
                            "letzten Durchgang verloren!";
const QString tasksLoss = "Wenn Du jetzt 'OK' anclickst, gehen die von Dir\nim letzten "
                          "Durchgang bearbeiteten Aufgaben verloren!";

} // namespace

class TestRunSaving : public QObject {
    Q_OBJECT
private slots:
    void resultsFileFillsUpAndIsEmptiedOnRequest();
    void cancellingTheDialog_data();
    void cancellingTheDialog();
    void saveDialogsListWhatOpenDialogsList();
    void failedSaveKeepsTheDataAndSaysWhy();
    void automaticResultsFilesAndTheWarning();
    void failedCompetitionSaveLetsTheNextChildStart();
    void choiceDecidesWhatIsSaved_data();
    void choiceDecidesWhatIsSaved();
};

void TestRunSaving::resultsFileFillsUpAndIsEmptiedOnRequest() {
    SaveFixture f;
    for (int i = 0; i < 20; ++i) {
        f.platform.saveAs({f.path("Klasse.ERG")});
        f.saveResults();
    }
    QCOMPARE(f.size("Klasse.ERG"), 20 * resultRecordSize);
    QVERIFY(f.platform.messages.isEmpty()); // appending never asks
    QCOMPARE(f.platform.fileRequests.first().title, QString("Leistungen speichern"));
    QCOMPARE(f.platform.fileRequests.first().defaultSuffix, QString("ERG"));
    QVERIFY(!f.platform.fileRequests.first().confirmOverwrite);
    QVERIFY(f.platform.fileRequests.first().initialName.isEmpty());

    // The 21st: No brings the dialog back, where a second answer Yes empties the file.
    f.platform.saveAs({f.path("Klasse.ERG"), f.path("Klasse.ERG")});
    f.platform.answerWith({MessageAnswer::No, MessageAnswer::Yes});
    f.saveResults();
    QCOMPARE(f.platform.messages.size(), 2);
    QVERIFY(f.platform.messages[0].text.startsWith("Die gewählte Leistungs-Datei kann keinen"));
    QCOMPARE(f.platform.messages[0].topLeft, std::optional<QPoint>(QPoint(150, 148)));
    QCOMPARE(f.size("Klasse.ERG"), resultRecordSize);
    QVERIFY(!f.pending.results);

    // A file that is not made of whole records is never appended to.
    QFile odd(f.path("fremd.ERG"));
    QVERIFY(odd.open(QIODevice::WriteOnly) && odd.write(QByteArray(121, 'x')) == 121);
    odd.close();
    f.platform.clearMessages();
    f.platform.saveAs({f.path("fremd.ERG"), f.path("neu.ERG")});
    f.saveResults();
    QCOMPARE(f.size("fremd.ERG"), 121);
    QCOMPARE(f.size("neu.ERG"), resultRecordSize);
    QCOMPARE(f.platform.messages.size(), 1);
}

void TestRunSaving::cancellingTheDialog_data() {
    QTest::addColumn<bool>("tasks");
    QTest::addColumn<bool>("giveUp");
    QTest::newRow("results, OK loses") << false << true;
    QTest::newRow("results, Cancel returns") << false << false;
    QTest::newRow("tasks, OK loses") << true << true;
    QTest::newRow("tasks, Cancel returns") << true << false;
}

void TestRunSaving::cancellingTheDialog() {
    QFETCH(bool, tasks);
    QFETCH(bool, giveUp);
    SaveFixture f;
    const QString name = tasks ? "Timo.AGB" : "Timo.ERG";
    f.platform.saveAs({std::nullopt, f.path(name)});
    f.platform.answerWith({giveUp ? MessageAnswer::Ok : MessageAnswer::Cancel});
    if (tasks)
        saveTasksInteractive(f.context, f.pending, f.run);
    else
        saveResultsInteractive(f.context, f.pending, f.run);
    QCOMPARE(f.platform.messageTexts(), QStringList{tasks ? tasksLoss : resultsLoss});
    QCOMPARE(f.platform.fileRequests.size(), giveUp ? 1 : 2);
    QCOMPARE(QFile::exists(f.path(name)), !giveUp);
    if (!giveUp)
        QCOMPARE(f.size(name), tasks ? 4 * taskRecordSize : resultRecordSize);
    QVERIFY(!(tasks ? f.pending.tasks : f.pending.results));
    QVERIFY(tasks ? f.pending.results : f.pending.tasks); // the other stays
}

// Files of every spelling the viewers open (W.Erg, Klasse.erg, ...) are listed when saving too.
void TestRunSaving::saveDialogsListWhatOpenDialogsList() {
    SaveFixture f;
    PrinterChoice printers;
    TForm_Ergebnisse resultsViewer(f.platform, printers, f.folder.path());
    TForm_Aufgaben taskSetViewer(f.platform, printers, f.folder.path());
    resultsViewer.openFromMainMenu();
    taskSetViewer.openFromMainMenu();
    f.platform.saveAs({f.path("Timo.ERG"), f.path("Timo.AGB")});
    saveResultsInteractive(f.context, f.pending, f.run);
    saveTasksInteractive(f.context, f.pending, f.run);
    const QList<FileDialogRequest>& asked = f.platform.fileRequests;
    QCOMPARE(asked.size(), 4);
    QCOMPARE(asked[2].filter, asked[0].filter);
    QCOMPARE(asked[3].filter, asked[1].filter);
}

// A chosen name that cannot be written (here a folder) names the file and the reason; the data
// stay pending while the message is up and the dialog comes back.
void TestRunSaving::failedSaveKeepsTheDataAndSaysWhy() {
    SaveFixture f;
    QVERIFY(QDir(f.folder.path()).mkdir("Ordner.AGB"));
    QVERIFY(QDir(f.folder.path()).mkdir("Ordner.ERG"));
    bool pendingDuringMessage = false;
    const bool* pending = nullptr;
    f.platform.whileMessageOpen = [&](const FakePlatform::Message&) {
        pendingDuringMessage = *pending;
    };
    for (const QString& name : {QString("Ordner.ERG"), QString("Ordner.AGB")}) {
        pending = name.endsWith("ERG") ? &f.pending.results : &f.pending.tasks;
        f.platform.clearMessages();
        f.platform.saveAs({f.path(name), f.path("gut" + name.right(4))});
        if (name.endsWith("ERG"))
            saveResultsInteractive(f.context, f.pending, f.run);
        else
            saveTasksInteractive(f.context, f.pending, f.run);
        QCOMPARE(f.platform.messages.size(), 1);
        const QString text = f.platform.messages[0].text;
        QVERIFY2(text.contains(QDir::toNativeSeparators(f.path(name))), qPrintable(text));
        QVERIFY2(text.count('\n') >= 3, qPrintable(text)); // a reason below the name
        QVERIFY(pendingDuringMessage);
        QVERIFY(QFileInfo(f.path("gut" + name.right(4))).size() > 0);
    }
    QVERIFY(!f.pending.results && !f.pending.tasks);
}

// Full files are passed over; from the sixth numbered series on the children are warned.
void TestRunSaving::automaticResultsFilesAndTheWarning() {
    SaveFixture f;
    f.run.competitionChosen = true;
    f.run.competitionTag = "3";
    // Records 21 and 41 open the next file.
    for (int record = 1; record <= 41; ++record) {
        f.pending.results = f.pending.tasks = true;
        RunSaver(f.pending).save(f.context, f.run, SaveChoice::Nothing);
    }
    QCOMPARE(f.size("W.Erg"), 20 * resultRecordSize);
    QCOMPARE(f.size("Wa.Erg"), 20 * resultRecordSize);
    QCOMPARE(f.size("Waa.Erg"), resultRecordSize);
    QCOMPARE(f.size("Timo.AGB"), 4 * taskRecordSize);
    QVERIFY(f.platform.messages.isEmpty());

    QString base = "W";
    int counter = 0;
    while (counter < 6) {
        f.fill(base + ".Erg", 20);
        base = nextAutomaticBase(base, counter);
    }
    QCOMPARE(base, QString("W6a"));
    f.pending.results = true;
    saveResultsAuto(f.context, f.pending, f.run);
    QCOMPARE(f.size("W6a.Erg"), resultRecordSize);
    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY(f.platform.messages[0].text.startsWith("Liebe Kopfrechner,\n"));
}

void TestRunSaving::failedCompetitionSaveLetsTheNextChildStart() {
    SaveFixture f;
    f.run.competitionChosen = true;
    f.context.dataFolder = f.path("fehlt");
    RunSaver(f.pending).save(f.context, f.run, SaveChoice::Nothing);
    QCOMPARE(f.platform.messages.size(), 2); // one for each file
    // No results file could be reached: the message names the folder where they belong.
    QVERIFY2(f.platform.messages[0].text.contains(QDir::toNativeSeparators(f.path("fehlt"))),
             qPrintable(f.platform.messages[0].text));
    QVERIFY(f.platform.messages[1].text.contains("Timo.AGB"));
    QVERIFY(!f.pending.results && !f.pending.tasks);
    QVERIFY(f.platform.fileRequests.isEmpty());
}

void TestRunSaving::choiceDecidesWhatIsSaved_data() {
    QTest::addColumn<SaveChoice>("choice");
    QTest::addColumn<QStringList>("dialogs"); // the save dialogs that open, in order
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("nothing") << SaveChoice::Nothing << QStringList{} << QStringList{};
    QTest::newRow("results") << SaveChoice::Results << QStringList{"Leistungen speichern"}
                             << QStringList{};
    QTest::newRow("tasks") << SaveChoice::Tasks << QStringList{"Aufgaben speichern"}
                           << QStringList{};
    QTest::newRow("both") << SaveChoice::Both
                          << QStringList{"Leistungen speichern", "Aufgaben speichern"}
                          << QStringList{"Und jetzt zum Speichern der Aufgaben!"};
}

// After a free run each chosen part gets its save dialog; a part not chosen is given up without
// a word, so neither keeps the next run from starting.
void TestRunSaving::choiceDecidesWhatIsSaved() {
    QFETCH(SaveChoice, choice);
    QFETCH(QStringList, dialogs);
    SaveFixture f;
    QList<std::optional<QString>> files;
    for (const QString& title : dialogs)
        files << f.path(title.startsWith("Leistungen") ? "Timo.ERG" : "Timo.AGB");
    f.platform.saveAs(files);
    RunSaver saver(f.pending);
    saver.save(f.context, f.run, choice);
    QStringList titles;
    for (const FileDialogRequest& request : f.platform.fileRequests)
        titles << request.title;
    QCOMPARE(titles, dialogs);
    QTEST(f.platform.messageTexts(), "messages");
    QVERIFY(!f.pending.results && !f.pending.tasks);
    QCOMPARE(f.size("Timo.ERG") > 0, dialogs.contains("Leistungen speichern"));
    QCOMPARE(f.size("Timo.AGB") > 0, dialogs.contains("Aufgaben speichern"));
}

QTEST_MAIN(TestRunSaving)
#include "tst_run_saving.moc"
