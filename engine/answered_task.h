#pragma once

#include <QString>

// One answer the child gave in a run, kept with the time it took: from the moment the task was
// shown to the Return that submitted it (with a remainder, the Return in the remainder field).
struct AnsweredTask {
    qint32 taskNo = 0;
    qint32 operand1 = 0;
    qint32 operand2 = 0;
    qint32 correctResult = 0;
    qint32 correctRemainder = -1; // -1 for tasks without remainder
    QString givenAnswer;          // the field's text as submitted
    QString givenRemainder;       // empty for tasks without remainder
    bool correct = false;
    qint64 answerMs = 0;
};
