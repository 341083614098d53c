#include "main_window/settings_items.h"

#include "engine/operation.h"
#include "engine/run_settings.h"

const QStringList& operationItems() {
    static const QStringList items = [] {
        QStringList names;
        for (Operation operation : allOperations)
            names << operationName(operation);
        return names;
    }();
    return items;
}

int operationItemIndex(const QString& text) {
    return int(operationItems().indexOf(text));
}

void applyOperationItem(RunSettings& settings, int index) {
    const std::optional<Operation> operation = operationFromIndex(index);
    if (!operation)
        return;
    settings.operation = *operation;
}

const QList<RangeItem>& rangeItems() {
    static const QList<RangeItem> items{
        {QStringLiteral("0 .. 5"), 0, 5},
        {QStringLiteral("0 .. 10"), 0, 10},
        {QStringLiteral("5 .. 10"), 5, 10},
        {QStringLiteral("0 .. 20"), 0, 20},
        {QStringLiteral("10 .. 20"), 10, 20},
        {QStringLiteral("20 .. 50"), 20, 50},
        {QStringLiteral("0 .. 100"), 0, 100},
        {QStringLiteral("20 .. 100"), 20, 100},
        {QStringLiteral("50 .. 100"), 50, 100},
        {QStringLiteral("100 .. 200"), 100, 200},
        {QStringLiteral("100 .. 500"), 100, 500},
        {QStringLiteral("100 .. 1 000"), 100, 1000},
        {QStringLiteral("1 000 .. 10 000"), 1000, 10000},
        {QStringLiteral("1 000 ... 30 000"), 1000, 30000},
    };
    return items;
}

int rangeItemIndex(const QString& text) {
    const QList<RangeItem>& items = rangeItems();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].text == text)
            return i;
    }
    return -1;
}

int rangeItemFor(qint32 lowerBound, qint32 upperBound) {
    const QList<RangeItem>& items = rangeItems();
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].lowerBound == lowerBound && items[i].upperBound == upperBound)
            return i;
    }
    return -1;
}

bool isDecimalDigits(const QString& text) {
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

namespace {

// The field admits digits only, but a pasted or programmatic text may hold anything; only plain
// decimal digits count as a number, and at most 9 of them so the conversion cannot overflow.
std::optional<qint32> decimalValue(const QString& text) {
    if (text.isEmpty() || text.size() > 9 || !isDecimalDigits(text))
        return std::nullopt;
    return text.toInt();
}

} // namespace

TimeFieldChange evaluateTimeFieldChange(const QString& text) {
    if (text.isEmpty() || text == QLatin1String("0"))
        return {0, false};
    const std::optional<qint32> value = decimalValue(text);
    if (value && *value <= maxTimeLimit)
        return {*value, false};
    return {std::nullopt, true};
}

bool timeFieldAcceptable(const QString& text) {
    const std::optional<qint32> value = decimalValue(text);
    return value && *value <= maxTimeLimit;
}

QString remainingTimeText(qint32 remainingSeconds) {
    return QStringLiteral("   Rest-Zeit (min:sec):                           ") +
           QString::number(remainingSeconds / 60) + QStringLiteral(" : ") +
           QString::number(remainingSeconds % 60);
}

QString mainWindowTitle(const QString& name) {
    return QStringLiteral("    Deverizozov mit   ") + name;
}
