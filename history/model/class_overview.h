#pragma once

#include "history/model/history.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The class overview: one row of figures per child, worked out from every child's runs. The
// window, the printed report and the CSV file show these rows; none of them computes anything.

enum class OverviewPeriod { Week, Month, Everything };
inline constexpr std::array<OverviewPeriod, 3> allPeriods{
    OverviewPeriod::Week, OverviewPeriod::Month, OverviewPeriod::Everything};
// "7 Tage", "30 Tage", "alle"
QString periodName(OverviewPeriod period);
// The period in a sentence: "in den letzten 7 Tagen", "in den letzten 30 Tagen", "im ganzen
// Lernverlauf".
QString periodWords(OverviewPeriod period);

// How many runs the speed is the median of, and how many before them its change is measured
// against.
inline constexpr int speedRuns = 5;

struct ChildFigures {
    QString name;
    qint32 runs = 0;            // in the period
    qint32 practiceMinutes = 0; // answering time in the period, rounded
    QDate lastRun;              // of the runs given, whenever it was; invalid when there is none
    // Right answers per minute: the median of the last runs in the period, and how much it
    // differs from the median of the runs before those, whenever they were.
    std::optional<double> speed;
    std::optional<double> change;
    std::optional<double> rightShare; // of the answers in the period, 0..1
    QStringList mostMissed;           // the three tasks missed most often in the period
    qint32 mostMisses = 0;            // how often the first of them was missed
    // The child's Stufe in the operation now, whatever the period (practice_levels.h); none over
    // every operation and for a child without answers in it.
    std::optional<double> stufe;
};

// One row for each name, in the order given, from the runs (any children, any order). The
// period counts back from today: the last 7 or 30 days, today included. levels holds each
// child's Stufe (currentLevels) when one operation is shown.
QList<ChildFigures> classFigures(const ClassTotals& totals, const QStringList& names,
                                 OverviewPeriod period, const QDate& today,
                                 const QHash<QString, double>& levels = {});
QList<ChildFigures> classFigures(const QList<HistoryRun>& runs, const QStringList& names,
                                 OverviewPeriod period, const QDate& today);
// Whether a run that started then belongs to the period, and the period as a store is asked for
// it.
bool inPeriod(const QDateTime& startedAt, OverviewPeriod period, const QDate& today);
RunPeriod periodOf(OverviewPeriod period, const QDate& today);

// The columns of the overview, in this order.
enum class OverviewColumn {
    Name,
    Runs,
    Minutes,
    LastRun,
    Speed,
    Change,
    RightShare,
    Stufe,
    MostMissed
};
inline constexpr int overviewColumnCount = 9;
QString overviewHeading(OverviewColumn column);

// A cell as the screen shows it (the change with an arrow), as a screen reader says it (the arrow
// in words, a missing figure as "keine Angabe"), and as paper and files carry it (in words).
enum class CellForm { Shown, Spoken, Written };
QString overviewCell(const ChildFigures& child, OverviewColumn column, CellForm form);
// "schneller", "langsamer" or "gleich": the change as it is shown, to one decimal.
QString trendWord(double change);
// The figure a numeric column sorts by (the last run as a day number, the most missed tasks by
// the misses of the first); nothing for the name and for a missing figure.
std::optional<double> overviewNumber(const ChildFigures& child, OverviewColumn column);

// Whether a row goes before another when the table sorts by column: a numeric column by its
// figure (mine and theirs as overviewNumber gives them, a missing figure given as the lowest
// number), the name column as a German reader expects a list of names. Rows alike in the column
// keep their names from A to Z in either direction: descending tells that the table turns this
// order round.
bool overviewRowBefore(OverviewColumn column, const std::optional<double>& mine,
                       const QString& myName, const std::optional<double>& theirs,
                       const QString& theirName, bool descending);

// "Ben", "Ben und Lea", "Ben, Lea und Mia".
QString namesText(const QStringList& names);

// The operation a child practised last among the runs (oldest first), or empty without any.
std::optional<Operation> lastOperationOf(const QList<RunTotals>& runs, const QString& participant);
