#pragma once

#include "engine/answered_task.h"
#include "engine/operation.h"

#include <QString>

#include <optional>

// What the program says during a run. Numbers stay digits: the voice reads them in German.

// "Aufgabe 3: 7 mal 8", "Aufgabe 4: 17 geteilt durch 5, mit Rest".
QString taskPhrase(qint32 number, qint32 operand1, qint32 operand2, Operation operation);

// "richtig", or in a free run "leider falsch, 7 mal 8 ist 56". A competition run never gives
// the result away, so its best lists stay comparable: only "richtig" or "falsch".
QString feedbackPhrase(const AnsweredTask& task, Operation operation, bool competition);

// The time left, said at 60, 30 and 10 seconds and when it has run out (0). Nothing at the
// first second of the countdown, which only repeats the limit the child has just set.
std::optional<QString> timePhrase(qint32 secondsLeft, qint32 timeLimit);

// A message of the run (a range that cannot work, the last task, the end of a practice list) as
// it is read out while its box waits for the child: one sentence after another, without the
// line breaks of the box.
QString noticePhrase(const QString& text);

// "Du hast von 12 Aufgaben 10 gelöst."
QString endPhrase(qint32 workedTasks, qint32 points);
