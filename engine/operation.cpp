#include "engine/operation.h"

#include <limits>

namespace {

// Everything that tells the operations apart, in one row each.
struct OperationTraits {
    const char* text;
    const char* sign;
    const char* code;
    const char* name;
    const char* words;
    bool remainder;
};

constexpr std::array<OperationTraits, 5> traits{{
    {"+", "+", "+", "Addieren (+)", "plus", false},
    {"-", "-", "-", "Subtrahieren (-)", "minus", false},
    {"*", "*", "*", "Multiplizieren (*)", "mal", false},
    {":", ":", ":", "Dividieren (:)", "geteilt durch", false},
    {": R", ":", ":R", "Dividieren (:) m. Rest", "geteilt durch", true},
}};

const OperationTraits& traitsOf(Operation operation) {
    return traits[size_t(operation)];
}

} // namespace

QString operationText(Operation operation) {
    return QString::fromLatin1(traitsOf(operation).text);
}

QString operationSign(Operation operation) {
    return QString::fromLatin1(traitsOf(operation).sign);
}

QString operationCode(Operation operation) {
    return QString::fromLatin1(traitsOf(operation).code);
}

QString operationName(Operation operation) {
    return QString::fromLatin1(traitsOf(operation).name);
}

QString operationWords(Operation operation) {
    return QString::fromLatin1(traitsOf(operation).words);
}

int operationIndex(Operation operation) {
    return int(operation);
}

bool hasRemainder(Operation operation) {
    return traitsOf(operation).remainder;
}

std::optional<Operation> operationFromText(const QString& text) {
    for (Operation operation : allOperations) {
        if (text == QLatin1String(traitsOf(operation).text))
            return operation;
    }
    return std::nullopt;
}

std::optional<Operation> operationFromName(const QString& name) {
    for (Operation operation : allOperations) {
        if (name == QLatin1String(traitsOf(operation).name))
            return operation;
    }
    return std::nullopt;
}

std::optional<Operation> operationFromIndex(int index) {
    if (index < 0 || index >= int(allOperations.size()))
        return std::nullopt;
    return allOperations[size_t(index)];
}

qint32 correctResult(Operation operation, qint32 a, qint32 b) {
    switch (operation) {
    case Operation::Add:
        return a + b;
    case Operation::Subtract:
        return a - b;
    case Operation::Multiply:
        return a * b;
    case Operation::Divide:
    case Operation::DivideWithRemainder:
        return b == 0 ? 0 : a / b;
    }
    return 0;
}

qint32 correctRemainder(qint32 a, qint32 b) {
    return b == 0 ? 0 : a - (a / b) * b;
}

qint32 taskRemainder(Operation operation, qint32 a, qint32 b) {
    return hasRemainder(operation) ? correctRemainder(a, b) : -1;
}

bool taskPosable(Operation operation, qint64 p, qint64 q) {
    // Within these bounds every result of the four operations fits an int.
    static_assert(qint64(largestOperand) * largestOperand <= std::numeric_limits<qint32>::max());
    if (p < 0 || p > largestOperand || q < 0 || q > largestOperand)
        return false;
    switch (operation) {
    case Operation::Add:
    case Operation::Multiply:
        return true;
    case Operation::Subtract:
        return q <= p;
    case Operation::Divide:
        return q > 0 && p % q == 0;
    case Operation::DivideWithRemainder:
        return q > 0;
    }
    return false;
}
