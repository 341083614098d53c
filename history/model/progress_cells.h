#pragma once

#include "history/model/history_stats.h"
#include "history/model/practice_levels.h"

#include <QDate>

#include <QString>

#include <array>

// The learning-progress window's figures as a German reader reads them: "2,4", "2,4 s", "50 %".
QString decimalText(double value);
QString secondsText(double ms);
QString percentText(double share);

// One cell of the times table: its text, what a screen reader says of it, and its shade. A task
// never asked is empty and white. The hue tells how often the task went wrong: green (120) for
// never over yellow to red (0) for always. The saturation tells how long it took, from pale for the
// quickest task of the table to strong for the slowest; light enough throughout that the black
// time stays readable. The text says the colour again as a sign, for children who cannot tell red
// from green: a tick for a task never got wrong, a cross with the number of wrong answers.
struct TimesTableCell {
    QString text;
    QString spoken;
    bool asked = false;
    int hue = 0;
    int saturation = 0;
    int value = 250;
};
using TimesTableCells = std::array<std::array<TimesTableCell, 10>, 10>;
TimesTableCells timesTableCells(const TimesTable& table, Operation operation);

// The chart's axes for the runs shown. The date axis runs from midnight to midnight with a label
// on whole days only, at most eight of them, so no date appears twice; a single day still gets a
// day on either side. The speed axis has four whole steps, so its grid lines meet those of the
// share axis at 25 % each.
struct ChartScale {
    QDate from;
    qint64 days = 0; // from from's midnight on
    qint64 step = 1; // days between two labels
    double speedTop = 4;
};
ChartScale chartScale(const QList<RunFigures>& figures, const QDate& today);

// What the chart says to a screen reader: the last run's figures and, when the child has one, the
// Stufe of its last day ("... 100 % richtig. Stufe 4 am 08.12.2026.").
QString chartDescription(const RunFigures& latest, const QList<LevelPoint>& levels);
// "Stufe: 4" beside the choices; empty without a Stufe.
QString levelLabel(const QList<LevelPoint>& levels);
