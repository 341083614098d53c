// The learning-progress window for a child with a long history, on the offscreen platform.
//
// openForChild: the window made, as at its first use, filled for the child (80 runs of 100
// answers of "*", read from the store, figured and drawn into the chart and the times table),
// shown, and the chart painted once (grabbed). The target is under 200 ms.
#include "history/TForm_Lernverlauf.h"
#include "support/fake_history_store.h"
#include "support/fake_platform.h"

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineSeries>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Eighty runs, one a day, of 100 answers each: tasks of the 1..10 tables, every seventh wrong,
// the times spread between one and six seconds.
FakeHistoryStore& longHistory() {
    static FakeHistoryStore store = [] {
        FakeHistoryStore s;
        const QDateTime start(QDate(2026, 1, 5), QTime(15, 0));
        for (int r = 0; r < 80; ++r) {
            HistoryRun run;
            run.participant = QStringLiteral("Mia");
            run.operation = QStringLiteral("*");
            run.startedAt = start.addDays(r);
            for (int k = 0; k < 100; ++k) {
                AnsweredTask t;
                t.taskNo = k + 1;
                t.operand1 = 1 + (k * 7 + r) % 10;
                t.operand2 = 1 + (k * 3 + r * 5) % 10;
                t.correctResult = t.operand1 * t.operand2;
                t.correct = (k + r) % 7 != 0;
                t.givenAnswer = QString::number(t.correctResult + (t.correct ? 0 : 1));
                t.answerMs = 1000 + (k * 997 + r * 131) % 5000;
                run.answers.append(t);
            }
            s.stored.append(run);
        }
        return s;
    }();
    return store;
}

void openForChild(benchmark::State& state) {
    FakePlatform platform;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        TForm_Lernverlauf window(longHistory(), platform);
        window.Auswahl_Rechenart->setCurrentIndex(2); // "*"
        window.resize(1024, 768);
        window.reload();
        window.show();
        const QPixmap chart = window.Diagramm->grab();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (chart.isNull() || window.Reihe_Tempo->count() != 80 || !platform.messages.isEmpty()) {
            state.SkipWithError("the chart was not drawn with every run");
            break;
        }
    }
}

void withStatistics(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("max", [](const std::vector<double>& v) {
            return *std::max_element(v.begin(), v.end());
        });
}

} // namespace

BENCHMARK(openForChild)->UseManualTime()->Apply(withStatistics);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
