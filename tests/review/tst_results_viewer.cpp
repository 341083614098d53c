#include "appearance/caption_contrast.h"
#include "platform/printing.h"
#include "review/TForm_Ergebnisse.h"
#include "storage/results_file.h"
#include "support/accessible_cells.h"
#include "support/fake_platform.h"
#include "support/when_active.h"

#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

ResultRecord record(const QString& name, quint8 points) {
    ResultRecord r;
    r.name = name;
    r.date = QStringLiteral("06.12.26");
    r.time = QStringLiteral("17:06:29");
    r.timeLimitText = QStringLiteral("...");
    r.operation = QStringLiteral("+ / -");
    r.range1Text = QStringLiteral("0 .. 10");
    r.range2Text = QStringLiteral("5 .. 10");
    r.taskCount = 12;
    r.points = points;
    return r;
}

QString cellText(QTableWidget* grid, int row, int column) {
    return grid->item(row, column)->text();
}

} // namespace

class TestResultsViewer : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void secondFileReplacesTheFirst();
    void failedLoadKeepsWhatIsShown();
    void mainMenuOpensModallyAndEscapeCloses();
    void printsWhatIsShown();

private:
    QString writeFile(const QString& name, const QList<ResultRecord>& records);
    void openThroughMenu(const QString& path);
    void whenShown(std::function<void()> action);

    FakePlatform platform;
    PrinterChoice printers;
    QTemporaryDir folder;
    TForm_Ergebnisse* viewer = nullptr;
};

void TestResultsViewer::init() {
    platform.clearMessages();
    platform.openAnswers.clear();
    platform.fileRequests.clear();
    viewer = new TForm_Ergebnisse(platform, printers, folder.path());
}

void TestResultsViewer::cleanup() {
    delete viewer;
}

QString TestResultsViewer::writeFile(const QString& name, const QList<ResultRecord>& records) {
    const QString path = folder.filePath(name);
    QFile::remove(path);
    for (const ResultRecord& r : records)
        storeResultRecord(path, r);
    return path;
}

// Datei → öffnen with the keyboard, the dialog answering with path.
void TestResultsViewer::openThroughMenu(const QString& path) {
    platform.openAnswers.enqueue(path);
    QTest::keyClick(viewer, Qt::Key_D, Qt::AltModifier);
    QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QTest::keyClick(menu, Qt::Key_F);
}

void TestResultsViewer::whenShown(std::function<void()> action) {
    whenActive(viewer, std::move(action));
}

void TestResultsViewer::secondFileReplacesTheFirst() {
    const QString first =
        writeFile("Klasse.ERG", {record("Anna", 1), record("Ben", 0), record("Cem", 7)});
    const QString second = writeFile("W.Erg", {record("Dana", 125)});
    viewer->show();
    QVERIFY(QTest::qWaitForWindowActive(viewer));

    openThroughMenu(first);
    QTableWidget* grid = viewer->StringGrid1;
    QCOMPARE(cellText(grid, 4, 1), QStringLiteral(" Cem"));
    QCOMPARE(cellText(grid, 4, 8), QStringLiteral("      7"));
    QCOMPARE(cellText(grid, 3, 9), QStringLiteral("   ..."));
    QVERIFY(viewer->windowTitle().endsWith("     " + first));
    // The dialog lists results files whatever the case of their extension.
    const FileDialogRequest request = platform.fileRequests.last();
    QCOMPARE(request.directory, folder.path());
    QVERIFY(request.filter.contains("*.ERG") && request.filter.contains("*.Erg") &&
            request.filter.contains("*.erg"));

    openThroughMenu(second);
    QCOMPARE(cellText(grid, 2, 1), QStringLiteral(" Dana"));
    QCOMPARE(cellText(grid, 2, 8), QStringLiteral("  125"));
    for (int row = 3; row < 22; ++row)
        for (int column = 1; column < 10; ++column)
            QCOMPARE(cellText(grid, row, column), QString());
    QCOMPARE(cellText(grid, 4, 0), QStringLiteral("   3"));
    QCOMPARE(accessibleCellText(grid, 2, 1), QStringLiteral(" Dana"));
    QCOMPARE(accessibleCellText(grid, 0, 5), QStringLiteral("      1. Zahl"));
    // Each cell is read with the heading of its column, both heading rows in one.
    QStringList headings;
    for (int column = 0; column < 10; ++column)
        headings << accessibleColumnHeading(grid, 2, column);
    QCOMPARE(headings, (QStringList{"Nr.", "Name", "Datum", "Uhr-Zeit", "Rech-Art/ W", "1. Zahl",
                                    "2. Zahl", "Anz. Aufg.", "Pkte.", "Rech-Zeit"}));
    // Bold text a child reads: readable on the teal cells, black on the grey fixed ones.
    const QColor text = grid->item(2, 1)->foreground().color();
    QVERIFY(contrastRatio({quint8(text.red()), quint8(text.green()), quint8(text.blue())},
                          {0x00, 0x80, 0x80}) >= readableContrast);
    QCOMPARE(grid->item(0, 5)->foreground().color(), QColor(Qt::black));
    QVERIFY(platform.messages.isEmpty());
}

void TestResultsViewer::failedLoadKeepsWhatIsShown() {
    const QString first = writeFile("Klasse.ERG", {record("Anna", 1), record("Ben", 0)});
    viewer->show();
    QVERIFY(QTest::qWaitForWindowActive(viewer));
    openThroughMenu(first);
    const GridTexts before = viewer->shownTexts();
    const QString title = viewer->windowTitle();

    const QString missing = folder.filePath("weg.ERG");
    openThroughMenu(missing);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].kind, MessageKind::Warning);
    QVERIFY(platform.messages[0].text.contains(missing));
    QVERIFY(platform.messages[0].text.contains("Die Datei gibt es nicht."));
    QCOMPARE(viewer->shownTexts(), before);
    QCOMPARE(viewer->windowTitle(), title);
    QVERIFY(viewer->isVisible());

    // From the main menu, a file that cannot be read does not open the window.
    viewer->hide();
    platform.openAnswers.enqueue(folder.path());
    viewer->openFromMainMenu();
    QVERIFY(!viewer->isVisible());
    QCOMPARE(platform.messages.size(), 2);
    QVERIFY(platform.messages[1].text.contains("Ordner"));
}

void TestResultsViewer::mainMenuOpensModallyAndEscapeCloses() {
    const QString path =
        writeFile("Klasse.ERG", {record("Anna", 1), record("Ben", 0), record("Cem", 7)});
    platform.openAnswers.enqueue(path);
    GridTexts whileShown;
    bool modal = false;
    whenShown([&] {
        whileShown = viewer->shownTexts();
        modal = viewer->isModal() && QApplication::activeModalWidget() == viewer;
        viewer->StringGrid1->setFocus();
        QTest::keyClick(viewer->StringGrid1, Qt::Key_Escape);
    });
    QTimer::singleShot(5000, viewer, [this] { viewer->reject(); }); // a watchdog
    viewer->openFromMainMenu();
    QVERIFY(modal);
    QCOMPARE(whileShown[3][1], QStringLiteral(" Ben"));
    QVERIFY(!viewer->isVisible());
    // Closing emptied the data cells; the heads and row numbers stay.
    QCOMPARE(viewer->shownTexts(), resultsGrid({}));

    // Cancelling the dialog shows nothing.
    viewer->openFromMainMenu();
    QVERIFY(!viewer->isVisible());
}

void TestResultsViewer::printsWhatIsShown() {
    const QString path = writeFile("Klasse.ERG", {record("Anna", 1), record("Zoltan", 7)});
    viewer->show();
    QVERIFY(QTest::qWaitForWindowActive(viewer));
    openThroughMenu(path);

    const QString pdf = folder.filePath("Leistungen.pdf");
    printers.printer().setOutputFormat(QPrinter::PdfFormat);
    printers.printer().setOutputFileName(pdf);
    platform.printAnswers.enqueue(true);
    viewer->drucken1->trigger();
    QCOMPARE(platform.printDialogs, 1);
    QCOMPARE(platform.printRequests.last().suggestedFile,
             folder.filePath("Leistungen Klasse 06.12.26.pdf"));

    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    if (!text.waitForFinished(20000) || text.exitCode() != 0)
        QSKIP("pdftotext is not available");
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY(printed.contains("Zoltan"));
    QVERIFY(printed.contains("gedruckt am"));
    QVERIFY(printed.contains("06.12.2026"));
    QVERIFY(platform.messages.isEmpty());
}

QTEST_MAIN(TestResultsViewer)
#include "tst_results_viewer.moc"
