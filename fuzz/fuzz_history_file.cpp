#include "history_fuzz.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

QString historyPath() {
    static const QString path = history_fuzz::scratchFolder().filePath("Lernverlauf.sqlite");
    return path;
}

// What a run leaves in the history when it is recorded onto the file.
HistoryRun newRun() {
    HistoryRun run;
    run.participant = QStringLiteral("Mia");
    run.startedAt = QDateTime(QDate(2026, 12, 8), QTime(10, 0));
    run.operation = Operation::Divide;
    run.range1 = QStringLiteral("0 .. 100");
    run.range2 = QStringLiteral("1 .. 10");
    run.tasksWorked = 2;
    run.points = 1;
    run.answers = {AnsweredTask{1, 12, 3, 4, -1, QStringLiteral("4"), {}, true, 2100},
                   AnsweredTask{2, 56, 8, 7, -1, QStringLiteral("6"), {}, false, 5300}};
    return run;
}

} // namespace

// The driver plugin of Qt SQL is only found with an application object.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "fuzz_history_file";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return 0;
}

// Any bytes as the learning history's file in the data folder: checked and read by the store,
// shown as the learning-progress window shows it (figures, lists, times table, CSV), practised,
// and then a run recorded onto it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = historyPath();
    for (const char* suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            std::abort();
    }
    SqliteHistoryStore store(path, 0);
    history_fuzz::useHistory(store);
    store.record(newRun());
    return 0;
}
