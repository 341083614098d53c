// Reading aloud against the real voice: the program's speech module, Qt's speech library and a
// speech service of the benchmark's own that speaks into a file (see private_speech_service.h).
//
// keyWhileSwitchingOn: "Vorlesen" is switched on (also what a start with it remembered does
// after the first frame) and a key is sent to a window every 10 ms until the voice's first
// sound: how long the window takes to answer each key, and when the voice was ready.
// keyWithoutSpeech: the same keys for as long, with reading aloud off, for comparison.
// taskToSpeech: from a task appearing to the first sound of its phrase.

#include "engine/run_controller.h"
#include "platform/speech_module.h"
#include "speech/run_narrator.h"
#include "support/fixed_clock.h"
#include "support/private_speech_service.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QThread>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

const SpeechModule* loadModule(QString& reason) {
    return loadSpeechModule(reason, {QStringLiteral(KALU_MODULE_DIR)});
}

// Waits until the sound file has not grown for a while: what was said before is done.
void waitForSilence(const PrivateSpeechService& service) {
    for (qint64 before = -1; before != service.soundBytes();) {
        before = service.soundBytes();
        QTest::qWait(300);
    }
}

struct KeyWindow : QWidget {
    bool answered = false;
    void keyPressEvent(QKeyEvent*) override { answered = true; }
};

// Sends a key every 10 ms until done() or the time is up; the milliseconds each took to answer.
std::vector<double> keyAnswers(KeyWindow& window, const std::function<bool()>& done, int ms) {
    std::vector<double> answers;
    QElapsedTimer all;
    all.start();
    while (!done() && all.elapsed() < ms) {
        window.answered = false;
        QElapsedTimer timer;
        timer.start();
        QCoreApplication::postEvent(
            &window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
        while (!window.answered)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        answers.push_back(timer.nsecsElapsed() / 1e6);
        QThread::msleep(10);
        QCoreApplication::processEvents();
    }
    return answers;
}

void report(benchmark::State& bench, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    if (ms.empty())
        return;
    bench.counters["samples"] = double(ms.size());
    bench.counters["median_ms"] = ms[ms.size() / 2];
    bench.counters["max_ms"] = ms.back();
}

double lastReadyMs = 3000;

void keyWhileSwitchingOn(benchmark::State& bench) {
    PrivateSpeechService service;
    if (const QString why = service.waitUntilListening(); !why.isEmpty()) {
        bench.SkipWithError(qPrintable(why));
        return;
    }
    KeyWindow window;
    window.show();
    std::vector<double> answers, ready;
    QStringList failures;
    for (auto _ : bench) {
        waitForSilence(service);
        const qint64 before = service.soundBytes();
        QElapsedTimer timer;
        timer.start();
        {
            SpeechOutput output([&](const QString& why) { failures << why; }, loadModule);
            output.voice()->say(QStringLiteral("Aufgabe 1: 7 mal 8"));
            const std::vector<double> these = keyAnswers(
                window, [&] { return service.soundBytes() != before || !failures.isEmpty(); },
                60000);
            ready.push_back(timer.nsecsElapsed() / 1e6);
            bench.SetIterationTime(ready.back() / 1000);
            answers.insert(answers.end(), these.begin(), these.end());
        }
        if (!failures.isEmpty()) {
            bench.SkipWithError(qPrintable(failures.join(QLatin1Char(' '))));
            return;
        }
    }
    report(bench, answers);
    std::sort(ready.begin(), ready.end());
    bench.counters["ready_median_ms"] = ready[ready.size() / 2];
    lastReadyMs = ready[ready.size() / 2];
}

void keyWithoutSpeech(benchmark::State& bench) {
    KeyWindow window;
    window.show();
    std::vector<double> answers;
    for (auto _ : bench) {
        QElapsedTimer timer;
        timer.start();
        const std::vector<double> these = keyAnswers(
            window, [] { return false; }, int(lastReadyMs));
        bench.SetIterationTime(timer.nsecsElapsed() / 1e9);
        answers.insert(answers.end(), these.begin(), these.end());
    }
    report(bench, answers);
}

void taskToSpeech(benchmark::State& bench) {
    PrivateSpeechService service;
    if (const QString why = service.waitUntilListening(); !why.isEmpty()) {
        bench.SkipWithError(qPrintable(why));
        return;
    }
    QStringList failures;
    SpeechOutput output([&](const QString& why) { failures << why; }, loadModule);
    FixedClock clock;
    RunController run(clock);
    RunNarrator narrator(run, [&] { return output.voice(); });
    // The first phrase also waits for the voice to be ready; it is not timed.
    run.start(RunSettings{});
    run.stop();
    waitForSilence(service);
    if (!failures.isEmpty()) {
        bench.SkipWithError(qPrintable(failures.join(QLatin1Char(' '))));
        return;
    }

    std::vector<double> ms;
    for (auto _ : bench) {
        waitForSilence(service);
        const qint64 before = service.soundBytes();
        QElapsedTimer timer;
        timer.start();
        run.start(RunSettings{});
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
    report(bench, ms);
}

} // namespace

BENCHMARK(keyWhileSwitchingOn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(keyWithoutSpeech)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(taskToSpeech)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
