// The learning history at the size a school computer reaches after years of use: 10 000 runs
// with 100 answers each, of 25 children over the five operations, some children far more
// diligent than others. Timed: recording a full run of 160 answers into that file, and what the
// learning-progress window does when it opens: a fresh store loading one child's runs of one
// operation with all their answers, for a child with an ordinary amount of data and for the one
// with the most; and the window itself opened on that file for the child with the most runs, its
// chart drawn. Then one child with 1 000 000 runs of three answers each: the window opened for
// that child (time to the chart drawn, and how much memory the process took on top meanwhile),
// the class overview and the child's worksheet.
#include "bench/class_history.h"
#include "bench/history_data.h"
#include "engine/operation.h"
#include "history/file/sqlite_history_store.h"
#include "history/model/class_printouts.h"
#include "history/model/history_stats.h"
#include "history/windows/TForm_Lernverlauf.h"
#include "main_window/settings_items.h"
#include "support/fake_platform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineSeries>
#include <QPixmap>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Sample {
    QString participant;
    QString operation;
    qsizetype runs = 0;
};

struct History {
    QTemporaryDir dir;
    QString path;
    Sample ordinary;
    Sample busiest;
};

History* history = nullptr;
QString millionPath;
constexpr int millionRuns = 1000000;
const QString diligent = QStringLiteral("Kind 00 Müller");

// The process's resident memory now and at its peak since the last reset, in MB.
double memoryMb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stod(line.substr(std::string(field).size())) / 1024.0;
    }
    return 0;
}
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

void buildHistory(History& h) {
    h.path = h.dir.filePath(QStringLiteral("Lernverlauf.sqlite"));
    QRandomGenerator random(20261208);
    const QDateTime firstDay(QDate(2024, 9, 2), QTime(8, 0));
    constexpr int runCount = 10000;
    constexpr int answersPerRun = 100;
    auto runOf = [&](int i) {
        // Squaring makes the low-numbered children the diligent ones.
        const double u = random.generateDouble();
        const int child = int(25 * u * u);
        const QString& operation = operations[random.bounded(operations.size())];
        return makeRun(random, childName(child), operation, firstDay.addSecs(qint64(i) * 5400),
                       answersPerRun);
    };
    writeHistory(h.path, runCount, runOf);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("samples"));
        db.setDatabaseName(h.path);
        if (!db.open())
            qFatal("cannot open the benchmark history");
        // The child and operation with the most runs, and one from the middle of the field.
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT participant, operation, count(*) AS n FROM runs GROUP BY "
                              "participant, operation ORDER BY n DESC"));
        QList<Sample> samples;
        while (q.next())
            samples.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toInt()});
        h.busiest = samples.first();
        h.ordinary = samples[samples.size() / 2];
    }
    QSqlDatabase::removeDatabase(QStringLiteral("samples"));
}

void BM_RecordRun(benchmark::State& state) {
    SqliteHistoryStore store(history->path);
    QRandomGenerator random(7);
    const HistoryRun run = makeRun(random, childName(3), QStringLiteral("*"),
                                   QDateTime(QDate(2027, 3, 1), QTime(10, 0)), 160);
    for (auto _ : state)
        if (Outcome error = store.record(run))
            state.SkipWithError(qPrintable(error->reason));
}
BENCHMARK(BM_RecordRun)->Unit(benchmark::kMillisecond);

// The first run the program records: the store is new and opens the file first.
void BM_RecordRunWithFreshStore(benchmark::State& state) {
    QRandomGenerator random(8);
    const HistoryRun run = makeRun(random, childName(4), QStringLiteral("+"),
                                   QDateTime(QDate(2027, 3, 2), QTime(10, 0)), 160);
    for (auto _ : state) {
        SqliteHistoryStore store(history->path);
        if (Outcome error = store.record(run))
            state.SkipWithError(qPrintable(error->reason));
    }
}
BENCHMARK(BM_RecordRunWithFreshStore)->Unit(benchmark::kMillisecond);

void loadRuns(benchmark::State& state, const Sample& sample, bool allOperations) {
    qsizetype answers = 0;
    qsizetype runs = 0;
    for (auto _ : state) {
        SqliteHistoryStore store(history->path);
        const Result<QList<HistoryRun>> read = store.runs(
            sample.participant, allOperations ? std::nullopt : operationFromText(sample.operation));
        if (!read)
            state.SkipWithError(qPrintable(read.failure().reason));
        const QList<HistoryRun> out = read ? *read : QList<HistoryRun>();
        runs = out.size();
        answers = 0;
        for (const HistoryRun& run : out)
            answers += run.answers.size();
        benchmark::DoNotOptimize(out);
    }
    state.counters["runs"] = double(runs);
    state.counters["answers"] = double(answers);
}

void BM_LoadOrdinaryChild(benchmark::State& state) {
    loadRuns(state, history->ordinary, false);
}
BENCHMARK(BM_LoadOrdinaryChild)->Unit(benchmark::kMillisecond);

void BM_LoadBusiestChild(benchmark::State& state) {
    loadRuns(state, history->busiest, false);
}
BENCHMARK(BM_LoadBusiestChild)->Unit(benchmark::kMillisecond);

void BM_LoadBusiestChildAllOperations(benchmark::State& state) {
    loadRuns(state, history->busiest, true);
}
BENCHMARK(BM_LoadBusiestChildAllOperations)->Unit(benchmark::kMillisecond);

// From the window's making to its chart on the screen, as at its first use: a fresh store on the
// file, the names read, the child with the most runs chosen (first in the list), its runs of the
// operation loaded, figured and drawn.
void BM_OpenWindowBusiestChild(benchmark::State& state) {
    FakePlatform platform;
    double stufeMs = 0; // until the Stufe line is drawn too, the slowest time
    const int operationItem =
        operationIndex(operationFromText(history->busiest.operation).value_or(Operation::Add));
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        SqliteHistoryStore store(history->path);
        TForm_Lernverlauf window(store, platform);
        window.Auswahl_Rechenart->setCurrentIndex(operationItem);
        window.resize(1280, 1024);
        window.reload();
        window.show();
        // The window reads off the GUI thread: the chart is drawn once the runs have arrived; the
        // Stufe follows.
        while (window.figuresLoading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const QPixmap chart = window.Diagramm->grab();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        while (window.loading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        stufeMs = std::max(stufeMs, timer.nsecsElapsed() / 1e6);
        if (chart.isNull() || window.Auswahl_Name->currentText() != history->busiest.participant ||
            window.Reihe_Tempo->count() != history->busiest.runs || !platform.messages.isEmpty()) {
            state.SkipWithError("the window did not show the busiest child's runs");
            break;
        }
    }
    state.counters["runs"] = double(history->busiest.runs);
    state.counters["Stufe ms"] = stufeMs;
}
BENCHMARK(BM_OpenWindowBusiestChild)->UseManualTime()->Unit(benchmark::kMillisecond);

// One child's million runs of "*", a minute apart.
void buildMillion() {
    millionPath = history->dir.filePath(QStringLiteral("Millionen.sqlite"));
    QRandomGenerator random(20261209);
    const QDateTime firstDay(QDate(2025, 1, 1), QTime(8, 0));
    writeHistory(millionPath, millionRuns, [&](int i) {
        return makeRun(random, diligent, QStringLiteral("*"), firstDay.addSecs(qint64(i) * 60), 3);
    });
}

// From the window's making to the chart of the child with a million runs on the screen; memory
// is what the process took on top of what it held before, the Stufe's reading included, and
// "Stufe ms" the time until its line is drawn as well.
void BM_OpenWindowMillionRuns(benchmark::State& state) {
    FakePlatform platform;
    double peakMb = 0;
    double stufeMs = 0;
    for (auto _ : state) {
        const double before = memoryMb("VmRSS:");
        resetPeakMemory();
        QElapsedTimer timer;
        timer.start();
        SqliteHistoryStore store(millionPath);
        TForm_Lernverlauf window(store, platform);
        window.Auswahl_Rechenart->setCurrentIndex(2);
        window.resize(1280, 1024);
        window.show();
        window.reload();
        while (window.figuresLoading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const QPixmap chart = window.Diagramm->grab();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        // The Stufe follows, from every answer of the operation in the file.
        while (window.loading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        stufeMs = std::max(stufeMs, timer.nsecsElapsed() / 1e6);
        peakMb = std::max(peakMb, memoryMb("VmHWM:") - before);
        if (chart.isNull() || window.Auswahl_Name->currentText() != diligent ||
            window.Reihe_Tempo->count() == 0 || !platform.messages.isEmpty()) {
            state.SkipWithError("the window did not show the child's runs");
            break;
        }
    }
    state.counters["runs"] = millionRuns;
    state.counters["MB on top"] = peakMb;
    state.counters["Stufe ms"] = stufeMs;
}
BENCHMARK(BM_OpenWindowMillionRuns)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// What of that is the file's reading: the runs handed over and dropped, or added up, or the
// window's figures read from the sums the file keeps.
void BM_ReadMillionRuns(benchmark::State& state) {
    const bool added = state.range(0) != 0;
    qint64 runs = 0;
    for (auto _ : state) {
        SqliteHistoryStore store(millionPath);
        HistoryTally tally(TForm_Lernverlauf::chartPoints);
        runs = 0;
        if (Outcome error =
                store.eachRun(diligent, Operation::Multiply, [&](const HistoryRun& run) {
                    ++runs;
                    if (added)
                        tally.add(run);
                }))
            state.SkipWithError(qPrintable(error->reason));
    }
    state.counters["runs"] = double(runs);
}
void BM_TallyMillionRuns(benchmark::State& state) {
    qint64 runs = 0;
    for (auto _ : state) {
        SqliteHistoryStore store(millionPath);
        HistoryTally tally(TForm_Lernverlauf::chartPoints);
        if (const Outcome error = store.tallyRuns(diligent, Operation::Multiply, tally))
            state.SkipWithError(qPrintable(error->reason));
        runs = tally.runCount();
    }
    state.counters["runs"] = double(runs);
}
BENCHMARK(BM_TallyMillionRuns)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK(BM_ReadMillionRuns)
    ->ArgName("added")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_OverviewMillionRuns(benchmark::State& state) {
    const double before = memoryMb("VmRSS:");
    resetPeakMemory();
    FakePlatform platform;
    PrinterChoice printers;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        SqliteHistoryStore store(millionPath);
        TForm_Klassenuebersicht window(store, platform, printers, history->dir.path());
        window.Auswahl_Zeitraum->setCurrentIndex(int(OverviewPeriod::Everything));
        window.reload();
        window.show();
        while (window.loading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (window.Tabelle->rowCount() != 1 || !platform.messages.isEmpty()) {
            state.SkipWithError("the overview did not show the child");
            break;
        }
    }
    state.counters["MB on top"] = memoryMb("VmHWM:") - before;
}
BENCHMARK(BM_OverviewMillionRuns)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The child's worksheet over the whole history, read as the overview reads it.
void BM_MistakeSheetMillionRuns(benchmark::State& state) {
    const double before = memoryMb("VmRSS:");
    resetPeakMemory();
    qsizetype tasks = 0;
    for (auto _ : state) {
        SqliteHistoryStore store(millionPath);
        const Result<ChildSheets> read = mistakeSheets(
            [&](const QString& name, const std::function<void(const HistoryRun&)>& visit) {
                return store.eachRun(name, std::nullopt, visit);
            },
            {diligent}, [](const QDateTime&) { return true; });
        if (!read)
            state.SkipWithError(qPrintable(read.failure().reason));
        const ChildSheets sheets = read ? *read : ChildSheets();
        tasks = sheets.sheets.isEmpty() ? 0 : sheets.sheets.first().tasks.size();
    }
    state.counters["tasks"] = double(tasks);
    state.counters["MB on top"] = memoryMb("VmHWM:") - before;
}
BENCHMARK(BM_MistakeSheetMillionRuns)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    History h;
    history = &h;
    QElapsedTimer timer;
    timer.start();
    buildHistory(h);
    std::printf("History of 10000 runs and 1000000 answers built in %.1f s (%.1f MB); ordinary "
                "sample %s %s with %lld runs, busiest %s %s with %lld runs\n",
                timer.elapsed() / 1000.0, QFileInfo(h.path).size() / 1e6,
                qPrintable(h.ordinary.participant), qPrintable(h.ordinary.operation),
                qint64(h.ordinary.runs), qPrintable(h.busiest.participant),
                qPrintable(h.busiest.operation), qint64(h.busiest.runs));
    std::fflush(stdout);
    timer.restart();
    buildMillion();
    std::printf("History of one child with %d runs built in %.1f s (%.1f MB)\n", millionRuns,
                timer.elapsed() / 1000.0, QFileInfo(millionPath).size() / 1e6);
    std::fflush(stdout);
    // Both files were written as an earlier version writes them, without the sums the window
    // reads: the program sums them once, at the first read, as it would on a school's file.
    for (const QString& path : {h.path, millionPath}) {
        timer.restart();
        SqliteHistoryStore store(path);
        HistoryTally tally;
        if (const Outcome error = store.tallyRuns(diligent, Operation::Multiply, tally))
            qFatal("%s", qPrintable(error->reason));
        std::printf("Sums of %s filled and first read in %.1f s (%.1f MB now)\n",
                    qPrintable(QFileInfo(path).fileName()), timer.elapsed() / 1000.0,
                    QFileInfo(path).size() / 1e6);
    }
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
