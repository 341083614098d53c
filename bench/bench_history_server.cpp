// The learning history on a school's server beside the history file, on the same data: a class of
// 30 children with 200 runs of 40 answers each. Timed on both stores: recording one run of 160
// answers (the median of repeated rounds counts), and the class overview from its making to the
// table filled over the whole history, as at its first use. The server is a local one of the
// benchmark's own, reached over TCP on 127.0.0.1. And with a server on 127.0.0.1 that takes the
// connection and never answers: a run's end to the moment the result dialog could open (goal
// under 50 ms), and to the moment the child could be told that the server is away.
#include "bench/class_history.h"
#include "bench/run_end.h"
#include "history/server/postgres_history_store.h"
#include "history/server/queued_history_store.h"
#include "support/pg_server.h"
#include "support/silent_server.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QTemporaryDir* folder = nullptr;
TestServer* server = nullptr;
QString historyPath;

std::unique_ptr<HistoryStore> openStore(bool onServer) {
    if (onServer)
        return std::make_unique<QueuedHistoryStore>(
            PostgresHistoryStore::factory(server->uri(QStringLiteral("lernverlauf"))),
            folder->filePath(QStringLiteral("Warteschlange.sqlite")));
    return std::make_unique<SqliteHistoryStore>(historyPath);
}

void BM_RecordRun(benchmark::State& state) {
    const std::unique_ptr<HistoryStore> store = openStore(state.range(0) != 0);
    QRandomGenerator random(7);
    const HistoryRun run = makeRun(random, childName(3), QStringLiteral("*"),
                                   QDateTime(QDate(2026, 12, 7), QTime(10, 0)), 160);
    // On the server a run is timed until it is there, sent by the store's thread. The
    // connections are made before the clock runs, as they are once per program run.
    auto* server = dynamic_cast<QueuedHistoryStore*>(store.get());
    const auto recorded = [&]() -> Outcome {
        if (Outcome error = store->record(run))
            return error;
        return server ? server->sendWaiting() : std::nullopt;
    };
    if (!store->participants() || (server && recorded()))
        state.SkipWithError("no connection");
    for (auto _ : state) {
        if (Outcome error = recorded())
            state.SkipWithError(qPrintable(error->reason));
        if (!store->takeNotice().isEmpty())
            state.SkipWithError("the run was kept locally");
    }
}
BENCHMARK(BM_RecordRun)
    ->ArgName("server")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_OpenOverviewWholeHistory(benchmark::State& state) {
    timeOverview(
        state, [&] { return openStore(state.range(0) != 0); }, folder->path(),
        int(OverviewPeriod::Everything));
}
BENCHMARK(BM_OpenOverviewWholeHistory)
    ->ArgName("server")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The store for the server that never answers, made once: its queue grows by a run per round.
QueuedHistoryStore& silentStore() {
    static SilentServer silent;
    static QueuedHistoryStore store(
        PostgresHistoryStore::factory(
            QStringLiteral("postgresql://kalumbrixtor@127.0.0.1:%1/lernverlauf")
                .arg(silent.port())),
        folder->filePath(QStringLiteral("Warteschlange-still.sqlite")));
    return store;
}

void BM_RunEndServerNeverAnswers(benchmark::State& state) {
    timeRunEnd(state, silentStore());
}
BENCHMARK(BM_RunEndServerNeverAnswers)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_ServerAwayToldServerNeverAnswers(benchmark::State& state) {
    static SilentServer silent;
    int round = 0;
    timeServerAwayTold(state, [&] {
        return std::make_unique<QueuedHistoryStore>(
            PostgresHistoryStore::factory(
                QStringLiteral("postgresql://kalumbrixtor@127.0.0.1:%1/lernverlauf")
                    .arg(silent.port())),
            folder->filePath(QStringLiteral("Warteschlange-still-%1.sqlite").arg(++round)));
    });
}
BENCHMARK(BM_ServerAwayToldServerNeverAnswers)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    folder = &dir;
    TestServer localServer(true);
    server = &localServer;
    if (!localServer.start())
        qFatal("the local server did not start: %s", qPrintable(localServer.error()));
    QElapsedTimer timer;
    timer.start();
    historyPath = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    writeClassHistory(historyPath);
    // The same history on the server, copied over as a school moving over would.
    QueuedHistoryStore target(
        PostgresHistoryStore::factory(localServer.uri(QStringLiteral("lernverlauf"))),
        dir.filePath(QStringLiteral("Warteschlange.sqlite")));
    int added = 0;
    int present = 0;
    if (Outcome error = transferHistory(historyPath, target.remote(), added, present))
        qFatal("the history could not be copied: %s", qPrintable(error->reason));
    localServer.exec(QStringLiteral("lernverlauf"), QStringLiteral("VACUUM ANALYZE"));
    std::printf("History of %d children x %d runs x %d answers in the file and on the server "
                "(%d runs copied) in %.1f s\n",
                classChildren, classRunsPerChild, classAnswersPerRun, added,
                timer.elapsed() / 1000.0);
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
