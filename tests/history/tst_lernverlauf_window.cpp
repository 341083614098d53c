#include "appearance/focus_marker.h"
#include "history/file/sqlite_history_store.h"
#include "history/model/history_stats.h"
#include "history/windows/TForm_Lernverlauf.h"
#include "main_window/main_window_fixture.h"
#include "support/fake_history_store.h"
#include "support/hostile_objects.h"

#include <QAccessible>
#include <QChartView>
#include <QLineEdit>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

AnsweredTask answer(int a, int b, int result, bool correct, qint64 ms) {
    AnsweredTask t;
    t.operand1 = a;
    t.operand2 = b;
    t.correctResult = result;
    t.givenAnswer = QString::number(correct ? result : result + 1);
    t.correct = correct;
    t.answerMs = ms;
    return t;
}

HistoryRun run(const QString& name, Operation operation, const QDateTime& at,
               const QList<AnsweredTask>& answers) {
    HistoryRun r;
    r.participant = name;
    r.operation = operation;
    r.startedAt = at;
    r.answers = answers;
    return r;
}

const QDateTime first(QDate(2026, 12, 7), QTime(10, 0));
const QDateTime second(QDate(2026, 12, 8), QTime(14, 3));

} // namespace

class TestLernverlaufWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { delete window; }
    void showsTheChosenFigures();
    void keyboardReachesEveryControl();
    void choicesAreReadWithTheirValue();
    void savesTheChildsAnswersAsCsv_data();
    void savesTheChildsAnswersAsCsv();
    void practisesTheMissedTasks_data();
    void practisesTheMissedTasks();
    void storeFailureStaysCalm();
    void aHistoryFileIsReadOffThisThread();

private:
    void chooseMia() {
        Auswahl_Name()->setFocus();
        QTest::keyClick(Auswahl_Name(), Qt::Key_Down);
    }
    QComboBox* Auswahl_Name() { return window->Auswahl_Name; }

    FakeHistoryStore store;
    FakePlatform platform;
    TForm_Lernverlauf* window = nullptr;
};

void TestLernverlaufWindow::init() {
    // Mia: 3 of 4 right in 60 s, then 2 of 2 in 20 s; 7 + 8 missed once. Ben: nothing to practise.
    store.failure.reset();
    store.stored = {
        run("Mia", Operation::Add, second,
            {answer(7, 8, 15, true, 10000), answer(6, 6, 12, true, 10000)}),
        run("Mia", Operation::Add, first,
            {answer(7, 8, 15, false, 15000), answer(3, 4, 7, true, 15000),
             answer(2, 2, 4, true, 15000), answer(5, 5, 10, true, 15000)}),
        run("Mia", Operation::Multiply, second,
            {answer(7, 8, 56, false, 2000), answer(7, 8, 56, true, 2800),
             answer(2, 3, 6, true, 1000)}),
        run("Ben", Operation::Add, first,
            {answer(1, 1, 2, true, 3000), answer(2, 1, 3, true, 3000)}),
    };
    platform.clearMessages();
    platform.fileRequests.clear();
    window = new TForm_Lernverlauf(store, platform);
}

// A screen reader reads each choice with the item chosen, also after an arrow key changed it; the
// child cannot type into them, and a click on the shown item opens the list.
void TestLernverlaufWindow::choicesAreReadWithTheirValue() {
    window->reload();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto read = [](QWidget* w, QAccessible::Text t) {
        return QAccessible::queryAccessibleInterface(w)->text(t);
    };
    // Labelled by its label, which a screen reader speaks first ("Kind:"), then the item.
    auto label = [](QWidget* w) {
        const auto relations =
            QAccessible::queryAccessibleInterface(w)->relations(QAccessible::Label);
        return relations.size() == 1 ? relations.first().first->text(QAccessible::Name)
                                     : QString("<%1 labels>").arg(relations.size());
    };
    QComboBox* operation = window->Auswahl_Rechenart;
    QCOMPARE(label(Auswahl_Name()), QString("Kind:"));
    QCOMPARE(read(Auswahl_Name(), QAccessible::Value), QString("Ben"));
    QCOMPARE(label(operation), QString("Rechenart:"));
    QCOMPARE(read(operation, QAccessible::Value), operation->itemText(0));

    chooseMia();
    QCOMPARE(read(Auswahl_Name(), QAccessible::Value), QString("Mia"));
    operation->setFocus();
    QTest::keyClick(operation, Qt::Key_Down);
    QTest::keyClick(operation, Qt::Key_Down);
    QCOMPARE(read(operation, QAccessible::Value), QString("Multiplizieren (*)"));
    QTest::keyClicks(operation, "xy");
    QCOMPARE(operation->currentText(), QString("Multiplizieren (*)"));
    QCOMPARE(operation->currentIndex(), 2);

    QVERIFY(!operation->view()->isVisible());
    QTest::mouseClick(operation->lineEdit(), Qt::LeftButton);
    QVERIFY(operation->view()->isVisible());
    operation->hidePopup();
}

void TestLernverlaufWindow::showsTheChosenFigures() {
    window->reload();
    window->show();
    QCOMPARE(Auswahl_Name()->currentText(), QString("Ben"));
    chooseMia();

    const QList<QPointF> speed = window->Reihe_Tempo->points();
    const QList<QPointF> right = window->Reihe_Richtig->points();
    QCOMPARE(speed, (QList<QPointF>{{qreal(first.toMSecsSinceEpoch()), 3.0},
                                    {qreal(second.toMSecsSinceEpoch()), 6.0}}));
    QCOMPARE(right.size(), 2);
    QCOMPARE(right[0].y(), 75.0);
    // The Stufe after each day, from everyone's answers of the operation.
    const QList<LevelPoint> days =
        dailyLevels(*store.everyonesRuns(Operation::Add), "Mia", Operation::Add);
    QCOMPARE(days.size(), 2);
    QCOMPARE(window->Reihe_Stufe->points(),
             (QList<QPointF>{{qreal(first.toMSecsSinceEpoch()), days[0].stufe},
                             {qreal(second.toMSecsSinceEpoch()), days[1].stufe}}));
    const QString now = stufeText(days[1].stufe);
    QCOMPARE(window->Label_Stufe->text(), "Stufe: " + now);
    QCOMPARE(
        QAccessible::queryAccessibleInterface(window->Diagramm)->text(QAccessible::Description),
        QString("Letzter Lauf am 08.12.2026 um 14:03: 6,0 Aufgaben pro Minute, 100 % richtig. "
                "Stufe %1 am 08.12.2026.")
            .arg(now));

    QVERIFY(!window->Einmaleins->isVisible());
    QCOMPARE(window->Fehler_Liste->rowCount(), 1);
    const auto cell = [](QTableWidget* t, int r, int c) { return t->item(r, c)->text(); };
    QCOMPARE(cell(window->Fehler_Liste, 0, 0) + " " + cell(window->Fehler_Liste, 0, 1) + " " +
                 cell(window->Fehler_Liste, 0, 2),
             QString("7 + 8 1 2"));
    QCOMPARE(window->Langsam_Liste->rowCount(), 5);
    QCOMPARE(cell(window->Langsam_Liste, 0, 1), QString("15,0 s"));

    window->Auswahl_Rechenart->setFocus();
    QTest::keyClick(window->Auswahl_Rechenart, Qt::Key_Down);
    QTest::keyClick(window->Auswahl_Rechenart, Qt::Key_Down);
    QVERIFY(window->Einmaleins->isVisible());
    const QTableWidgetItem* missedHalf = window->Einmaleins->item(6, 7);
    const QTableWidgetItem* neverMissed = window->Einmaleins->item(1, 2);
    // The colour is also a sign: a cross with the misses, a tick for none.
    QCOMPARE(missedHalf->text(), QString("2,4 s ✗1"));
    QCOMPARE(neverMissed->text(), QString("1,0 s ✓"));
    QCOMPARE(QAccessible::queryAccessibleInterface(window->Einmaleins)
                 ->tableInterface()
                 ->cellAt(6, 7)
                 ->text(QAccessible::Name),
             QString("7 * 8: 2,4 s, 50 % falsch, 2 Versuche"));
    QCOMPARE(QAccessible::queryAccessibleInterface(window->Einmaleins)
                 ->tableInterface()
                 ->cellAt(1, 2)
                 ->text(QAccessible::Name),
             QString("2 * 3: 1,0 s, 0 % falsch, 1 Versuch"));
    // Hue by error rate, strength by time: 7 * 8 is missed more and slower than 2 * 3.
    QVERIFY(neverMissed->background().color().hue() > missedHalf->background().color().hue());
    QVERIFY(missedHalf->background().color().hsvSaturation() >
            neverMissed->background().color().hsvSaturation());
    QVERIFY(window->Label_Legende->isVisible());
    QVERIFY(window->Einmaleins->item(0, 0)->text().isEmpty());
    QVERIFY(window->Einmaleins->item(0, 0)->background().color() !=
            neverMissed->background().color());

    QTest::keyClick(window->Auswahl_Rechenart, Qt::Key_Down);
    QCOMPARE(window->Reihe_Tempo->count(), 0);
    QCOMPARE(window->Reihe_Stufe->count(), 0);
    QVERIFY(!window->Label_Stufe->isVisible());
    QCOMPARE(window->Fehler_Liste->rowCount(), 0);
    QCOMPARE(window->Diagramm->accessibleDescription(),
             QString("Noch keine Läufe mit dieser Rechenart."));
    QVERIFY(platform.messages.isEmpty());
}

void TestLernverlaufWindow::keyboardReachesEveryControl() {
    window->reload();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    Auswahl_Name()->setFocus();
    // Return outside a button presses none.
    QTest::keyClick(Auswahl_Name(), Qt::Key_Return);
    QVERIFY(platform.fileRequests.isEmpty());
    const auto* marker = window->findChild<FocusMarker*>();
    const QList<QWidget*> order{window->Auswahl_Rechenart, window->Diagramm,
                                window->Fehler_Liste,      window->Langsam_Liste,
                                window->But_CSV,           window->But_Fehler_ueben,
                                window->But_Schliessen};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
        QCOMPARE(marker->target(), next);
        QVERIFY(marker->isVisible());
    }
    // Escape closes from a table as well.
    window->Fehler_Liste->setFocus();
    QTest::keyClick(window->Fehler_Liste, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
}

void TestLernverlaufWindow::savesTheChildsAnswersAsCsv_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<QString>("initialName");
    QTest::addColumn<QString>("reason"); // empty: saved
    QTest::newRow("written") << "Mia"
                             << ""
                             << "Lernverlauf Mia.csv"
                             << "";
    QTest::newRow("unsafe name") << "Lea/..:x"
                                 << ""
                                 << "Lernverlauf Lea____x.csv"
                                 << "";
    QTest::newRow("missing folder") << "Mia"
                                    << "fehlt/"
                                    << "Lernverlauf Mia.csv"
                                    << "Den Ordner der Datei gibt es nicht.";
    QTest::newRow("full disk") << "Mia"
                               << "voll/"
                               << "Lernverlauf Mia.csv"
                               << "Der Datenträger ist voll.";
}

void TestLernverlaufWindow::savesTheChildsAnswersAsCsv() {
    QFETCH(QString, name);
    QFETCH(QString, subfolder);
    QFETCH(QString, initialName);
    QFETCH(QString, reason);
    store.stored.append(run("Lea/..:x", Operation::Subtract, first, {answer(9, 4, 5, true, 900)}));
    QTemporaryDir folder;
    const QString path = folder.filePath(subfolder + "verlauf.csv");
    // On a full disk an export from before is there; it must survive the failed one.
    std::optional<FullDisk> disk;
    const QByteArray before(1260, 'a');
    if (subfolder == "voll/") {
        QVERIFY(QDir(folder.path()).mkdir("voll"));
        disk.emplace(folder.filePath("voll"));
        QVERIFY2(disk->mounted(), qPrintable(disk->mountError()));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) == before.size());
        old.close();
        QVERIFY(disk->fill());
    }
    platform.saveAs({path});
    window->reload();
    window->show();
    Auswahl_Name()->setCurrentIndex(Auswahl_Name()->findText(name));
    QTest::mouseClick(window->But_CSV, Qt::LeftButton);

    QCOMPARE(platform.fileRequests.last().initialName, initialName);
    QCOMPARE(platform.fileRequests.last().defaultSuffix, QString("csv"));
    QFile file(path);
    if (!reason.isEmpty()) {
        QCOMPARE(platform.messageTexts(),
                 QStringList{QString("Der Lernverlauf konnte nicht in der Datei\n%1\ngespeichert "
                                     "werden.\n%2")
                                 .arg(QDir::toNativeSeparators(path), reason)});
        if (disk) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), before);
        } else {
            QVERIFY(!file.exists());
        }
        return;
    }
    QVERIFY(platform.messages.isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    const Result<QList<HistoryRun>> read = store.runs(name, std::nullopt);
    QVERIFY(read.ok());
    const QList<HistoryRun>& all = *read;
    QCOMPARE(lines.first().trimmed(), answersCsv({}).trimmed());
    // Every answer of the child in every operation, and no one else's.
    qsizetype answers = 0;
    for (const HistoryRun& r : all)
        answers += r.answers.size();
    QCOMPARE(lines.size(), 1 + answers);
}

void TestLernverlaufWindow::practisesTheMissedTasks_data() {
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<bool>("lastRunUnsaved");
    QTest::newRow("mouse") << true << false;
    QTest::newRow("Return") << false << false;
    QTest::newRow("last run unsaved") << true << true;
}

void TestLernverlaufWindow::practisesTheMissedTasks() {
    QFETCH(bool, byMouse);
    QFETCH(bool, lastRunUnsaved);
    MainWindowFixture f;
    f.pending.results = lastRunUnsaved;
    connect(window, &TForm_Lernverlauf::practiceRequested, f.form.get(),
            [&](const QString& name, Operation operation, const QList<OperandPair>& tasks) {
                f.run.startPractice(name, operation, tasks);
            });
    QSignalSpy requests(window, &TForm_Lernverlauf::practiceRequested);
    QTimer::singleShot(0, window, [&] {
        // Ben answered everything right and equally fast: nothing to practise, nothing starts.
        QTest::mouseClick(window->But_Fehler_ueben, Qt::LeftButton);
        QCOMPARE(platform.messageTexts(),
                 QStringList{"Ben hat bei dieser Rechenart keine Aufgaben zum Üben."});
        QVERIFY(window->isVisible());
        chooseMia();
        if (byMouse) {
            QTest::mouseClick(window->But_Fehler_ueben, Qt::LeftButton);
        } else {
            window->But_Fehler_ueben->setFocus();
            QTest::keyClick(window->But_Fehler_ueben, Qt::Key_Return);
        }
    });
    QTimer::singleShot(5000, window, [this] { window->reject(); }); // a watchdog
    window->openFromMainMenu();
    QVERIFY(!window->isVisible());
    QCOMPARE(requests.size(), 1);
    if (lastRunUnsaved) {
        QVERIFY(!f.run.active());
        QCOMPARE(f.settings().participantName, QString("Werda ?"));
        return;
    }
    QCOMPARE(f.c->Edit_Name->text(), QString("Mia"));
    QCOMPARE(f.c->Panel_Zahl_1_zeigen->text().trimmed(), QString("7"));
    QCOMPARE(f.c->Panel_Zahl_2_zeigen->text().trimmed(), QString("8"));
}

void TestLernverlaufWindow::storeFailureStaysCalm() {
    store.failure = Failure{Failure::Kind::Busy, QString("Die Datenbank ist gesperrt.")};
    window->reload();
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.messages[0].text.contains(store.location()));
    QVERIFY(platform.messages[0].text.contains(store.failure->reason));
    QCOMPARE(platform.messages[0].text,
             QString("Der Lernverlauf in der Datei\n/nirgends/Lernverlauf.sqlite\nkonnte nicht "
                     "gelesen werden.\nDie Datenbank ist gesperrt."));
    QCOMPARE(Auswahl_Name()->count(), 0);
    QVERIFY(!window->But_Fehler_ueben->isEnabled());
    QCOMPARE(window->Reihe_Tempo->count(), 0);
    // A store on a server says so, whatever its description looks like.
    store.remote = true;
    window->reload();
    QCOMPARE(platform.messages.size(), 2);
    QVERIFY2(platform.messages[1].text.startsWith("Der Lernverlauf auf dem Server\n"),
             qPrintable(platform.messages[1].text));
}

// The window shows itself while a history file is read on a thread of its own, says so to a
// screen reader beside the child's name, and then shows the figures as read from the fake store.
void TestLernverlaufWindow::aHistoryFileIsReadOffThisThread() {
    QTemporaryDir folder;
    SqliteHistoryStore file(folder.filePath("Lernverlauf.sqlite"));
    for (const HistoryRun& r : std::as_const(store.stored))
        QVERIFY(!file.record(r));
    TForm_Lernverlauf reading(file, platform);
    reading.Auswahl_Rechenart->setCurrentIndex(2); // "*"
    reading.show();
    reading.reload();
    QVERIFY(reading.loading());
    QVERIFY(reading.Label_Status->isVisible());
    QCOMPARE(
        QAccessible::queryAccessibleInterface(reading.Auswahl_Name)->text(QAccessible::Description),
        QString("Der Lernverlauf wird geladen …"));
    QTRY_VERIFY(!reading.loading());
    QVERIFY(!reading.Label_Status->isVisible());
    QCOMPARE(reading.Auswahl_Name->currentText(), QString("Ben"));
    reading.Auswahl_Name->setCurrentIndex(1);
    QTRY_VERIFY(!reading.loading());
    QCOMPARE(reading.Reihe_Tempo->count(), 1);
    QCOMPARE(reading.Einmaleins->item(6, 7)->data(Qt::AccessibleTextRole),
             QVariant("7 * 8: 2,4 s, 50 % falsch, 2 Versuche"));
    QVERIFY(platform.messages.isEmpty());
}

QTEST_MAIN(TestLernverlaufWindow)
#include "tst_lernverlauf_window.moc"
