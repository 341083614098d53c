#include "engine/answer_check.h"

bool checkAnswer(RunState& s) {
    const qint32 result = correctResult(s.settings.operation, s.operand1, s.operand2);
    // The text must match exactly: "012" is not 12.
    bool right = s.answerText == QString::number(result);
    if (right && hasRemainder(s.settings.operation))
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
