#include "history/model/progress_cells.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

QString decimalText(double value) {
    static const QLocale german(QLocale::German, QLocale::Germany);
    return german.toString(value, 'f', 1);
}

QString secondsText(double ms) {
    return decimalText(ms / 1000.0) + QStringLiteral(" s");
}

QString percentText(double share) {
    return QString::number(qRound(share * 100.0)) + QStringLiteral(" %");
}

TimesTableCells timesTableCells(const TimesTable& table, Operation operation) {
    double quickestMs = 0;
    double slowestMs = 0;
    bool anyAsked = false;
    for (const auto& row : table) {
        for (const TaskFigures& task : row) {
            if (task.attempts == 0)
                continue;
            quickestMs = anyAsked ? std::min(quickestMs, task.meanMs) : task.meanMs;
            slowestMs = anyAsked ? std::max(slowestMs, task.meanMs) : task.meanMs;
            anyAsked = true;
        }
    }
    TimesTableCells cells;
    for (int a = 0; a < 10; ++a) {
        for (int b = 0; b < 10; ++b) {
            const TaskFigures& task = table[a][b];
            TimesTableCell& cell = cells[a][b];
            const QString name = taskText(a + 1, b + 1, operation);
            if (task.attempts == 0) {
                cell.spoken = name + QStringLiteral(": noch nie gerechnet");
                continue;
            }
            cell.asked = true;
            cell.text =
                secondsText(task.meanMs) +
                (task.misses == 0 ? QStringLiteral(" ✓") : QStringLiteral(" ✗%1").arg(task.misses));
            cell.spoken = QStringLiteral("%1: %2, %3 falsch, %4 %5")
                              .arg(name, secondsText(task.meanMs), percentText(task.errorRate()),
                                   QString::number(task.attempts),
                                   task.attempts == 1 ? QStringLiteral("Versuch")
                                                      : QStringLiteral("Versuche"));
            const double slowness = slowestMs > quickestMs
                                        ? (task.meanMs - quickestMs) / (slowestMs - quickestMs)
                                        : 0.0;
            cell.hue = int(std::lround(120.0 * (1.0 - task.errorRate())));
            cell.saturation = int(std::lround(50 + 150 * std::clamp(slowness, 0.0, 1.0)));
        }
    }
    return cells;
}

ChartScale chartScale(const QList<RunFigures>& figures, const QDate& today) {
    constexpr qint64 maxDateSteps = 8;
    const QDate firstDay = figures.isEmpty() ? today : figures.first().startedAt.date();
    const QDate lastDay = figures.isEmpty() ? firstDay : figures.last().startedAt.date();
    ChartScale scale;
    scale.from = firstDay;
    scale.days = firstDay.daysTo(lastDay) + 1;
    if (scale.days < 3) {
        scale.from = scale.from.addDays(-1);
        scale.days += 2;
    }
    scale.step = (scale.days + maxDateSteps - 1) / maxDateSteps;
    scale.days = (scale.days + scale.step - 1) / scale.step * scale.step;
    double top = 0;
    for (const RunFigures& run : figures)
        top = qMax(top, run.solvedPerMinute);
    scale.speedTop = 4 * qMax(1.0, std::ceil(top / 4.0));
    return scale;
}

QString chartDescription(const RunFigures& latest, const QList<LevelPoint>& levels) {
    QString description =
        QStringLiteral("Letzter Lauf am %1 um %2: %3 Aufgaben pro Minute, %4 richtig.")
            .arg(latest.startedAt.toString(QStringLiteral("dd.MM.yyyy")),
                 latest.startedAt.toString(QStringLiteral("HH:mm")),
                 decimalText(latest.solvedPerMinute), percentText(latest.rightShare));
    if (!levels.isEmpty())
        description += QStringLiteral(" Stufe %1 am %2.")
                           .arg(stufeText(levels.last().stufe),
                                levels.last().at.toString(QStringLiteral("dd.MM.yyyy")));
    return description;
}

QString levelLabel(const QList<LevelPoint>& levels) {
    return levels.isEmpty() ? QString()
                            : QStringLiteral("Stufe: ") + stufeText(levels.last().stufe);
}
