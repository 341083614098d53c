#pragma once

#include "engine/run_state.h"

#include <QList>
#include <QString>

class TForm1;

// Starts a practice run in the main window for the child chosen in the learning history. The run
// belongs to that child: a different name in the main window is replaced first, and put back if
// the main window does not start the run.
void startPractice(TForm1& mainWindow, const QString& participant, const QString& operation,
                   const QList<OperandPair>& tasks);
