#include "storage/task_set_view.h"

#include <algorithm>

namespace {

QString spaces(qsizetype count) {
    return QString(std::max<qsizetype>(0, count), QLatin1Char(' '));
}

// In a proportional font a digit is about as wide as two spaces: a text of length L in a column
// of width W gets two spaces for every missing character, none when it is already too long.
QString alignedRight(const QString& text, int width) {
    return spaces((width - text.size()) * 2) + text;
}

constexpr int operandWidth = 8;
constexpr int resultWidth = 11;
constexpr int remainderResultWidth = 14;

// Where the worksheet puts things, in layout units.
constexpr int tableLeft = 280;
constexpr int tableRight = 2200;
constexpr int thickPen = 3;
constexpr int firstRowTextY = 588;
constexpr int firstRowLineY = 648;
constexpr int rowPitch = 100;
constexpr int verticalTop = 560;
constexpr int verticalBottom = 3048;

struct SheetColumn {
    int gridColumn;
    int x;
};

class SheetWriter {
public:
    SheetWriter(const TaskSetGrid& grid, const QString& dateText, const QString& timeText)
        : grid_(grid), dateText_(dateText), timeText_(timeText) {}

    Printout take() { return std::move(printout_); }

    void newPage() { printout_.operations.append(PrintNewPage{}); }

    void header(const SheetOptions& options, bool emptySheet) {
        text(280, 300,
             QStringLiteral("Kalumbrixtor             gedruckt am    ") + dateText_ +
                 QStringLiteral(" um    ") + timeText_ + QStringLiteral(" Uhr"));
        ruling(360, thickPen);
        if (!emptySheet && options.header == SheetHeader::Stored) {
            text(280, 400, grid_.cell(0, 0));
            text(500, 400, grid_.cell(0, 1));
            text(830, 400, grid_.cell(0, 3));
            text(1220, 400, grid_.cell(0, 5));
            text(1600, 400, grid_.cell(0, 6));
            text(280, 500, grid_.cell(1, 0));
        } else if (!emptySheet && options.header == SheetHeader::Heading) {
            text(280, 400, options.heading);
        }
        ruling(460, thickPen);
        text(270, 600, taskGridHeading(0));
        text(500, 600, taskGridHeading(1));
        text(830, 600, taskGridHeading(3));
        text(1220, 600, taskGridHeading(5));
        if (options.withInput && !emptySheet)
            text(1600, 600, taskGridHeading(6));
        ruling(660, thickPen);
    }

    // Task rows first..last (1-based, both inclusive) at their places on the page, the table's
    // vertical lines and the ruling of the rows left empty below them.
    void rows(int first, int last, const SheetOptions& options, bool emptySheet) {
        const SheetColumn columns[] = {
            {0, 260},
            {1, options.withOperand1 ? 500 : -1},
            {2, options.withOperation ? 720 : -1},
            {3, options.withOperand2 ? 830 : -1},
            {4, 1080},
            {5, options.withResult ? 1190 : -1},
            {6, options.withInput ? 1570 : -1},
            {7, options.withInput ? 2020 : -1},
        };
        int lastPlace = 0;
        if (!emptySheet) {
            for (int t = first; t <= last; ++t) {
                const int place = placeOnPage(t);
                const int row = taskGridFirstTaskRow - 1 + t;
                for (const SheetColumn& column : columns) {
                    if (column.x >= 0)
                        text(column.x, firstRowTextY + rowPitch * place,
                             grid_.cell(row, column.gridColumn));
                }
                ruling(firstRowLineY + rowPitch * place, 1);
                lastPlace = place;
            }
        }
        // Drawn once per page, also on a page without a task row.
        for (const int x : {280, 480, 710, 830, 1050, 1220, 1550, 1940, 2200})
            line(x, verticalTop, x, verticalBottom, x == 480 ? thickPen : 1);
        for (int place = lastPlace + 1; place <= tasksPerSheet; ++place)
            ruling(firstRowLineY + rowPitch * place, 1);
    }

private:
    static int placeOnPage(int task) {
        const int place = task % tasksPerSheet;
        return place == 0 ? tasksPerSheet : place;
    }

    void text(int x, int y, const QString& s) {
        // An empty cell or heading puts nothing on paper.
        if (!s.isEmpty())
            printout_.operations.append(PrintText{x, y, s});
    }
    void line(int x1, int y1, int x2, int y2, int pen) {
        printout_.operations.append(PrintLine{x1, y1, x2, y2, pen});
    }
    void ruling(int y, int pen) { line(tableLeft, y, tableRight, y, pen); }

    const TaskSetGrid& grid_;
    QString dateText_;
    QString timeText_;
    Printout printout_;
};

} // namespace

QString taskGridHeading(int column) {
    switch (column) {
    case 0:
        return QStringLiteral("         Nr.");
    case 1:
        return QStringLiteral("     Zahl 1");
    case 3:
        return QStringLiteral("     Zahl 2");
    case 5:
        return QStringLiteral("        Ergebnis");
    case 6:
        return QStringLiteral("        Eingabe");
    default:
        return {};
    }
}

QString taskNumberText(int n) {
    const int width = n < 10 ? 11 : n < 100 ? 9 : 7;
    return spaces(width) + QString::number(n);
}

QString operandCellText(qint32 operand) {
    return alignedRight(QLatin1Char(' ') + QString::number(operand), operandWidth);
}

QString operationCellText(const QString& operation) {
    if (operation.size() == 1)
        return (QStringLiteral("    ") + operation).left(8);
    return (QStringLiteral("  ") + operation).left(6);
}

QString resultCellText(qint32 value, qint32 remainder, bool withRemainder, bool setWithRemainder) {
    QString text = QString::number(value);
    if (withRemainder)
        text += QStringLiteral(" R ") + QString::number(remainder);
    return alignedRight(text, setWithRemainder ? remainderResultWidth : resultWidth);
}

QString markCellText(const TaskRecord& record) {
    bool solved = record.result == record.givenAnswer;
    if (record.remainder != -1)
        solved = solved && record.remainder == record.givenRemainder;
    return solved ? QStringLiteral("    w  ") : QStringLiteral("    f  ");
}

TaskSetGrid taskSetGrid(const QList<TaskRecord>& records) {
    TaskSetGrid grid;
    grid.recordCount = int(records.size());
    auto& cells = grid.cells;
    for (int column = 0; column < taskGridColumns; ++column)
        cells[2][column] = taskGridHeading(column);
    for (int row = taskGridFirstTaskRow; row < taskGridRows; ++row)
        cells[row][0] = taskNumberText(row - taskGridFirstTaskRow + 1);
    if (records.isEmpty())
        return grid;

    const TaskRecord& header = records.first();
    cells[0][0] = header.name;
    cells[0][1] = (QStringLiteral("  ") + header.date).left(12);
    cells[0][3] = (QStringLiteral("  ") + header.time).left(12);
    cells[0][5] = header.points == 1 ? QStringLiteral("      1 Punkt")
                                     : QStringLiteral("      ") + QString::number(header.points) +
                                           QStringLiteral(" Punkte");
    cells[0][6] =
        (QStringLiteral("        ") + header.timeLimitText).left(12) + QStringLiteral(" Sek.");
    cells[1][0] = (QStringLiteral("W ") + header.competitionTag).left(4);

    const QString operation = operationCellText(header.operation);
    const bool setWithRemainder = header.remainder != -1;
    const int shown = std::min(grid.taskRows(), taskGridRows - taskGridFirstTaskRow);
    for (int k = 0; k < shown; ++k) {
        const TaskRecord& task = records[k];
        auto& row = cells[taskGridFirstTaskRow + k];
        const bool withRemainder = task.remainder != -1;
        row[1] = operandCellText(task.operand1);
        row[2] = operation;
        row[3] = operandCellText(task.operand2);
        row[4] = QStringLiteral("    =  ");
        row[5] = resultCellText(task.result, task.remainder, withRemainder, setWithRemainder);
        row[6] =
            resultCellText(task.givenAnswer, task.givenRemainder, withRemainder, setWithRemainder);
        row[7] = markCellText(task);
    }
    return grid;
}

Printout taskSheetPrintout(const TaskSetGrid& grid, const SheetOptions& options,
                           const QString& dateText, const QString& timeText) {
    if (grid.recordCount == 0)
        return emptyWorksheetPrintout(dateText, timeText);
    SheetWriter sheet(grid, dateText, timeText);
    const int tasks = grid.taskRows();
    const int pages = std::max(1, (tasks + tasksPerSheet - 1) / tasksPerSheet);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            sheet.newPage();
        sheet.header(options, false);
        sheet.rows(page * tasksPerSheet + 1, std::min(page * tasksPerSheet + tasksPerSheet, tasks),
                   options, false);
    }
    return sheet.take();
}

Printout emptyWorksheetPrintout(const QString& dateText, const QString& timeText) {
    const TaskSetGrid nothing;
    SheetWriter sheet(nothing, dateText, timeText);
    SheetOptions options;
    options.header = SheetHeader::None;
    sheet.header(options, true);
    sheet.rows(0, 0, options, true);
    return sheet.take();
}

QString sheetKindText(const SheetOptions& options) {
    if (options.withInput)
        return QStringLiteral("Auswertung");
    if (!options.withResult)
        return QStringLiteral("Übungsblatt");
    if (!options.withOperand1 || !options.withOperation || !options.withOperand2)
        return QStringLiteral("Ergänzungsblatt");
    return QStringLiteral("Lösungsblatt");
}

QString taskSheetFileName(const QList<TaskRecord>& records, const SheetOptions& options) {
    if (records.isEmpty())
        return printFileName({QStringLiteral("Aufgabenblatt")});
    return printFileName({QStringLiteral("Aufgaben"), records.first().name, records.first().date,
                          sheetKindText(options)});
}
