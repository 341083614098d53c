// Writes the seed files of the fuzz targets into <folder>/<target>/: real files made by the
// program's own writers, from an empty file to full ones.

#include "common/clock.h"
#include "competition/best_list_file.h"
#include "history_fuzz.h"
#include "storage/results_file.h"
#include "storage/task_set_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool copyInto(const QString& from, const QString& folder, const QString& name) {
    QFile::remove(QDir(folder).filePath(name));
    return QFile::copy(from, QDir(folder).filePath(name));
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

BestListEntry entry(const QString& name, int points) {
    BestListEntry e;
    e.number = 3;
    e.name = name;
    e.date = QStringLiteral("06.12.26");
    e.time = QStringLiteral("17:06:29");
    e.settingCode = QStringLiteral("*1033");
    e.points = quint8(points);
    return e;
}

bool bestListSeeds(const QString& out, const QString& work) {
    // As the program leaves a list: empty, one entry (a list made anew), then full.
    bool ok = !ensureBestListFiles(work) && copyInto(bestListPath(work, 3), out, "empty.bli");
    ok = ok && writeFile(QDir(out).filePath("one.bli"), encodeBestListEntry(entry("Anna", 7)));
    const QStringList names = {"Anna",  "Ben", "Clara", "Dörte", "Emil", "Fatma", "Gülay",
                               "Hanno", "Ida", "Jörg",  "Kim",   "Lea",  "Mats",  "Nele"};
    for (int i = 0; i < names.size(); ++i)
        ok = ok && updateBestList(work, 3, entry(names[i], 40 + 7 * i % 30)).ok();
    return ok && copyInto(bestListPath(work, 3), out, "full.bli");
}

ResultRecord result(const QString& name, int tasks, int points, const QString& operation) {
    ResultRecord r;
    r.name = name;
    r.date = QStringLiteral("06.12.26");
    r.time = QStringLiteral("17:06:29");
    r.timeLimitText = QStringLiteral("90");
    r.operation = operation;
    r.range1Text = QStringLiteral("0 .. 10");
    r.range2Text = QStringLiteral("1 000 ... 30 000");
    r.taskCount = quint8(tasks);
    r.points = quint8(points);
    return r;
}

bool resultsSeeds(const QString& out) {
    const QString three = QDir(out).filePath("three.ERG");
    const QString full = QDir(out).filePath("full.ERG");
    QFile::remove(three);
    QFile::remove(full);
    bool ok = !storeResultRecord(three, result("Timo", 3, 2, "+ / -")) &&
              !storeResultRecord(three, result("Ümit", 12, 7, ":R / -")) &&
              !storeResultRecord(three, result("Lea", 160, 155, "* / 3"));
    for (int i = 0; i < fullFileLimit; ++i)
        ok = ok && !storeResultRecord(full, result("Kind", i, i / 2, "- / -"));
    return ok;
}

TaskRecord task(qint32 a, qint32 b, const QString& operation, qint32 result, qint32 remainder,
                qint32 given) {
    TaskRecord t;
    t.operand1 = a;
    t.operand2 = b;
    t.operation = operation;
    t.result = result;
    t.remainder = remainder;
    t.givenAnswer = given;
    t.givenRemainder = remainder >= 0 ? remainder : 0;
    return t;
}

bool taskSetSeeds(const QString& out) {
    struct FixedClock : Clock {
        QDate today() const override { return QDate(2026, 12, 6); }
        QTime localTime() const override { return QTime(17, 6, 29); }
        QTime utcTime() const override { return QTime(16, 6, 29); }
        qint64 monotonicMs() const override { return 0; }
    } clock;
    RunResult run;
    run.participantName = QStringLiteral("Timo");
    run.points = 2;
    run.competitionTag = QStringLiteral("-");
    run.timeFieldText = QStringLiteral("90");
    run.tasks = {task(3, 4, "+", 7, -1, 7), task(30000, 5, "-", 29995, -1, 29990),
                 task(17, 5, ": R", 3, 2, 3), task(6, 7, "*", 42, -1, 0)};
    bool ok = !writeTaskSet(QDir(out).filePath("four.AGB"), taskSetToSave(run, clock));
    run.tasks.clear();
    for (int i = 0; i < taskSetLimit; ++i)
        run.tasks.append(task(i, i % 10 + 1, ":", i / (i % 10 + 1), -1, i));
    run.timeFieldText.clear();
    return ok && !writeTaskSet(QDir(out).filePath("full.AGB"), taskSetToSave(run, clock));
}

HistoryRun historyRun(const QString& name, const QString& operation, int day, int answers) {
    HistoryRun run;
    run.participant = name;
    run.startedAt = QDateTime(QDate(2026, 12, day), QTime(9 + day % 5, 15));
    run.operation = operationFromText(operation).value_or(Operation::Add);
    run.range1 = QStringLiteral("0 .. 100");
    run.range2 = QStringLiteral("1 .. 10");
    run.timeLimit = 90;
    run.tasksWorked = answers;
    for (int k = 1; k <= answers; ++k) {
        const bool division = operation.startsWith(QLatin1Char(':'));
        const qint32 divisor = 1 + k % 10;
        AnsweredTask answer;
        answer.taskNo = k;
        answer.operand1 =
            division ? divisor * (k % 9) + (operation.size() > 1 ? k % 3 : 0) : 10 + k;
        answer.operand2 = division ? divisor : k % 10;
        const Operation known = operationFromText(operation).value_or(Operation::Add);
        answer.correctResult = correctResult(known, answer.operand1, answer.operand2);
        answer.correctRemainder = taskRemainder(known, answer.operand1, answer.operand2);
        answer.correct = k % 4 != 0;
        answer.givenAnswer = QString::number(answer.correctResult + (answer.correct ? 0 : 1));
        if (answer.correctRemainder >= 0)
            answer.givenRemainder = QString::number(answer.correctRemainder);
        answer.answerMs = 1500 + 700 * (k % 7);
        run.points += answer.correct ? 1 : 0;
        run.answers.append(answer);
    }
    return run;
}

// Histories the store wrote: one run, and a class of three children in every operation. The
// answers target gets the answers of the class, read back through the store, as its rows.
bool historySeeds(const QString& fileOut, const QString& answersOut, const QString& work) {
    const QString one = QDir(fileOut).filePath("one-run.sqlite");
    const QString classPath = QDir(work).filePath("Lernverlauf.sqlite");
    QFile::remove(one);
    bool ok = true;
    {
        SqliteHistoryStore store(one);
        ok = !store.record(historyRun(QStringLiteral("Mia"), QStringLiteral("*"), 7, 4));
    }
    QList<history_fuzz::AnswerRow> rows;
    {
        SqliteHistoryStore store(classPath);
        const QStringList children{QStringLiteral("Ben"), QStringLiteral("Mia"),
                                   QStringLiteral("Ümit")};
        for (int day = 1; ok && day <= 2; ++day) {
            for (const QString& child : children) {
                for (const QString& operation : history_fuzz::operations())
                    ok = ok && !store.record(historyRun(child, operation, day, 6 + day));
            }
        }
        for (qsizetype c = 0; ok && c < children.size(); ++c) {
            const Result<QList<HistoryRun>> read = store.runs(children[c], std::nullopt);
            ok = read.ok();
            const QList<HistoryRun> runs = ok ? *read : QList<HistoryRun>();
            for (qsizetype r = 0; r < runs.size(); ++r) {
                for (const AnsweredTask& answer : runs[r].answers) {
                    history_fuzz::AnswerRow row;
                    row.child = quint8(c);
                    row.operation = quint8(
                        history_fuzz::operations().indexOf(operationText(runs[r].operation)));
                    row.runNumber = quint8(r % 4);
                    row.correct = answer.correct;
                    row.operand1 = answer.operand1;
                    row.operand2 = answer.operand2;
                    row.answerMs = answer.answerMs;
                    row.given = answer.givenAnswer.toUtf8();
                    rows.append(row);
                }
            }
        }
    }
    ok = ok && copyInto(classPath, fileOut, "class.sqlite");
    return ok &&
           writeFile(QDir(answersOut).filePath("class.rows"), history_fuzz::encodeRows(rows)) &&
           writeFile(QDir(answersOut).filePath("one-child.rows"),
                     history_fuzz::encodeRows(rows.mid(0, 12)));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seed_corpus <folder>\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir work;
    for (const char* target : {"fuzz_best_list", "fuzz_results_file", "fuzz_task_set",
                               "fuzz_history_file", "fuzz_history_answers"}) {
        if (!root.mkpath(QString::fromLatin1(target)))
            return 1;
    }
    const bool ok = bestListSeeds(root.filePath("fuzz_best_list"), work.path()) &&
                    resultsSeeds(root.filePath("fuzz_results_file")) &&
                    taskSetSeeds(root.filePath("fuzz_task_set")) &&
                    historySeeds(root.filePath("fuzz_history_file"),
                                 root.filePath("fuzz_history_answers"), work.path());
    return ok ? 0 : 1;
}
