#pragma once

#include "common/printout.h"
#include "storage/result_record.h"

#include <QList>
#include <QString>
#include <QStringList>

// The results viewer's grid: 10 columns by 22 rows. Rows 0 and 1 and column 0 are fixed (column
// heads and row numbers); rows 2..21 hold up to 20 records, columns 1..9 of them the data cells.
inline constexpr int resultsGridColumns = 10;
inline constexpr int resultsGridRows = 22;
inline constexpr int resultsGridFixedRows = 2;
inline constexpr int resultsGridDataRows = resultsGridRows - resultsGridFixedRows;

// Every cell text of the grid by row, then column.
using GridTexts = QList<QStringList>;

// The grid as it looks with no file shown: heads, row numbers, empty data cells.
GridTexts emptyResultsGrid();

// The texts of columns 1..9 for one record: name, date, time, operation and both ranges after one
// blank; tasks and points right-aligned in seven characters; the time limit right-aligned in
// eight, or nothing when it is longer than four characters or empty.
QStringList resultsDataCells(const ResultRecord& record);

// The grid with the records in rows 2.. (at most 20 of them).
GridTexts resultsGrid(const QList<ResultRecord>& records);

// The window's caption while a file is shown.
QString resultsCaption(const QString& fileName);

// "Kalumbrixtor             gedruckt am    <date> um    <time> Uhr", the first line of every
// printout of the program.
QString printedAtText(const QString& dateText, const QString& timeText);

// The one-page printout of the grid as shown: title, the two head rows, the first rowCount data
// rows (each underlined, the last with the thick pen) and the column lines down to the last row.
// The texts are the grid's own, blanks included.
Printout resultsPrintout(const GridTexts& grid, int rowCount, const QString& dateText,
                         const QString& timeText);
