#pragma once

#include "engine/run_state.h"

#include <QStringList>

class Clock;

inline const QString noMoreTasksMessage = QStringLiteral(
    "Bei dieser Rechenart und den gewählten Rechenbereichen habe ich \nkeine weiteren Aufgaben "
    "für Dich !\nWähle bitte neu !");

inline const QString subtractionRangeWarning = QStringLiteral(
    "Wähle einen Bereich mit kleineren Werten für die \n2. Zahl (den Subtrahenden) oder einen "
    "mit größeren Werten für die erste Zahl (den Minuenden) !");
inline const QString dividendTooSmallWarning = QStringLiteral(
    "    Wähle einen Bereich mit größeren Werten für die      \n    1. Zahl (den Dividenden)!");
inline const QString divisorTooLargeWarning =
    QStringLiteral("Wähle einen Bereich mit kleineren Werten für die 2. Zahl (den Divisor) !   ");
inline const QString divisionRangesWarning = QStringLiteral(
    "Wähle einen Bereich mit größeren Werten für die\n1. Zahl (den Dividenden) oder mit "
    "kleineren Werten \nfür die 2. Zahl (den Divisor) !");

enum class Generation { TaskPosed, NoMoreTasks };

// Poses the next task of the run: reseeds the generator from the clock, draws a pair that was not
// posed yet (up to randomDrawLimit draws, then a deterministic search) and records it as task
// taskCounter + 1 in usedPairs and taskList, with operand1 and operand2 set to it.
//
// When no free pair exists, noMoreTasks is set, taskCounter is taken back by one and
// NoMoreTasks is returned; the caller tells the child and ends the run. For division with
// remainder a range2Min of 0 is raised to 1 in the settings, and stays so.
Generation generateTask(RunState& state, const Clock& clock);

// Records the pair as task taskCounter + 1: the operands on display, usedPairs and taskList.
void recordTask(RunState& state, OperandPair pair);

// taskPosable (engine/operation.h) for an operation as a file or the server keeps it: "+", "-",
// "*", ":" or ": R"; any other text is no task. Tasks that come from a file (a practice list from
// the learning history) pass this before the engine computes with them, so a crafted file can
// neither divide by 0, overflow a result nor pose a task no answer can solve.
bool taskPosable(const QString& operationText, qint64 operand1, qint64 operand2);

// The warnings about ranges that make no sense for a subtraction or a division, in order.
QStringList subtractionRangeWarnings(const RunSettings& settings);
QStringList divisionRangeWarnings(const RunSettings& settings);
// The range checks of a run's settings: the warnings above; any clears subtractionRangesOk or
// divisionRangesOk. They never set a flag back to true.
QStringList checkSubtractionRanges(RunState& state);
QStringList checkDivisionRanges(RunState& state);
