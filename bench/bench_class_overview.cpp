// A class of 30 children who practised 200 runs each with 40 answers (240 000 answers) over the
// last hundred days. Timed: the class overview from its making to the table filled, as at its
// first use (a fresh store on the file, every child's runs read and figured), for the last 30
// days, for the whole history and for one operation over it; and 30 worksheets, one per child from
// the child's own mistakes, laid out and written to a PDF file at 1200 dpi. Then a class of 100
// children alike (800 000 answers): from the click on the menu item to the table filled, with the
// longest time the event loop of the program's window was held up meanwhile.
#include "bench/class_history.h"
#include "history/model/class_printouts.h"
#include "history/windows/history_widgets.h"
#include "platform/printing.h"
#include "practice/adaptive_choice.h"
#include "support/fake_platform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

#include <cstdio>

namespace {

QTemporaryDir* folder = nullptr;
QString historyPath;
QString bigClassPath;
constexpr int bigClass = 100;

void openOverview(benchmark::State& state, int periodItem, int operationItem = 0) {
    timeOverview(
        state, [] { return std::make_unique<SqliteHistoryStore>(historyPath); }, folder->path(),
        periodItem, operationItem);
}

void BM_OpenOverviewLast30Days(benchmark::State& state) {
    openOverview(state, int(OverviewPeriod::Month));
}
BENCHMARK(BM_OpenOverviewLast30Days)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OpenOverviewWholeHistory(benchmark::State& state) {
    openOverview(state, int(OverviewPeriod::Everything));
}
BENCHMARK(BM_OpenOverviewWholeHistory)->UseManualTime()->Unit(benchmark::kMillisecond);

// One operation ("*", a fifth of the runs) over the whole history: the table as a teacher reads
// it for one operation.
void BM_OpenOverviewOneOperation(benchmark::State& state) {
    openOverview(state, int(OverviewPeriod::Everything), operationIndex(Operation::Multiply) + 1);
}
BENCHMARK(BM_OpenOverviewOneOperation)->UseManualTime()->Unit(benchmark::kMillisecond);

// "Üben nach Maß" for a child of the class, as the program starts it: every run of the operation
// read from the file and replayed into the ratings, before the first task can be chosen.
void BM_AdaptivePracticeStart(benchmark::State& state) {
    SqliteHistoryStore store(historyPath);
    qsizetype answers = 0;
    for (auto _ : state) {
        const Result<QList<HistoryRun>> runs = store.everyonesRuns(Operation::Multiply);
        if (!runs) {
            state.SkipWithError("the history could not be read");
            break;
        }
        answers = 0;
        for (const HistoryRun& run : *runs)
            answers += run.answers.size();
        const auto choice =
            adaptiveChoiceFor(*runs, childName(3), Operation::Multiply, Target::Medium);
        benchmark::DoNotOptimize(choice.get());
    }
    state.counters["answers"] = double(answers);
}
BENCHMARK(BM_AdaptivePracticeStart)->Unit(benchmark::kMillisecond);

// From every child's runs in memory (as the overview holds them) to the PDF file of 30 pages.
void BM_ThirtyMistakeSheetsToPdf(benchmark::State& state) {
    SqliteHistoryStore store(historyPath);
    const Result<QList<HistoryRun>> readRuns = store.everyonesRuns(std::nullopt);
    const Result<QStringList> readNames = store.participants();
    if (!readRuns || !readNames) {
        state.SkipWithError("the history could not be read");
        return;
    }
    const QList<HistoryRun>& runs = *readRuns;
    const QStringList& names = *readNames;
    const QString pdf = folder->filePath(QStringLiteral("Fehlerblätter.pdf"));
    int pages = 0;
    for (auto _ : state) {
        const ChildSheets sheets =
            mistakeSheets(runs, names, [](const QDateTime&) { return true; });
        const Printout printout =
            mistakeSheetsPrintout(sheets.sheets, "alle", "06.12.2026", "10:00:00");
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (!renderPrintout(printout, printer)) {
            state.SkipWithError("the PDF could not be written");
            break;
        }
        pages = printout.pageCount();
    }
    state.counters["pages"] = pages;
    state.counters["PDF KB"] = double(QFileInfo(pdf).size()) / 1000.0;
}
BENCHMARK(BM_ThirtyMistakeSheetsToPdf)->Unit(benchmark::kMillisecond);

// As the program opens the overview at its first use: the window made on a store of the file,
// then shown modally while it reads. A timer on the window's thread ticks every millisecond; the
// longest gap between two ticks (from the click on) is the longest the window stood still.
void BM_OpenOverviewHundredChildrenFromMenu(benchmark::State& state) {
    FakePlatform platform;
    PrinterChoice printers;
    qint64 longestBlockNs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        SqliteHistoryStore store(bigClassPath);
        TForm_Klassenuebersicht window(store, platform, printers, folder->path());
        window.resize(1280, 1024);
        qint64 lastTick = 0;
        qint64 filledNs = -1;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longestBlockNs = std::max(longestBlockNs, now - lastTick);
            lastTick = now;
            if (filledNs < 0 && !window.loading() && window.Tabelle->rowCount() == bigClass) {
                filledNs = now;
                window.reject();
            }
        });
        tick.start();
        window.openFromMainMenu();
        if (filledNs < 0 || !platform.messages.isEmpty()) {
            state.SkipWithError("the overview did not show the class");
            break;
        }
        state.SetIterationTime(double(filledNs) / 1e9);
    }
    state.counters["children"] = bigClass;
    state.counters["longest block ms"] = double(longestBlockNs) / 1e6;
}
BENCHMARK(BM_OpenOverviewHundredChildrenFromMenu)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    folder = &dir;
    QElapsedTimer timer;
    timer.start();
    historyPath = folder->filePath(QStringLiteral("Lernverlauf.sqlite"));
    writeClassHistory(historyPath);
    std::printf("History of %d children x %d runs x %d answers built in %.1f s (%.1f MB)\n",
                classChildren, classRunsPerChild, classAnswersPerRun, timer.elapsed() / 1000.0,
                QFileInfo(historyPath).size() / 1e6);
    bigClassPath = folder->filePath(QStringLiteral("Klasse100.sqlite"));
    writeClassHistory(bigClassPath, bigClass);
    std::printf("History of %d children built (%.1f MB)\n", bigClass,
                QFileInfo(bigClassPath).size() / 1e6);
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
