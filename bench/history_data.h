#pragma once

// A learning history as a school computer holds it after long use, made for the benchmarks.

#include "history/file/sqlite_history_store.h"
#include "history/model/history.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <cmath>
#include <functional>
#include <utility>

inline const QStringList operations{QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"),
                                    QStringLiteral(":"), QStringLiteral(": R")};

inline QString childName(int n) {
    return QStringLiteral("Kind %1 Müller").arg(n, 2, 10, QLatin1Char('0'));
}

// A task as a child of the second to fourth class meets it, and how long the answer took.
inline AnsweredTask makeAnswer(QRandomGenerator& random, const QString& operation, int taskNo) {
    AnsweredTask a;
    a.taskNo = taskNo;
    const bool division = operation.startsWith(QLatin1Char(':'));
    if (operation == QLatin1String("*") || division) {
        a.operand1 = random.bounded(1, 11);
        a.operand2 = random.bounded(1, 11);
    } else {
        a.operand1 = random.bounded(0, 101);
        a.operand2 = random.bounded(0, 101);
    }
    // Only tasks the program poses: the stores leave the others out when they read, and the
    // benchmarks would time fewer answers than they claim.
    if (operation == QLatin1String("-") && a.operand2 > a.operand1)
        std::swap(a.operand1, a.operand2);
    if (operation == QLatin1String(":"))
        a.operand1 *= a.operand2;
    if (operation == QLatin1String("+"))
        a.correctResult = a.operand1 + a.operand2;
    else if (operation == QLatin1String("-"))
        a.correctResult = a.operand1 - a.operand2;
    else if (operation == QLatin1String("*"))
        a.correctResult = a.operand1 * a.operand2;
    else
        a.correctResult = a.operand1 / a.operand2;
    if (operation == QLatin1String(": R")) {
        a.correctRemainder = a.operand1 % a.operand2;
        a.givenRemainder = QString::number(a.correctRemainder);
    }
    a.correct = random.bounded(100) < 85;
    a.givenAnswer = QString::number(a.correct ? a.correctResult : a.correctResult + 1);
    // Mostly two to five seconds, now and then much longer.
    a.answerMs = qint64(1500 + 1000 * std::exp(random.generateDouble() * 2.2));
    return a;
}

inline HistoryRun makeRun(QRandomGenerator& random, const QString& participant,
                          const QString& operation, const QDateTime& at, int answers) {
    HistoryRun run;
    run.participant = participant;
    run.operation = operationFromText(operation).value_or(Operation::Add);
    run.startedAt = at;
    run.range1 = QStringLiteral("0 .. 100");
    run.range2 = QStringLiteral("0 .. 100");
    run.timeLimit = 300;
    for (int i = 1; i <= answers; ++i) {
        run.answers << makeAnswer(random, operation, i);
        run.points += run.answers.last().correct ? 1 : 0;
    }
    run.tasksWorked = answers;
    return run;
}

// Writes runOf(0) .. runOf(count - 1) into a new history file: the store writes the schema with
// the first run; the others go in with one transaction on a connection of its own, as only a
// benchmark would write them.
inline void writeHistory(const QString& path, int count,
                         const std::function<HistoryRun(int)>& runOf) {
    {
        SqliteHistoryStore store(path);
        if (Outcome error = store.record(runOf(0)))
            qFatal("%s", qPrintable(error->reason));
    }
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bulk"));
        db.setDatabaseName(path);
        if (!db.open() || !db.transaction())
            qFatal("cannot open the benchmark history");
        QSqlQuery runInsert(db);
        runInsert.prepare(QStringLiteral(
            "INSERT INTO runs (participant, started_at, operation, range1, range2, time_limit, "
            "competition, tasks_worked, points) VALUES (?, ?, ?, ?, ?, ?, 0, ?, ?)"));
        QSqlQuery answerInsert(db);
        answerInsert.prepare(QStringLiteral(
            "INSERT INTO answers (run_id, task_no, operand1, operand2, correct_result, "
            "correct_remainder, given_answer, given_remainder, correct, answer_ms) VALUES (?, ?, "
            "?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 1; i < count; ++i) {
            const HistoryRun run = runOf(i);
            const QVariantList runValues{
                run.participant,
                run.startedAt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")),
                operationText(run.operation),
                run.range1,
                run.range2,
                run.timeLimit,
                run.tasksWorked,
                run.points};
            for (int v = 0; v < runValues.size(); ++v)
                runInsert.bindValue(v, runValues[v]);
            if (!runInsert.exec())
                qFatal("run insert failed");
            const qint64 id = runInsert.lastInsertId().toLongLong();
            for (const AnsweredTask& a : run.answers) {
                const QVariantList values{id,
                                          a.taskNo,
                                          a.operand1,
                                          a.operand2,
                                          a.correctResult,
                                          a.correctRemainder,
                                          a.givenAnswer,
                                          a.givenRemainder,
                                          a.correct ? 1 : 0,
                                          a.answerMs};
                for (int v = 0; v < values.size(); ++v)
                    answerInsert.bindValue(v, values[v]);
                if (!answerInsert.exec())
                    qFatal("answer insert failed");
            }
        }
        if (!db.commit())
            qFatal("commit failed");
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bulk"));
}
