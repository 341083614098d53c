#include "storage/results_view.h"

#include <array>

namespace {

const std::array<const char*, resultsGridColumns> headRow0 = {
    " Nr.",          " Name",           "   Datum", " Uhr-Zeit", " Rech-",
    "      1. Zahl", "      2. Zahl  ", "  Anz.",   " Pkte.   ", "Rech-"};
const std::array<const char*, resultsGridColumns> headRow1 = {"   ", "", "",       "", " Art/ W",
                                                              "",    "", " Aufg.", "", " Zeit"};

// x in layout units of each column's texts on paper; the second head row is printed only in
// columns 4, 7 and 9 (0: not printed).
constexpr std::array<int, resultsGridColumns> headRow0X = {290,  430,  630,  854,  1070,
                                                           1250, 1570, 1870, 2015, 2163};
constexpr std::array<int, resultsGridColumns> headRow1X = {0, 0, 0, 0, 1070, 0, 0, 1880, 0, 2163};
constexpr std::array<int, resultsGridColumns> dataX = {270,  390,  630,  854,  1070,
                                                       1238, 1558, 1878, 2022, 2166};

constexpr int tableLeft = 280;
constexpr int tableRight = 2296;
constexpr int thickPen = 3;
constexpr int thinPen = 1;

QString rowNumberText(int number) {
    return number < 10 ? QStringLiteral("   %1").arg(number) : QStringLiteral(" %1").arg(number);
}

// A count of 0..255 right-aligned: six blanks before one digit, four before two, two before
// three.
QString countText(int value) {
    const QString digits = QString::number(value);
    return QString(8 - 2 * digits.size(), QLatin1Char(' ')) + digits;
}

QString timeLimitCell(const QString& text) {
    if (text.isEmpty() || text.size() > 4)
        return QString();
    return QString(9 - 2 * text.size(), QLatin1Char(' ')) + text;
}

QString cell(const GridTexts& grid, int row, int column) {
    if (row < 0 || row >= grid.size() || column < 0 || column >= grid[row].size())
        return QString();
    return grid[row][column];
}

} // namespace

GridTexts emptyResultsGrid() {
    GridTexts grid(resultsGridRows, QStringList(resultsGridColumns));
    for (int c = 0; c < resultsGridColumns; ++c) {
        grid[0][c] = QString::fromLatin1(headRow0[c]);
        grid[1][c] = QString::fromLatin1(headRow1[c]);
    }
    for (int r = resultsGridFixedRows; r < resultsGridRows; ++r)
        grid[r][0] = rowNumberText(r - resultsGridFixedRows + 1);
    return grid;
}

QStringList resultsDataCells(const ResultRecord& record) {
    const QString blank = QStringLiteral(" ");
    return {blank + record.name,
            blank + record.date,
            blank + record.time,
            blank + record.operation,
            blank + record.range1Text,
            blank + record.range2Text,
            countText(record.taskCount),
            countText(record.points),
            timeLimitCell(record.timeLimitText)};
}

GridTexts resultsGrid(const QList<ResultRecord>& records) {
    GridTexts grid = emptyResultsGrid();
    const qsizetype shown = qMin<qsizetype>(records.size(), resultsGridDataRows);
    for (qsizetype i = 0; i < shown; ++i) {
        const QStringList cells = resultsDataCells(records[i]);
        for (int c = 1; c < resultsGridColumns; ++c)
            grid[resultsGridFixedRows + i][c] = cells[c - 1];
    }
    return grid;
}

QString resultsCaption(const QString& fileName) {
    return QStringLiteral("gespeicherte Ergebnisse aus     ") + fileName;
}

QString printedAtText(const QString& dateText, const QString& timeText) {
    return QStringLiteral("Kalumbrixtor             gedruckt am    ") + dateText +
           QStringLiteral(" um    ") + timeText + QStringLiteral(" Uhr");
}

Printout resultsPrintout(const GridTexts& grid, int rowCount, const QString& dateText,
                         const QString& timeText) {
    rowCount = qBound(0, rowCount, resultsGridDataRows);
    Printout printout;
    printout.fontHeight = 50;
    auto& ops = printout.operations;

    ops.append(PrintText{280, 200, printedAtText(dateText, timeText)});
    ops.append(PrintLine{tableLeft, 280, tableRight, 280, thickPen});
    for (int c = 0; c < resultsGridColumns; ++c)
        ops.append(PrintText{headRow0X[c], 400, cell(grid, 0, c)});
    for (int c = 0; c < resultsGridColumns; ++c) {
        if (headRow1X[c] != 0)
            ops.append(PrintText{headRow1X[c], 470, cell(grid, 1, c)});
    }
    ops.append(PrintLine{tableLeft, 560, tableRight, 560, thickPen});

    for (int i = 1; i <= rowCount; ++i) {
        for (int c = 0; c < resultsGridColumns; ++c)
            ops.append(PrintText{dataX[c], 490 + 100 * i, cell(grid, i + 1, c)});
        const int y = 560 + 100 * i;
        ops.append(PrintLine{tableLeft, y, tableRight, y, i == rowCount ? thickPen : thinPen});
    }

    const int bottom = 560 + 100 * rowCount;
    for (const auto& [x, pen] : std::array<std::pair<int, int>, 11>{{{280, thickPen},
                                                                     {376, thickPen},
                                                                     {616, thinPen},
                                                                     {840, thinPen},
                                                                     {1064, thinPen},
                                                                     {1224, thinPen},
                                                                     {1544, thinPen},
                                                                     {1864, thinPen},
                                                                     {2008, thinPen},
                                                                     {2152, thinPen},
                                                                     {2296, thickPen}}})
        ops.append(PrintLine{x, 360, x, bottom, pen});
    return printout;
}
