#include "history/server/postgres_history_store.h"

#include "engine/run_state.h"
#include "engine/task_generation.h"

#include <QElapsedTimer>
#include <QSet>
#include <QtEndian>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

using Rows = ServerConnection::Rows;

// A whole number of a result in either form: text, or the server's own binary form, which spares
// both sides the conversion of a class's quarter million answers.
qint64 number(const PGresult* result, int row, int column) {
    const char* value = PQgetvalue(result, row, column);
    if (PQfformat(result, column) == 0)
        return std::strtoll(value, nullptr, 10);
    switch (PQgetlength(result, row, column)) {
    case 2:
        return qFromBigEndian<qint16>(value);
    case 4:
        return qFromBigEndian<qint32>(value);
    case 8:
        return qFromBigEndian<qint64>(value);
    default:
        return 0;
    }
}

QString text(const PGresult* result, int row, int column) {
    return QString::fromUtf8(PQgetvalue(result, row, column), PQgetlength(result, row, column));
}

// A run's start as the store writes it ("2026-12-08T10:03:12", local time), read without the
// general date parser, which a class's thousands of runs would wait for; any other text goes to
// that parser.
QDateTime startedAtOf(const char* value, int length) {
    const auto digits = [&](int from, int count) {
        int n = 0;
        for (int i = from; i < from + count; ++i) {
            if (value[i] < '0' || value[i] > '9')
                return -1;
            n = n * 10 + (value[i] - '0');
        }
        return n;
    };
    if (length == 19 && value[4] == '-' && value[7] == '-' && value[10] == 'T' &&
        value[13] == ':' && value[16] == ':') {
        const QDate date(digits(0, 4), digits(5, 2), digits(8, 2));
        const QTime time(digits(11, 2), digits(14, 2), digits(17, 2));
        if (date.isValid() && time.isValid())
            return QDateTime(date, time);
    }
    return QDateTime::fromString(QString::fromUtf8(value, length), Qt::ISODate);
}

// The operation as the server's filters take it: its text, or empty for every operation.
QByteArray filterOf(std::optional<Operation> operation) {
    return operation ? operationText(*operation).toUtf8() : QByteArray();
}

// The run of a row; nothing for an operation the program does not know (see HistoryRun).
std::optional<HistoryRun> runOf(const PGresult* r, int row) {
    HistoryRun run;
    run.id = number(r, row, 0);
    run.participant = text(r, row, 1);
    run.startedAt = startedAtOf(PQgetvalue(r, row, 2), PQgetlength(r, row, 2));
    const std::optional<Operation> operation = operationFromText(text(r, row, 3));
    if (!operation)
        return std::nullopt;
    run.operation = *operation;
    run.range1 = text(r, row, 4);
    run.range2 = text(r, row, 5);
    run.timeLimit = qint32(number(r, row, 6));
    run.competition = qint32(number(r, row, 7));
    run.tasksWorked = qint32(number(r, row, 8));
    run.points = qint32(number(r, row, 9));
    run.byEar = number(r, row, 10) != 0;
    run.adaptive = number(r, row, 11) != 0;
    return run;
}

} // namespace

PostgresHistoryStore::PostgresHistoryStore(const QString& server)
    : location_(describedServer(server)), connection_(server) {}

RemoteStoreFactory PostgresHistoryStore::factory(const QString& server) {
    return [server] { return std::make_unique<PostgresHistoryStore>(server); };
}

QString PostgresHistoryStore::location() const {
    return location_;
}

Outcome PostgresHistoryStore::send(const HistoryRun& run, const QString& key, bool& added) {
    return onConnection([&] { return connection_.send(run, key, added); });
}

Outcome PostgresHistoryStore::onConnection(const std::function<Outcome()>& work) {
    const std::lock_guard locked(lock_);
    const bool reused = connection_.isOpen();
    QElapsedTimer took;
    took.start();
    Outcome error = connection_.open();
    if (!error)
        error = work();
    // A connection kept from an earlier call may have been closed by the server in the meantime,
    // which shows at once; one fresh try tells that apart from a server that is away. A call that
    // failed only after a while (a cut network) has used up the time a child waits.
    if (error && reused && !connection_.isOpen() && took.elapsed() < 500) {
        error = connection_.open();
        if (!error)
            error = work();
    }
    return error;
}

Result<QStringList> PostgresHistoryStore::participants() {
    return readInto<QStringList>([&](QStringList& names) {
        return onConnection([&]() -> Outcome {
            names.clear();
            Rows r(nullptr, PQclear);
            if (Outcome error = connection_.execute("names", {}, r))
                return error;
            for (int row = 0; row < PQntuples(r.get()); ++row)
                names << text(r.get(), row, 0);
            sortParticipantNames(names);
            return std::nullopt;
        });
    });
}

namespace {

// The answers of a result whose first column is the run's id, each to its run in out; a task
// the program could not have posed (written by something else) is left out, as the statistics
// and practice runs compute with the operands.
void takeAnswers(const PGresult* r, const QHash<qint64, qsizetype>& indexOfRun, bool typed,
                 QList<HistoryRun>& out) {
    const int rows = PQntuples(r);
    for (int row = 0; row < rows; ++row) {
        const auto found = indexOfRun.constFind(number(r, row, 0));
        if (found == indexOfRun.cend() || PQgetisnull(r, row, 2) || PQgetisnull(r, row, 3))
            continue;
        const qint64 operand1 = number(r, row, 2);
        const qint64 operand2 = number(r, row, 3);
        HistoryRun& run = out[*found];
        if (!taskPosable(run.operation, operand1, operand2))
            continue;
        AnsweredTask a;
        a.taskNo = qint32(number(r, row, 1));
        a.operand1 = qint32(operand1);
        a.operand2 = qint32(operand2);
        a.correctResult = qint32(number(r, row, 4));
        a.correctRemainder = qint32(number(r, row, 5));
        a.correct = number(r, row, 6) != 0;
        a.answerMs = number(r, row, 7);
        if (typed) {
            a.givenAnswer = text(r, row, 8);
            a.givenRemainder = text(r, row, 9);
        }
        run.answers << a;
    }
}

} // namespace

Result<QList<HistoryRun>> PostgresHistoryStore::runs(const QString& participant,
                                                     std::optional<Operation> operation) {
    return readInto<QList<HistoryRun>>([&](QList<HistoryRun>& out) {
        return onConnection([&] { return readRuns(participant, operation, out); });
    });
}

Outcome PostgresHistoryStore::readRuns(const QString& participant,
                                       std::optional<Operation> operation, QList<HistoryRun>& out) {
    out.clear();
    const ServerConnection::ReadingTime reading(connection_);
    const QList<QByteArray> parameters{participant.toUtf8(), filterOf(operation)};
    Rows r(nullptr, PQclear);
    if (Outcome error = connection_.execute("child_runs", parameters, r))
        return error;
    QHash<qint64, qsizetype> indexOfRun;
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        if (std::optional<HistoryRun> run = runOf(r.get(), row)) {
            indexOfRun.insert(run->id, out.size());
            out << *run;
        }
    }
    if (out.isEmpty())
        return std::nullopt;
    Rows a(nullptr, PQclear);
    if (Outcome error = connection_.execute("child_answers", parameters, a)) {
        out.clear();
        return error;
    }
    takeAnswers(a.get(), indexOfRun, true, out);
    return std::nullopt;
}

Result<QList<HistoryRun>> PostgresHistoryStore::everyonesRuns(std::optional<Operation> operation) {
    return readInto<QList<HistoryRun>>([&](QList<HistoryRun>& out) {
        return onConnection([&] { return readClass(operation, out); });
    });
}

Outcome PostgresHistoryStore::readClass(std::optional<Operation> operation,
                                        QList<HistoryRun>& out) {
    out.clear();
    const ServerConnection::ReadingTime reading(connection_);
    Rows r(nullptr, PQclear);
    if (Outcome error = connection_.execute("class_runs", {filterOf(operation)}, r))
        return error;
    QHash<qint64, qsizetype> indexOfRun;
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        std::optional<HistoryRun> read = runOf(r.get(), row);
        if (!read)
            continue;
        HistoryRun& run = *read;
        run.answers.reserve(std::clamp(run.tasksWorked, 0, taskLimit));
        indexOfRun.insert(run.id, out.size());
        out << run;
    }
    if (out.isEmpty())
        return std::nullopt;
    Rows a(nullptr, PQclear);
    const Outcome error = !operation
                              ? connection_.execute("class_answers", {}, a)
                              : connection_.execute("class_answers_of", {filterOf(operation)}, a);
    if (error) {
        out.clear();
        return error;
    }
    takeAnswers(a.get(), indexOfRun, false, out);
    for (HistoryRun& run : out)
        std::stable_sort(
            run.answers.begin(), run.answers.end(),
            [](const AnsweredTask& x, const AnsweredTask& y) { return x.taskNo < y.taskNo; });
    return std::nullopt;
}

Result<ClassTotals> PostgresHistoryStore::classTotals(std::optional<Operation> operation,
                                                      const RunPeriod& inPeriod) {
    return readInto<ClassTotals>([&](ClassTotals& out) {
        return onConnection([&] { return readClassTotals(operation, inPeriod, out); });
    });
}

Outcome PostgresHistoryStore::readClassTotals(std::optional<Operation> operation,
                                              const RunPeriod& inPeriod, ClassTotals& out) {
    out = {};
    const ServerConnection::ReadingTime reading(connection_);
    Rows r(nullptr, PQclear);
    if (Outcome error = connection_.execute("class_totals", {filterOf(operation)}, r))
        return error;
    const int rows = PQntuples(r.get());
    QList<qint64> ids;
    ids.reserve(rows);
    out.runs.reserve(rows);
    QList<qint64> withoutSums;
    for (int row = 0; row < rows; ++row) {
        const std::optional<Operation> known = operationFromText(text(r.get(), row, 3));
        if (!known)
            continue; // see HistoryRun
        RunTotals run;
        ids << number(r.get(), row, 0);
        run.participant = text(r.get(), row, 1);
        run.startedAt = startedAtOf(PQgetvalue(r.get(), row, 2), PQgetlength(r.get(), row, 2));
        run.operation = *known;
        if (PQgetisnull(r.get(), row, 4)) {
            withoutSums << ids.last();
        } else {
            run.answers = qint32(number(r.get(), row, 4));
            run.rightAnswers = qint32(number(r.get(), row, 5));
            run.answeringMs = number(r.get(), row, 6);
        }
        out.runs << run;
    }
    Outcome error = addUp(ids, withoutSums, out.runs);
    if (!error)
        error = readMissedTasks(ids, inPeriod, out);
    if (error)
        out = {};
    return error;
}

Outcome PostgresHistoryStore::addUp(const QList<qint64>& ids, const QList<qint64>& withoutSums,
                                    QList<RunTotals>& totals) {
    if (withoutSums.isEmpty())
        return std::nullopt;
    const QSet<qint64> wanted(withoutSums.cbegin(), withoutSums.cend());
    QList<HistoryRun> runs;
    QList<qsizetype> at;
    QHash<qint64, qsizetype> indexOfRun;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (!wanted.contains(ids[i]))
            continue;
        indexOfRun.insert(ids[i], runs.size());
        HistoryRun run;
        run.operation = totals[i].operation;
        runs << run;
        at << i;
    }
    Rows a(nullptr, PQclear);
    if (Outcome error = connection_.execute("answers_of_runs", {arrayOf(withoutSums)}, a))
        return error;
    takeAnswers(a.get(), indexOfRun, false, runs);
    for (qsizetype k = 0; k < runs.size(); ++k) {
        const RunTotals sums = runTotalsOf(runs[k]);
        RunTotals& run = totals[at[k]];
        run.answers = sums.answers;
        run.rightAnswers = sums.rightAnswers;
        run.answeringMs = sums.answeringMs;
    }
    return std::nullopt;
}

Outcome PostgresHistoryStore::readMissedTasks(const QList<qint64>& ids, const RunPeriod& inPeriod,
                                              ClassTotals& out) {
    QHash<qint64, qsizetype> periodRun; // a run of the period by its id
    QList<qint64> periodIds;
    // Each child's runs of the period, by operation.
    QHash<QPair<QString, Operation>, QList<qint64>> runsOf;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        if (!inPeriod(out.runs[i].startedAt))
            continue;
        periodRun.insert(ids[i], i);
        periodIds << ids[i];
        runsOf[{out.runs[i].participant, out.runs[i].operation}] << ids[i];
    }
    if (periodRun.isEmpty())
        return std::nullopt;
    // Only the period's missed answers, found through their own index.
    Rows w(nullptr, PQclear);
    if (Outcome error = connection_.execute("class_missed", {arrayOf(periodIds)}, w))
        return error;
    // How often each child missed each task of each operation in the period.
    QHash<QPair<QString, Operation>, std::unordered_map<quint64, qint32>> missesOf;
    for (int row = 0; row < PQntuples(w.get()); ++row) {
        const auto found = periodRun.constFind(number(w.get(), row, 0));
        if (found == periodRun.cend())
            continue;
        const RunTotals& run = out.runs[*found];
        const qint64 operand1 = number(w.get(), row, 1);
        const qint64 operand2 = number(w.get(), row, 2);
        if (!taskPosable(run.operation, operand1, operand2))
            continue;
        ++missesOf[{run.participant, run.operation}]
                  [(quint64(quint32(operand1)) << 32) | quint32(operand2)];
    }
    // Only a task missed at least as often as a child's third most missed can be among the three;
    // ties between them are settled by all their answers.
    QHash<QString, std::vector<qint32>> missCounts;
    for (auto it = missesOf.cbegin(); it != missesOf.cend(); ++it) {
        for (const auto& [key, misses] : it.value())
            missCounts[it.key().first].push_back(misses);
    }
    QHash<QString, qint32> fewest;
    for (auto it = missCounts.begin(); it != missCounts.end(); ++it) {
        std::vector<qint32>& counts = it.value();
        const size_t third = std::min<size_t>(3, counts.size()) - 1;
        std::nth_element(counts.begin(), counts.begin() + qsizetype(third), counts.end(),
                         std::greater<>());
        fewest.insert(it.key(), counts[third]);
    }
    QList<ChildTaskTotals> candidates;
    QList<qint64> runIds, operand1s, operand2s, taskIndex;
    for (auto it = missesOf.cbegin(); it != missesOf.cend(); ++it) {
        for (const auto& [key, misses] : it.value()) {
            if (misses < fewest.value(it.key().first))
                continue;
            ChildTaskTotals task;
            task.participant = it.key().first;
            task.operation = it.key().second;
            task.operand1 = qint32(key >> 32);
            task.operand2 = qint32(key & 0xffffffffU);
            for (const qint64 id : runsOf.value(it.key())) {
                runIds << id;
                operand1s << task.operand1;
                operand2s << task.operand2;
                taskIndex << candidates.size();
            }
            candidates << task;
        }
    }
    Rows t(nullptr, PQclear);
    if (Outcome error = connection_.execute(
            "task_answers",
            {arrayOf(runIds), arrayOf(operand1s), arrayOf(operand2s), arrayOf(taskIndex)}, t))
        return error;
    for (int row = 0; row < PQntuples(t.get()); ++row) {
        const qint64 index = number(t.get(), row, 0);
        if (index < 0 || index >= candidates.size())
            continue;
        ChildTaskTotals& task = candidates[index];
        task.attempts = qint32(number(t.get(), row, 1));
        task.misses = qint32(number(t.get(), row, 2));
        task.answeringMs = number(t.get(), row, 3);
    }
    for (const ChildTaskTotals& task : candidates) {
        if (task.misses > 0)
            out.missedTasks << task;
    }
    return std::nullopt;
}
