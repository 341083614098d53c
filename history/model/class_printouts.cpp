#include "history/model/class_printouts.h"

#include "storage/task_set_view.h"

#include <QHash>

#include <algorithm>

namespace {

// The report's columns: where each starts across the page, in layout units. The last runs to
// the right edge.
constexpr int reportColumnX[overviewColumnCount] = {0, 420, 570, 740, 990, 1350, 1670, 1830, 1950};
constexpr int reportRight = 2400;
constexpr int reportFontHeight = 40;
constexpr int reportRowPitch = 100;
// A name longer than its column would run into the next one.
constexpr qsizetype reportNameLength = 22;

QString fitted(const QString& text, qsizetype length) {
    return text.size() <= length ? text : text.left(length - 1) + QStringLiteral("…");
}

// Inlined where texts and lines are made side by side, GCC 12 at -O3 takes the copy of a line
// into the list for a copy of uninitialised text and stops the optimised build.
[[gnu::noinline]] void append(Printout& printout, const PrintOperation& operation) {
    printout.operations.append(operation);
}

} // namespace

ChildSheets mistakeSheets(const QList<HistoryRun>& runs, const QStringList& names,
                          const RunPeriod& inPeriod) {
    QHash<QString, QList<HistoryRun>> byChild;
    for (const HistoryRun& run : runs) {
        if (inPeriod(run.startedAt))
            byChild[run.participant].append(run);
    }
    ChildSheets result;
    for (const QString& name : names) {
        const QList<PracticeTask> tasks = practiceTasks(byChild.value(name), tasksPerSheet);
        if (tasks.isEmpty())
            result.leftOut.append(name);
        else
            result.sheets.append({name, tasks});
    }
    return result;
}

Result<ChildSheets> mistakeSheets(const ChildRunReader& read, const QStringList& names,
                                  const RunPeriod& inPeriod) {
    ChildSheets out;
    for (const QString& name : names) {
        HistoryTally tally(1);
        if (Outcome failed = read(name, [&](const HistoryRun& run) {
                if (inPeriod(run.startedAt))
                    tally.add(run);
            }))
            return *std::move(failed);
        const QList<PracticeTask> tasks = tally.practiceTasks(tasksPerSheet);
        if (tasks.isEmpty())
            out.leftOut.append(name);
        else
            out.sheets.append({name, tasks});
    }
    return out;
}

Printout mistakeSheetsPrintout(const QList<ChildSheet>& sheets, const QString& periodText,
                               const QString& dateText, const QString& timeText) {
    SheetOptions options;
    options.header = SheetHeader::Heading;
    options.withResult = false;
    options.withInput = false;
    Printout all;
    for (const ChildSheet& sheet : sheets) {
        // The grid of an empty set holds the headings and task numbers; its record count counts
        // the set's unanswered last record, which a sheet of tasks does not have.
        TaskSetGrid grid = taskSetGrid({});
        const qsizetype count = std::min<qsizetype>(sheet.tasks.size(), tasksPerSheet);
        grid.recordCount = int(count) + 1;
        for (qsizetype k = 0; k < count; ++k) {
            const PracticeTask& task = sheet.tasks[k];
            auto& row = grid.cells[size_t(taskGridFirstTaskRow + k)];
            row[1] = operandCellText(task.operands.first);
            row[2] = operationCellText(operationText(task.operation));
            row[3] = operandCellText(task.operands.second);
            row[4] = QStringLiteral("    =  ");
        }
        options.heading = QStringLiteral("%1     Zeitraum: %2     %3")
                              .arg(fitted(sheet.name, reportNameLength), periodText, dateText);
        const Printout page = taskSheetPrintout(grid, options, dateText, timeText);
        if (!all.operations.isEmpty())
            append(all, PrintNewPage{});
        all.fontHeight = page.fontHeight;
        all.operations.append(page.operations);
    }
    return all;
}

Printout classReportPrintout(const QList<ChildFigures>& rows, const QString& className,
                             const QString& periodText, const QString& operationText,
                             const QString& dateText, const QString& timeText) {
    Printout report;
    report.fontHeight = reportFontHeight;
    auto text = [&](int x, int y, const QString& s) {
        if (!s.isEmpty())
            append(report, PrintText{x, y, s});
    };
    auto rule = [&](int y, int pen) { append(report, PrintLine{0, y, reportRight, y, pen}); };
    const int pages =
        std::max<int>(1, int((rows.size() + reportRowsPerPage - 1) / reportRowsPerPage));
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            append(report, PrintNewPage{});
        text(0, 200,
             QStringLiteral("Kalumbrixtor     Klassenübersicht %1     gedruckt am %2 um %3 Uhr")
                 .arg(className, dateText, timeText));
        text(0, 280,
             QStringLiteral("Zeitraum: %1     Rechenart: %2     Seite %3 von %4")
                 .arg(periodText, operationText)
                 .arg(page + 1)
                 .arg(pages));
        rule(360, 3);
        for (int column = 0; column < overviewColumnCount; ++column)
            text(reportColumnX[column], 390, overviewHeading(OverviewColumn(column)));
        rule(460, 3);
        const qsizetype first = qsizetype(page) * reportRowsPerPage;
        const qsizetype last = std::min<qsizetype>(rows.size(), first + reportRowsPerPage);
        for (qsizetype r = first; r < last; ++r) {
            const int y = 490 + reportRowPitch * int(r - first);
            for (int column = 0; column < overviewColumnCount; ++column) {
                QString cell = overviewCell(rows[r], OverviewColumn(column), CellForm::Written);
                if (column == int(OverviewColumn::Name))
                    cell = fitted(cell, reportNameLength);
                text(reportColumnX[column], y, cell);
            }
            rule(y + 75, 1);
        }
    }
    return report;
}

QByteArray classOverviewCsv(const QList<ChildFigures>& rows, const QString& className,
                            const QString& periodText, const QString& operationText) {
    const QString lineEnd = QStringLiteral("\r\n");
    QStringList fields{csvTextField(QStringLiteral("Klassenübersicht ") + className),
                       csvTextField(QStringLiteral("Zeitraum: ") + periodText),
                       csvTextField(QStringLiteral("Rechenart: ") + operationText)};
    QString text = fields.join(QLatin1Char(';')) + lineEnd;
    fields.clear();
    for (int column = 0; column < overviewColumnCount; ++column)
        fields << csvTextField(overviewHeading(OverviewColumn(column)));
    text += fields.join(QLatin1Char(';')) + lineEnd;
    for (const ChildFigures& row : rows) {
        fields.clear();
        for (int column = 0; column < overviewColumnCount; ++column)
            fields << csvTextField(overviewCell(row, OverviewColumn(column), CellForm::Written));
        text += fields.join(QLatin1Char(';')) + lineEnd;
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}
