#include "engine/operation.h"

namespace {

struct OperationTexts {
    const char* text;
    const char* sign;
    const char* name;
};

constexpr std::array<OperationTexts, 5> texts{{
    {"+", "+", "Addieren (+)"},
    {"-", "-", "Subtrahieren (-)"},
    {"*", "*", "Multiplizieren (*)"},
    {":", ":", "Dividieren (:)"},
    {": R", ":", "Dividieren (:) m. Rest"},
}};

const OperationTexts& textsOf(Operation operation) {
    return texts[size_t(operation)];
}

} // namespace

QString operationText(Operation operation) {
    return QString::fromLatin1(textsOf(operation).text);
}

QString operationSign(Operation operation) {
    return QString::fromLatin1(textsOf(operation).sign);
}

QString operationName(Operation operation) {
    return QString::fromLatin1(textsOf(operation).name);
}

int operationIndex(Operation operation) {
    return int(operation);
}

std::optional<Operation> operationFromText(const QString& text) {
    for (Operation operation : allOperations) {
        if (text == QLatin1String(textsOf(operation).text))
            return operation;
    }
    return std::nullopt;
}

std::optional<Operation> operationFromName(const QString& name) {
    for (Operation operation : allOperations) {
        if (name == QLatin1String(textsOf(operation).name))
            return operation;
    }
    return std::nullopt;
}

std::optional<Operation> operationFromIndex(int index) {
    if (index < 0 || index >= int(allOperations.size()))
        return std::nullopt;
    return allOperations[size_t(index)];
}
