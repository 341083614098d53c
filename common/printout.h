#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

// A printout as the program lays it out: drawing operations in layout units, 1/2400 of the
// printable page width, the same unit across and down, with the origin at the top-left corner
// of the printable area. The renderer multiplies every coordinate by the page's scale and rounds.

// A text whose character cell has its top-left corner at (x, y).
struct PrintText {
    int x = 0;
    int y = 0;
    QString text;
    friend bool operator==(const PrintText&, const PrintText&) = default;
};

// A straight line; penWidth is in layout units and scaled like the coordinates.
struct PrintLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    int penWidth = 1;
    friend bool operator==(const PrintLine&, const PrintLine&) = default;
};

// Everything after it goes on the next page.
struct PrintNewPage {
    friend bool operator==(const PrintNewPage&, const PrintNewPage&) = default;
};

using PrintOperation = std::variant<PrintText, PrintLine, PrintNewPage>;

struct Printout {
    // Height of the font's character cell, in layout units.
    int fontHeight = 50;
    QList<PrintOperation> operations;

    int pageCount() const {
        int pages = 1;
        for (const PrintOperation& op : operations)
            pages += std::holds_alternative<PrintNewPage>(op) ? 1 : 0;
        return pages;
    }
};

// Pages first..last of a printout, counted from 1, both included.
struct PageSpan {
    int first = 1;
    int last = 1;
    friend bool operator==(const PageSpan&, const PageSpan&) = default;
};

// What a print dialog chose about the pages of one printout.
struct PageSelection {
    QList<PageSpan> spans; // empty: every page
    bool lastPageFirst = false;
    int copies = 1;
    bool collateCopies = true;
};

// The page numbers of a printout of pageCount pages in the order they go on paper: each chosen
// page that exists once, ascending, or descending when lastPageFirst; then repeated for the
// copies, the whole set again when collated, else each page in turn. Empty when none of the
// chosen pages exists.
QList<int> printedPages(int pageCount, const PageSelection& selection);

// The printout made of the given pages of printout (numbers from printedPages), one after the
// other with a page break between them.
Printout withPages(const Printout& printout, const QList<int>& pages);

// "<parts joined by blanks>.pdf", the name under which a printout is offered as a PDF file.
// Empty parts are left out; characters that a file name cannot hold, or that would lead into
// another folder, become '_'.
QString printFileName(const QStringList& parts);
