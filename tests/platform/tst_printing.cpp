#include "platform/printing.h"
#include "platform/qt_platform.h"
#include "storage/task_set_view.h"
#include "support/fake_platform.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPageRanges>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Two pages: a framed title on the first, a thick line on the second.
Printout twoPages() {
    Printout p;
    p.operations = {PrintText{280, 200, QStringLiteral("Kalumbrixtor Seite 1")},
                    PrintLine{270, 460, 1660, 460, 3}, PrintNewPage{},
                    PrintText{280, 200, QStringLiteral("Seite 2")},
                    PrintLine{270, 460, 270, 1760, 3}};
    return p;
}

QString pdfInfo(const QString& path) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    info.waitForFinished(20000);
    return QString::fromUtf8(info.readAllStandardOutput());
}

int pdfPages(const QString& path) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(20000))
        return -1;
    for (const QByteArray& line : info.readAllStandardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// The pages as pictures at 50 pixels per inch, named prefix-1.png, prefix-2.png, ...
QList<QImage> pdfPictures(const QString& path, const QString& prefix) {
    QProcess convert;
    convert.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"),
                                               QStringLiteral("50"), path, prefix});
    QList<QImage> pictures;
    if (!convert.waitForFinished(20000))
        return pictures;
    for (int page = 1;; ++page) {
        const QImage image(prefix + QStringLiteral("-%1.png").arg(page));
        if (image.isNull())
            break;
        pictures.append(image);
    }
    return pictures;
}

// The bounding box of the dark pixels from row top down, empty for a blank page.
QRect ink(const QImage& image, int top = 0) {
    QRect box;
    for (int y = top; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

// A printout of n pages, each with its number as text.
Printout numberedPages(int n) {
    Printout p;
    for (int page = 1; page <= n; ++page) {
        if (page > 1)
            p.operations.append(PrintNewPage{});
        p.operations.append(PrintText{280, 200, QStringLiteral("Seite %1").arg(page)});
    }
    return p;
}

// The text of every page of the PDF, in order.
QStringList pdfPageTexts(const QString& path) {
    QStringList texts;
    for (int page = 1; page <= pdfPages(path); ++page) {
        QProcess text;
        text.start(QStringLiteral("pdftotext"),
                   {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                    QString::number(page), path, QStringLiteral("-")});
        text.waitForFinished(20000);
        texts.append(QString::fromUtf8(text.readAllStandardOutput()).simplified());
    }
    return texts;
}

// Runs action on the modal dialog of type T once it is open; when none has come after 5 s, the
// open dialog is closed, so that a failing test fails instead of hanging.
template <typename T> void whenModalOpen(std::function<void(T*)> action) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(dialog);
    });
    poll->start(10);
    // Ends with the poll, so it never closes a dialog of a later test.
    QTimer::singleShot(5000, poll, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pdfHasItsPagesWithInk();
    void textCellAndBaseline();
    void withoutPrinterGoesToPdfInTheFolder();
    void failuresAreReported();
    void cancelledDialogPrintsNothing();
    void printerIsMadeOnceAtFirstUse();
    void dialogPageRange_data();
    void dialogPageRange();
    void noChosenPageExists();
    void setUpServesLaterPrintouts_data();
    void setUpServesLaterPrintouts();
    void printerSetupOffersThePrinters();

private:
    FakePlatform platform;
    QTemporaryDir folder;
};

void TestPrinting::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("poppler-utils (pdfinfo, pdftoppm) are not installed");
}

void TestPrinting::pdfHasItsPagesWithInk() {
    const QString path = folder.filePath(QStringLiteral("zwei.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageOrientation(QPageLayout::Landscape);
    QVERIFY(renderPrintout(twoPages(), printer));

    QCOMPARE(pdfPages(path), 2);
    const QList<QImage> pages = pdfPictures(path, folder.path() + QStringLiteral("/zwei"));
    QCOMPARE(pages.size(), 2);
    // Portrait, whatever the printer held before.
    QVERIFY(pages[0].height() > pages[0].width());
    // A layout unit is 1/2400 of the printable width, not of the paper's.
    const QPageLayout layout = printer.pageLayout();
    const double unit =
        pages[0].width() * layout.paintRect().width() / layout.fullRect().width() / 2400.0;
    for (const QImage& page : pages)
        QVERIFY(!ink(page).isEmpty());
    // The vertical line on page 2 runs from 460 to 1760 layout units down at x 270 (plus the
    // printer's margin, less than 10 % of the page).
    const QRect line = ink(pages[1], int(400 * unit));
    QVERIFY2(qAbs(line.height() - 1300 * unit) < 3, qPrintable(QString::number(line.height())));
    QVERIFY(line.left() > 270 * unit && line.left() < 270 * unit + pages[1].width() / 10);

    // A worksheet of 30 tasks: two pages, both with ink.
    QList<TaskRecord> tasks(31);
    for (int k = 0; k < tasks.size(); ++k) {
        tasks[k].operand1 = k;
        tasks[k].operand2 = 3;
        tasks[k].operation = QStringLiteral("+");
        tasks[k].result = k + 3;
    }
    tasks[0].name = QStringLiteral("Lena");
    const QString sheetPath = folder.filePath(QStringLiteral("blatt.pdf"));
    printer.setOutputFileName(sheetPath);
    QVERIFY(
        renderPrintout(taskSheetPrintout(taskSetGrid(tasks), SheetOptions{},
                                         QStringLiteral("06.12.2026"), QStringLiteral("17:06:29")),
                       printer));
    QCOMPARE(pdfPages(sheetPath), 2);
    for (const QImage& page : pdfPictures(sheetPath, folder.path() + QStringLiteral("/blatt")))
        QVERIFY(!ink(page).isEmpty());
}

void TestPrinting::textCellAndBaseline() {
    // A big "X" whose cell has its top-left corner at (1000, 1000), 400 layout units high: its
    // foot stands on the baseline, an ascent below the cell's top, and it is a cap height tall.
    const QString path = folder.filePath(QStringLiteral("zelle.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    Printout big;
    big.fontHeight = 400;
    big.operations = {PrintText{1000, 1000, QStringLiteral("X")}};
    QVERIFY(renderPrintout(big, printer));
    const QList<QImage> pages = pdfPictures(path, folder.path() + QStringLiteral("/zelle"));
    QCOMPARE(pages.size(), 1);

    const QPageLayout layout = printer.pageLayout();
    const double pxPerPoint = pages[0].width() / layout.fullRect().width();
    const double unit = layout.paintRect().width() * pxPerPoint / 2400.0;
    const double top = layout.paintRect().top() * pxPerPoint;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(1000);
    const QFontMetricsF metrics(font);
    const double cell = 400 * unit;
    const double baseline = top + 1000 * unit + cell * metrics.ascent() / metrics.height();
    const double capHeight = cell * metrics.capHeight() / metrics.height();

    const QRect x = ink(pages[0]);
    QVERIFY2(qAbs(x.bottom() + 1 - baseline) <= 2,
             qPrintable(QStringLiteral("%1 %2").arg(x.bottom() + 1).arg(baseline)));
    QVERIFY2(qAbs(x.height() - capHeight) <= 2,
             qPrintable(QStringLiteral("%1 %2").arg(x.height()).arg(capHeight)));
}

void TestPrinting::withoutPrinterGoesToPdfInTheFolder() {
    if (!QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("this machine has a printer; the test would print on it");
    platform.clearMessages();
    PrinterChoice printers;
    printers.printWithoutDialog(platform, nullptr, twoPages(), folder.path(),
                                QStringLiteral("Aufgabenblatt"));
    const QString path = folder.filePath(QStringLiteral("Aufgabenblatt.pdf"));
    QCOMPARE(pdfPages(path), 2);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].kind, MessageKind::Information);
    QVERIFY(platform.messages[0].text.contains(path));

    // A link put in the file's place by someone sharing the folder is not printed through.
    QTemporaryDir outside;
    const QString victim = outside.filePath(QStringLiteral("Zeugnisse.txt"));
    QFile file(victim);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("vertraulich") == 11);
    file.close();
    QVERIFY(QFile::remove(path) && QFile::link(victim, path));
    platform.clearMessages();
    printers.printWithoutDialog(platform, nullptr, twoPages(), folder.path(),
                                QStringLiteral("Aufgabenblatt"));
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY2(platform.messages[0].text.contains(QStringLiteral("Verknüpfung")),
             qPrintable(platform.messages[0].text));
    QCOMPARE(QFileInfo(victim).size(), 11);
    QVERIFY(QFileInfo(path).isSymLink());
}

void TestPrinting::failuresAreReported() {
    if (!QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("this machine has a printer; the test would print on it");
    const QString missingFolder = folder.filePath(QStringLiteral("gibt-es-nicht"));
    PrinterChoice printers;

    platform.clearMessages();
    printers.printWithoutDialog(platform, nullptr, twoPages(), missingFolder,
                                QStringLiteral("Aufgabenblatt"));
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].kind, MessageKind::Warning);
    QVERIFY(platform.messages[0].text.contains(missingFolder));

    // The print dialog chose a file that cannot be written.
    platform.clearMessages();
    printers.printer().setOutputFormat(QPrinter::PdfFormat);
    printers.printer().setOutputFileName(missingFolder + QStringLiteral("/x.pdf"));
    platform.printAnswers.clear();
    platform.printAnswers.enqueue(true);
    printers.printWithDialog(platform, nullptr, twoPages(),
                             missingFolder + QStringLiteral("/x.pdf"));
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].kind, MessageKind::Warning);
    QVERIFY(platform.messages[0].text.contains(missingFolder + QStringLiteral("/x.pdf")));
}

void TestPrinting::cancelledDialogPrintsNothing() {
    PrinterChoice printers;
    const QString path = folder.filePath(QStringLiteral("abgebrochen.pdf"));
    printers.printer().setOutputFormat(QPrinter::PdfFormat);
    printers.printer().setOutputFileName(path);
    platform.clearMessages();
    platform.printAnswers.clear();
    platform.printAnswers.enqueue(false);
    printers.printWithDialog(platform, nullptr, twoPages(), path);
    QVERIFY(!QFile::exists(path));
    QVERIFY(platform.messages.isEmpty());

    platform.printAnswers.clear();
    platform.printAnswers.enqueue(true);
    printers.printWithDialog(platform, nullptr, twoPages(), path);
    QCOMPARE(pdfPages(path), 2);
    QVERIFY(platform.messages.isEmpty());
}

// The printer is made at its first use and then kept, with every choice made on it.
void TestPrinting::printerIsMadeOnceAtFirstUse() {
    PrinterChoice printers;
    QPrinter& first = printers.printer();
    QCOMPARE(first.pageLayout().orientation(), QPageLayout::Portrait);
    QCOMPARE(first.resolution(), 1200);
    const QString path = folder.filePath(QStringLiteral("gewaehlt.pdf"));
    first.setOutputFormat(QPrinter::PdfFormat);
    first.setOutputFileName(path);
    QCOMPARE(&printers.printer(), &first);
    QCOMPARE(printers.printer().outputFileName(), path);
}

void TestPrinting::dialogPageRange_data() {
    QTest::addColumn<int>("from"); // 0: "Alle Seiten"
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("printed");

    QTest::newRow("all pages") << 0 << 0 << QStringList{"Seite 1", "Seite 2", "Seite 3", "Seite 4",
                                                        "Seite 5", "Seite 6", "Seite 7"};
    QTest::newRow("pages 2 to 3") << 2 << 3 << QStringList{"Seite 2", "Seite 3"};
}

// The pages chosen in the print dialog, and only those, are printed, into the file the dialog
// offered; the dialog offers no page beyond the printout's last.
void TestPrinting::dialogPageRange() {
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, printed);
    const QString path = folder.filePath(QStringLiteral("Aufgaben Ben 07.12.26 Übungsblatt.pdf"));
    QFile::remove(path);
    QtPlatform qtPlatform;
    PrinterChoice printers;
    QString offeredFile;
    int lastOffered = -1;
    whenModalOpen<QPrintDialog>([&](QPrintDialog* dialog) {
        offeredFile = dialog->findChild<QLineEdit*>(QStringLiteral("filename"))->text();
        lastOffered = dialog->findChild<QSpinBox*>(QStringLiteral("to"))->maximum();
        if (from > 0) {
            dialog->findChild<QRadioButton*>(QStringLiteral("printRange"))->setChecked(true);
            dialog->findChild<QSpinBox*>(QStringLiteral("from"))->setValue(from);
            dialog->findChild<QSpinBox*>(QStringLiteral("to"))->setValue(to);
        }
        dialog->accept();
    });
    printers.printWithDialog(qtPlatform, nullptr, numberedPages(7), path);
    QCOMPARE(offeredFile, path);
    QCOMPARE(lastOffered, 7);
    QCOMPARE(pdfPageTexts(path), printed);
}

// A choice of pages that the printout does not have prints nothing and says so.
void TestPrinting::noChosenPageExists() {
    PrinterChoice printers;
    const QString path = folder.filePath(QStringLiteral("keine.pdf"));
    QFile::remove(path);
    platform.clearMessages();
    platform.printAnswers.clear();
    platform.printAnswers.enqueue(true);
    platform.whilePrintDialogOpen = [](QPrinter& printer) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(QPageRanges::fromString(QStringLiteral("3-4")));
    };
    printers.printWithDialog(platform, nullptr, twoPages(), path);
    platform.whilePrintDialogOpen = nullptr;
    QCOMPARE(platform.printRequests.last().pageCount, 2);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(platform.messageTexts(),
             QStringList{"Der Ausdruck hat nur 2 Seiten; die gewählten Seiten gibt es darin "
                         "nicht.\nEs wurde nichts gedruckt."});
}

void TestPrinting::setUpServesLaterPrintouts_data() {
    QTest::addColumn<QString>("chosenIn"); // "Drucker einrichten" or the print dialog
    QTest::addColumn<int>("paper");        // QPageSize::PageSizeId
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QString>("pageRange");   // chosen in that dialog, empty for all pages
    QTest::addColumn<QString>("pdfPageSize"); // of the later printout without a dialog, in points
    QTest::addColumn<int>("messages");        // that every printout is portrait

    QTest::newRow("set-up: letter") << "Drucker einrichten" << int(QPageSize::Letter) << false << ""
                                    << "612 x 792" << 0;
    QTest::newRow("set-up: A5 landscape")
        << "Drucker einrichten" << int(QPageSize::A5) << true << ""
        << "420 x 595" << 1;
    QTest::newRow("print dialog: letter landscape, page 2")
        << "drucken" << int(QPageSize::Letter) << true << "2"
        << "612 x 792" << 1;
}

// The paper chosen in "Drucker einrichten" or in a print dialog serves the printout without a
// dialog (the empty worksheet); landscape is refused with a message; a page range belonged to
// its own printout only.
void TestPrinting::setUpServesLaterPrintouts() {
    if (!QPrinterInfo::availablePrinters().isEmpty())
        QSKIP("this machine has a printer; the test would print on it");
    QFETCH(QString, chosenIn);
    QFETCH(int, paper);
    QFETCH(bool, landscape);
    QFETCH(QString, pageRange);
    QFETCH(QString, pdfPageSize);
    QFETCH(int, messages);
    PrinterChoice printers;
    platform.clearMessages();
    platform.printAnswers.clear();
    platform.printAnswers.enqueue(true);
    const QString dialogFile = folder.filePath(QStringLiteral("mit Dialog.pdf"));
    platform.whilePrintDialogOpen = [&](QPrinter& printer) {
        if (chosenIn == "drucken")
            printer.setOutputFileName(dialogFile);
        printer.setPageSize(QPageSize(QPageSize::PageSizeId(paper)));
        printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (!pageRange.isEmpty()) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setPageRanges(QPageRanges::fromString(pageRange));
        }
    };
    if (chosenIn == "drucken")
        printers.printWithDialog(platform, nullptr, twoPages(), dialogFile);
    else
        printers.setUp(platform, nullptr);
    platform.whilePrintDialogOpen = nullptr;
    QCOMPARE(platform.messages.size(), messages);
    if (messages > 0)
        QCOMPARE(platform.messages[0].text,
                 QString("Die Ausdrucke sind immer im Hochformat. Das gewählte Querformat wird "
                         "nicht verwendet."));
    if (chosenIn == "drucken") {
        QCOMPARE(pdfPageTexts(dialogFile), QStringList{"Seite 2"});
        QVERIFY(pdfInfo(dialogFile).contains(pdfPageSize + " pts"));
    }

    platform.clearMessages();
    printers.printWithoutDialog(platform, nullptr, twoPages(), folder.path(),
                                QStringLiteral("ohne Dialog"));
    const QString path = folder.filePath(QStringLiteral("ohne Dialog.pdf"));
    QCOMPARE(pdfPages(path), 2);
    QVERIFY2(pdfInfo(path).contains(pdfPageSize + " pts"), qPrintable(pdfInfo(path)));
}

// "Drucker einrichten" lists the printers of the system and the PDF file, offers paper but not
// landscape, and changes the program's printer only when it is confirmed.
void TestPrinting::printerSetupOffersThePrinters() {
    QtPlatform qtPlatform;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    for (const bool confirm : {false, true}) {
        QStringList listed;
        QString title;
        bool landscapeOffered = true;
        whenModalOpen<QDialog>([&](QDialog* dialog) {
            title = dialog->windowTitle();
            auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("Drucker"));
            for (int i = 0; printers && i < printers->count(); ++i)
                listed.append(printers->itemText(i));
            if (printers)
                printers->setCurrentIndex(printers->count() - 1);
            // Letter paper in the page set-up it opens.
            whenModalOpen<QPageSetupDialog>([&](QPageSetupDialog* setup) {
                auto* landscape = setup->findChild<QRadioButton*>(QStringLiteral("landscape"));
                landscapeOffered = !landscape || landscape->isEnabled();
                auto* sizes = setup->findChild<QComboBox*>(QStringLiteral("pageSizeCombo"));
                for (int i = 0; i < sizes->count(); ++i) {
                    if (sizes->itemData(i).value<QPageSize>().id() == QPageSize::Letter)
                        sizes->setCurrentIndex(i);
                }
                setup->accept();
            });
            if (auto* paper = dialog->findChild<QPushButton*>(QStringLiteral("Papier")))
                QTest::mouseClick(paper, Qt::LeftButton);
            confirm ? dialog->accept() : dialog->reject();
        });
        QCOMPARE(qtPlatform.printerSetup(nullptr, printer), confirm);
        QCOMPARE(title, QString("Drucker einrichten"));
        QCOMPARE(listed,
                 QPrinterInfo::availablePrinterNames() + QStringList{"In PDF-Datei drucken"});
        QVERIFY(!landscapeOffered);
        QCOMPARE(printer.outputFormat(), QPrinter::PdfFormat);
        QCOMPARE(printer.pageLayout().pageSize().id(), confirm ? QPageSize::Letter : QPageSize::A4);
        QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Portrait);
    }
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
