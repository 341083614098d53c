#pragma once

// Runs for the tests of the history stores, and a way to compare them that shows where they
// differ.

#include "history/model/history.h"
#include "support/failures.h"

#include <QTest>

// What a reader read, put into out (emptied when it failed), and why it failed: the tests compare
// a reader's outcome and look at what it read apart.
template <typename T> Outcome filled(Result<T> read, T& out) {
    const Outcome outcome = read.outcome();
    out = read ? std::move(read).value() : T();
    return outcome;
}

inline HistoryRun makeRun(const QString& participant, Operation operation, const QDateTime& at,
                          int answerCount) {
    HistoryRun run{0,
                   participant,
                   at,
                   operation,
                   QStringLiteral("0 .. 100"),
                   QStringLiteral("1 .. 10"),
                   90,
                   7,
                   answerCount,
                   0,
                   false,
                   false,
                   {}};
    for (int i = 1; i <= answerCount; ++i) {
        const bool right = i % 3 != 0;
        const int remainder = operation == Operation::DivideWithRemainder ? i % 4 : -1;
        AnsweredTask a{i, 17 * i % 101, i % 10 + 1, i * 3, remainder, {}, {}, right, 500 + 37 * i};
        a.givenAnswer = right ? QString::number(i * 3) : QStringLiteral("1ä;\"x\"");
        a.givenRemainder = remainder < 0 ? QString() : QString::number(remainder);
        run.answers << a;
        run.points += right;
    }
    return run;
}

// Every field of the runs and their answers, one line per run, so a difference shows where.
inline QStringList described(const QList<HistoryRun>& runs) {
    QStringList lines;
    for (const HistoryRun& r : runs) {
        QString line = QStringLiteral("%1|%2|%3|%4|%5|%6|%7|%8|%9")
                           .arg(r.participant, r.startedAt.toString(Qt::ISODate),
                                operationText(r.operation), r.range1, r.range2)
                           .arg(r.timeLimit)
                           .arg(r.competition)
                           .arg(r.tasksWorked)
                           .arg(r.points);
        line += r.byEar ? QStringLiteral("|gehört") : QStringLiteral("|gesehen");
        if (r.adaptive)
            line += QStringLiteral("|nach Maß");
        for (const AnsweredTask& a : r.answers)
            line += QStringLiteral(" [%1 %2 %3 %4 %5 %6 %7 %8 %9]")
                        .arg(a.taskNo)
                        .arg(a.operand1)
                        .arg(a.operand2)
                        .arg(a.correctResult)
                        .arg(a.correctRemainder)
                        .arg(a.givenAnswer, a.givenRemainder)
                        .arg(a.correct)
                        .arg(a.answerMs);
        lines << line;
    }
    return lines;
}
