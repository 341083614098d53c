#include "engine/task_generation.h"

#include "common/clock.h"
#include "engine/answer_check.h"

namespace {

enum class Variant { SumOrProduct, Difference, Quotient, QuotientWithRemainder };

Variant variantOf(Operation operation) {
    switch (operation) {
    case Operation::Subtract:
        return Variant::Difference;
    case Operation::Divide:
        return Variant::Quotient;
    case Operation::DivideWithRemainder:
        return Variant::QuotientWithRemainder;
    case Operation::Add:
    case Operation::Multiply:
        break;
    }
    return Variant::SumOrProduct;
}

void drawPair(RunState& s, Variant variant) {
    Lcg& g = s.generator;
    const qint32 r1 = s.settings.range1Max - s.settings.range1Min + 1;
    const qint32 r2 = s.settings.range2Max - s.settings.range2Min + 1;
    switch (variant) {
    case Variant::SumOrProduct:
    case Variant::QuotientWithRemainder:
        s.operand1 = s.settings.range1Min + g.random(r1);
        s.operand2 = s.settings.range2Min + g.random(r2);
        break;
    case Variant::Difference:
        s.operand1 = s.settings.range1Min + g.random(r1);
        // A small minuend limits the subtrahend, so the difference is never negative.
        if (s.operand1 < s.settings.range2Max)
            s.operand2 = s.settings.range2Min + g.random(s.operand1 - s.settings.range2Min + 1);
        else
            s.operand2 = s.settings.range2Min + g.random(r2);
        break;
    case Variant::Quotient: {
        s.operand2 = s.settings.range2Min + g.random(r2);
        if (s.operand2 == 0)
            s.operand2 = s.settings.range2Min + g.random(r2) + 1;
        // The multiplier is drawn from k1 .. k2 - 1: the dividend is always a multiple of the
        // divisor, and the largest multiple only comes from the search.
        const qint32 k1 = s.settings.range1Min / s.operand2;
        const qint32 k2 = s.settings.range1Max / s.operand2;
        s.operand1 = s.operand2 * (k1 + g.random(k2 - k1));
        break;
    }
    }
}

bool fits(const RunState& s, Variant variant, qint32 p, qint32 q) {
    if (pairUsed(s, p, q))
        return false;
    switch (variant) {
    case Variant::Difference:
        return q <= p;
    case Variant::Quotient:
        return q > 0 && p % q == 0;
    default:
        return true;
    }
}

// Looks for a second operand for the first operand p, from range2Min upwards. The last q examined
// becomes operand2 whether or not the search succeeded.
bool searchSecondOperand(RunState& s, Variant variant, qint32 p) {
    s.operand1 = p;
    for (qint32 q = s.settings.range2Min; q <= s.settings.range2Max; ++q) {
        s.operand2 = q;
        if (variant == Variant::Quotient && q <= 0)
            continue;
        if (fits(s, variant, p, q))
            return true;
        if (variant != Variant::SumOrProduct && variant != Variant::QuotientWithRemainder && q == p)
            return false;
    }
    return false;
}

} // namespace

void recordTask(RunState& s, OperandPair pair) {
    s.operand1 = pair.first;
    s.operand2 = pair.second;
    s.taskCounter += 1;
    s.usedPairs[s.taskCounter] = {s.operand1, s.operand2};
    TaskRecord& task = s.taskList[s.taskCounter];
    task.operand1 = s.operand1;
    task.operand2 = s.operand2;
    task.operation = operationText(s.settings.operation);
    task.result = correctResult(s.settings.operation, s.operand1, s.operand2);
    task.remainder = taskRemainder(s.settings.operation, s.operand1, s.operand2);
}

Generation generateTask(RunState& s, const Clock& clock) {
    // The run flow never asks for more than taskLimit tasks; refuse rather than write past the
    // tables if it ever did.
    if (s.taskCounter >= taskLimit) {
        s.noMoreTasks = true;
        return Generation::NoMoreTasks;
    }
    s.generator.reseed(clock);
    const Variant variant = variantOf(s.settings.operation);
    if (variant == Variant::QuotientWithRemainder && s.settings.range2Min == 0)
        s.settings.range2Min = 1;

    for (int draws = 1; draws <= randomDrawLimit; ++draws) {
        drawPair(s, variant);
        if (!pairUsed(s, s.operand1, s.operand2))
            break;
    }
    if (pairUsed(s, s.operand1, s.operand2)) {
        bool found = searchSecondOperand(s, variant, s.operand1);
        for (qint32 p = s.settings.range1Min; !found && p <= s.settings.range1Max; ++p)
            found = searchSecondOperand(s, variant, p);
        if (!found)
            s.noMoreTasks = true;
    }

    recordTask(s, {s.operand1, s.operand2});

    if (s.noMoreTasks) {
        // The pair just recorded is not a task of the run.
        s.taskCounter -= 1;
        return Generation::NoMoreTasks;
    }
    s.taskSolved = false;
    return Generation::TaskPosed;
}

bool taskPosable(const QString& operationText, qint64 p, qint64 q) {
    const std::optional<Operation> operation = operationFromText(operationText);
    return operation && taskPosable(*operation, p, q);
}

QStringList subtractionRangeWarnings(const RunSettings& s) {
    QStringList warnings;
    if (s.operation != Operation::Subtract)
        return warnings;
    if (s.range2Min > s.range1Min || s.range2Max > s.range1Max)
        warnings << subtractionRangeWarning;
    return warnings;
}

QStringList divisionRangeWarnings(const RunSettings& s) {
    QStringList warnings;
    if (s.operation != Operation::Divide)
        return warnings;
    if (s.range1Max == 5)
        warnings << dividendTooSmallWarning;
    if (s.range2Max > 1000)
        warnings << divisorTooLargeWarning;
    bool tooFewDividends = false;
    switch (s.range1Max) {
    case 10:
        tooFewDividends = s.range2Max > 5;
        break;
    case 20:
        tooFewDividends = s.range2Max > 10;
        break;
    case 50:
        tooFewDividends = s.range2Min > 10; // the lower bound, unlike the other rows
        break;
    case 100:
    case 200:
        tooFewDividends = s.range2Max > 20;
        break;
    case 500:
        tooFewDividends = s.range2Max > 50;
        break;
    case 1000:
        tooFewDividends = s.range2Max > 100;
        break;
    default:
        break;
    }
    if (tooFewDividends)
        warnings << divisionRangesWarning;
    return warnings;
}

QStringList checkSubtractionRanges(RunState& s) {
    const QStringList warnings = subtractionRangeWarnings(s.settings);
    if (!warnings.isEmpty())
        s.subtractionRangesOk = false;
    return warnings;
}

QStringList checkDivisionRanges(RunState& s) {
    const QStringList warnings = divisionRangeWarnings(s.settings);
    if (!warnings.isEmpty())
        s.divisionRangesOk = false;
    return warnings;
}
