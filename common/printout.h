#pragma once

#include <QList>
#include <QString>

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
