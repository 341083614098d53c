#pragma once

#include "engine/run_state.h"

#include <QList>
#include <QString>

// Everything the end of a run hands to the result dialog and to the saves, taken from the run
// state and the settings panel once, when the run ends. The dialog and the saves never read the
// main window's controls.
struct RunResult {
    QString participantName;
    QString timeFieldText; // the text of the time field as it stood at the end of the run
    Operation operation = Operation::Add;
    bool competitionChosen = false;
    qint32 competitionNumber = -1;
    QString competitionTag;
    qint32 range1Min = 0;
    qint32 range1Max = 0;
    qint32 range2Min = 0;
    qint32 range2Max = 0;
    int range1Item = -1; // index of the range item in force, for the best-list setting code
    int range2Item = -1;
    qint32 taskCounter = 0; // tasks posed, the one on display included
    qint32 workedTaskCount = 0;
    qint32 points = 0;
    bool byEar = false;    // the tasks were heard, not seen
    bool adaptive = false; // the tasks were chosen to fit the child ("Üben nach Maß")
    // The records a task set of this run holds: elements 1..N of the task list, with
    // N = workedTaskCount + 1, at most 160. Header fields are filled in when the set is saved.
    QList<TaskRecord> tasks;
    // For the learning history: the start of the run (local time) and every answer with its time.
    QDateTime startedAt;
    QList<AnsweredTask> answers;
};

RunResult makeRunResult(const RunState& state, const QString& timeFieldText, int range1Item,
                        int range2Item);

// The time limit as the result dialog shows it and the files store it: "..." for no limit
// (a time field holding only zeros), otherwise the time field's text.
QString timeLimitText(const QString& timeFieldText);
