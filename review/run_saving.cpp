#include "review/run_saving.h"

#include "platform/platform.h"
#include "review/TForm_Ergebnis_Meldung.h"
#include "storage/result_record.h"
#include "storage/results_file.h"
#include "storage/task_set_file.h"

#include <QDir>

namespace {

const QString noDataMessage = QStringLiteral("Zur Zeit liegen keine Daten vor !");
const QString resultsLossWarning =
    QStringLiteral("Wenn Du jetzt 'OK' anclickst, gehen Deine Leistungsdaten\nzum letzten "
                   "Durchgang verloren!");
const QString tasksLossWarning =
    QStringLiteral("Wenn Du jetzt 'OK' anclickst, gehen die von Dir\nim letzten Durchgang "
                   "bearbeiteten Aufgaben verloren!");
const QString fullFileQuestion = QStringLiteral(
    "Die gewählte Leistungs-Datei kann keinen Datensatz mehr aufnehmen! Sollen die Datensätze "
    "dieser Datei gelöscht werden, so daß der neue Datensatz unter diesem Datei-Namen "
    "gespeichert werden kann ?\n\nBei 'Nein' gib bitte einen neuen Dateinamen ein!");
const QString tooManyFilesWarning = QStringLiteral(
    "Liebe Kopfrechner,\nIm Ordner dieses Programms liegen nun schon sehr viele Dateien vom Typ "
    "*.erg. Lösche sie bitte bald! Sonst kann ich keine neuen Dateien zum Speichern der "
    "Leistungen anlegen!");
const QString nowTheTasks = QStringLiteral("Und jetzt zum Speichern der Aufgaben!");
// The save dialogs list the files the open dialogs list, whatever the case of the extension: the
// automatic files are spelt W.Erg, and files come from other computers.
const QString resultsFilter = QStringLiteral("Leistungen (*.ERG *.erg *.Erg)");
const QString taskSetFilter = QStringLiteral("Aufgaben (*.AGB *.agb *.Agb)");

void say(const SaveContext& context, MessageKind kind, const QString& text,
         std::optional<QPoint> at = std::nullopt) {
    context.platform.showMessage(context.parent, kind, MessageButtons::Ok, text, at);
}

// Return keeps the data: Cancel is the default, so a child who pressed Escape in the save
// dialog and then Return gets the dialog back.
bool giveUpConfirmed(const SaveContext& context, const QString& warning) {
    return context.platform.showMessage(context.parent, MessageKind::Warning,
                                        MessageButtons::OkCancel, warning, std::nullopt,
                                        MessageAnswer::Cancel) == MessageAnswer::Ok;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void reportFailure(const SaveContext& context, const QString& what, const QString& path,
                   const QString& reason, bool offerAgain) {
    QString text = QStringLiteral("%1 konnten nicht in der Datei\n%2\ngespeichert werden.\n%3")
                       .arg(what, shown(path), reason);
    if (offerAgain)
        text += QStringLiteral("\n\nBitte wähle einen anderen Dateinamen oder Ordner.");
    say(context, MessageKind::Warning, text);
}

// A name the dialog returned with wildcards in it is a filter that was typed, not a file.
bool hasWildcards(const QString& path) {
    return path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?'));
}

std::optional<QString> askForFile(const SaveContext& context, const QString& title,
                                  const QString& suffix, const QString& filter,
                                  bool confirmOverwrite) {
    FileDialogRequest request;
    request.title = title;
    request.defaultSuffix = suffix;
    request.filter = filter;
    request.directory = context.dataFolder;
    request.confirmOverwrite = confirmOverwrite;
    for (;;) {
        std::optional<QString> path = context.platform.saveFileName(context.parent, request);
        if (!path || !hasWildcards(*path))
            return path;
        say(context, MessageKind::Information,
            QStringLiteral("Gib bitte einen Dateinamen ohne * und ? ein."));
    }
}

// Stores the record into the chosen file; false when the child has to choose another name.
bool storeInChosenFile(const SaveContext& context, const QString& path,
                       const ResultRecord& record) {
    const ResultsFileState file = inspectResultsFile(path);
    bool emptyFirst = false;
    if (file.exists && !file.wholeRecords) {
        say(context, MessageKind::Warning,
            QStringLiteral("Die Datei\n%1\nist keine Leistungs-Datei: ihre Länge passt nicht zu "
                           "ganzen Datensätzen. Damit sie nicht beschädigt wird, speichere ich "
                           "nichts in ihr.\n\nBitte wähle einen anderen Dateinamen.")
                .arg(shown(path)));
        return false;
    }
    if (file.exists && file.full()) {
        // Yes empties a file that may hold other children's records: No is the default.
        if (context.platform.showMessage(
                context.parent, MessageKind::Warning, MessageButtons::YesNo, fullFileQuestion,
                context.fullFileQuestionAt, MessageAnswer::No) != MessageAnswer::Yes)
            return false;
        emptyFirst = true;
    }
    if (const Outcome failed = storeResultRecord(path, record, emptyFirst)) {
        reportFailure(context, QStringLiteral("Deine Leistungen"), path, failed->reason, true);
        return false;
    }
    return true;
}

} // namespace

void windUpRun(TForm_Ergebnis_Meldung& dialog, RunSaver& saver, const SaveContext& context,
               const RunResult& result) {
    saver.recordInHistory(result);
    const SaveChoice choice = dialog.showResult(result, saver.rankInBestList(context, result));
    saver.save(context, result, choice);
}

BestListUpdate RunSaver::rankInBestList(const SaveContext& context, const RunResult& result) const {
    return rankCompetitionRun(context.dataFolder, result, context.platform);
}

void RunSaver::recordInHistory(const RunResult& result) {
    if (recordInHistory_)
        recordInHistory_(result);
}

void RunSaver::save(const SaveContext& context, const RunResult& result, SaveChoice choice) {
    if (result.competitionChosen)
        choice = SaveChoice::Both;
    const bool results = choice == SaveChoice::Results || choice == SaveChoice::Both;
    const bool tasks = choice == SaveChoice::Tasks || choice == SaveChoice::Both;
    if (!results)
        pending_.results = false;
    if (!tasks)
        pending_.tasks = false;
    if (results) {
        if (result.competitionChosen) {
            saveResultsAuto(context, pending_, result);
        } else {
            saveResultsInteractive(context, pending_, result);
            if (tasks)
                say(context, MessageKind::Information, nowTheTasks);
        }
    }
    if (tasks) {
        if (result.competitionChosen)
            saveTasksAuto(context, pending_, result);
        else
            saveTasksInteractive(context, pending_, result);
    }
}

void saveResultsInteractive(const SaveContext& context, PendingSaves& pending,
                            const RunResult& result) {
    if (result.taskCounter == 0 || !pending.results) {
        say(context, MessageKind::Information, noDataMessage);
        return;
    }
    while (pending.results) {
        const std::optional<QString> path =
            askForFile(context, QStringLiteral("Leistungen speichern"), QStringLiteral("ERG"),
                       resultsFilter, false);
        if (!path) {
            if (giveUpConfirmed(context, resultsLossWarning))
                pending.results = false;
            continue;
        }
        // Dated when it is stored, not when the run ended.
        if (storeInChosenFile(context, *path, buildResultRecord(result, context.platform)))
            pending.results = false;
    }
}

void saveResultsAuto(const SaveContext& context, PendingSaves& pending, const RunResult& result) {
    if (result.taskCounter == 0 || !pending.results)
        return;
    // There is no dialog to try again with: a failure is reported and the record given up, so
    // that the next child can start.
    pending.results = false;
    const AutomaticStore stored =
        storeAutomaticResultRecord(context.dataFolder, buildResultRecord(result, context.platform));
    if (stored.path.isEmpty()) {
        // No file of the series was reached: the folder is where the teacher must look.
        say(context, MessageKind::Warning,
            QStringLiteral("Deine Leistungen konnten in keiner Leistungs-Datei W*.Erg im Ordner\n"
                           "%1\ngespeichert werden.\n%2")
                .arg(shown(QDir(context.dataFolder).absolutePath()), stored.outcome->reason));
        return;
    }
    if (stored.outcome) {
        reportFailure(context, QStringLiteral("Deine Leistungen"), stored.path,
                      stored.outcome->reason, false);
        return;
    }
    if (stored.numberedCounter > 5)
        say(context, MessageKind::Warning, tooManyFilesWarning);
}

void saveTasksInteractive(const SaveContext& context, PendingSaves& pending,
                          const RunResult& result) {
    if (result.taskCounter == 0 || !pending.tasks)
        return;
    while (pending.tasks) {
        const std::optional<QString> path =
            askForFile(context, QStringLiteral("Aufgaben speichern"), QStringLiteral("AGB"),
                       taskSetFilter, true);
        if (!path) {
            if (giveUpConfirmed(context, tasksLossWarning))
                pending.tasks = false;
            continue;
        }
        const Outcome failed = writeTaskSet(*path, taskSetToSave(result, context.platform));
        if (!failed)
            pending.tasks = false;
        else
            reportFailure(context, QStringLiteral("Die Aufgaben"), *path, failed->reason, true);
    }
}

void saveTasksAuto(const SaveContext& context, PendingSaves& pending, const RunResult& result) {
    if (result.taskCounter == 0 || !pending.tasks)
        return;
    pending.tasks = false;
    // The participant's latest competition run replaces the earlier one, without asking.
    const QString path =
        QDir(context.dataFolder).filePath(automaticTaskSetName(result.participantName));
    if (const Outcome failed =
            writeTaskSet(path, taskSetToSave(result, context.platform), FileOrigin::Own))
        reportFailure(context, QStringLiteral("Die Aufgaben"), path, failed->reason, false);
}
