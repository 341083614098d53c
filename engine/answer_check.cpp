#include "engine/answer_check.h"

qint32 correctResult(const QString& sign, qint32 a, qint32 b) {
    if (sign == QLatin1String("+"))
        return a + b;
    if (sign == QLatin1String("-"))
        return a - b;
    if (sign == QLatin1String("*"))
        return a * b;
    if (sign == QLatin1String(":"))
        return b == 0 ? 0 : a / b;
    return 0;
}

qint32 correctRemainder(qint32 a, qint32 b) {
    return b == 0 ? 0 : a - (a / b) * b;
}

bool checkAnswer(RunState& s) {
    const qint32 result = correctResult(s.operationSign, s.operand1, s.operand2);
    // The text must match exactly: "012" is not 12.
    bool right = s.answerText == QString::number(result);
    if (right && s.operationSign == QLatin1String(":") && s.withRemainder)
        right = s.givenRemainder == correctRemainder(s.operand1, s.operand2);
    if (!right)
        return false;
    s.points += 1;
    s.taskSolved = true;
    return true;
}

QString pointsWord(qint32 points) {
    return points == 1 ? QStringLiteral("Punkt") : QStringLiteral("Punkte");
}
