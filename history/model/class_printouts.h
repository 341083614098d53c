#pragma once

#include "common/printout.h"
#include "history/model/class_overview.h"
#include "history/model/history_stats.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What the class overview prints and saves: a worksheet for each child from the child's own
// practice tasks, the overview as a report, and the overview as CSV.

struct ChildSheet {
    QString name;
    QList<PracticeTask> tasks; // at most one sheet's worth; more are left off
};

// The sheets of the named children, in their order: each child's practice tasks from the runs
// of the period (the choice of a practice run), at most a sheet's worth. A child without a task
// to practise in the period gets no sheet and is named in leftOut.
struct ChildSheets {
    QList<ChildSheet> sheets;
    QStringList leftOut;
};
ChildSheets mistakeSheets(const QList<HistoryRun>& runs, const QStringList& names,
                          const RunPeriod& inPeriod);
// The same from a reader that hands over one child's runs, oldest first, one by one (as
// HistoryStore::eachRun does): a long history is never held whole.
using ChildRunReader = std::function<Outcome(const QString& name,
                                             const std::function<void(const HistoryRun&)>& visit)>;
Result<ChildSheets> mistakeSheets(const ChildRunReader& read, const QStringList& names,
                                  const RunPeriod& inPeriod);

// One page per child, in the worksheet's layout as an exercise sheet: the child's name, the
// period the tasks come from (periodText, e.g. "7 Tage") and the date as the heading, the
// operands and the sign of each task, the result columns empty.
Printout mistakeSheetsPrintout(const QList<ChildSheet>& sheets, const QString& periodText,
                               const QString& dateText, const QString& timeText);

// The rows as the overview shows them, on portrait pages of up to 25 children, each page headed
// with the class, the period and the operation.
inline constexpr int reportRowsPerPage = 25;
Printout classReportPrintout(const QList<ChildFigures>& rows, const QString& className,
                             const QString& periodText, const QString& operationText,
                             const QString& dateText, const QString& timeText);

// The rows as CSV: UTF-8 with a byte-order mark (so that spreadsheets do not take it for another
// code page), semicolons, CRLF; a first line that names the class, the period and the operation,
// then the line of headings; every field safe from being taken for a formula.
QByteArray classOverviewCsv(const QList<ChildFigures>& rows, const QString& className,
                            const QString& periodText, const QString& operationText);
