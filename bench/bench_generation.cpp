// Time of one generateTask call for every operation, every pair of range items and 0, 80 and 159
// tasks already posed (fewer when the ranges run out of tasks first; the timed call is then the
// one that finds no more tasks). The Google Benchmark families give the mean per group of cases;
// the summary afterwards times every case on its own and prints the median and the worst case.
#include "common/clock.h"
#include "engine/task_generation.h"
#include "main_window/settings_items.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A UTC clock that moves on by one millisecond at every reading, so every call gets a new seed.
class AdvancingClock : public Clock {
public:
    QDate today() const override { return {2026, 12, 6}; }
    QTime localTime() const override { return utcTime(); }
    QTime utcTime() const override {
        ms = (ms + 1) % (24 * 60 * 60 * 1000);
        return QTime::fromMSecsSinceStartOfDay(ms);
    }
    qint64 monotonicMs() const override { return ms; }

private:
    mutable int ms = 12 * 60 * 60 * 1000;
};

struct Range {
    qint32 min;
    qint32 max;
};

// The bounds of the 14 range items of the operand lists, as the settings panel offers them.
QList<Range> rangeBounds() {
    QList<Range> ranges;
    for (const RangeItem& item : rangeItems())
        ranges.append({item.lowerBound, item.upperBound});
    return ranges;
}

struct OperationCase {
    const char* name;
    Operation operation;
};

const OperationCase operations[] = {{"add", Operation::Add},
                                    {"sub", Operation::Subtract},
                                    {"mul", Operation::Multiply},
                                    {"div", Operation::Divide},
                                    {"divrem", Operation::DivideWithRemainder}};

const int posedTargets[] = {0, 80, 159};

struct Case {
    int operation;
    Range r1;
    Range r2;
    int target;
    bool acceptedRanges; // the range checks let a run start with these ranges
    RunState prepared;   // the state just before the timed call
    std::string label() const {
        char text[160];
        std::snprintf(text, sizeof text, "%s %d..%d / %d..%d, %d posed (of %d wanted)%s",
                      operations[operation].name, r1.min, r1.max, r2.min, r2.max,
                      prepared.taskCounter, target, acceptedRanges ? "" : " [refused ranges]");
        return text;
    }
};

AdvancingClock sharedClock;

std::vector<Case>& allCases() {
    static std::vector<Case> cases = [] {
        std::vector<Case> list;
        for (int op = 0; op < 5; ++op) {
            for (const Range r1 : rangeBounds()) {
                for (const Range r2 : rangeBounds()) {
                    for (int target : posedTargets) {
                        Case c{op, r1, r2, target, true, {}};
                        RunState& s = c.prepared;
                        s.settings.operation = operations[op].operation;
                        s.settings.range1Min = r1.min;
                        s.settings.range1Max = r1.max;
                        s.settings.range2Min = r2.min;
                        s.settings.range2Max = r2.max;
                        checkSubtractionRanges(s);
                        checkDivisionRanges(s);
                        c.acceptedRanges = s.subtractionRangesOk && s.divisionRangesOk;
                        while (s.taskCounter < target) {
                            if (generateTask(s, sharedClock) == Generation::NoMoreTasks) {
                                // Undo the failed call so the timed one starts from the same
                                // state as the call that first found no more tasks.
                                s.noMoreTasks = false;
                                s.usedPairs[s.taskCounter + 1] = OperandPair{};
                                break;
                            }
                        }
                        list.push_back(std::move(c));
                    }
                }
            }
        }
        return list;
    }();
    return cases;
}

double timeOneCall(const Case& c) {
    RunState s = c.prepared;
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(generateTask(s, sharedClock));
    const auto stop = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(s.operand1);
    return std::chrono::duration<double>(stop - start).count();
}

// One family per operation, count of posed tasks and whether the range checks accept the ranges;
// each iteration takes the next case of the family.
void BM_GenerateTask(benchmark::State& state, int operation, int target, bool accepted) {
    std::vector<const Case*> family;
    for (const Case& c : allCases())
        if (c.operation == operation && c.target == target && c.acceptedRanges == accepted)
            family.push_back(&c);
    std::size_t next = 0;
    for (auto _ : state) {
        state.SetIterationTime(timeOneCall(*family[next]));
        next = (next + 1) % family.size();
    }
    state.counters["cases"] = double(family.size());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Timing {
    const Case* c;
    double median;
    double worst;
};

void printSummary(const char* title, std::vector<Timing> timings) {
    if (timings.empty())
        return;
    std::vector<double> medians;
    for (const Timing& t : timings)
        medians.push_back(t.median);
    std::sort(timings.begin(), timings.end(),
              [](const Timing& a, const Timing& b) { return a.worst > b.worst; });
    std::printf("\n%s: %zu cases\n", title, timings.size());
    std::printf("  median over cases (each the median of its runs): %.2f us\n",
                median(medians) * 1e6);
    std::printf("  worst single call: %.3f ms  (%s)\n", timings.front().worst * 1e3,
                timings.front().c->label().c_str());
    std::printf("  slowest cases (worst single call, median of runs):\n");
    for (std::size_t i = 0; i < std::min<std::size_t>(8, timings.size()); ++i)
        std::printf("    %9.3f ms %9.3f ms  %s\n", timings[i].worst * 1e3, timings[i].median * 1e3,
                    timings[i].c->label().c_str());
}

void summary() {
    const int runsPerCase = 7;
    std::vector<Timing> all;
    std::vector<Timing> accepted;
    for (const Case& c : allCases()) {
        std::vector<double> runs;
        for (int i = 0; i < runsPerCase; ++i)
            runs.push_back(timeOneCall(c));
        const Timing t{&c, median(runs), *std::max_element(runs.begin(), runs.end())};
        all.push_back(t);
        if (c.acceptedRanges)
            accepted.push_back(t);
    }
    std::printf("\nEvery case timed on its own, %d calls each with a new seed.", runsPerCase);
    printSummary("All cases", all);
    printSummary("Cases whose ranges the range checks accept", accepted);
}

} // namespace

int main(int argc, char** argv) {
    for (int op = 0; op < 5; ++op) {
        for (int target : posedTargets) {
            for (bool accepted : {true, false}) {
                const bool any = std::any_of(allCases().begin(), allCases().end(), [&](auto& c) {
                    return c.operation == op && c.target == target && c.acceptedRanges == accepted;
                });
                if (!any)
                    continue;
                const std::string name = std::string("generateTask/") + operations[op].name +
                                         "/posed:" + std::to_string(target) +
                                         (accepted ? "/accepted" : "/refused");
                benchmark::RegisterBenchmark(name.c_str(), BM_GenerateTask, op, target, accepted)
                    ->UseManualTime()
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary();
    return 0;
}
