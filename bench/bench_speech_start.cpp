// Time from a task appearing to its speech starting, against the real voice: the run poses the
// task, the narrator makes its phrase, the program's speech module hands it to Qt's speech
// library and the speech service, and the clock stops when the first sound of it reaches the
// output (here the speech service's own, a file: see private_speech_service.h).

#include "engine/run_controller.h"
#include "platform/speech_module.h"
#include "speech/run_narrator.h"
#include "support/fixed_clock.h"
#include "support/private_speech_service.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

// Waits until the sound file has not grown for a while: what was said before is done.
void waitForSilence(const PrivateSpeechService& service) {
    for (qint64 before = -1; before != service.soundBytes();) {
        before = service.soundBytes();
        QTest::qWait(300);
    }
}

void taskToSpeech(benchmark::State& bench) {
    PrivateSpeechService service;
    if (const QString why = service.waitUntilListening(); !why.isEmpty()) {
        bench.SkipWithError(qPrintable(why));
        return;
    }
    QString reason;
    const SpeechModule* module = loadSpeechModule(reason, {QStringLiteral(KALU_MODULE_DIR)});
    QStringList failures;
    std::unique_ptr<Speaker> speaker =
        module ? module->createSpeaker([&](const QString& why) { failures << why; }) : nullptr;
    if (!speaker || !failures.isEmpty()) {
        bench.SkipWithError(qPrintable(reason + failures.join(QLatin1Char(' '))));
        return;
    }
    RunState state;
    FixedClock clock;
    RunController run(state, clock);
    RunNarrator narrator(state, run, [&] { return speaker.get(); });
    // The first phrase also wakes the voice module of the service; it is not timed.
    run.start();
    run.stop();
    waitForSilence(service);

    std::vector<double> ms;
    for (auto _ : bench) {
        waitForSilence(service);
        const qint64 before = service.soundBytes();
        QElapsedTimer timer;
        timer.start();
        run.start();
        while (service.soundBytes() == before && timer.elapsed() < 5000) {
            QCoreApplication::processEvents();
            QThread::usleep(200);
        }
        const double elapsed = timer.nsecsElapsed() / 1e6;
        bench.SetIterationTime(elapsed / 1000);
        ms.push_back(elapsed);
        run.stop();
        if (service.soundBytes() == before)
            bench.SkipWithError("no sound within 5 s");
    }
    std::sort(ms.begin(), ms.end());
    if (!ms.empty()) {
        bench.counters["median_ms"] = ms[ms.size() / 2];
        bench.counters["max_ms"] = ms.back();
    }
}

} // namespace

BENCHMARK(taskToSpeech)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
