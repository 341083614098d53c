// One computer of a school for the test of many at once: waits for the agreed moment, then records
// its runs on the server one after another, as children finishing runs would.
// Arguments: server, queue file, name, number of runs, moment (milliseconds since the epoch).
#include "history/server/postgres_history_store.h"
#include "history/server/queued_history_store.h"
#include "support/history_runs.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 6)
        return 2;
    const int count = args[4].toInt();
    const qint64 moment = args[5].toLongLong();
    while (QDateTime::currentMSecsSinceEpoch() < moment)
        QThread::msleep(1);
    QueuedHistoryStore store(PostgresHistoryStore::factory(args[1]), args[2]);
    const QDateTime start(QDate(2026, 12, 8), QTime(8, 0));
    for (int i = 0; i < count; ++i) {
        Outcome error =
            store.record(makeRun(args[3], Operation::Multiply, start.addSecs(60 * i), 40));
        if (!error)
            error = store.sendWaiting();
        if (error) {
            std::fprintf(stderr, "%s\n", qPrintable(error->reason));
            return 1;
        }
        // A run kept locally is a run the server did not take at once: that counts as a fault
        // here, where the server is up.
        if (const QString notice = store.takeNotice(); !notice.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(notice));
            return 1;
        }
    }
    return 0;
}
