#pragma once

#include <QString>

#include <array>
#include <optional>

// The five operations a run can practise, in the order of the settings panel's list.
enum class Operation { Add, Subtract, Multiply, Divide, DivideWithRemainder };

inline constexpr std::array<Operation, 5> allOperations{Operation::Add, Operation::Subtract,
                                                        Operation::Multiply, Operation::Divide,
                                                        Operation::DivideWithRemainder};

// The operation as task records and the learning history keep it: "+", "-", "*", ":" or ": R".
QString operationText(Operation operation);
// The sign the task shows between the numbers: ":" for both divisions.
QString operationSign(Operation operation);
// The operation as the settings panel names it, e.g. "Addieren (+)".
QString operationName(Operation operation);
// Position in the settings panel's list (0..4).
int operationIndex(Operation operation);

std::optional<Operation> operationFromText(const QString& text);
std::optional<Operation> operationFromName(const QString& name);
std::optional<Operation> operationFromIndex(int index);

// What a number panel shows while no task is on display.
inline const QString noTaskShown = QStringLiteral("-----");
