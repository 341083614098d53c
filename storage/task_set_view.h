#pragma once

#include "common/printout.h"
#include "engine/run_state.h"

#include <QList>
#include <QString>

#include <array>

// The task-set viewer's grid: 8 columns, rows 0..162. Rows 0 and 1 hold the header of the set
// (who, when, points, time limit, competition), row 2 the column headings, rows 3..162 one task
// each. Column 0 holds the task numbers. The worksheet printout takes its texts from these cells,
// so the leading spaces that stand the numbers roughly right-aligned are part of the texts.
inline constexpr int taskGridColumns = 8;
inline constexpr int taskGridRows = 163;
inline constexpr int taskGridFirstTaskRow = 3;
inline constexpr int tasksPerSheet = 24;

struct TaskSetGrid {
    int recordCount = 0;
    std::array<std::array<QString, taskGridColumns>, taskGridRows> cells;

    // One less than the records of the set, never below 0: the last record of a saved set is
    // the task that was on display and not answered.
    int taskRows() const { return recordCount > 0 ? recordCount - 1 : 0; }
    const QString& cell(int row, int column) const { return cells[row][column]; }
};

// "         Nr.", "     Zahl 1", ... of row 2.
QString taskGridHeading(int column);
// The text of column 0 for task n (1..160).
QString taskNumberText(int n);
// An operand of column 1 or 3.
QString operandCellText(qint32 operand);
// Column 2, from the operation text of the set.
QString operationCellText(const QString& operation);
// Column 5 (correct result) or 6 (the child's answer), padded to the set's column width.
QString resultCellText(qint32 value, qint32 remainder, bool withRemainder, bool setWithRemainder);
// Column 7: "    w  " when the record was solved, "    f  " otherwise. The remainders count when
// the record itself stores one, whatever operation the main window has selected today.
QString markCellText(const TaskRecord& record);

// Every cell of the grid for a loaded set; an empty set leaves the header rows empty.
TaskSetGrid taskSetGrid(const QList<TaskRecord>& records);

// What the print options dialog decides about a worksheet.
enum class SheetHeader {
    Stored,  // the stored name, date, time, points and time limit ("K")
    Heading, // the heading typed in the dialog ("U")
    None,    // neither ("O")
};

struct SheetOptions {
    SheetHeader header = SheetHeader::Stored;
    QString heading;
    bool withOperand1 = true;
    bool withOperation = true;
    bool withOperand2 = true;
    bool withResult = true;
    bool withInput = true; // the child's answers and the marks
};

// The worksheet of the shown set: 24 task rows a page, each page with its header and ruled to
// 24 rows. dateText and timeText are the moment of printing. A grid without a header (an empty
// file) prints as the empty worksheet.
Printout taskSheetPrintout(const TaskSetGrid& grid, const SheetOptions& options,
                           const QString& dateText, const QString& timeText);

// One page of the worksheet's frame without tasks, name or heading.
Printout emptyWorksheetPrintout(const QString& dateText, const QString& timeText);

// What kind of sheet the options make, for the name of its PDF file: "Auswertung" with the
// child's answers and marks, "Übungsblatt" without the results, "Ergänzungsblatt" with the
// results but without an operand or the sign (the missing part is to be found), otherwise
// "Lösungsblatt".
QString sheetKindText(const SheetOptions& options);

// The name a worksheet of the set is offered under as a PDF file, e.g.
// "Aufgaben Ben 07.12.26 Übungsblatt.pdf": the name and date the set was saved with and the kind
// of sheet. A set without records prints as the empty worksheet, "Aufgabenblatt.pdf".
QString taskSheetFileName(const QList<TaskRecord>& records, const SheetOptions& options);
