#pragma once

// What the two fuzz targets of the learning history share: everything the program does with a
// history once the store has read it, and the byte layout of the answer rows that one target
// writes into a history file.

#include "common/clock.h"
#include "engine/answer_check.h"
#include "engine/task_source.h"
#include "history/file/sqlite_history_store.h"
#include "history/model/class_printouts.h"
#include "history/model/history_stats.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdlib>
#include <cstring>

namespace history_fuzz {

// A folder for the history file of one fuzzing process, in memory where the system has such a
// folder: SQLite syncs every commit, which costs most of the time on a disk.
inline QDir scratchFolder() {
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/kalumbrixtor-fuzz-XXXXXX")
                                    : QDir::tempPath() +
                                          QStringLiteral("/kalumbrixtor-fuzz-XXXXXX"));
    if (!folder.isValid())
        std::abort();
    return QDir(folder.path());
}

inline const QStringList& operations() {
    static const QStringList signs{QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"),
                                   QStringLiteral(":"), QStringLiteral(": R")};
    return signs;
}

// The store keeps out every task the program could not have posed.
inline void checkTasks(const QList<HistoryRun>& runs) {
    for (const HistoryRun& run : runs) {
        for (const AnsweredTask& answer : run.answers) {
            if (!taskPosable(run.operation, answer.operand1, answer.operand2))
                std::abort();
        }
    }
}

// A practice run of the tasks, posed and checked by the engine, every answer right. (The main
// window starts none without tasks: an empty list would be an ordinary run.)
inline void practise(Operation operation, const QList<OperandPair>& tasks) {
    if (tasks.isEmpty())
        return;
    struct StandingClock : Clock {
        QDate today() const override { return QDate(2026, 12, 8); }
        QTime localTime() const override { return QTime(10, 0); }
        QTime utcTime() const override { return QTime(9, 0); }
        qint64 monotonicMs() const override { return 0; }
    } clock;
    RunState state;
    state.settings.operation = operation;
    PracticeList source(tasks);
    while (source.poseNext(state, clock) == Generation::TaskPosed) {
        state.answerText = QString::number(
            correctResult(state.settings.operation, state.operand1, state.operand2));
        state.givenRemainder = correctRemainder(state.operand1, state.operand2);
        if (!checkAnswer(state))
            std::abort();
    }
    if (state.taskCounter != tasks.size())
        std::abort();
}

// Reads the history as the learning-progress window does, for the first children: every run for
// the CSV export, then each operation's runs for the chart, the lists, the times table and a
// practice run.
inline void useHistory(SqliteHistoryStore& store) {
    const Result<QStringList> readNames = store.participants();
    if (!readNames)
        return;
    const QStringList& names = *readNames;
    for (const QString& name : names.mid(0, 4)) {
        const Result<QList<HistoryRun>> readAll = store.runs(name, std::nullopt);
        if (!readAll)
            return;
        const QList<HistoryRun>& all = *readAll;
        checkTasks(all);
        if (!answersCsv(all).startsWith("Name;Datum;Uhrzeit;"))
            std::abort();
        for (Operation operation : allOperations) {
            const Result<QList<HistoryRun>> read = store.runs(name, operation);
            if (!read)
                return;
            const QList<HistoryRun>& runs = *read;
            for (const HistoryRun& run : runs) {
                if (run.participant != name || run.operation != operation)
                    std::abort();
            }
            checkTasks(runs);
            runFigures(runs);
            const QList<TaskFigures> tasks = taskFigures(runs);
            mostMissed(tasks);
            slowest(tasks);
            timesTable(runs);
            const QList<OperandPair> practice = practiceSelection(runs);
            if (practice.size() > taskLimit)
                std::abort();
            practise(operation, practice);
        }
    }
    // The class overview's read: every child at once, figured, and the worksheets' tasks.
    const Result<QList<HistoryRun>> readEveryone = store.everyonesRuns(std::nullopt);
    if (!readEveryone)
        return;
    const QList<HistoryRun>& everyone = *readEveryone;
    checkTasks(everyone);
    if (classFigures(everyone, names, OverviewPeriod::Month, QDate(2026, 12, 8)).size() !=
        names.size())
        std::abort();
    const RunPeriod always = [](const QDateTime&) { return true; };
    for (const ChildSheet& sheet : mistakeSheets(everyone, names, always).sheets) {
        if (sheet.tasks.size() > taskLimit)
            std::abort();
    }
}

// One answer row as the answers target reads it from its input: which run it belongs to, how the
// two operands are stored, and the values. The run is named by a child (of three), an operation
// (the five, or one the program does not know) and a number, which also picks its start.
struct AnswerRow {
    quint8 child = 0;
    quint8 operation = 0;   // index into operations(); 5 is an unknown sign
    quint8 runNumber = 0;   // 0..3
    quint8 operandKind = 0; // per operand two bits: 0 integer, 1 text, 2 real, 3 NULL
    bool correct = false;
    qint64 operand1 = 0;
    qint64 operand2 = 0;
    qint64 answerMs = 0;
    QByteArray given; // the answer as typed, at most 255 bytes
};

inline constexpr qsizetype fixedRowSize = 1 + 1 + 3 * 8 + 1;

inline QByteArray encodeRows(const QList<AnswerRow>& rows) {
    QByteArray bytes;
    for (const AnswerRow& row : rows) {
        bytes.append(char(row.child * 24 + row.operation * 4 + row.runNumber));
        bytes.append(char(row.operandKind | (row.correct ? 0x10 : 0)));
        for (const qint64 value : {row.operand1, row.operand2, row.answerMs}) {
            char le[8];
            qToLittleEndian(value, le);
            bytes.append(le, 8);
        }
        const QByteArray given = row.given.left(255);
        bytes.append(char(given.size()));
        bytes.append(given);
    }
    return bytes;
}

inline QList<AnswerRow> decodeRows(const QByteArray& bytes) {
    QList<AnswerRow> rows;
    qsizetype at = 0;
    while (at + fixedRowSize <= bytes.size()) {
        AnswerRow row;
        const quint8 run = quint8(bytes[at]) % 72;
        row.child = run / 24;
        row.operation = run % 24 / 4;
        row.runNumber = run % 4;
        row.operandKind = quint8(bytes[at + 1]) & 0x0f;
        row.correct = (quint8(bytes[at + 1]) & 0x10) != 0;
        row.operand1 = qFromLittleEndian<qint64>(bytes.constData() + at + 2);
        row.operand2 = qFromLittleEndian<qint64>(bytes.constData() + at + 10);
        row.answerMs = qFromLittleEndian<qint64>(bytes.constData() + at + 18);
        const qsizetype length = quint8(bytes[at + 26]);
        at += fixedRowSize;
        row.given = bytes.mid(at, length);
        at += length;
        rows.append(row);
    }
    return rows;
}

} // namespace history_fuzz
