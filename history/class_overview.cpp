#include "history/class_overview.h"

#include "common/clock.h"
#include "engine/operation.h"
#include "history/history_stats.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

const QString missing = QStringLiteral("–");

QString decimal(double value) {
    static const QLocale german(QLocale::German, QLocale::Germany);
    return german.toString(value, 'f', 1);
}

// The change as shown: rounded to one decimal, so that "gleich" and "0,0" always agree.
double shownChange(double change) {
    return std::round(change * 10.0) / 10.0;
}

double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The three tasks missed most often over runs of one or several operations; a task is the same
// only in the same operation.
QStringList mostMissedTexts(const QList<HistoryRun>& runs) {
    QHash<QString, QList<HistoryRun>> byOperation;
    for (const HistoryRun& run : runs)
        byOperation[run.operation].append(run);
    struct Missed {
        TaskFigures task;
        QString operation;
    };
    QList<Missed> candidates;
    for (auto it = byOperation.cbegin(); it != byOperation.cend(); ++it) {
        for (const TaskFigures& task : mostMissed(taskFigures(it.value()), 3))
            candidates.append({task, it.key()});
    }
    std::sort(candidates.begin(), candidates.end(), [](const Missed& a, const Missed& b) {
        if (missedMoreOften(a.task, b.task) || missedMoreOften(b.task, a.task))
            return missedMoreOften(a.task, b.task);
        return a.operation < b.operation;
    });
    QStringList texts;
    for (qsizetype i = 0; i < std::min<qsizetype>(3, candidates.size()); ++i)
        texts.append(taskText(candidates[i].task.operand1, candidates[i].task.operand2,
                              candidates[i].operation));
    return texts;
}

ChildFigures figuresOf(const QString& name, QList<HistoryRun> runs, OverviewPeriod period,
                       const QDate& today) {
    ChildFigures child;
    child.name = name;
    std::stable_sort(runs.begin(), runs.end(), [](const HistoryRun& a, const HistoryRun& b) {
        return a.startedAt < b.startedAt;
    });
    if (!runs.isEmpty())
        child.lastRun = runs.last().startedAt.date();

    const QList<RunFigures> figures = runFigures(runs);
    QList<HistoryRun> periodRuns;
    QList<qsizetype> periodIndex;
    double answeringMs = 0;
    qint64 answers = 0;
    qint64 right = 0;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        if (!inPeriod(runs[i], period, today))
            continue;
        periodRuns.append(runs[i]);
        periodIndex.append(i);
        answers += figures[i].answers;
        right += figures[i].rightAnswers;
        for (const AnsweredTask& answer : runs[i].answers)
            answeringMs += double(std::max<qint64>(answer.answerMs, 0));
    }
    child.runs = qint32(periodRuns.size());
    child.practiceMinutes = qint32(std::lround(answeringMs / 60000.0));
    if (answers > 0)
        child.rightShare = double(right) / double(answers);
    if (!periodIndex.isEmpty()) {
        const qsizetype firstLatest = std::max<qsizetype>(0, periodIndex.size() - speedRuns);
        QList<double> latest;
        for (qsizetype k = firstLatest; k < periodIndex.size(); ++k)
            latest.append(figures[periodIndex[k]].solvedPerMinute);
        child.speed = median(latest);
        // The runs just before the latest ones, in the period or before it.
        QList<double> before;
        for (qsizetype i = periodIndex[firstLatest] - 1; i >= 0 && before.size() < speedRuns; --i)
            before.append(figures[i].solvedPerMinute);
        if (!before.isEmpty())
            child.change = *child.speed - median(before);
    }
    child.mostMissed = mostMissedTexts(periodRuns);
    return child;
}

} // namespace

QString periodName(OverviewPeriod period) {
    switch (period) {
    case OverviewPeriod::Week:
        return QStringLiteral("7 Tage");
    case OverviewPeriod::Month:
        return QStringLiteral("30 Tage");
    case OverviewPeriod::Everything:
        break;
    }
    return QStringLiteral("alle");
}

bool inPeriod(const HistoryRun& run, OverviewPeriod period, const QDate& today) {
    if (period == OverviewPeriod::Everything)
        return true;
    const qint64 days = period == OverviewPeriod::Week ? 7 : 30;
    const QDate day = run.startedAt.date();
    return day.isValid() && day > today.addDays(-days) && day <= today;
}

QList<ChildFigures> classFigures(const QList<HistoryRun>& runs, const QStringList& names,
                                 OverviewPeriod period, const QDate& today) {
    QHash<QString, QList<HistoryRun>> byChild;
    for (const HistoryRun& run : runs)
        byChild[run.participant].append(run);
    QList<ChildFigures> rows;
    rows.reserve(names.size());
    for (const QString& name : names)
        rows.append(figuresOf(name, byChild.value(name), period, today));
    return rows;
}

QString overviewHeading(OverviewColumn column) {
    switch (column) {
    case OverviewColumn::Name:
        return QStringLiteral("Name");
    case OverviewColumn::Runs:
        return QStringLiteral("Läufe");
    case OverviewColumn::Minutes:
        return QStringLiteral("Minuten");
    case OverviewColumn::LastRun:
        return QStringLiteral("Letzter Lauf");
    case OverviewColumn::Speed:
        return QStringLiteral("Aufgaben pro Minute");
    case OverviewColumn::Change:
        return QStringLiteral("Veränderung");
    case OverviewColumn::RightShare:
        return QStringLiteral("Richtig");
    case OverviewColumn::MostMissed:
        break;
    }
    return QStringLiteral("Häufigste Fehler");
}

QString trendWord(double change) {
    const double shown = shownChange(change);
    if (shown > 0)
        return QStringLiteral("schneller");
    if (shown < 0)
        return QStringLiteral("langsamer");
    return QStringLiteral("gleich");
}

QString overviewCell(const ChildFigures& child, OverviewColumn column, CellForm form) {
    const QString none = form == CellForm::Spoken ? QStringLiteral("keine Angabe") : missing;
    switch (column) {
    case OverviewColumn::Name:
        return child.name;
    case OverviewColumn::Runs:
        return QString::number(child.runs);
    case OverviewColumn::Minutes:
        return QString::number(child.practiceMinutes);
    case OverviewColumn::LastRun:
        return child.lastRun.isValid() ? germanDateText(child.lastRun) : none;
    case OverviewColumn::Speed:
        return child.speed ? decimal(*child.speed) : none;
    case OverviewColumn::Change: {
        if (!child.change)
            return none;
        const double change = shownChange(*child.change);
        const QString amount = decimal(std::abs(change));
        if (form == CellForm::Shown) {
            if (change > 0)
                return QStringLiteral("↑ +") + amount;
            if (change < 0)
                return QStringLiteral("↓ −") + amount;
            return QStringLiteral("→ ") + amount;
        }
        if (change == 0)
            return trendWord(change);
        return trendWord(change) + QStringLiteral(" um ") + amount;
    }
    case OverviewColumn::RightShare:
        return child.rightShare
                   ? QString::number(qRound(*child.rightShare * 100.0)) + QStringLiteral(" %")
                   : none;
    case OverviewColumn::MostMissed:
        if (child.mostMissed.isEmpty())
            return form == CellForm::Spoken ? QStringLiteral("keine") : QString();
        return child.mostMissed.join(QStringLiteral(", "));
    }
    return {};
}

std::optional<double> overviewNumber(const ChildFigures& child, OverviewColumn column) {
    switch (column) {
    case OverviewColumn::Runs:
        return child.runs;
    case OverviewColumn::Minutes:
        return child.practiceMinutes;
    case OverviewColumn::LastRun:
        if (child.lastRun.isValid())
            return double(child.lastRun.toJulianDay());
        return std::nullopt;
    case OverviewColumn::Speed:
        return child.speed;
    case OverviewColumn::Change:
        return child.change ? std::optional<double>(shownChange(*child.change)) : std::nullopt;
    case OverviewColumn::RightShare:
        return child.rightShare;
    case OverviewColumn::Name:
    case OverviewColumn::MostMissed:
        break;
    }
    return std::nullopt;
}
