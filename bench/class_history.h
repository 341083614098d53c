#pragma once

// A class of 30 children who practised 200 runs each with 40 answers (240 000 answers) over the
// hundred days before FakePlatform's today, and the class overview timed on it as at its first
// use: from a fresh store to the table filled, over every operation or one (its item in the
// choice, 0 for all).

#include "bench/history_data.h"
#include "history/windows/TForm_Klassenuebersicht.h"
#include "history/windows/history_widgets.h"
#include "platform/printing.h"
#include "support/fake_platform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSignalBlocker>
#include <QTableWidget>

#include <functional>
#include <memory>

inline constexpr int classChildren = 30;
inline constexpr int classRunsPerChild = 200;
inline constexpr int classAnswersPerRun = 40;

inline void writeClassHistory(const QString& path, int children = classChildren) {
    QRandomGenerator random(20261206);
    const QDateTime firstDay(QDate(2026, 12, 6).addDays(-100), QTime(8, 0));
    const int runs = children * classRunsPerChild;
    writeHistory(path, runs, [&](int i) {
        const QString& operation = operations[random.bounded(operations.size())];
        return makeRun(random, childName(i % children), operation,
                       firstDay.addSecs(qint64(i) * 100 * 86400 / runs), classAnswersPerRun);
    });
}

inline void timeOverview(benchmark::State& state,
                         const std::function<std::unique_ptr<HistoryStore>()>& openStore,
                         const QString& folder, int periodItem, int operationItem = 0) {
    FakePlatform platform;
    PrinterChoice printers;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const std::unique_ptr<HistoryStore> store = openStore();
        TForm_Klassenuebersicht window(*store, platform, printers, folder);
        window.Auswahl_Zeitraum->setCurrentIndex(periodItem);
        {
            // Read once, by the reload below.
            const QSignalBlocker quiet(window.Auswahl_Rechenart);
            window.Auswahl_Rechenart->setCurrentIndex(operationItem);
        }
        window.resize(1280, 1024);
        window.reload();
        window.show();
        while (window.loading())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        if (window.Tabelle->rowCount() != classChildren || !platform.messages.isEmpty()) {
            state.SkipWithError("the overview did not show the class");
            break;
        }
    }
    state.counters["children"] = classChildren;
}
