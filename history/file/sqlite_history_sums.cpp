#include "history/file/sqlite_history_sums.h"

#include <QByteArrayList>

#include <algorithm>
#include <memory>
#include <sqlite3.h>

namespace {

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

int prepare(sqlite3* db, const char* sql, Statement& statement) {
    sqlite3_stmt* made = nullptr;
    const int code = sqlite3_prepare_v2(db, sql, -1, &made, nullptr);
    statement = Statement(made, sqlite3_finalize);
    return code;
}

int bindText(sqlite3_stmt* statement, int at, const QByteArray& text) {
    return sqlite3_bind_text(statement, at, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

// Steps a statement that returns no rows and makes it ready for the next values.
int runOnce(sqlite3_stmt* statement) {
    const int step = sqlite3_step(statement);
    sqlite3_reset(statement);
    return step == SQLITE_DONE ? SQLITE_OK : step;
}

int bindPlace(sqlite3_stmt* statement, int at, const AnswerPlace* place) {
    if (!place) {
        for (int i = 0; i < 3; ++i)
            if (const int code = sqlite3_bind_null(statement, at + i); code != SQLITE_OK)
                return code;
        return SQLITE_OK;
    }
    int code = bindText(statement, at, place->startedAt);
    if (code == SQLITE_OK)
        code = sqlite3_bind_int64(statement, at + 1, place->run);
    if (code == SQLITE_OK)
        code = sqlite3_bind_int(statement, at + 2, place->place);
    return code;
}

// A task's sums in the file and those added: counts and times add up, the later miss and the
// slower (of equal ones the later) right answer stay.
QByteArray taskUpsertSql() {
    const auto keep = [](const QByteArray& condition, const QList<QByteArray>& columns) {
        QByteArrayList set;
        for (const QByteArray& column : columns)
            set << column + " = CASE WHEN " + condition + " THEN excluded." + column + " ELSE " +
                       column + " END";
        return set.join(", ");
    };
    const QByteArray laterMiss =
        "(excluded.last_miss_run IS NOT NULL AND (last_miss_run IS NULL OR "
        "(excluded.last_miss_started_at, excluded.last_miss_run, excluded.last_miss_place) > "
        "(last_miss_started_at, last_miss_run, last_miss_place)))";
    const QByteArray slowerRight =
        "(excluded.slowest_right_ms >= 0 AND (excluded.slowest_right_ms, "
        "excluded.slowest_right_started_at, excluded.slowest_right_run, "
        "excluded.slowest_right_place) > (slowest_right_ms, slowest_right_started_at, "
        "slowest_right_run, slowest_right_place))";
    return "INSERT INTO task_sums (participant, operation, operand1, operand2, attempts, misses, "
           "answering_ms, last_miss_started_at, last_miss_run, last_miss_place, "
           "slowest_right_ms, slowest_right_started_at, slowest_right_run, slowest_right_place) "
           "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14) "
           "ON CONFLICT (participant, operation, operand1, operand2) DO UPDATE SET "
           "attempts = attempts + excluded.attempts, misses = misses + excluded.misses, "
           "answering_ms = answering_ms + excluded.answering_ms, " +
           keep(laterMiss, {"last_miss_started_at", "last_miss_run", "last_miss_place"}) + ", " +
           keep(slowerRight, {"slowest_right_ms", "slowest_right_started_at", "slowest_right_run",
                              "slowest_right_place"});
}

} // namespace

StoredRunSums HistorySumsBatch::add(const QByteArray& participant, const QByteArray& operation,
                                    const QByteArray& startedAt, qint64 runId,
                                    const QList<AnsweredTask>& answers) {
    // As the window's tally counts them: a negative time as 0, the times added in their order.
    Run run{participant, operation, startedAt, runId, {}};
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const AnsweredTask& answer = answers[i];
        const qint64 ms = std::max<qint64>(answer.answerMs, 0);
        run.sums.answers += 1;
        run.sums.rightAnswers += answer.correct ? 1 : 0;
        run.sums.answeringMs += double(ms);
        StoredTaskSums& task = tasks_[{participant, operation, answer.operand1, answer.operand2}];
        task.attempts += 1;
        task.answeringMs += double(ms);
        const AnswerPlace place{startedAt, runId, qint32(i)};
        if (!answer.correct) {
            task.misses += 1;
            if (!task.lastMiss || *task.lastMiss < place)
                task.lastMiss = place;
        } else {
            rightTimes_[{participant, operation, ms}] += 1;
            if (ms > task.slowestRight ||
                (ms == task.slowestRight && task.slowestRightAt < place)) {
                task.slowestRight = ms;
                task.slowestRightAt = place;
            }
        }
    }
    runs_.push_back(run);
    return run.sums;
}

int HistorySumsBatch::write(sqlite3* db) {
    Statement runInsert(nullptr, sqlite3_finalize);
    Statement taskUpsert(nullptr, sqlite3_finalize);
    Statement timeUpsert(nullptr, sqlite3_finalize);
    int code = prepare(db,
                       "INSERT INTO run_sums (participant, operation, started_at, run_id, answers, "
                       "right_answers, answering_ms) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                       runInsert);
    if (code == SQLITE_OK)
        code = prepare(db, taskUpsertSql().constData(), taskUpsert);
    if (code == SQLITE_OK)
        code = prepare(db,
                       "INSERT INTO right_times (participant, operation, ms, answers) VALUES (?1, "
                       "?2, ?3, ?4) ON CONFLICT (participant, operation, ms) DO UPDATE SET "
                       "answers = answers + excluded.answers",
                       timeUpsert);
    for (const Run& run : runs_) {
        if (code != SQLITE_OK)
            break;
        sqlite3_stmt* const s = runInsert.get();
        code = bindText(s, 1, run.participant);
        if (code == SQLITE_OK)
            code = bindText(s, 2, run.operation);
        if (code == SQLITE_OK)
            code = bindText(s, 3, run.startedAt);
        if (code == SQLITE_OK)
            code = sqlite3_bind_int64(s, 4, run.id);
        if (code == SQLITE_OK)
            code = sqlite3_bind_int64(s, 5, run.sums.answers);
        if (code == SQLITE_OK)
            code = sqlite3_bind_int64(s, 6, run.sums.rightAnswers);
        if (code == SQLITE_OK)
            code = sqlite3_bind_double(s, 7, run.sums.answeringMs);
        if (code == SQLITE_OK)
            code = runOnce(s);
    }
    for (const auto& [key, task] : tasks_) {
        if (code != SQLITE_OK)
            break;
        sqlite3_stmt* const s = taskUpsert.get();
        code = bindText(s, 1, std::get<0>(key));
        if (code == SQLITE_OK)
            code = bindText(s, 2, std::get<1>(key));
        if (code == SQLITE_OK)
            code = sqlite3_bind_int(s, 3, std::get<2>(key));
        if (code == SQLITE_OK)
            code = sqlite3_bind_int(s, 4, std::get<3>(key));
        if (code == SQLITE_OK)
            code = sqlite3_bind_int(s, 5, task.attempts);
        if (code == SQLITE_OK)
            code = sqlite3_bind_int(s, 6, task.misses);
        if (code == SQLITE_OK)
            code = sqlite3_bind_double(s, 7, task.answeringMs);
        if (code == SQLITE_OK)
            code = bindPlace(s, 8, task.lastMiss ? &*task.lastMiss : nullptr);
        if (code == SQLITE_OK)
            code = sqlite3_bind_int64(s, 11, task.slowestRight);
        if (code == SQLITE_OK)
            code = bindPlace(s, 12, task.slowestRight >= 0 ? &task.slowestRightAt : nullptr);
        if (code == SQLITE_OK)
            code = runOnce(s);
    }
    for (const auto& [key, answers] : rightTimes_) {
        if (code != SQLITE_OK)
            break;
        sqlite3_stmt* const s = timeUpsert.get();
        code = bindText(s, 1, std::get<0>(key));
        if (code == SQLITE_OK)
            code = bindText(s, 2, std::get<1>(key));
        if (code == SQLITE_OK)
            code = sqlite3_bind_int64(s, 3, std::get<2>(key));
        if (code == SQLITE_OK)
            code = sqlite3_bind_int64(s, 4, answers);
        if (code == SQLITE_OK)
            code = runOnce(s);
    }
    runs_.clear();
    tasks_.clear();
    rightTimes_.clear();
    return code;
}

namespace history_sums {

int createTables(sqlite3* db) {
    // Without row ids: each table is kept in the order it is read in, a child's operation at a
    // time, and only summed runs (whose name, operation and start are texts) are in it.
    return sqlite3_exec(
        db,
        "CREATE TABLE IF NOT EXISTS run_sums (participant TEXT NOT NULL, operation TEXT NOT NULL, "
        "started_at TEXT NOT NULL, run_id INTEGER NOT NULL, answers INTEGER, right_answers "
        "INTEGER, answering_ms REAL, PRIMARY KEY (participant, operation, started_at, run_id)) "
        "WITHOUT ROWID;"
        "CREATE TABLE IF NOT EXISTS task_sums (participant TEXT NOT NULL, operation TEXT NOT "
        "NULL, operand1 INTEGER NOT NULL, operand2 INTEGER NOT NULL, attempts INTEGER, misses "
        "INTEGER, answering_ms REAL, last_miss_started_at TEXT, last_miss_run INTEGER, "
        "last_miss_place INTEGER, slowest_right_ms INTEGER, slowest_right_started_at TEXT, "
        "slowest_right_run INTEGER, slowest_right_place INTEGER, PRIMARY KEY (participant, "
        "operation, operand1, operand2)) WITHOUT ROWID;"
        "CREATE TABLE IF NOT EXISTS right_times (participant TEXT NOT NULL, operation TEXT NOT "
        "NULL, ms INTEGER NOT NULL, answers INTEGER, PRIMARY KEY (participant, operation, ms)) "
        "WITHOUT ROWID;"
        "CREATE TABLE IF NOT EXISTS sums_state (summed_to INTEGER NOT NULL);"
        "INSERT INTO sums_state (summed_to) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM sums_state);",
        nullptr, nullptr, nullptr);
}

int summedTo(sqlite3* db, std::optional<qint64>& to) {
    to.reset();
    Statement table(nullptr, sqlite3_finalize);
    int code = prepare(
        db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'sums_state'", table);
    if (code != SQLITE_OK)
        return code;
    code = sqlite3_step(table.get());
    if (code == SQLITE_DONE)
        return SQLITE_OK;
    if (code != SQLITE_ROW)
        return code;
    Statement state(nullptr, sqlite3_finalize);
    if (code = prepare(db, "SELECT max(summed_to) FROM sums_state", state); code != SQLITE_OK)
        return code;
    code = sqlite3_step(state.get());
    if (code != SQLITE_ROW)
        return code;
    // A state that is not a number is taken as nothing summed.
    if (sqlite3_column_type(state.get(), 0) == SQLITE_INTEGER)
        to = sqlite3_column_int64(state.get(), 0);
    return SQLITE_OK;
}

int setSummedTo(sqlite3* db, qint64 to) {
    Statement update(nullptr, sqlite3_finalize);
    if (const int code = prepare(db, "UPDATE sums_state SET summed_to = ?1", update);
        code != SQLITE_OK)
        return code;
    sqlite3_bind_int64(update.get(), 1, to);
    return runOnce(update.get());
}

} // namespace history_sums
