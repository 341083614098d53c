#include "competition/TForm_Bestenlisten.h"
#include "competition/best_list_file.h"
#include "platform/announcer.h"
#include "platform/printing.h"
#include "support/accessible_cells.h"
#include "support/fake_platform.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

BestListEntry entry(const QString& name, quint8 points, quint8 number) {
    BestListEntry e;
    e.number = number;
    e.name = name;
    e.date = QStringLiteral("06.12.26");
    e.time = QStringLiteral("17:06:29");
    e.settingCode = QStringLiteral("+9043");
    e.points = points;
    return e;
}

void writeList(const QString& folder, int n, const QList<BestListEntry>& entries) {
    QFile file(bestListPath(folder, n));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const BestListEntry& e : entries)
        file.write(encodeBestListEntry(e));
}

QStringList place(const BestListGrid& grid, int p) {
    return grid[bestListFirstPlaceRow + p - 1].mid(1);
}

} // namespace

class TestBestListViewer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensBlankAndLoadsByKeys();
    void failedLoadKeepsTheShownList();
    void cellsReachAScreenReader();

private:
    void showViewer();
    void press(Qt::Key key) { QTest::keyClick(viewer->StringGrid1, key); }

    FakePlatform platform;
    PrinterChoice printers;
    QTemporaryDir folder;
    TForm_Bestenlisten* viewer = nullptr;
};

void TestBestListViewer::init() {
    platform.clearMessages();
    QCOMPARE(ensureBestListFiles(folder.path()), Outcome());
    viewer = new TForm_Bestenlisten(platform, printers, folder.path());
}

void TestBestListViewer::cleanup() {
    delete viewer;
    for (int n = 1; n <= 16; ++n)
        QFile::remove(bestListPath(folder.path(), n));
}

void TestBestListViewer::showViewer() {
    viewer->show();
    QVERIFY(QTest::qWaitForWindowActive(viewer));
    viewer->StringGrid1->setFocus();
}

void TestBestListViewer::opensBlankAndLoadsByKeys() {
    // W 10 as a ranking update writes it: twelve places and the reserve.
    QList<BestListEntry> w10;
    for (int i = 1; i <= 13; ++i)
        w10.append(entry(QStringLiteral("Zehn%1").arg(i), quint8(130 - i), 10));
    writeList(folder.path(), 10, w10);
    writeList(folder.path(), 13, {entry("Ben", 7, 13)});

    // Modally from the main menu: headings and place numbers, the list area blank.
    BestListGrid atOpening;
    QTimer::singleShot(0, viewer, [&] {
        atOpening = viewer->shownTexts();
        QTest::keyClick(viewer, Qt::Key_Escape);
    });
    QTimer::singleShot(5000, viewer, [this] { viewer->reject(); }); // a watchdog
    viewer->openFromMainMenu();
    QVERIFY(!viewer->isVisible());
    QCOMPARE(atOpening[3][1], QStringLiteral(" Name"));
    QCOMPARE(atOpening[15][0], QStringLiteral("     12"));
    for (int p = 1; p <= 12; ++p)
        QCOMPARE(place(atOpening, p), QStringList(4, " "));

    showViewer();
    press(Qt::Key_0);
    BestListGrid grid = viewer->shownTexts();
    QCOMPARE(grid[1][4], QStringLiteral(" W 10"));
    QCOMPARE(place(grid, 1), (QStringList{" Zehn1", "     129", " 06.12.26", " 17:06:29"}));
    QCOMPARE(place(grid, 12)[0], QStringLiteral(" Zehn12"));
    QCOMPARE(grid[0][3], QStringLiteral(" 06.12.2026"));

    press(Qt::Key_C);
    grid = viewer->shownTexts();
    QCOMPARE(grid[1][4], QStringLiteral(" W 13"));
    QCOMPARE(place(grid, 1), (QStringList{" Ben", "         7", " 06.12.26", " 17:06:29"}));
    // No row of W 10 remains.
    for (int p = 2; p <= 12; ++p)
        QCOMPARE(place(grid, p), QStringList(4, "-"));

    // A fresh list: "-" on all twelve places.
    press(Qt::Key_1);
    grid = viewer->shownTexts();
    QCOMPARE(grid[1][4], QStringLiteral(" W 1"));
    for (int p = 1; p <= 12; ++p)
        QCOMPARE(place(grid, p), QStringList(4, "-"));
    QVERIFY(platform.messages.isEmpty());
}

void TestBestListViewer::failedLoadKeepsTheShownList() {
    writeList(folder.path(), 13, {entry("Ben", 7, 13)});
    showViewer();
    press(Qt::Key_C);
    const BestListGrid shown = viewer->shownTexts();

    QVERIFY(QFile::remove(bestListPath(folder.path(), 3)));
    press(Qt::Key_3);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].kind, MessageKind::Warning);
    QVERIFY(platform.messages[0].text.contains(
        QDir::toNativeSeparators(bestListPath(folder.path(), 3))));
    QCOMPARE(viewer->shownTexts(), shown);
}

void TestBestListViewer::cellsReachAScreenReader() {
    writeList(folder.path(), 2, {entry("Ben", 7, 2)});
    showViewer();
    press(Qt::Key_2);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(viewer->StringGrid1);
    QAccessibleTableInterface* cells = table->tableInterface();
    QVERIFY(cells);
    QCOMPARE(cells->cellAt(4, 1)->text(QAccessible::Name), QStringLiteral(" Ben"));
    QCOMPARE(cells->cellAt(4, 2)->text(QAccessible::Name), QStringLiteral("         7"));
    QCOMPARE(cells->cellAt(3, 2)->text(QAccessible::Name), QStringLiteral(" Punkte"));
    // Each cell is read with the heading of its column.
    QStringList headings;
    for (int column = 0; column < 5; ++column)
        headings << accessibleColumnHeading(viewer->StringGrid1, 4, column);
    QCOMPARE(headings, (QStringList{"Platz", "Name", "Punkte", "Datum", "Uhrzeit"}));
    // The key's list is announced where the focus stays.
    Announcer* announcer = viewer->findChild<Announcer*>();
    QVERIFY(announcer && announcer->isVisible());
    QAccessibleInterface* notification = QAccessible::queryAccessibleInterface(announcer);
    QCOMPARE(notification->role(), QAccessible::Notification);
    QCOMPARE(notification->text(QAccessible::Name), QStringLiteral("Bestenliste zu W 2"));

    // The arrow keys move through the cells.
    viewer->StringGrid1->setCurrentCell(4, 1);
    QTest::keyClick(viewer->StringGrid1, Qt::Key_Right);
    QCOMPARE(viewer->StringGrid1->currentColumn(), 2);
    QTest::keyClick(viewer->StringGrid1, Qt::Key_Down);
    QCOMPARE(viewer->StringGrid1->currentRow(), 5);
}

QTEST_MAIN(TestBestListViewer)
#include "tst_best_list_viewer.moc"
