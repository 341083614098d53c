#pragma once

#include "common/failure.h"
#include "common/printout.h"
#include "competition/best_list_entry.h"

#include <QList>
#include <QString>
#include <QStringList>

// The best-list viewer's grid: 5 columns by 16 rows. Column 0 and rows 0..3 are fixed; rows
// 4..15 are places 1..12, with name, points, date and time in columns 1..4.
inline constexpr int bestListGridColumns = 5;
inline constexpr int bestListGridRows = 16;
inline constexpr int bestListFirstPlaceRow = 4;

// Every cell text of the grid by row, then column.
using BestListGrid = QList<QStringList>;

// The grid as created: program name, heading, column heads and place numbers; the list area
// blank (a single space in every cell).
BestListGrid initialBestListGrid();

// Columns 1..4 of one place: name, points right-aligned in ten characters, date, time.
QStringList bestListPlaceCells(const BestListEntry& entry);

// Columns 1..4 of a place the list does not fill, and of every place of an empty list.
QStringList missingPlaceCells();

// The grid showing the list of competition n (1..16), loaded on dateText at timeText: exactly
// places 1 to 12. Places the list does not fill show "-"; records past the twelfth (the reserve
// and anything after it) are not shown.
BestListGrid bestListGrid(BestListGrid grid, int competitionNumber,
                          const QList<BestListEntry>& entries, const QString& dateText,
                          const QString& timeText);

// The records of a best-list file for the viewer, or why it cannot be read.
Result<QList<BestListEntry>> loadBestListForView(const QString& path);

// The one-page printout of the grid as shown: the heading row, the column heads and the twelve
// places, each underlined, with the column lines from the top of the heads to the last place.
Printout bestListPrintout(const BestListGrid& grid, const QString& dateText,
                          const QString& timeText);
