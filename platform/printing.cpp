#include "platform/printing.h"

#include "common/file_access.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <cmath>

namespace {

constexpr double layoutUnitsAcross = 2400.0;

int scaled(int units, double scale) {
    return int(std::lround(units * scale));
}

// "Arial" (Liberation Sans where Arial is absent) sized so that its character cell, ascent plus
// descent as the printer measures it, is cellHeight device pixels high, or as close below as the
// font allows.
QFont printerFont(int cellHeight, QPaintDevice* device) {
    QFont font(QStringLiteral("Arial"));
    font.setKerning(false);
    font.setStyleHint(QFont::SansSerif);
    auto heightAt = [&](int pixels) {
        font.setPixelSize(pixels);
        return QFontMetrics(font, device).height();
    };
    cellHeight = qMax(1, cellHeight);
    // Start from the ratio of a large size, then step to the largest size that still fits.
    const double ratio = double(heightAt(1000)) / 1000.0;
    int pixels = qMax(1, int(cellHeight / (ratio > 0 ? ratio : 1.0)));
    while (pixels > 1 && heightAt(pixels) > cellHeight)
        --pixels;
    while (heightAt(pixels + 1) <= cellHeight)
        ++pixels;
    font.setPixelSize(pixels);
    return font;
}

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString printerFailureText(const QString& printerName) {
    return QStringLiteral("Der Ausdruck konnte nicht an den Drucker \"%1\" geschickt "
                          "werden.\nBitte prüfe den Drucker und versuche es noch einmal.")
        .arg(printerName);
}

QString noChosenPageText(int pageCount) {
    const QString pages = pageCount == 1 ? QStringLiteral("nur eine Seite")
                                         : QStringLiteral("nur %1 Seiten").arg(pageCount);
    return QStringLiteral("Der Ausdruck hat %1; die gewählten Seiten gibt es darin nicht.\n"
                          "Es wurde nichts gedruckt.")
        .arg(pages);
}

} // namespace

bool renderPrintout(const Printout& printout, QPrinter& printer, const PageSelection& selection) {
    const QList<int> pages = printedPages(printout.pageCount(), selection);
    if (pages.isEmpty())
        return false;
    const Printout chosen = withPages(printout, pages);

    printer.setPageOrientation(QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;

    // The painter's origin is the top-left corner of the printable area, and its width is the
    // printable width.
    const double scale = printer.width() / layoutUnitsAcross;
    const QFont font = printerFont(scaled(chosen.fontHeight, scale), &printer);
    painter.setFont(font);
    const int ascent = QFontMetrics(font, &printer).ascent();
    QPen pen(Qt::black);

    bool ok = true;
    for (const PrintOperation& operation : chosen.operations) {
        if (const auto* text = std::get_if<PrintText>(&operation)) {
            painter.drawText(QPoint(scaled(text->x, scale), scaled(text->y, scale) + ascent),
                             text->text);
        } else if (const auto* line = std::get_if<PrintLine>(&operation)) {
            pen.setWidth(qMax(1, scaled(line->penWidth, scale)));
            painter.setPen(pen);
            painter.drawLine(scaled(line->x1, scale), scaled(line->y1, scale),
                             scaled(line->x2, scale), scaled(line->y2, scale));
        } else if (!printer.newPage()) {
            ok = false;
            break;
        }
    }
    return painter.end() && ok;
}

PageSelection chosenPages(const QPrinter& printer) {
    PageSelection selection;
    if (printer.printRange() == QPrinter::PageRange) {
        for (const QPageRanges::Range& range : printer.pageRanges().toRangeList())
            selection.spans.append(PageSpan{range.from, range.to});
    }
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        selection.lastPageFirst = printer.pageOrder() == QPrinter::LastPageFirst;
        selection.copies = printer.copyCount();
        selection.collateCopies = printer.collateCopies();
    }
    return selection;
}

// The printer is made at its first use: making it loads the system's printing service and its
// libraries, which would otherwise delay the main window at every start.
PrinterChoice::PrinterChoice() = default;

PrinterChoice::~PrinterChoice() = default;

QPrinter& PrinterChoice::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageOrientation(QPageLayout::Portrait);
    }
    return *printer_;
}

void PrinterChoice::keepPortrait(Platform& platform, QWidget* parent) {
    if (printer().pageLayout().orientation() != QPageLayout::Landscape)
        return;
    printer().setPageOrientation(QPageLayout::Portrait);
    platform.showMessage(parent, MessageKind::Information, MessageButtons::Ok,
                         QStringLiteral("Die Ausdrucke sind immer im Hochformat. Das gewählte "
                                        "Querformat wird nicht verwendet."));
}

void PrinterChoice::printWithDialog(Platform& platform, QWidget* parent, const Printout& printout,
                                    const QString& suggestedFile) {
    QPrinter& chosen = printer();
    // Pages and copies belong to one printout: each dialog starts from every page, once.
    chosen.setPrintRange(QPrinter::AllPages);
    chosen.setPageRanges(QPageRanges());
    chosen.setCopyCount(1);
    // The print job's title in the printer queue.
    chosen.setDocName(QFileInfo(suggestedFile).completeBaseName());
    if (!platform.printDialog(parent, chosen,
                              PrintDialogRequest{printout.pageCount(), suggestedFile}))
        return;
    keepPortrait(platform, parent);

    const PageSelection selection = chosenPages(chosen);
    if (printedPages(printout.pageCount(), selection).isEmpty()) {
        platform.showMessage(parent, MessageKind::Warning, MessageButtons::Ok,
                             noChosenPageText(printout.pageCount()));
        return;
    }
    if (renderPrintout(printout, chosen, selection))
        return;
    QString text;
    if (chosen.outputFormat() == QPrinter::PdfFormat)
        text = QStringLiteral("Der Ausdruck konnte nicht in die Datei\n%1\ngeschrieben werden.\n"
                              "Vielleicht ist der Ordner schreibgeschützt oder die Datei "
                              "gesperrt.")
                   .arg(shownPath(chosen.outputFileName()));
    else
        text = printerFailureText(chosen.printerName());
    platform.showMessage(parent, MessageKind::Warning, MessageButtons::Ok, text);
}

void PrinterChoice::setUp(Platform& platform, QWidget* parent) {
    if (platform.printerSetup(parent, printer()))
        keepPortrait(platform, parent);
}

void PrinterChoice::printWithoutDialog(Platform& platform, QWidget* parent,
                                       const Printout& printout, const QString& folder,
                                       const QString& baseName) {
    // Without a printer of the system (or when the last choice was a file), the printout goes
    // into a PDF file beside the data files, and the user is told where.
    const bool toFile = QPrinterInfo::availablePrinters().isEmpty() || !printer().isValid() ||
                        printer().outputFormat() == QPrinter::PdfFormat;
    if (!toFile) {
        // The chosen printer with its paper, on a printer of its own: the pages, copies and
        // server options of the last print dialog belonged to that printout.
        QPrinter direct(QPrinter::HighResolution);
        direct.setPrinterName(printer().printerName());
        direct.setPageLayout(printer().pageLayout());
        direct.setDocName(baseName);
        if (!renderPrintout(printout, direct))
            platform.showMessage(parent, MessageKind::Warning, MessageButtons::Ok,
                                 printerFailureText(direct.printerName()));
        return;
    }
    writePdfFile(platform, parent, printout, folder, baseName);
}

void PrinterChoice::printWithDialogOrFile(Platform& platform, QWidget* parent,
                                          const Printout& printout, const QString& folder,
                                          const QString& baseName) {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        writePdfFile(platform, parent, printout, folder, baseName);
        return;
    }
    printWithDialog(platform, parent, printout,
                    QDir(folder).filePath(baseName + QStringLiteral(".pdf")));
}

void PrinterChoice::writePdfFile(Platform& platform, QWidget* parent, const Printout& printout,
                                 const QString& folder, const QString& baseName) {
    // The PDF is the program's own file in the shared data folder: it is made in a private
    // folder first and then put in place like every other such file, never through a link.
    const QString path = QDir(folder).filePath(baseName + QStringLiteral(".pdf"));
    QTemporaryDir scratch;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setPageLayout(printer().pageLayout());
    pdf.setDocName(baseName);
    pdf.setOutputFileName(scratch.filePath(QStringLiteral("Ausdruck.pdf")));
    Outcome failure =
        Failure{Failure::Kind::Io, QStringLiteral("Der Ausdruck konnte nicht erstellt werden.")};
    if (scratch.isValid() && renderPrintout(printout, pdf)) {
        QFile made(pdf.outputFileName());
        failure = made.open(QIODevice::ReadOnly)
                      ? replaceContents(path, made.readAll(), FileOrigin::Own)
                      : failureOfError(EIO, false);
    }
    if (!failure) {
        const QString why = QPrinterInfo::availablePrinters().isEmpty()
                                ? QStringLiteral("Es ist kein Drucker eingerichtet. ")
                                : QString();
        platform.showMessage(
            parent, MessageKind::Information, MessageButtons::Ok,
            why + QStringLiteral("Der Ausdruck steht als PDF-Datei in\n%1").arg(shownPath(path)));
    } else {
        platform.showMessage(parent, MessageKind::Warning, MessageButtons::Ok,
                             QStringLiteral("Der Ausdruck konnte nicht als PDF-Datei\n%1\n"
                                            "gespeichert werden.\n%2")
                                 .arg(shownPath(path), failure->reason));
    }
}
