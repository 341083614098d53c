#pragma once

#include "competition/best_list_file.h"
#include "engine/run_controller.h"
#include "storage/run_result.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <optional>

class Platform;
class QWidget;
class TForm_Ergebnis_Meldung;

// What the saves at the end of a run work with: the desktop, the window their boxes belong to,
// the folder of the automatic files, and where the question about a full results file stands.
struct SaveContext {
    Platform& platform;
    QWidget* parent = nullptr;
    QString dataFolder;
    std::optional<QPoint> fullFileQuestionAt;
};

// What the child chose to save in the result dialog. After a competition run it is everything.
enum class SaveChoice { Nothing, Results, Tasks, Both };

// Everything a finished run leaves to be stored goes through here: the learning history, its
// place in the best list, then its results and its task set as the child chose. The run's pending
// saves say which part still waits to be saved; a part the child did not choose is given up.
class RunSaver {
public:
    // recordInHistory keeps the run in the learning history (it decides itself whether it is on);
    // none where the program keeps no history.
    explicit RunSaver(PendingSaves& pending,
                      std::function<void(const RunResult&)> recordInHistory = {})
        : pending_(pending), recordInHistory_(std::move(recordInHistory)) {}

    // The run goes into the history before anything else: a history that cannot be written
    // changes neither the result dialog nor the saves.
    void recordInHistory(const RunResult& result);

    // A competition run with points takes its place in its best list now, so that the result
    // dialog can show the place; any other run changes no list.
    BestListUpdate rankInBestList(const SaveContext& context, const RunResult& result) const;
    // The parts chosen, each through its save dialog; after a competition run both, without
    // dialogs, whatever the choice.
    void save(const SaveContext& context, const RunResult& result, SaveChoice choice);

private:
    PendingSaves& pending_;
    std::function<void(const RunResult&)> recordInHistory_;
};

// The end of a run after the main window has wound it up: the history, the best-list place, the
// result dialog with the child's choice, then the saves.
void windUpRun(TForm_Ergebnis_Meldung& dialog, RunSaver& saver, const SaveContext& context,
               const RunResult& result);

// Each flow returns only when its data are stored or their loss is confirmed, and clears its
// pending flag then. In a competition run a failed save is reported and given up, so the next
// child can start. A flow with nothing pending does nothing (the interactive results flow says
// so).
void saveResultsInteractive(const SaveContext& context, PendingSaves& pending,
                            const RunResult& result);
void saveResultsAuto(const SaveContext& context, PendingSaves& pending, const RunResult& result);
void saveTasksInteractive(const SaveContext& context, PendingSaves& pending,
                          const RunResult& result);
void saveTasksAuto(const SaveContext& context, PendingSaves& pending, const RunResult& result);
