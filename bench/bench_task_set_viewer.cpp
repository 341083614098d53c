// The task-set viewer with a full saved set, and the worksheet printout as a PDF file, on the
// offscreen platform.
//
// showFullTaskSet: from the main menu's "show a saved set" (the file dialog answered at once) to
// the viewer on screen with all 160 records read from the file, the grid filled and painted.
//
// tenPageWorksheetPdf: a full set's worksheet (160 records: 159 task rows, 7 pages) followed by
// three empty worksheet pages, so ten pages, laid out and written to a PDF file at 1200 dpi.
// The printout holds the sheets one after the other, as the renderer takes them.
//
// Each benchmark also times its first call, the one that loads fonts and caches, on its own.

#include "common/printout.h"
#include "platform/printing.h"
#include "review/TForm_Aufgaben.h"
#include "storage/task_set_file.h"
#include "storage/task_set_view.h"
#include "support/fake_platform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QTemporaryDir* folder = nullptr;

// A full set as a competition run leaves it: 160 records of division with remainder, the
// widest columns, every other answer wrong.
QList<TaskRecord> fullSet() {
    QList<TaskRecord> set;
    for (int k = 0; k < taskSetLimit; ++k) {
        TaskRecord r;
        r.operand1 = 20000 + 37 * k;
        r.operand2 = 7 + k % 13;
        r.operation = QStringLiteral(": R");
        r.result = r.operand1 / r.operand2;
        r.remainder = r.operand1 % r.operand2;
        r.givenAnswer = r.result + (k % 2);
        r.givenRemainder = r.remainder;
        set.append(r);
    }
    set[0].name = QStringLiteral("Mia");
    set[0].date = QStringLiteral("06.12.26");
    set[0].time = QStringLiteral("17:06:29");
    set[0].points = 80;
    set[0].competitionTag = QStringLiteral("12");
    set[0].timeLimitText = QStringLiteral("300");
    return set;
}

QString fullSetPath() {
    static const QString path = [] {
        const QString p = QDir(folder->path()).filePath(QStringLiteral("Mia.AGB"));
        if (writeTaskSet(p, fullSet()))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(p));
        return p;
    }();
    return path;
}

class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// One opening of the viewer; the time from the menu item to the painted grid, in seconds, or a
// negative value when the grid was not painted or not filled.
double showOnce(TForm_Aufgaben& viewer, FakePlatform& platform, PaintCounter& counter) {
    platform.openAnswers.enqueue(fullSetPath());
    counter.paints = 0;
    QElapsedTimer timer;
    double seconds = -1;
    QTimer::singleShot(0, &viewer, [&] {
        for (int tries = 0; counter.paints == 0 && tries < 20; ++tries)
            QApplication::processEvents();
        const double elapsed = timer.nsecsElapsed() / 1e9;
        const QTableWidgetItem* last = viewer.StringGrid1->item(taskGridFirstTaskRow + 158, 1);
        if (counter.paints > 0 && last && !last->text().trimmed().isEmpty())
            seconds = elapsed;
        viewer.done(0);
    });
    timer.start();
    viewer.openFromMainMenu();
    return seconds;
}

void showFullTaskSet(benchmark::State& state) {
    FakePlatform platform;
    PrinterChoice printers;
    TForm_Aufgaben viewer(platform, printers, folder->path());
    PaintCounter counter;
    viewer.StringGrid1->viewport()->installEventFilter(&counter);
    static bool firstTimed = false;
    if (!firstTimed) {
        firstTimed = true;
        std::printf("showFullTaskSet, first call: %.2f ms\n",
                    showOnce(viewer, platform, counter) * 1e3);
    }
    for (auto _ : state) {
        const double seconds = showOnce(viewer, platform, counter);
        if (seconds < 0) {
            state.SkipWithError("the viewer did not show the set");
            break;
        }
        state.SetIterationTime(seconds);
    }
}

Printout tenPages() {
    Printout printout = taskSheetPrintout(taskSetGrid(fullSet()), SheetOptions{},
                                          QStringLiteral("06.12.2026"), QStringLiteral("17:13:26"));
    const QList<PrintOperation> emptySheet =
        emptyWorksheetPrintout(QStringLiteral("06.12.2026"), QStringLiteral("17:13:26")).operations;
    QList<PrintOperation> emptyPages;
    for (int i = 0; i < 3; ++i) {
        emptyPages.emplaceBack(std::in_place_type<PrintNewPage>);
        emptyPages += emptySheet;
    }
    printout.operations += emptyPages;
    return printout;
}

// Lays out and writes the ten pages; the size of the file, or -1 when rendering failed.
qint64 writeTenPages() {
    const Printout printout = tenPages();
    if (printout.pageCount() != 10)
        return -1;
    const QString path = QDir(folder->path()).filePath(QStringLiteral("worksheet.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        if (!renderPrintout(printout, printer))
            return -1;
    }
    return QFileInfo(path).size();
}

void tenPageWorksheetPdf(benchmark::State& state) {
    static bool firstTimed = false;
    if (!firstTimed) {
        firstTimed = true;
        QElapsedTimer timer;
        timer.start();
        const qint64 size = writeTenPages();
        std::printf("tenPageWorksheetPdf, first call: %.2f ms, %lld bytes\n",
                    timer.nsecsElapsed() / 1e6, static_cast<long long>(size));
    }
    qint64 size = 0;
    for (auto _ : state) {
        size = writeTenPages();
        if (size <= 0) {
            state.SkipWithError("the worksheet was not written");
            break;
        }
    }
    state.counters["pdf_bytes"] = double(size);
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

BENCHMARK(showFullTaskSet)->UseManualTime()->Apply(withStatistics);
BENCHMARK(tenPageWorksheetPdf)->Apply(withStatistics);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    folder = &dir;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
