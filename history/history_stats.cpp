#include "history/history_stats.h"

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

double median(std::vector<qint64>& values) {
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + qsizetype(middle), values.end());
    const double upper = double(values[middle]);
    if (values.size() % 2 == 1)
        return upper;
    // The lower middle value is the largest of the lower half.
    const double lower =
        double(*std::max_element(values.begin(), values.begin() + qsizetype(middle)));
    return lower / 2 + upper / 2;
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
QString operationNameOf(const QString& operation) {
    const std::optional<Operation> known = operationFromText(operation);
    return known ? operationName(*known) : csvTextField(operation);
}

} // namespace

// A text field that a spreadsheet could take for a formula gets a leading apostrophe.
QString csvTextField(const QString& text) {
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!text.isEmpty() && formulaStarts.contains(text.front()))
        return csvField(QLatin1Char('\'') + text);
    return csvField(text);
}

QString taskText(qint32 operand1, qint32 operand2, const QString& operation) {
    const bool remainder = operation == QLatin1String(": R");
    QString text = QStringLiteral("%1 %2 %3")
                       .arg(operand1)
                       .arg(remainder ? QStringLiteral(":") : operation, QString::number(operand2));
    if (remainder)
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
    QList<RunFigures> figures;
    figures.reserve(runs.size());
    for (const HistoryRun& run : runs) {
        RunFigures f;
        f.startedAt = run.startedAt;
        double totalMs = 0;
        for (const AnsweredTask& answer : run.answers) {
            f.answers += 1;
            f.rightAnswers += answer.correct ? 1 : 0;
            totalMs += double(timeOf(answer));
        }
        f.solvedPerMinute = totalMs > 0 ? f.rightAnswers * 60000.0 / totalMs : 0;
        f.rightShare = f.answers > 0 ? double(f.rightAnswers) / f.answers : 0;
        figures.append(f);
    }
    return figures;
}

QList<TaskFigures> taskFigures(const QList<HistoryRun>& runs) {
    std::unordered_map<quint64, qsizetype> indexOf;
    QList<TaskFigures> tasks;
    std::vector<double> totalMs;
    for (const HistoryRun& run : runs) {
        for (const AnsweredTask& answer : run.answers) {
            const auto [it, isNew] =
                indexOf.try_emplace(taskKey(answer.operand1, answer.operand2), tasks.size());
            if (isNew) {
                TaskFigures task;
                task.operand1 = answer.operand1;
                task.operand2 = answer.operand2;
                tasks.append(task);
                totalMs.push_back(0);
            }
            TaskFigures& task = tasks[it->second];
            task.attempts += 1;
            task.misses += answer.correct ? 0 : 1;
            totalMs[size_t(it->second)] += double(timeOf(answer));
        }
    }
    for (qsizetype i = 0; i < tasks.size(); ++i)
        tasks[i].meanMs = totalMs[size_t(i)] / tasks[i].attempts;
    std::sort(tasks.begin(), tasks.end(), operandsBefore);
    return tasks;
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
    TimesTable table{};
    std::array<std::array<double, 10>, 10> totalMs{};
    for (int a = 1; a <= 10; ++a) {
        for (int b = 1; b <= 10; ++b) {
            table[size_t(a - 1)][size_t(b - 1)].operand1 = a;
            table[size_t(a - 1)][size_t(b - 1)].operand2 = b;
        }
    }
    for (const HistoryRun& run : runs) {
        if (run.operation != QLatin1String("*"))
            continue;
        for (const AnsweredTask& answer : run.answers) {
            if (answer.operand1 < 1 || answer.operand1 > 10 || answer.operand2 < 1 ||
                answer.operand2 > 10)
                continue;
            const size_t a = size_t(answer.operand1 - 1);
            const size_t b = size_t(answer.operand2 - 1);
            table[a][b].attempts += 1;
            table[a][b].misses += answer.correct ? 0 : 1;
            totalMs[a][b] += double(timeOf(answer));
        }
    }
    for (size_t a = 0; a < 10; ++a) {
        for (size_t b = 0; b < 10; ++b) {
            if (table[a][b].attempts > 0)
                table[a][b].meanMs = totalMs[a][b] / table[a][b].attempts;
        }
    }
    return table;
}

QList<OperandPair> practiceSelection(const QList<HistoryRun>& runs, int cap) {
    QList<OperandPair> pairs;
    for (const PracticeTask& task : practiceTasks(runs, cap))
        pairs.append(task.operands);
    return pairs;
}

QList<PracticeTask> practiceTasks(const QList<HistoryRun>& runs, int cap) {
    QList<PracticeTask> chosen;
    if (cap <= 0)
        return chosen;
    // The tasks taken so far, by operation.
    QHash<QString, std::unordered_set<quint64>> taken;
    const auto choose = [&](const QString& operation, qint32 operand1, qint32 operand2) {
        if (taken[operation].insert(taskKey(operand1, operand2)).second)
            chosen.append(PracticeTask{operation, OperandPair{operand1, operand2}});
        return chosen.size() >= cap;
    };

    // The missed tasks, newest run first and within a run the later answer first.
    const std::vector<qsizetype> order = newestFirst(runs);
    for (const qsizetype r : order) {
        const QList<AnsweredTask>& answers = runs[r].answers;
        for (qsizetype k = answers.size() - 1; k >= 0; --k) {
            if (!answers[k].correct &&
                choose(runs[r].operation, answers[k].operand1, answers[k].operand2))
                return chosen;
        }
    }

    // The slow right answers, slowest first; equal times in the same newest-first order.
    std::vector<qint64> rightTimes;
    struct SlowAnswer {
        qint64 ms;
        qsizetype run;
        qint32 operand1;
        qint32 operand2;
    };
    std::vector<SlowAnswer> candidates;
    for (const qsizetype r : order) {
        const QList<AnsweredTask>& answers = runs[r].answers;
        for (qsizetype k = answers.size() - 1; k >= 0; --k) {
            if (answers[k].correct) {
                rightTimes.push_back(timeOf(answers[k]));
                candidates.push_back(
                    {timeOf(answers[k]), r, answers[k].operand1, answers[k].operand2});
            }
        }
    }
    if (rightTimes.empty())
        return chosen;
    const double limit = 1.5 * median(rightTimes);
    std::erase_if(candidates, [&](const SlowAnswer& a) { return !(double(a.ms) > limit); });
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const SlowAnswer& a, const SlowAnswer& b) { return a.ms > b.ms; });
    for (const SlowAnswer& slow : candidates) {
        if (choose(runs[slow.run].operation, slow.operand1, slow.operand2))
            break;
    }
    return chosen;
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
                                  operationNameOf(run.operation) + sep;
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
