#pragma once

#include "engine/operation.h"

#include <QtGlobal>

// The operation a test row names by its sign and remainder flag: ":" with the flag is ": R".
inline Operation operationOf(const QString& sign, bool withRemainder) {
    const std::optional<Operation> operation =
        operationFromText(withRemainder ? sign + QStringLiteral(" R") : sign);
    if (!operation)
        qFatal("no operation %s%s", qPrintable(sign), withRemainder ? " R" : "");
    return *operation;
}
