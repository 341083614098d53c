// The three viewers opened on damaged, foreign and odd files: each shows what the records allow
// or says in German why it cannot, never crashes, and changes no file.

#include "bad_files.h"

#include "competition/TForm_Bestenlisten.h"
#include "competition/best_list_file.h"
#include "platform/printing.h"
#include "review/TForm_Aufgaben.h"
#include "review/TForm_Ergebnisse.h"
#include "storage/results_file.h"
#include "storage/task_set_file.h"
#include "support/fake_platform.h"
#include "support/when_active.h"

#include <QApplication>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <climits>
#include <functional>

using namespace badfiles;

namespace {

// Runs the action once the window is up and active (its keys answer only then) and closes it
// afterwards.
void whenShown(QDialog* window, std::function<void()> action) {
    whenActive(window, [window, action = std::move(action)] {
        action();
        window->reject();
    });
}

QByteArray bestListRecord() {
    BestListEntry entry;
    entry.number = 3;
    entry.name = QStringLiteral("Anna");
    entry.date = QStringLiteral("06.12.26");
    entry.time = QStringLiteral("17:06:29");
    entry.settingCode = QStringLiteral("*1033");
    entry.points = 7;
    return encodeBestListEntry(entry);
}

QByteArray resultRecord() {
    ResultRecord record;
    record.name = QStringLiteral("Anna");
    record.taskCount = 12;
    record.points = 7;
    return encodeResultRecord(record);
}

QByteArray taskRecord(qint32 a = 3, qint32 b = 4) {
    TaskRecord task;
    task.operand1 = a;
    task.operand2 = b;
    task.operation = QStringLiteral("+");
    task.result = a + b;
    task.givenAnswer = a + b;
    task.name = QStringLiteral("Anna");
    return encodeTaskRecord(task);
}

// The cases every reader meets; recordsShown is what the viewer shows of them (-1: a message).
void addFileCases(const QByteArray& record, int nameOffset, int nameCapacity, int limit) {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("recordsShown");
    QTest::addColumn<QString>("reason");
    const int size = int(record.size());
    auto whole = [&](qsizetype bytes) { return int(qMin<qsizetype>(bytes / size, limit)); };
    QTest::newRow("deleted after start-up")
        << "missing" << QByteArray() << -1 << "Die Datei gibt es nicht.";
    QTest::newRow("a directory") << "directory" << QByteArray() << -1
                                 << "Die Datei ist ein Ordner.";
    for (int bytes : {0, 39, 71, 121})
        QTest::addRow("%d bytes", bytes)
            << "bytes" << repeated(record, bytes) << whole(bytes) << QString();
    QTest::newRow("10 000 records")
        << "bytes" << repeated(record, 10000 * size) << limit << QString();
    QTest::newRow("random bytes") << "bytes" << randomBytes(5000) << whole(5000) << QString();
    QTest::newRow("names 0x80-0x9F, 0xFF")
        << "bytes" << withHighBytes(record, nameOffset, nameCapacity) << 1 << QString();
}

// "€", then the undefined bytes each as one character, "Ÿ" and "ÿ".
void checkHighName(const QString& shown) {
    QCOMPARE(shown.size(), 8);
    QCOMPARE(shown.front(), QChar(0x20AC));
    QCOMPARE(shown.at(6), QChar(0x0178));
    QCOMPARE(shown.back(), QChar(0x00FF));
}

} // namespace

class TestBadFiles : public QObject {
    Q_OBJECT
private slots:
    void bestListViewer_data();
    void bestListViewer();
    void resultsViewer_data();
    void resultsViewer();
    void taskSetViewer_data();
    void taskSetViewer();
    void extremeOperandsInATaskSet();

private:
    FakePlatform platform;
    PrinterChoice printers;
};

void TestBadFiles::bestListViewer_data() {
    addFileCases(bestListRecord(), 1, 8, bestListPlaces);
}

// The list of W 3, chosen with the key 3 in the open viewer.
void TestBadFiles::bestListViewer() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(int, recordsShown);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    plant(bestListPath(folder.path(), 3), kind, bytes);
    const auto before = snapshot(folder.path());
    platform.clearMessages();

    TForm_Bestenlisten viewer(platform, printers, folder.path());
    BestListGrid shown;
    whenShown(&viewer, [&] {
        QTest::keyClick(viewer.StringGrid1, Qt::Key_3);
        shown = viewer.shownTexts();
    });
    viewer.openFromMainMenu();

    QCOMPARE(shown.size(), bestListGridRows);
    if (recordsShown < 0) {
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY2(platform.messages[0].text.endsWith(reason), qPrintable(platform.messages[0].text));
        QVERIFY(platform.messages[0].text.startsWith("Die Bestenliste zu W 3 in der Datei\n"));
        QCOMPARE(shown[bestListFirstPlaceRow], initialBestListGrid()[bestListFirstPlaceRow]);
    } else {
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(shown[1][4], QString(" W 3"));
        for (int place = 1; place <= bestListPlaces; ++place) {
            const QStringList cells = shown[bestListFirstPlaceRow + place - 1].mid(1);
            QCOMPARE(cells == missingPlaceCells(), place > recordsShown);
        }
        if (QTest::currentDataTag() == QLatin1String("names 0x80-0x9F, 0xFF"))
            checkHighName(shown[bestListFirstPlaceRow][1].right(8));
    }
    QCOMPARE(snapshot(folder.path()), before);
}

void TestBadFiles::resultsViewer_data() {
    addFileCases(resultRecord(), 1, 20, fullFileLimit);
}

// Opened from the main menu: on a failure the viewer does not appear.
void TestBadFiles::resultsViewer() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(int, recordsShown);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    const QString path = folder.filePath("Klasse.ERG");
    plant(path, kind, bytes);
    const auto before = snapshot(folder.path());
    platform.clearMessages();

    TForm_Ergebnisse viewer(platform, printers, folder.path());
    GridTexts shown;
    whenShown(&viewer, [&] { shown = viewer.shownTexts(); });
    platform.openAnswers.enqueue(path);
    viewer.openFromMainMenu();

    if (recordsShown < 0) {
        QVERIFY(shown.isEmpty()); // never shown
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY2(platform.messages[0].text.endsWith(reason), qPrintable(platform.messages[0].text));
    } else {
        QVERIFY(platform.messages.isEmpty());
        QCOMPARE(shown.size(), resultsGridRows);
        for (int row = 0; row < resultsGridDataRows; ++row)
            QCOMPARE(!shown[resultsGridFixedRows + row][1].isEmpty(), row < recordsShown);
        if (QTest::currentDataTag() == QLatin1String("names 0x80-0x9F, 0xFF"))
            checkHighName(shown[resultsGridFixedRows][1].mid(1, 8));
    }
    QCOMPARE(snapshot(folder.path()), before);
}

void TestBadFiles::taskSetViewer_data() {
    // The last record of a set is the task on display, not shown as a row.
    addFileCases(taskRecord(), 0, 8, taskSetLimit);
}

void TestBadFiles::taskSetViewer() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(int, recordsShown);
    QFETCH(QString, reason);
    QTemporaryDir folder;
    const QString path = folder.filePath("Anna.AGB");
    plant(path, kind, bytes);
    const auto before = snapshot(folder.path());
    platform.clearMessages();

    TForm_Aufgaben viewer(platform, printers, folder.path());
    QStringList firstColumn;
    QString header;
    whenShown(&viewer, [&] {
        for (int row = taskGridFirstTaskRow; row < taskGridRows; ++row)
            firstColumn.append(viewer.StringGrid1->item(row, 1)->text());
        header = viewer.StringGrid1->item(0, 0)->text();
    });
    platform.openAnswers.enqueue(path);
    viewer.openFromMainMenu();

    if (recordsShown < 0) {
        QVERIFY(firstColumn.isEmpty());
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY2(platform.messages[0].text.endsWith(reason), qPrintable(platform.messages[0].text));
    } else {
        QVERIFY(platform.messages.isEmpty());
        const int rows = qMax(0, recordsShown - 1);
        for (int row = 0; row < firstColumn.size(); ++row)
            QCOMPARE(!firstColumn[row].trimmed().isEmpty(), row < rows);
        if (QTest::currentDataTag() == QLatin1String("names 0x80-0x9F, 0xFF"))
            checkHighName(header);
    }
    QCOMPARE(snapshot(folder.path()), before);
}

// The widest operands a file can hold are shown and printed in full.
void TestBadFiles::extremeOperandsInATaskSet() {
    QTemporaryDir folder;
    const QString path = folder.filePath("Grenzen.AGB");
    plant(path, "bytes",
          taskRecord(INT_MIN, INT_MAX) + taskRecord(INT_MAX, INT_MIN) + taskRecord());
    const auto before = snapshot(folder.path());
    TForm_Aufgaben viewer(platform, printers, folder.path());
    QStringList cells;
    whenShown(&viewer, [&] {
        for (int row : {taskGridFirstTaskRow, taskGridFirstTaskRow + 1})
            for (int column : {1, 3, 5})
                cells.append(viewer.StringGrid1->item(row, column)->text().trimmed());
    });
    platform.clearMessages();
    platform.openAnswers.enqueue(path);
    viewer.openFromMainMenu();
    // Each stored result is their sum, -1.
    QCOMPARE(cells, QStringList({"-2147483648", "2147483647", QString::number(qint32(-1)),
                                 "2147483647", "-2147483648", QString::number(qint32(-1))}));
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(snapshot(folder.path()), before);
}

QTEST_MAIN(TestBadFiles)
#include "tst_bad_files.moc"
