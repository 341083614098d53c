#pragma once

#include "common/printout.h"

#include <QString>

#include <memory>

class Platform;
class QPrinter;
class QWidget;

// Paints the selected pages of the printout on the printer: portrait pages, font "Arial" with a
// character cell of printout.fontHeight layout units, every coordinate and pen width multiplied
// by the page's scale (printable width in device pixels / 2400) and rounded. False when the
// printer could not be started (the platform's printing service says why) or the selection
// holds none of the printout's pages.
bool renderPrintout(const Printout& printout, QPrinter& printer,
                    const PageSelection& selection = {});

// What the print dialog left on the printer about the pages: the range it chose, which reaches
// only the program; order and copies when the printout goes to a PDF file, where no print
// system arranges them.
PageSelection chosenPages(const QPrinter& printer);

// The printer every printout of the program goes to, shared by all viewers: the one chosen last
// in a print dialog or the printer set-up, else the system's default printer.
class PrinterChoice {
public:
    PrinterChoice();
    ~PrinterChoice();
    PrinterChoice(const PrinterChoice&) = delete;
    PrinterChoice& operator=(const PrinterChoice&) = delete;

    QPrinter& printer();

    // The print dialog, then the pages chosen there; nothing when the dialog is cancelled. The
    // dialog offers suggestedFile when the printout goes to a PDF file.
    void printWithDialog(Platform& platform, QWidget* parent, const Printout& printout,
                         const QString& suggestedFile);
    // The printer set-up dialog; later printouts, with or without a dialog, go to the printer
    // and paper chosen there.
    void setUp(Platform& platform, QWidget* parent);
    // Every page, once, straight to the printer of the last set-up or print dialog. When that
    // is a PDF file or the system has no printer, the printout is written as a PDF file into
    // the folder (named after baseName) and a message says where.
    void printWithoutDialog(Platform& platform, QWidget* parent, const Printout& printout,
                            const QString& folder, const QString& baseName);

    // The print dialog when the system has a printer. Without one the dialog could only write a
    // file somewhere; the printout goes into a PDF file in the folder as with printWithoutDialog,
    // and a message says where.
    void printWithDialogOrFile(Platform& platform, QWidget* parent, const Printout& printout,
                               const QString& folder, const QString& baseName);

private:
    void writePdfFile(Platform& platform, QWidget* parent, const Printout& printout,
                      const QString& folder, const QString& baseName);
    // Every printout is portrait; a landscape page chosen in a dialog is turned back, and the
    // user is told.
    void keepPortrait(Platform& platform, QWidget* parent);

    std::unique_ptr<QPrinter> printer_;
};
