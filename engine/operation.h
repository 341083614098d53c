#pragma once

#include <QString>

#include <array>
#include <optional>

// The five operations a run can practise, in the order of the settings panel's list. Inside the
// program an operation is always this type; its texts below are only for the places that read or
// write them (files, the server, the screen, the voice).
enum class Operation { Add, Subtract, Multiply, Divide, DivideWithRemainder };

inline constexpr std::array<Operation, 5> allOperations{Operation::Add, Operation::Subtract,
                                                        Operation::Multiply, Operation::Divide,
                                                        Operation::DivideWithRemainder};

// The largest operand any range of the settings allows; the smallest is 0.
inline constexpr qint32 largestOperand = 30000;

// The operation as task records and the learning history keep it: "+", "-", "*", ":" or ": R".
QString operationText(Operation operation);
// The sign the task shows between the numbers: ":" for both divisions.
QString operationSign(Operation operation);
// The operation as results records and best-list setting codes keep it: the sign, with "R"
// after it for division with remainder (":R").
QString operationCode(Operation operation);
// The operation as the settings panel names it, e.g. "Addieren (+)".
QString operationName(Operation operation);
// The operation as the voice says it between the numbers, e.g. "mal".
QString operationWords(Operation operation);
// Position in the settings panel's list (0..4).
int operationIndex(Operation operation);
// Whether a task of this operation asks for a remainder after the quotient.
bool hasRemainder(Operation operation);

std::optional<Operation> operationFromText(const QString& text);
std::optional<Operation> operationFromName(const QString& name);
std::optional<Operation> operationFromIndex(int index);

// Integer result of a task; both divisions give the integer quotient. A divisor of 0 gives 0
// rather than a crash (no posed task has one).
qint32 correctResult(Operation operation, qint32 operand1, qint32 operand2);
qint32 correctRemainder(qint32 operand1, qint32 operand2);
// The remainder a task of this operation asks for, or -1 when it asks for none.
qint32 taskRemainder(Operation operation, qint32 operand1, qint32 operand2);

// Whether the generator could pose this task under some setting: both operands from 0 to
// largestOperand, a difference that is not negative, an exact quotient, a divisor above 0.
bool taskPosable(Operation operation, qint64 operand1, qint64 operand2);

// What a number panel shows while no task is on display.
inline const QString noTaskShown = QStringLiteral("-----");
