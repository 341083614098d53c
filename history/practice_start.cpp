#include "history/practice_start.h"

#include "main_window/TForm1.h"

#include <QLineEdit>

void startPractice(TForm1& mainWindow, const QString& participant, const QString& operation,
                   const QList<OperandPair>& tasks) {
    if (mainWindow.Edit_Name->text() != participant)
        mainWindow.Edit_Name->setText(participant);
    mainWindow.startPracticeRun(operation, tasks);
}
