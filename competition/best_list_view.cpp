#include "competition/best_list_view.h"

#include "common/file_access.h"
#include "competition/best_list_file.h"
#include "storage/results_view.h"

#include <QFile>

#include <array>

namespace {

constexpr std::array<int, bestListGridColumns> columnX = {280, 450, 880, 1130, 1400};
constexpr int tableLeft = 270;
constexpr int tableRight = 1660;
constexpr int thickPen = 3;
constexpr int thinPen = 1;

QString cell(const BestListGrid& grid, int row, int column) {
    if (row < 0 || row >= grid.size() || column < 0 || column >= grid[row].size())
        return QString();
    return grid[row][column];
}

// Points right-aligned: nine blanks before one digit, seven before two, five before three.
QString pointsText(int points) {
    const QString digits = QString::number(points);
    return QString(11 - 2 * digits.size(), QLatin1Char(' ')) + digits;
}

} // namespace

BestListGrid initialBestListGrid() {
    BestListGrid grid(bestListGridRows, QStringList(bestListGridColumns));
    grid[0][1] = QStringLiteral(" Kalumbrixtor");
    grid[1][0] = QStringLiteral("   ");
    grid[1][1] = QStringLiteral(" Bestenliste");
    grid[1][2] = QStringLiteral(" zum");
    grid[1][3] = QStringLiteral(" Wettbewerb ");
    grid[3] =
        QStringList{QStringLiteral(" Platz"), QStringLiteral(" Name"), QStringLiteral(" Punkte"),
                    QStringLiteral(" Datum"), QStringLiteral(" Uhrzeit")};
    for (int place = 1; place <= bestListPlaces; ++place) {
        const int row = bestListFirstPlaceRow + place - 1;
        grid[row][0] = place < 10 ? QStringLiteral("       %1").arg(place)
                                  : QStringLiteral("     %1").arg(place);
        for (int c = 1; c < bestListGridColumns; ++c)
            grid[row][c] = QStringLiteral(" ");
    }
    return grid;
}

QStringList bestListPlaceCells(const BestListEntry& entry) {
    const QString blank = QStringLiteral(" ");
    return {blank + entry.name, pointsText(entry.points), blank + entry.date, blank + entry.time};
}

QStringList missingPlaceCells() {
    return QStringList(bestListGridColumns - 1, QStringLiteral("-"));
}

BestListGrid bestListGrid(BestListGrid grid, int competitionNumber,
                          const QList<BestListEntry>& entries, const QString& dateText,
                          const QString& timeText) {
    if (grid.size() != bestListGridRows)
        grid = initialBestListGrid();
    grid[0][3] = QStringLiteral(" ") + dateText;
    grid[0][4] = QStringLiteral(" ") + timeText;
    grid[1][4] = QStringLiteral(" W ") + QString::number(competitionNumber);
    for (int place = 1; place <= bestListPlaces; ++place) {
        const QStringList cells =
            place <= entries.size() ? bestListPlaceCells(entries[place - 1]) : missingPlaceCells();
        for (int c = 1; c < bestListGridColumns; ++c)
            grid[bestListFirstPlaceRow + place - 1][c] = cells[c - 1];
    }
    return grid;
}

Result<QList<BestListEntry>> loadBestListForView(const QString& path) {
    return readBestList(path, FileOrigin::Chosen);
}

Printout bestListPrintout(const BestListGrid& grid, const QString& dateText,
                          const QString& timeText) {
    Printout printout;
    printout.fontHeight = 50;
    auto& ops = printout.operations;

    ops.append(PrintText{280, 200, printedAtText(dateText, timeText)});
    // The heading row: " Bestenliste", " zum", " Wettbewerb " and " W " with the number.
    constexpr std::array<int, 4> headingX = {380, 680, 830, 1100};
    for (int c = 1; c < bestListGridColumns; ++c)
        ops.append(PrintText{headingX[c - 1], 300, cell(grid, 1, c)});
    ops.append(PrintLine{tableLeft, 460, tableRight, 460, thickPen});
    for (int c = 0; c < bestListGridColumns; ++c)
        ops.append(PrintText{columnX[c], 480, cell(grid, 3, c)});
    ops.append(PrintLine{tableLeft, 560, tableRight, 560, thickPen});

    for (int place = 1; place <= bestListPlaces; ++place) {
        const int row = bestListFirstPlaceRow + place - 1;
        for (int c = 0; c < bestListGridColumns; ++c)
            ops.append(PrintText{columnX[c], 480 + 100 * place, cell(grid, row, c)});
        const int y = 560 + 100 * place;
        ops.append(PrintLine{tableLeft, y, tableRight, y, thinPen});
    }

    const int bottom = 560 + 100 * bestListPlaces;
    for (const auto& [x, pen] : std::array<std::pair<int, int>, 6>{{{270, thickPen},
                                                                    {440, thickPen},
                                                                    {870, thickPen},
                                                                    {1120, thinPen},
                                                                    {1390, thinPen},
                                                                    {1660, thickPen}}})
        ops.append(PrintLine{x, 460, x, bottom, pen});
    return printout;
}
