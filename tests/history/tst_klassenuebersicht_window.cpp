#include "history/file/sqlite_history_store.h"
#include "history/model/practice_levels.h"
#include "history/windows/TForm_Klassenuebersicht.h"
#include "history/windows/history_widgets.h"
#include "platform/printing.h"
#include "support/accessible_cells.h"
#include "support/fake_history_store.h"
#include "support/fake_platform.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

HistoryRun run(const QString& name, Operation operation, int day,
               const QList<std::pair<bool, qint64>>& answers) {
    HistoryRun r;
    r.participant = name;
    r.operation = operation;
    r.startedAt = QDateTime(QDate(2026, 12, day), QTime(8, 0).addSecs(60 * day));
    for (const auto& [right, ms] : answers) {
        AnsweredTask a;
        a.operand1 = 7;
        a.operand2 = 8;
        a.correct = right;
        a.answerMs = ms;
        r.answers << a;
    }
    return r;
}

// A child's progress asked for by historyRequested.
using Request = std::pair<QString, std::optional<Operation>>;
Request requested(const QVariantList& arguments) {
    return {arguments.value(0).toString(), arguments.value(1).value<std::optional<Operation>>()};
}

} // namespace

class TestKlassenuebersichtWindow : public QObject {
    Q_OBJECT
private slots:
    void keysAndClicksReachEveryRow();
    void aHistoryFileIsReadOffThisThread();
};

// Ben: nothing to practise. Lea: six runs of "*", one right answer each in 7, 6, 5, 4, 3, 2
// seconds, 7 * 8 missed at once in the first: the median of the last five is 15 a minute, 6,4
// more than the first.
// Mia: "+" missed, then "*" missed, so her progress opens in "*" when every operation is shown.
void TestKlassenuebersichtWindow::keysAndClicksReachEveryRow() {
    FakeHistoryStore store;
    store.stored = {run("Ben", Operation::Add, 1, {{true, 1000}, {true, 1000}}),
                    run("Mia", Operation::Add, 2, {{false, 4000}}),
                    run("Mia", Operation::Multiply, 3, {{false, 4000}})};
    store.stored << run("Lea", Operation::Multiply, 1, {{true, 7000}, {false, 0}});
    for (int k = 1; k < 6; ++k)
        store.stored << run("Lea", Operation::Multiply, k + 1, {{true, 7000 - 1000 * k}});
    FakePlatform platform;
    PrinterChoice printers;
    QTemporaryDir folder;
    TForm_Klassenuebersicht window(store, platform, printers, folder.path());
    QSignalSpy requests(&window, &TForm_Klassenuebersicht::historyRequested);
    window.reload();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTableWidget* table = window.Tabelle;
    auto names = [&] {
        QStringList shown;
        for (int r = 0; r < table->rowCount(); ++r)
            shown << table->item(r, 0)->text();
        return shown;
    };
    QCOMPARE(names(), QStringList({"Ben", "Lea", "Mia"}));
    const int change = int(OverviewColumn::Change);
    QCOMPARE(table->item(1, change)->text(), QString("↑ +6,4"));
    QCOMPARE(accessibleCellText(table, 1, change), QString("schneller um 6,4"));
    QCOMPARE(accessibleColumnHeading(table, 1, change), QString("Veränderung"));
    QCOMPARE(accessibleCellText(table, 0, change), QString("keine Angabe"));

    // The arrow keys move without choosing; Return opens the row's child.
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requested(requests.takeFirst()), (Request{"Mia", Operation::Multiply}));
    QVERIFY(table->selectedItems().isEmpty());

    // Sorted from the keyboard: by runs, most first.
    window.Auswahl_Sortierung->setFocus();
    QTest::keyClick(window.Auswahl_Sortierung, Qt::Key_Down);
    window.Check_Absteigend->setFocus();
    QTest::keyClick(window.Check_Absteigend, Qt::Key_Space);
    QCOMPARE(names(), QStringList({"Lea", "Mia", "Ben"}));

    // One operation: Ben's row shows no runs, and a double-click opens Mia's "+".
    window.Auswahl_Rechenart->setFocus();
    QTest::keyClick(window.Auswahl_Rechenart, Qt::Key_Down);
    QCOMPARE(names(), QStringList({"Ben", "Mia", "Lea"}));
    QCOMPARE(table->item(2, int(OverviewColumn::Runs))->text(), QString("0"));
    // The Stufe in "+" from everyone's answers of it; Lea has none.
    const int stufe = int(OverviewColumn::Stufe);
    const QHash<QString, double> levels =
        currentLevels(*store.everyonesRuns(Operation::Add), Operation::Add);
    QCOMPARE(table->item(1, stufe)->text(), stufeText(levels.value("Mia")));
    QCOMPARE(accessibleCellText(table, 2, stufe), QString("keine Angabe"));
    const QRect mia = table->visualItemRect(table->item(1, 0));
    // What a real double-click delivers.
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, mia.center());
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, mia.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, mia.center());
    QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, mia.center());
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requested(requests.takeFirst()), (Request{"Mia", Operation::Add}));

    // Space chooses children for the worksheets (choosing another operation chose nobody anew);
    // Ben has nothing to practise and is named.
    window.Auswahl_Rechenart->setFocus();
    QTest::keyClick(window.Auswahl_Rechenart, Qt::Key_Up);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(table, Qt::Key_Space); // Lea
    QTest::keyClick(table, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(table, Qt::Key_Space); // Ben
    platform.clearMessages();
    window.But_Fehlerblaetter->setFocus();
    QTest::keyClick(window.But_Fehlerblaetter, Qt::Key_Return);
    const QString pdf = QDir(folder.path())
                            .filePath(QStringLiteral("Fehlerblätter %1 06.12.2026.pdf")
                                          .arg(QDir(folder.path()).dirName()));
    QCOMPARE(platform.messageTexts(),
             QStringList({"Ohne Fehlerblatt, weil es in den letzten 30 Tagen nichts zu üben gibt: "
                          "Ben.",
                          "Es ist kein Drucker eingerichtet. Der Ausdruck steht als PDF-Datei "
                          "in\n" +
                              pdf}));
    // Lea's page alone: the PDF writer marks each page as an object of this type.
    QFile written(pdf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll().count("/Type /Page\n"), 1);
    QCOMPARE(table->selectedItems().size(), 2 * overviewColumnCount);

    // The table as shown (sorted by runs) goes into the file chosen in the save dialog, which
    // opened in the class folder.
    const QString csv = folder.filePath(QStringLiteral("Klasse.csv"));
    platform.saveAs({csv});
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    QTRY_COMPARE(platform.fileRequests.size(), 1); // the button clicks after its press is shown
    QCOMPARE(platform.fileRequests.first().directory, folder.path());
    QFile saved(csv);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().split('\n');
    QCOMPARE(lines.size(), 6); // what it holds, headings, three rows, nothing after the end
    QCOMPARE(lines[0], "\xEF\xBB\xBFKlassenübersicht " + QDir(folder.path()).dirName().toUtf8() +
                           ";Zeitraum: 30 Tage;Rechenart: alle Rechenarten\r");
    QCOMPARE(lines[1], QByteArray("Name;Läufe;Minuten;Letzter Lauf;Aufgaben pro Minute;"
                                  "Veränderung;Richtig;Stufe;Häufigste Fehler\r"));
    QCOMPARE(lines[2], QByteArray("Lea;6;0;06.12.2026;15,0;schneller um 6,4;86 %;–;7 * 8\r"));
    QVERIFY(lines[3].startsWith("Mia;2;") && lines[4].startsWith("Ben;1;"));
}

// A history file is read on a thread of its own while the window says it is loading. Equal rows
// stand in the order of their names whichever way they are sorted; a long name is cut short in
// the table, not for a screen reader. Saving over a link asks about the file it points to.
void TestKlassenuebersichtWindow::aHistoryFileIsReadOffThisThread() {
    QTemporaryDir folder;
    const QString longName = QString(74, QLatin1Char('x'));
    {
        SqliteHistoryStore writer(folder.filePath("Lernverlauf.sqlite"));
        for (const QString& name : {QString("Ute"), longName, QString("Ali"), QString("Eva")})
            QVERIFY(!writer.record(run(name, Operation::Add, 5, {{true, 1000}})));
        QVERIFY(!writer.record(run("Ute", Operation::Add, 6, {{true, 1000}})));
    }
    SqliteHistoryStore store(folder.filePath("Lernverlauf.sqlite"));
    FakePlatform platform;
    PrinterChoice printers;
    TForm_Klassenuebersicht window(store, platform, printers, folder.path());
    window.resize(1280, 1024);
    window.show();
    window.reload();
    QVERIFY(window.loading());
    QVERIFY(window.Label_Status->isVisible());
    QCOMPARE(QAccessible::queryAccessibleInterface(window.Tabelle)->text(QAccessible::Description),
             QString("Die Klassenübersicht wird geladen …"));
    QTRY_VERIFY(!window.loading());
    QVERIFY(!window.Label_Status->isVisible());
    QTableWidget* table = window.Tabelle;
    QCOMPARE(table->rowCount(), 4);
    QCOMPARE(QAccessible::queryAccessibleInterface(table)->text(QAccessible::Description),
             QString("4 Kinder"));

    auto names = [&] {
        QStringList shown;
        for (int r = 0; r < table->rowCount(); ++r)
            shown << table->item(r, 0)->text();
        return shown;
    };
    const QStringList byRuns{"Ute", "Ali", "Eva", longName};
    table->horizontalHeader()->setSortIndicator(int(OverviewColumn::Runs), Qt::DescendingOrder);
    QCOMPARE(names(), byRuns);
    window.Auswahl_Sortierung->setCurrentIndex(int(OverviewColumn::Name));
    window.Auswahl_Sortierung->setCurrentIndex(int(OverviewColumn::Runs));
    QVERIFY(window.Check_Absteigend->isChecked());
    QCOMPARE(names(), byRuns);

    QVERIFY(table->columnWidth(0) < table->fontMetrics().horizontalAdvance(longName));
    QCOMPARE(table->item(3, 0)->toolTip(), longName);
    QCOMPARE(accessibleCellText(table, 3, 0), longName);

    QFile target(folder.filePath("Ziel.csv"));
    QVERIFY(target.open(QIODevice::WriteOnly) && target.write("alt") == 3);
    target.close();
    QVERIFY(QFile::link(target.fileName(), folder.filePath("Klasse.csv")));
    platform.saveAs({folder.filePath("Klasse.csv")});
    platform.answerWith({MessageAnswer::No});
    window.But_CSV->click();
    QCOMPARE(
        platform.messageTexts(),
        QStringList{QString("Die Datei\n%1\ngibt es schon. Soll sie ersetzt werden?")
                        .arg(QDir::toNativeSeparators(QFileInfo(target).canonicalFilePath()))});
    QVERIFY(target.open(QIODevice::ReadOnly));
    QCOMPARE(target.readAll(), QByteArray("alt"));
}

QTEST_MAIN(TestKlassenuebersichtWindow)
#include "tst_klassenuebersicht_window.moc"
