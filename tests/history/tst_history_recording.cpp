#include "history/file/sqlite_history_store.h"
#include "history/history_module.h"
#include "history/history_recorder.h"
#include "main_window/main_window_fixture.h"
#include "review/run_saving.h"
#include "support/fake_history_store.h"
#include "support/file_size_limit.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>

#include <thread>

namespace {

// The main window with the recording wired as the program wires it: the saves keep each run in
// the history while the menu item says so. In place of the result dialog and the other saves, a
// handler counts the ends of runs and clears what they would save.
struct RecordingFixture : MainWindowFixture {
    explicit RecordingFixture(HistoryStore& store) : recorder(store, platform, form.get()) {
        QObject::connect(&run, &RunController::runEnded, form.get(), [this](const RunResult& r) {
            saver.recordInHistory(r);
            messagesAtRunEnds << platform.messages.size();
            pending = {};
        });
    }

    void wholeRun() {
        start();
        answerRight();
        answerWrong();
        stop();
    }

    // Opens a menu of the menu bar with its Alt key and chooses an item by its letter.
    void chooseFromMenu(Qt::Key menuKey, Qt::Key itemKey) {
        QTest::keyClick(form.get(), menuKey, Qt::AltModifier);
        QWidget* popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        QTest::keyClick(popup, itemKey);
    }

    HistoryRecorder recorder;
    RunSaver saver{pending, [this](const RunResult& r) {
                       if (form->historyRecordingOn())
                           recorder.record(r);
                   }};
    QList<qsizetype> messagesAtRunEnds;
};

} // namespace

class TestHistoryRecording : public QObject {
    Q_OBJECT
private slots:
    void menuItems();
    void recordingSwitch_data();
    void recordingSwitch();
    void storeNoticeShownOnce();
    void damagedFileKeepsRunsGoing_data();
    void damagedFileKeepsRunsGoing();
    void historyModule();
};

void TestHistoryRecording::menuItems() {
    FakeHistoryStore store;
    RecordingFixture f(store);
    TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;
    // Texts and places of the items are checked with the whole menu bar.
    QVERIFY(c.Lernverlaufaufzeichnen1->isCheckable());
    QVERIFY(w.historyRecordingOn());

    QSignalSpy viewerRequests(&w.menus(), &MainMenus::historyViewerRequested);
    f.chooseFromMenu(Qt::Key_L, Qt::Key_L);
    QCOMPARE(viewerRequests.size(), 1);

    // During a run neither menu opens, so neither item can be chosen.
    f.start();
    for (Qt::Key menuKey : {Qt::Key_E, Qt::Key_L}) {
        QTest::keyClick(&w, menuKey, Qt::AltModifier);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
    }
    QCOMPARE(viewerRequests.size(), 1);
    QVERIFY(w.historyRecordingOn());
    f.stop();
}

void TestHistoryRecording::recordingSwitch_data() {
    QTest::addColumn<bool>("switchedOff");
    QTest::newRow("on") << false;
    QTest::newRow("off") << true;
}

void TestHistoryRecording::recordingSwitch() {
    QFETCH(bool, switchedOff);
    FakeHistoryStore store;
    RecordingFixture f(store);
    if (switchedOff) {
        f.chooseFromMenu(Qt::Key_E, Qt::Key_L);
        QVERIFY(!f.form->historyRecordingOn());
    }
    f.c->Edit_Name->setText(QStringLiteral("Anna"));
    f.wholeRun();
    QCOMPARE(f.messagesAtRunEnds.size(), 1);
    QCOMPARE(store.stored.size(), switchedOff ? 0 : 1);
    if (!switchedOff) {
        QCOMPARE(store.stored[0].participant, QStringLiteral("Anna"));
        QCOMPARE(store.stored[0].answers.size(), 2);
    }
}

// A store that keeps runs locally while its server is away says so once, as information, and the
// runs go on being recorded. A notice the store finds later, on its sending thread, is shown on
// the window's thread when it comes, once.
void TestHistoryRecording::storeNoticeShownOnce() {
    FakeHistoryStore store;
    store.notice = QStringLiteral("Der Server ist weg.");
    RecordingFixture f(store);
    f.wholeRun();
    f.wholeRun();
    QCOMPARE(f.messagesAtRunEnds, QList<qsizetype>({1, 1}));
    QCOMPARE(f.platform.messageTexts(), QStringList{QStringLiteral("Der Server ist weg.")});
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Information);
    QCOMPARE(store.stored.size(), 2);

    QVERIFY(store.noticed);
    store.notice = QStringLiteral("Die Warteschlange war beschädigt.");
    std::thread([&] {
        store.noticed();
        store.noticed();
    }).join();
    QCOMPARE(f.platform.messages.size(), 1);
    QTRY_COMPARE(f.platform.messages.size(), 2);
    QCoreApplication::processEvents();
    QCOMPARE(f.platform.messageTexts().last(), QStringLiteral("Die Warteschlange war beschädigt."));
    QCOMPARE(f.platform.messages.size(), 2);
    QCOMPARE(f.platform.messages[1].kind, MessageKind::Information);
}

void TestHistoryRecording::damagedFileKeepsRunsGoing_data() {
    QTest::addColumn<bool>("sizeLimited"); // else a damaged file
    QTest::addColumn<QString>("reason");
    QTest::newRow("damaged file")
        << false << "Die Datei ist keine Lernverlauf-Datenbank oder ist beschädigt.";
    QTest::newRow("file-size limit")
        << true << "Der Datenträger ist voll, oder die Datei darf nicht größer werden.";
}

// A history file that cannot be written costs one message, never a run, and keeps its bytes.
// Under a file-size limit (8 KiB, less than a new history needs) the write fails as on a full
// disk instead of ending the program.
void TestHistoryRecording::damagedFileKeepsRunsGoing() {
    QFETCH(bool, sizeLimited);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Lernverlauf.sqlite"));
    const QByteArray damaged = QByteArray("SQLite format 3") + QByteArray(3000, '\x17');
    QFile file(path);
    if (!sizeLimited) {
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(damaged) == damaged.size());
        file.close();
    }
    SqliteHistoryStore store(path);
    RecordingFixture f(store);

    {
        std::optional<FileSizeLimit> limit;
        if (sizeLimited)
            limit.emplace(8 * 1024);
        f.wholeRun();
        f.wholeRun();
    }

    QCOMPARE(f.messagesAtRunEnds, QList<qsizetype>({1, 1}));
    QCOMPARE(f.platform.messageTexts(),
             QStringList{QStringLiteral("Der Lernverlauf kann nicht aufgezeichnet werden:\n%1\n%2"
                                        "\n\nKalumbrixtor arbeitet ohne Lernverlauf weiter.")
                             .arg(QDir::toNativeSeparators(path), reason)});
    QCOMPARE(f.state.workedTaskCount, 2);
    // A history that could not be made anew is left empty, as SQLite takes back what it wrote.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), sizeLimited ? QByteArray() : damaged);
}

// The program loads the store and the window from the module; a missing module is a reason, not
// a crash.
void TestHistoryRecording::historyModule() {
    QString reason;
    QCOMPARE(loadHistoryModule({QStringLiteral("/nirgends")}, reason), nullptr);
    QVERIFY2(reason.contains(historyModuleFileName) && reason.contains(QStringLiteral("fehlt")),
             qPrintable(reason));

    const HistoryModule* module = loadHistoryModule(
        {QStringLiteral("/nirgends"), QStringLiteral(KALU_HISTORY_MODULE_DIR)}, reason);
    QVERIFY2(module, qPrintable(reason));
    QTemporaryDir folder;
    const std::unique_ptr<HistoryStore> store = module->createStore(
        folder.filePath(QStringLiteral("Lernverlauf.sqlite")), QString(), QString());
    HistoryRun run;
    run.participant = QStringLiteral("Jörg");
    run.operation = Operation::Multiply;
    run.answers = {AnsweredTask{1, 7, 8, 56, -1, QStringLiteral("54"), {}, false, 2100}};
    QVERIFY(!store->record(run));
    const Result<QStringList> names = store->participants();
    QVERIFY(names.ok());
    QCOMPARE(*names, QStringList{QStringLiteral("Jörg")});

    MainWindowFixture f;
    QVERIFY(module->createViewer(*store, f.platform, f.folder.path(), f.form.get(), {}));
}

QTEST_MAIN(TestHistoryRecording)
#include "tst_history_recording.moc"
