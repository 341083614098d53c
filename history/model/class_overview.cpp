#include "history/model/class_overview.h"

#include "common/clock.h"
#include "engine/operation.h"
#include "history/model/history_stats.h"
#include "history/model/practice_levels.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

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

// Answer times added up; a time written by something else cannot make the sum overflow.
void addTime(qint64& sum, qint64 answerMs) {
    const qint64 ms = std::max<qint64>(answerMs, 0);
    sum = ms > std::numeric_limits<qint64>::max() - sum ? std::numeric_limits<qint64>::max()
                                                        : sum + ms;
}

// A run's speed: right answers per minute of answering time.
double solvedPerMinute(const RunTotals& run) {
    return run.answeringMs > 0 ? run.rightAnswers * 60000.0 / double(run.answeringMs) : 0;
}

// The three tasks missed most often; a task is the same only in the same operation, and of two
// tasks missed alike the operation's sign settles the order.
QStringList mostMissedTexts(const QList<const ChildTaskTotals*>& tasks, qint32& firstMisses) {
    struct Missed {
        TaskFigures task;
        Operation operation;
    };
    QList<Missed> missed;
    for (const ChildTaskTotals* t : tasks) {
        if (t->attempts <= 0 || t->misses <= 0)
            continue;
        TaskFigures task;
        task.operand1 = t->operand1;
        task.operand2 = t->operand2;
        task.attempts = t->attempts;
        task.misses = t->misses;
        task.meanMs = double(t->answeringMs) / t->attempts;
        missed.append({task, t->operation});
    }
    std::sort(missed.begin(), missed.end(), [](const Missed& a, const Missed& b) {
        if (missedMoreOften(a.task, b.task) || missedMoreOften(b.task, a.task))
            return missedMoreOften(a.task, b.task);
        return operationText(a.operation) < operationText(b.operation);
    });
    firstMisses = missed.isEmpty() ? 0 : missed.first().task.misses;
    QStringList texts;
    for (qsizetype i = 0; i < std::min<qsizetype>(3, missed.size()); ++i)
        texts.append(
            taskText(missed[i].task.operand1, missed[i].task.operand2, missed[i].operation));
    return texts;
}

ChildFigures figuresOf(const QString& name, QList<const RunTotals*> runs,
                       const QList<const ChildTaskTotals*>& missed, OverviewPeriod period,
                       const QDate& today) {
    ChildFigures child;
    child.name = name;
    std::stable_sort(runs.begin(), runs.end(), [](const RunTotals* a, const RunTotals* b) {
        return a->startedAt < b->startedAt;
    });
    if (!runs.isEmpty())
        child.lastRun = runs.last()->startedAt.date();

    QList<qsizetype> periodIndex;
    qint64 answeringMs = 0;
    qint64 answers = 0;
    qint64 right = 0;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        if (!inPeriod(runs[i]->startedAt, period, today))
            continue;
        periodIndex.append(i);
        answers += runs[i]->answers;
        right += runs[i]->rightAnswers;
        addTime(answeringMs, runs[i]->answeringMs);
    }
    child.runs = qint32(periodIndex.size());
    // Answer times written by something else can add up to more minutes than the column holds.
    child.practiceMinutes = qint32(
        std::min(double(answeringMs) / 60000.0 + 0.5, double(std::numeric_limits<qint32>::max())));
    if (answers > 0)
        child.rightShare = double(right) / double(answers);
    if (!periodIndex.isEmpty()) {
        const qsizetype firstLatest = std::max<qsizetype>(0, periodIndex.size() - speedRuns);
        QList<double> latest;
        for (qsizetype k = firstLatest; k < periodIndex.size(); ++k)
            latest.append(solvedPerMinute(*runs[periodIndex[k]]));
        child.speed = median(latest);
        // The runs just before the latest ones, in the period or before it.
        QList<double> before;
        for (qsizetype i = periodIndex[firstLatest] - 1; i >= 0 && before.size() < speedRuns; --i)
            before.append(solvedPerMinute(*runs[i]));
        if (!before.isEmpty())
            child.change = *child.speed - median(before);
    }
    child.mostMissed = mostMissedTexts(missed, child.mostMisses);
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

QString periodWords(OverviewPeriod period) {
    switch (period) {
    case OverviewPeriod::Week:
        return QStringLiteral("in den letzten 7 Tagen");
    case OverviewPeriod::Month:
        return QStringLiteral("in den letzten 30 Tagen");
    case OverviewPeriod::Everything:
        break;
    }
    return QStringLiteral("im ganzen Lernverlauf");
}

bool inPeriod(const QDateTime& startedAt, OverviewPeriod period, const QDate& today) {
    if (period == OverviewPeriod::Everything)
        return true;
    const qint64 days = period == OverviewPeriod::Week ? 7 : 30;
    const QDate day = startedAt.date();
    return day.isValid() && day > today.addDays(-days) && day <= today;
}

RunPeriod periodOf(OverviewPeriod period, const QDate& today) {
    return
        [period, today](const QDateTime& startedAt) { return inPeriod(startedAt, period, today); };
}

QList<ChildFigures> classFigures(const ClassTotals& totals, const QStringList& names,
                                 OverviewPeriod period, const QDate& today,
                                 const QHash<QString, double>& levels) {
    QHash<QString, QList<const RunTotals*>> runsOf;
    for (const RunTotals& run : totals.runs)
        runsOf[run.participant].append(&run);
    QHash<QString, QList<const ChildTaskTotals*>> missedOf;
    for (const ChildTaskTotals& task : totals.missedTasks)
        missedOf[task.participant].append(&task);
    QList<ChildFigures> rows;
    rows.reserve(names.size());
    for (const QString& name : names) {
        rows.append(figuresOf(name, runsOf.value(name), missedOf.value(name), period, today));
        if (const auto level = levels.constFind(name); level != levels.cend())
            rows.last().stufe = *level;
    }
    return rows;
}

QList<ChildFigures> classFigures(const QList<HistoryRun>& runs, const QStringList& names,
                                 OverviewPeriod period, const QDate& today) {
    return classFigures(classTotalsOf(runs, periodOf(period, today)), names, period, today);
}

RunTotals runTotalsOf(const HistoryRun& run) {
    RunTotals totals;
    totals.participant = run.participant;
    totals.operation = run.operation;
    totals.startedAt = run.startedAt;
    for (const AnsweredTask& answer : run.answers) {
        totals.answers += 1;
        totals.rightAnswers += answer.correct ? 1 : 0;
        addTime(totals.answeringMs, answer.answerMs);
    }
    return totals;
}

ClassTotals classTotalsOf(const QList<HistoryRun>& runs, const RunPeriod& inPeriod) {
    ClassTally tally(inPeriod);
    for (const HistoryRun& run : runs)
        tally.add(run);
    return tally.totals();
}

ClassTally::ClassTally(RunPeriod inPeriod) : inPeriod_(std::move(inPeriod)) {}

void ClassTally::add(const HistoryRun& run) {
    addRun(run);
}

qsizetype ClassTally::addRun(const HistoryRun& run) {
    const qsizetype number = runs_.size();
    RunTotals totals = runTotalsOf(run);
    totals.answers = totals.rightAnswers = 0;
    totals.answeringMs = 0;
    runs_.append(totals);
    runInPeriod_.push_back(inPeriod_(run.startedAt));
    for (const AnsweredTask& answer : run.answers)
        addAnswer(number, answer);
    return number;
}

ClassTally::Tasks* ClassTally::tasksOf(qsizetype runNumber) {
    if (runNumber != lastRun_) {
        lastRun_ = runNumber;
        const RunTotals& run = runs_[runNumber];
        lastTasks_ =
            runInPeriod_[size_t(runNumber)] ? &tasks_[{run.participant, run.operation}] : nullptr;
    }
    return lastTasks_;
}

void ClassTally::addAnswer(qsizetype runNumber, const AnsweredTask& answer) {
    RunTotals& run = runs_[runNumber];
    run.answers += 1;
    run.rightAnswers += answer.correct ? 1 : 0;
    addTime(run.answeringMs, answer.answerMs);
    // A new child or operation moves the table: the tasks of the run are looked up again.
    Tasks* tasks = tasksOf(runNumber);
    if (!tasks)
        return;
    Sums& task = (*tasks)[(quint64(quint32(answer.operand1)) << 32) | quint32(answer.operand2)];
    task.attempts += 1;
    task.misses += answer.correct ? 0 : 1;
    addTime(task.answeringMs, answer.answerMs);
}

ClassTotals ClassTally::totals() const {
    ClassTotals totals;
    totals.runs = runs_;
    std::stable_sort(
        totals.runs.begin(), totals.runs.end(),
        [](const RunTotals& a, const RunTotals& b) { return a.startedAt < b.startedAt; });
    for (auto it = tasks_.cbegin(); it != tasks_.cend(); ++it) {
        for (const auto& [key, sums] : it.value()) {
            if (sums.misses > 0)
                totals.missedTasks.append({it.key().first, it.key().second, qint32(key >> 32),
                                           qint32(key & 0xffffffffU), sums.attempts, sums.misses,
                                           sums.answeringMs});
        }
    }
    return totals;
}

Result<ClassTotals> HistoryStore::classTotals(std::optional<Operation> operation,
                                              const RunPeriod& inPeriod) {
    const Result<QList<HistoryRun>> runs = everyonesRuns(operation);
    if (!runs)
        return runs.failure();
    return classTotalsOf(*runs, inPeriod);
}

Outcome HistoryStore::eachRun(const QString& participant, std::optional<Operation> operation,
                              const std::function<void(const HistoryRun&)>& visit) {
    const Result<QList<HistoryRun>> all = runs(participant, operation);
    if (!all)
        return all.failure();
    for (const HistoryRun& run : *all)
        visit(run);
    return std::nullopt;
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
    case OverviewColumn::Stufe:
        return QStringLiteral("Stufe");
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
    case OverviewColumn::Stufe:
        return child.stufe ? stufeText(*child.stufe) : none;
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
    case OverviewColumn::Stufe:
        // As shown: children of one Stufe stand by their names.
        return child.stufe ? std::optional<double>(double(std::lround(*child.stufe)))
                           : std::nullopt;
    case OverviewColumn::MostMissed:
        return child.mostMisses;
    case OverviewColumn::Name:
        break;
    }
    return std::nullopt;
}

bool overviewRowBefore(OverviewColumn column, const std::optional<double>& mine,
                       const QString& myName, const std::optional<double>& theirs,
                       const QString& theirName, bool descending) {
    if (mine && theirs && *mine != *theirs)
        return *mine < *theirs;
    if (column == OverviewColumn::Name || myName == theirName)
        return participantNameBefore(myName, theirName);
    return descending ? participantNameBefore(theirName, myName)
                      : participantNameBefore(myName, theirName);
}

QString namesText(const QStringList& names) {
    if (names.size() < 2)
        return names.join(QString());
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" und ") +
           names.last();
}

std::optional<Operation> lastOperationOf(const QList<RunTotals>& runs, const QString& participant) {
    for (qsizetype i = runs.size() - 1; i >= 0; --i) {
        if (runs[i].participant == participant)
            return runs[i].operation;
    }
    return {};
}
