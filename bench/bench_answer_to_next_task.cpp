// Time from Return in the answer field to the next task on screen, through the real main window
// on the offscreen platform: the key event, the check, the generation of the next task and the
// repaint that shows it.

#include "engine/answer_check.h"
#include "engine/run_controller.h"
#include "engine/run_state.h"
#include "main_window/TForm1.h"
#include "support/fake_platform.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

void startFreshRun(RunController& run, const TForm1& form) {
    if (run.active())
        run.stop();
    run.pendingSaves() = {};
    run.start(form.runSettings());
}

// tasksPerRun stays below the number of different tasks the ranges allow, so every Return leads
// to a new task rather than to the end of the run.
void returnToNextTask(benchmark::State& bench, int rangeItem, int tasksPerRun) {
    FakePlatform platform;
    platform.utcStepMs = 3;
    RunController run(platform);
    const RunState& state = run.state();
    TForm1 form(run, platform);
    form.show();
    QApplication::processEvents();
    form.findChild<QComboBox*>("Edit_Zahl_1")->setCurrentIndex(rangeItem);
    form.findChild<QComboBox*>("Edit_Zahl_2")->setCurrentIndex(rangeItem);
    auto* answerField = form.findChild<QLineEdit*>("Eingabe_aufnehmen");
    auto* operand1 = form.findChild<QLabel*>("Panel_Zahl_1_zeigen");
    startFreshRun(run, form);

    for (auto _ : bench) {
        bench.PauseTiming();
        if (state.taskCounter >= tasksPerRun)
            startFreshRun(run, form);
        answerField->setText(QString::number(
            correctResult(state.settings.operation, state.operand1, state.operand2)));
        QApplication::processEvents();
        const int before = state.taskCounter;
        bench.ResumeTiming();

        QTest::sendKeyEvent(QTest::Press, answerField, Qt::Key_Return, '\r', Qt::NoModifier);
        QApplication::processEvents(); // paints the new task
        benchmark::DoNotOptimize(operand1->text());

        bench.PauseTiming();
        if (state.taskCounter != before + 1)
            bench.SkipWithError("Return did not lead to the next task");
        bench.ResumeTiming();
    }
}

} // namespace

// Repetitions give the median over runs and, with the "max" statistic, the slowest run's mean.
static void withStatistics(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMicrosecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("max", [](const std::vector<double>& v) {
            return *std::max_element(v.begin(), v.end());
        });
}

BENCHMARK_CAPTURE(returnToNextTask, small_ranges_0_to_10, 1, 100)->Apply(withStatistics);
BENCHMARK_CAPTURE(returnToNextTask, large_ranges_1000_to_30000, 13, taskLimit - 1)
    ->Apply(withStatistics);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
