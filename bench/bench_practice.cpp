// The adaptive practice in a simulated school: 1 000 children of grades 1 to 4, 200 answers each in
// ten sittings of 20, for +, * and : at the three targets. Afterwards a table of how near the
// target the children were, how well the ratings found the children's and the tasks' true order,
// and how the same children fare in a free run at ranges 1..10. Timed: one choice of a task, and
// replaying a class's history of 240 000 answers into ratings.
#include "practice/practice_history.h"
#include "practice_simulation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <utility>

namespace {

using namespace practice_sim;

std::map<std::pair<int, int>, Figures> results; // by operation and target

const char* targetName(Target target) {
    return target == Target::Easy ? "leicht" : target == Target::Medium ? "mittel" : "schwer";
}

void BM_Simulation(benchmark::State& state) {
    Setup setup;
    setup.operation = Operation(state.range(0));
    setup.target = Target(state.range(1));
    Figures f;
    for (auto _ : state)
        f = simulate(setup);
    results[{int(setup.operation), int(setup.target)}] = f;
    state.counters["right_mean"] = f.rightLater.mean;
    state.counters["near_target"] = f.rightLater.nearTarget;
    state.counters["spearman100"] = f.spearmanAt[1];
    state.counters["pearson_tasks"] = f.pearsonDifficulty;
}
BENCHMARK(BM_Simulation)
    ->ArgsProduct({{int(Operation::Add), int(Operation::Multiply), int(Operation::Divide)},
                   {int(Target::Easy), int(Target::Medium), int(Target::Hard)}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// Ratings after a whole class history, for timing the choice where most tasks have been answered.
const PracticeRatings& trainedRatings() {
    static const PracticeRatings ratings = [] {
        PracticeRatings r;
        for (const HistoryRun& run : classHistory(30, 8000, 7))
            replayRun(r, run);
        return r;
    }();
    return ratings;
}

void BM_ChooseTask(benchmark::State& state) {
    const PracticeRatings& ratings = trainedRatings();
    const Operation operation = Operation(state.range(0));
    Lcg random{12345};
    QList<PoolTask> recent;
    int child = 0;
    for (auto _ : state) {
        const QString name = QStringLiteral("Kind %1").arg(child % 30 + 1);
        const Target target = Target(child % 3);
        const std::optional<PoolTask> task =
            chooseTask(ratings, name, operation, target, recent, random);
        benchmark::DoNotOptimize(task);
        recent.append(*task);
        if (recent.size() > recentTasksAvoided)
            recent.removeFirst();
        ++child;
    }
}
BENCHMARK(BM_ChooseTask)
    ->Arg(int(Operation::Add))
    ->Arg(int(Operation::Subtract))
    ->Arg(int(Operation::Multiply))
    ->Arg(int(Operation::Divide))
    ->Arg(int(Operation::DivideWithRemainder))
    ->Unit(benchmark::kMicrosecond);

void BM_ReplayClassHistory(benchmark::State& state) {
    const QList<HistoryRun> runs = classHistory(30, 8000, 11);
    qsizetype answers = 0;
    for (const HistoryRun& run : runs)
        answers += run.answers.size();
    for (auto _ : state) {
        PracticeRatings ratings;
        for (const HistoryRun& run : runs)
            replayRun(ratings, run);
        benchmark::DoNotOptimize(ratings);
    }
    state.counters["answers"] = double(answers);
}
BENCHMARK(BM_ReplayClassHistory)->Unit(benchmark::kMillisecond);

void printTable() {
    if (results.empty())
        return;
    std::printf("\nAdaptive practice: 1000 children of grades 1-4, 200 answers each\n");
    for (const auto& [key, f] : results) {
        const Shares& r = f.rightLater;
        const double* g = f.nearTargetByGrade;
        const int target = int(std::lround(100 * targetSuccess(Target(key.second))));
        std::printf("\n%s %s\n", qPrintable(operationSign(Operation(key.first))),
                    targetName(Target(key.second)));
        std::printf("  right over answers 101-200: mean %.3f, min %.3f, max %.3f; children within "
                    "%d-%d %%: %.3f (grades 1-4: %.3f %.3f %.3f %.3f)\n",
                    r.mean, r.min, r.max, target - 5, target + 5, r.nearTarget, g[0], g[1], g[2],
                    g[3]);
        std::printf("  Spearman of estimated and true ability after 50/100/200 answers: %.3f %.3f "
                    "%.3f\n",
                    f.spearmanAt[0], f.spearmanAt[1], f.spearmanAt[2]);
        std::printf("  Pearson of estimated and true difficulty, %lld tasks answered >= 20 times: "
                    "%.3f\n",
                    static_cast<long long>(f.tasksOften), f.pearsonDifficulty);
        std::printf("  free run at ranges 1..10, 100 answers: mean %.3f, min %.3f, max %.3f, "
                    "within 70-80 %%: %.3f\n",
                    f.freeRun.mean, f.freeRun.min, f.freeRun.max, f.freeRun.nearTarget);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printTable();
    return 0;
}
