#pragma once

#include "engine/operation.h"

#include <QString>

// What a run is started with: who, which operation, the ranges of both operands, the time and,
// in competition mode, the competition. The settings panel keeps the value in force and hands a
// copy to the run controller at Start; the run never changes the panel's fields.
struct RunSettings {
    QString participantName = QStringLiteral("Werda ?");
    Operation operation = Operation::Add;
    qint32 range1Min = 0;
    qint32 range1Max = 10;
    qint32 range2Min = 0;
    qint32 range2Max = 10;
    qint32 timeLimit = 0; // seconds, 0 = no limit
    bool competitionMode = false;
    qint32 competitionNumber = -1; // the competition chosen, -1 for none

    // One of the competitions is chosen (competition mode, its panel clicked).
    bool competitionChosen() const { return competitionMode && competitionNumber >= 1; }
};
