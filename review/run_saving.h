#pragma once

#include "storage/run_result.h"

#include <QPoint>
#include <QString>

#include <optional>

class Platform;
class QWidget;
class TForm_Ergebnis_Meldung;
struct RunState;

// What the saves at the end of a run work with: the desktop, the window their boxes belong to,
// the folder of the automatic files, and where the question about a full results file stands.
struct SaveContext {
    Platform& platform;
    QWidget* parent = nullptr;
    QString dataFolder;
    std::optional<QPoint> fullFileQuestionAt;
};

// The end of a run after the main window has wound it up: the result dialog, then the saves.
void windUpRun(TForm_Ergebnis_Meldung& dialog, const SaveContext& context, RunState& state,
               const RunResult& result);

// The saves the end of a run performs once the result dialog has closed: in a competition run
// both, without dialogs; otherwise what the child chose, each through its save dialog.
void saveChosenParts(const SaveContext& context, RunState& state, const RunResult& result);

// Each flow returns only when its data are stored or their loss is confirmed, and clears its
// pending flag then. In a competition run a failed save is reported and given up, so the next
// child can start. A flow with nothing pending does nothing (the interactive results flow says
// so).
void saveResultsInteractive(const SaveContext& context, RunState& state, const RunResult& result);
void saveResultsAuto(const SaveContext& context, RunState& state, const RunResult& result);
void saveTasksInteractive(const SaveContext& context, RunState& state, const RunResult& result);
void saveTasksAuto(const SaveContext& context, RunState& state, const RunResult& result);
