#include "speech/phrases.h"

namespace {

QString spokenTask(qint32 operand1, qint32 operand2, Operation operation) {
    return QStringLiteral("%1 %2 %3").arg(operand1).arg(operationWords(operation)).arg(operand2);
}

} // namespace

QString taskPhrase(qint32 number, qint32 operand1, qint32 operand2, Operation operation) {
    QString phrase =
        QStringLiteral("Aufgabe %1: %2").arg(number).arg(spokenTask(operand1, operand2, operation));
    if (operation == Operation::DivideWithRemainder)
        phrase += QStringLiteral(", mit Rest");
    return phrase;
}

QString feedbackPhrase(const AnsweredTask& task, Operation operation, bool competition) {
    if (task.correct)
        return QStringLiteral("richtig");
    if (competition)
        return QStringLiteral("falsch");
    QString result = QString::number(task.correctResult);
    if (operation == Operation::DivideWithRemainder)
        result += QStringLiteral(" Rest %1").arg(task.correctRemainder);
    return QStringLiteral("leider falsch, %1 ist %2")
        .arg(spokenTask(task.operand1, task.operand2, operation), result);
}

std::optional<QString> timePhrase(qint32 secondsLeft, qint32 timeLimit) {
    if (secondsLeft == 0)
        return QStringLiteral("Die Zeit ist um.");
    if (secondsLeft == timeLimit)
        return std::nullopt;
    switch (secondsLeft) {
    case 60:
        return QStringLiteral("Noch eine Minute.");
    case 30:
    case 10:
        return QStringLiteral("Noch %1 Sekunden.").arg(secondsLeft);
    default:
        return std::nullopt;
    }
}

QString noticePhrase(const QString& text) {
    return text.simplified();
}

QString endPhrase(qint32 workedTasks, qint32 points) {
    return QStringLiteral("Du hast von %1 %2 %3 gelöst.")
        .arg(workedTasks)
        .arg(workedTasks == 1 ? QStringLiteral("Aufgabe") : QStringLiteral("Aufgaben"))
        .arg(points);
}
