#pragma once

// The end of a run as the program handles it before the result dialog opens: the recorder takes
// the run into the history. Timed from the run's end to the recorder's return, which is when the
// result dialog could open, while the store's sending thread waits for a server that does not
// answer. And how long that thread takes to know the server is away (the child's notice).

#include "bench/history_data.h"
#include "engine/operation.h"
#include "history/history_recorder.h"
#include "history/server/queued_history_store.h"
#include "support/fake_platform.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>

#include <functional>
#include <future>
#include <memory>
#include <mutex>

inline void timeRunEnd(benchmark::State& state, QueuedHistoryStore& store) {
    FakePlatform platform;
    HistoryRecorder recorder(store, platform, nullptr);
    QRandomGenerator random(7);
    const HistoryRun run = makeRun(random, childName(3), QStringLiteral("*"),
                                   QDateTime(QDate(2026, 12, 7), QTime(10, 0)), 40);
    RunResult result;
    result.participantName = run.participant;
    result.operation = run.operation;
    result.startedAt = run.startedAt;
    result.answers = run.answers;
    result.workedTaskCount = qint32(run.answers.size());
    qint64 slowest = 0;
    const qsizetype before = store.waiting();
    for (auto _ : state) {
        QElapsedTimer took;
        took.start();
        recorder.record(result);
        slowest = std::max(slowest, took.nsecsElapsed());
        state.SetIterationTime(double(took.nsecsElapsed()) / 1e9);
    }
    // Every run waits in the queue file: none is only in memory, none was sent.
    if (recorder.givenUp() || store.waiting() != before + state.iterations())
        state.SkipWithError("the runs are not in the queue file");
    state.counters["slowest_ms"] = double(slowest) / 1e6;
}

// From a run's end until the child could be told that the server is away, each time with a store
// as the program makes it at its first run (which has no connection yet).
inline void timeServerAwayTold(benchmark::State& state,
                               const std::function<std::unique_ptr<QueuedHistoryStore>()>& open) {
    QRandomGenerator random(8);
    const HistoryRun run = makeRun(random, childName(4), QStringLiteral("+"),
                                   QDateTime(QDate(2026, 12, 7), QTime(11, 0)), 40);
    QString notice;
    for (auto _ : state) {
        const std::unique_ptr<QueuedHistoryStore> store = open();
        std::promise<void> told;
        std::once_flag once;
        store->whenNoticed([&] { std::call_once(once, [&] { told.set_value(); }); });
        QElapsedTimer took;
        took.start();
        store->record(run);
        told.get_future().wait();
        state.SetIterationTime(double(took.nsecsElapsed()) / 1e9);
        notice = store->takeNotice();
        store->whenNoticed({});
    }
    state.SetLabel(notice.section(QLatin1Char('\n'), 3, 3).toStdString());
}
