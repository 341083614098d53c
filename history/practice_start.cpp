#include "history/practice_start.h"

#include "main_window/TForm1.h"

#include <QLineEdit>

void startPractice(TForm1& mainWindow, const QString& participant, const QString& operation,
                   const QList<OperandPair>& tasks) {
    const QString before = mainWindow.Edit_Name->text();
    if (before != participant)
        mainWindow.Edit_Name->setText(participant);
    mainWindow.startPracticeRun(operation, tasks);
    // A run that did not start (the last run's data still wait to be saved) leaves the name as it
    // was, so those data are not saved under the other child's name.
    if (!mainWindow.runActive() && before != participant)
        mainWindow.Edit_Name->setText(before);
}
