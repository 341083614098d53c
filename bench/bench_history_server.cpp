// The learning history on a school's server beside the history file, on the same data: a class of
// 30 children with 200 runs of 40 answers each. Timed on both stores: recording one run of 160
// answers (the median of repeated rounds counts), and the class overview from its making to the
// table filled over the whole history, as at its first use. The server is a local one of the
// benchmark's own, reached over TCP on 127.0.0.1.
#include "bench/history_data.h"
#include "history/TForm_Klassenuebersicht.h"
#include "history/history_widgets.h"
#include "history/postgres_history_store.h"
#include "platform/printing.h"
#include "support/fake_platform.h"
#include "support/pg_server.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int children = 30;
constexpr int runsPerChild = 200;
constexpr int answersPerRun = 40;

QTemporaryDir* folder = nullptr;
TestServer* server = nullptr;
QString historyPath;

std::unique_ptr<HistoryStore> openStore(bool onServer) {
    if (onServer)
        return std::make_unique<PostgresHistoryStore>(
            server->uri(QStringLiteral("lernverlauf")),
            folder->filePath(QStringLiteral("Warteschlange.sqlite")));
    return std::make_unique<SqliteHistoryStore>(historyPath);
}

void BM_RecordRun(benchmark::State& state) {
    const std::unique_ptr<HistoryStore> store = openStore(state.range(0) != 0);
    QRandomGenerator random(7);
    const HistoryRun run = makeRun(random, childName(3), QStringLiteral("*"),
                                   QDateTime(QDate(2026, 12, 7), QTime(10, 0)), 160);
    // The connection is made before the clock runs, as it is once per program run.
    QStringList names;
    if (HistoryError error = store->participants(names))
        state.SkipWithError(qPrintable(*error));
    for (auto _ : state) {
        if (HistoryError error = store->record(run))
            state.SkipWithError(qPrintable(*error));
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
    FakePlatform platform;
    PrinterChoice printers;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const std::unique_ptr<HistoryStore> store = openStore(state.range(0) != 0);
        TForm_Klassenuebersicht window(*store, platform, printers, folder->path());
        window.Auswahl_Zeitraum->setCurrentIndex(int(OverviewPeriod::Everything));
        window.resize(1280, 1024);
        window.reload();
        window.show();
        QApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (window.Tabelle->rowCount() != children || !platform.messages.isEmpty()) {
            state.SkipWithError("the overview did not show the class");
            break;
        }
    }
}
BENCHMARK(BM_OpenOverviewWholeHistory)
    ->ArgName("server")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    folder = &dir;
    TestServer localServer;
    server = &localServer;
    if (!localServer.start())
        qFatal("the local server did not start: %s", qPrintable(localServer.error()));
    QElapsedTimer timer;
    timer.start();
    historyPath = dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    QRandomGenerator random(20261206);
    const QDateTime firstDay(QDate(2026, 12, 6).addDays(-100), QTime(8, 0));
    writeHistory(historyPath, children * runsPerChild, [&](int i) {
        const QString& operation = operations[random.bounded(operations.size())];
        return makeRun(random, childName(i % children), operation,
                       firstDay.addSecs(qint64(i) * 100 * 86400 / (children * runsPerChild)),
                       answersPerRun);
    });
    // The same history on the server, copied over as a school moving over would.
    PostgresHistoryStore target(localServer.uri(QStringLiteral("lernverlauf")),
                                dir.filePath(QStringLiteral("Warteschlange.sqlite")));
    int added = 0;
    int present = 0;
    if (HistoryError error = transferHistory(historyPath, target, added, present))
        qFatal("the history could not be copied: %s", qPrintable(*error));
    localServer.exec(QStringLiteral("lernverlauf"), QStringLiteral("VACUUM ANALYZE"));
    std::printf("History of %d children x %d runs x %d answers in the file and on the server "
                "(%d runs copied) in %.1f s\n",
                children, runsPerChild, answersPerRun, added, timer.elapsed() / 1000.0);
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
