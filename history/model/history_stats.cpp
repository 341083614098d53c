#include "history/model/history_stats.h"

#include "common/clock.h"
#include "engine/operation.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// An answer time as the figures count it: never negative.
qint64 timeOf(const AnsweredTask& answer) {
    return std::max<qint64>(answer.answerMs, 0);
}

// One key per task, for hashing: the two operands side by side.
quint64 taskKey(qint32 operand1, qint32 operand2) {
    return (quint64(quint32(operand1)) << 32) | quint32(operand2);
}

// A figure as the orderings compare it: a NaN (from figures made elsewhere) counts as 0, so the
// sorts always see a strict order.
double orderValue(double value) {
    return std::isnan(value) ? 0 : value;
}

// Ties that every other rule leaves are settled by the operands, so the lists never depend on the
// order of the input.
bool operandsBefore(const TaskFigures& a, const TaskFigures& b) {
    if (a.operand1 != b.operand1)
        return a.operand1 < b.operand1;
    return a.operand2 < b.operand2;
}

QList<TaskFigures> firstOf(QList<TaskFigures> tasks, int n,
                           bool (*before)(const TaskFigures&, const TaskFigures&)) {
    std::sort(tasks.begin(), tasks.end(), before);
    if (tasks.size() > n)
        tasks.resize(n);
    return tasks;
}

// The runs, newest first: by start time, and of runs started at the same time (or without a
// valid start) the later one in the list first.
std::vector<qsizetype> newestFirst(const QList<HistoryRun>& runs) {
    std::vector<qint64> start(size_t(runs.size()));
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const QDateTime& at = runs[i].startedAt;
        start[size_t(i)] =
            at.isValid() ? at.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
    }
    std::vector<qsizetype> order(size_t(runs.size()));
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype i, qsizetype j) { return start[size_t(i)] < start[size_t(j)]; });
    std::reverse(order.begin(), order.end());
    return order;
}

// CSV: a field with a semicolon, quote or line break is quoted, its quotes doubled.
QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The operation as the settings panel names it, e.g. "Addieren (+)".
} // namespace

// A text field that a spreadsheet could take for a formula gets a leading apostrophe.
QString csvTextField(const QString& text) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return csvField(QLatin1Char('\'') + text);
    return csvField(text);
}

QString taskText(qint32 operand1, qint32 operand2, Operation operation) {
    QString text = QStringLiteral("%1 %2 %3")
                       .arg(operand1)
                       .arg(operationSign(operation), QString::number(operand2));
    if (operation == Operation::DivideWithRemainder)
        text += QStringLiteral(" R");
    return text;
}

bool missedMoreOften(const TaskFigures& a, const TaskFigures& b) {
    if (a.misses != b.misses)
        return a.misses > b.misses;
    if (orderValue(a.errorRate()) != orderValue(b.errorRate()))
        return orderValue(a.errorRate()) > orderValue(b.errorRate());
    if (orderValue(a.meanMs) != orderValue(b.meanMs))
        return orderValue(a.meanMs) > orderValue(b.meanMs);
    return operandsBefore(a, b);
}

QList<RunFigures> runFigures(const QList<HistoryRun>& runs) {
    HistoryTally tally;
    for (const HistoryRun& run : runs)
        tally.add(run);
    return tally.points();
}

QList<TaskFigures> taskFigures(const QList<HistoryRun>& runs) {
    HistoryTally tally;
    for (const HistoryRun& run : runs)
        tally.add(run);
    return tally.tasks();
}

QList<TaskFigures> mostMissed(const QList<TaskFigures>& tasks, int n) {
    QList<TaskFigures> missed;
    if (n <= 0)
        return missed;
    for (const TaskFigures& task : tasks) {
        if (task.attempts > 0 && task.misses > 0)
            missed.append(task);
    }
    return firstOf(std::move(missed), n, missedMoreOften);
}

QList<TaskFigures> slowest(const QList<TaskFigures>& tasks, int n) {
    QList<TaskFigures> asked;
    if (n <= 0)
        return asked;
    for (const TaskFigures& task : tasks) {
        if (task.attempts > 0)
            asked.append(task);
    }
    return firstOf(std::move(asked), n, [](const TaskFigures& a, const TaskFigures& b) {
        if (orderValue(a.meanMs) != orderValue(b.meanMs))
            return orderValue(a.meanMs) > orderValue(b.meanMs);
        if (a.attempts != b.attempts)
            return a.attempts > b.attempts;
        return operandsBefore(a, b);
    });
}

TimesTable timesTable(const QList<HistoryRun>& runs) {
    HistoryTally tally;
    for (const HistoryRun& run : runs)
        tally.add(run);
    return tally.timesTable();
}

QList<OperandPair> practiceSelection(const QList<HistoryRun>& runs, int cap) {
    QList<OperandPair> pairs;
    for (const PracticeTask& task : practiceTasks(runs, cap))
        pairs.append(task.operands);
    return pairs;
}

QList<PracticeTask> practiceTasks(const QList<HistoryRun>& runs, int cap) {
    HistoryTally tally;
    const std::vector<qsizetype> order = newestFirst(runs);
    for (auto r = order.rbegin(); r != order.rend(); ++r)
        tally.add(runs[*r]);
    return tally.practiceTasks(cap);
}

HistoryTally::HistoryTally(qsizetype maxPoints) : maxPoints_(std::max<qsizetype>(maxPoints, 1)) {}

void HistoryTally::add(const HistoryRun& run) {
    Point sums;
    sums.startedAt = run.startedAt;
    sums.runs = 1;
    if (!lastTasks_ || run.operation != lastOperation_) {
        lastOperation_ = run.operation;
        lastTasks_ = &tasks_[run.operation];
    }
    auto& ofOperation = *lastTasks_;
    for (const AnsweredTask& answer : run.answers) {
        const qint64 ms = timeOf(answer);
        sums.answers += 1;
        sums.rightAnswers += answer.correct ? 1 : 0;
        sums.totalMs += double(ms);
        Task& task = ofOperation[taskKey(answer.operand1, answer.operand2)];
        task.attempts += 1;
        task.totalMs += double(ms);
        const qint64 at = answersSeen_++;
        if (!answer.correct) {
            task.misses += 1;
            task.lastMiss = at;
        } else {
            rightTimes_[ms] += 1;
            if (ms >= task.slowestRight) {
                task.slowestRight = ms;
                task.slowestRightAt = at;
            }
        }
    }
    addPoint(sums);
}

void HistoryTally::addSums(const RunSums& run) {
    Point sums;
    sums.startedAt = run.startedAt;
    sums.answers = run.answers;
    sums.rightAnswers = run.rightAnswers;
    sums.totalMs = run.answeringMs;
    sums.runs = 1;
    addPoint(sums);
}

void HistoryTally::addTaskSums(Operation operation, const TaskSums& sums) {
    Task& task = tasks_[operation][taskKey(sums.operand1, sums.operand2)];
    task.attempts += sums.attempts;
    task.misses += sums.misses;
    task.totalMs += sums.answeringMs;
    task.lastMiss = std::max(task.lastMiss, sums.lastMiss);
    if (sums.slowestRight >= 0 && sums.slowestRight >= task.slowestRight) {
        task.slowestRight = sums.slowestRight;
        task.slowestRightAt = sums.slowestRightAt;
    }
    // The tasks of the last run's operation may have moved.
    lastTasks_ = nullptr;
}

void HistoryTally::addRightTimes(qint64 ms, qint64 answers) {
    rightTimes_[std::max<qint64>(ms, 0)] += answers;
}

void HistoryTally::addPoint(const Point& sums) {
    ++runs_;
    latest_ = sums;
    if (!points_.empty() && points_.back().runs < pointRuns_) {
        Point& last = points_.back();
        last.startedAt = sums.startedAt;
        last.answers += sums.answers;
        last.rightAnswers += sums.rightAnswers;
        last.totalMs += sums.totalMs;
        last.runs += 1;
    } else {
        points_.push_back(sums);
    }
    // Too many points: each two neighbours become one, and later points hold twice as many runs.
    if (qsizetype(points_.size()) > maxPoints_) {
        std::vector<Point> halved;
        halved.reserve(points_.size() / 2 + 1);
        for (size_t i = 0; i < points_.size(); i += 2) {
            Point joined = points_[i];
            if (i + 1 < points_.size()) {
                const Point& next = points_[i + 1];
                joined.startedAt = next.startedAt;
                joined.answers += next.answers;
                joined.rightAnswers += next.rightAnswers;
                joined.totalMs += next.totalMs;
                joined.runs += next.runs;
            }
            halved.push_back(joined);
        }
        points_ = std::move(halved);
        pointRuns_ *= 2;
    }
}

RunFigures HistoryTally::figuresOf(const Point& point) {
    RunFigures f;
    f.startedAt = point.startedAt;
    const auto clamped = [](qint64 n) {
        return qint32(std::min<qint64>(n, std::numeric_limits<qint32>::max()));
    };
    f.answers = clamped(point.answers);
    f.rightAnswers = clamped(point.rightAnswers);
    f.solvedPerMinute =
        point.totalMs > 0 ? double(point.rightAnswers) * 60000.0 / point.totalMs : 0;
    f.rightShare = point.answers > 0 ? double(point.rightAnswers) / double(point.answers) : 0;
    return f;
}

QList<RunFigures> HistoryTally::points() const {
    QList<RunFigures> figures;
    figures.reserve(qsizetype(points_.size()));
    for (const Point& point : points_)
        figures.append(figuresOf(point));
    return figures;
}

std::optional<RunFigures> HistoryTally::latest() const {
    if (runs_ == 0)
        return std::nullopt;
    return figuresOf(latest_);
}

QList<TaskFigures> HistoryTally::tasks() const {
    // The same operands in several operations are one task here.
    std::unordered_map<quint64, Task> merged;
    for (const auto& ofOperation : tasks_) {
        for (const auto& [key, task] : ofOperation) {
            Task& sum = merged[key];
            sum.attempts += task.attempts;
            sum.misses += task.misses;
            sum.totalMs += task.totalMs;
        }
    }
    QList<TaskFigures> tasks;
    tasks.reserve(qsizetype(merged.size()));
    for (const auto& [key, task] : merged) {
        TaskFigures f;
        f.operand1 = qint32(key >> 32);
        f.operand2 = qint32(key & 0xffffffffU);
        f.attempts = task.attempts;
        f.misses = task.misses;
        f.meanMs = task.totalMs / task.attempts;
        tasks.append(f);
    }
    std::sort(tasks.begin(), tasks.end(), operandsBefore);
    return tasks;
}

TimesTable HistoryTally::timesTable() const {
    TimesTable table{};
    const auto products = tasks_.constFind(Operation::Multiply);
    for (int a = 1; a <= 10; ++a) {
        for (int b = 1; b <= 10; ++b) {
            TaskFigures& cell = table[size_t(a - 1)][size_t(b - 1)];
            cell.operand1 = a;
            cell.operand2 = b;
            if (products == tasks_.cend())
                continue;
            const auto found = products->find(taskKey(a, b));
            if (found == products->end())
                continue;
            cell.attempts = found->second.attempts;
            cell.misses = found->second.misses;
            cell.meanMs = found->second.totalMs / found->second.attempts;
        }
    }
    return table;
}

QList<PracticeTask> HistoryTally::practiceTasks(int cap) const {
    QList<PracticeTask> chosen;
    if (cap <= 0)
        return chosen;
    struct Candidate {
        qint64 order; // higher first
        qint64 at;    // then the later answer first
        const Operation* operation;
        quint64 key;
    };
    std::vector<Candidate> missed;
    std::vector<Candidate> slow;
    // The median of the right answers' times, from how many took each time.
    std::vector<std::pair<qint64, qint64>> rightTimes(rightTimes_.cbegin(), rightTimes_.cend());
    std::sort(rightTimes.begin(), rightTimes.end());
    qint64 rightCount = 0;
    for (const auto& [ms, count] : rightTimes)
        rightCount += count;
    double limit = 0;
    if (rightCount > 0) {
        const qint64 upperAt = rightCount / 2;
        qint64 seen = 0;
        double lower = 0;
        double upper = 0;
        for (const auto& [ms, count] : rightTimes) {
            if (seen <= upperAt - 1 && upperAt - 1 < seen + count)
                lower = double(ms);
            if (seen <= upperAt && upperAt < seen + count) {
                upper = double(ms);
                break;
            }
            seen += count;
        }
        limit = 1.5 * (rightCount % 2 == 1 ? upper : lower / 2 + upper / 2);
    }
    for (auto it = tasks_.cbegin(); it != tasks_.cend(); ++it) {
        for (const auto& [key, task] : it.value()) {
            // The missed tasks, latest miss first.
            if (task.lastMiss >= 0)
                missed.push_back({task.lastMiss, 0, &it.key(), key});
            // The slow right answers, slowest first; of equal times the later first.
            if (rightCount > 0 && task.slowestRight >= 0 && double(task.slowestRight) > limit)
                slow.push_back({task.slowestRight, task.slowestRightAt, &it.key(), key});
        }
    }
    const auto first = [](const Candidate& a, const Candidate& b) {
        return a.order != b.order ? a.order > b.order : a.at > b.at;
    };
    std::sort(missed.begin(), missed.end(), first);
    std::sort(slow.begin(), slow.end(), first);
    QHash<Operation, std::unordered_set<quint64>> taken;
    for (const std::vector<Candidate>* list : {&missed, &slow}) {
        for (const Candidate& c : *list) {
            if (!taken[*c.operation].insert(c.key).second)
                continue;
            chosen.append(PracticeTask{
                *c.operation, OperandPair{qint32(c.key >> 32), qint32(c.key & 0xffffffffU)}});
            if (chosen.size() >= cap)
                return chosen;
        }
    }
    return chosen;
}

Outcome HistoryStore::tallyRuns(const QString& participant, Operation operation,
                                HistoryTally& tally) {
    return eachRun(participant, operation, [&](const HistoryRun& run) { tally.add(run); });
}

QByteArray answersCsv(const QList<HistoryRun>& runs) {
    const QString lineEnd = QStringLiteral("\r\n");
    QString text = QStringLiteral("Name;Datum;Uhrzeit;Rechenart;Aufgabe_Nr;Zahl_1;Zahl_2;"
                                  "Ergebnis;Rest;Antwort;Antwort_Rest;richtig;Zeit_ms") +
                   lineEnd;
    const QChar sep = QLatin1Char(';');
    for (const HistoryRun& run : runs) {
        const bool dated = run.startedAt.isValid();
        const QString runFields = csvTextField(run.participant) + sep +
                                  (dated ? germanDateText(run.startedAt.date()) : QString()) + sep +
                                  (dated ? longTimeText(run.startedAt.time()) : QString()) + sep +
                                  operationName(run.operation) + sep;
        for (const AnsweredTask& a : run.answers) {
            text += runFields;
            text += QString::number(a.taskNo) + sep + QString::number(a.operand1) + sep +
                    QString::number(a.operand2) + sep + QString::number(a.correctResult) + sep;
            if (a.correctRemainder >= 0)
                text += QString::number(a.correctRemainder);
            text += sep + csvTextField(a.givenAnswer) + sep + csvTextField(a.givenRemainder) + sep +
                    (a.correct ? QStringLiteral("ja") : QStringLiteral("nein")) + sep +
                    QString::number(timeOf(a)) + lineEnd;
        }
    }
    return text.toUtf8();
}
