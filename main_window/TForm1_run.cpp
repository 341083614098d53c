// The run as the main window shows it: Start and Stop, the task, the answer and remainder fields,
// the points and the remaining time. The run itself is the RunController's; this file forwards
// the child's keys and clicks to it and shows what it reports.

#include "main_window/TForm1.h"

#include "engine/answer_check.h"
#include "main_window/digit_field.h"
#include "main_window/point_rect_area.h"
#include "main_window/settings_items.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

void TForm1::But_StartClick() {
    // Start makes the range checks itself; a check still waiting for the child to leave a list
    // would only repeat its warnings.
    rangeCheckDue_ = false;
    run_.start();
}

void TForm1::But_StopClick() {
    run_.stop();
}

void TForm1::prepareTaskArea() {
    if (state_.timeLimit <= 0)
        Panel_Grenze->setText(QStringLiteral(" "));
    showRemainderFields(state_.withRemainder);
}

void TForm1::showPhase(RunController::Phase phase) {
    const RunController::Phase before = shownPhase_;
    shownPhase_ = phase;
    switch (phase) {
    case RunController::Phase::Starting:
        // Enabled only once the run really begins: a remainder typed between runs has no task.
        Edit_Rest->setEnabled(state_.withRemainder);
        break;
    case RunController::Phase::AwaitingAnswer:
        if (before == RunController::Phase::Starting)
            runStarted();
        break;
    case RunController::Phase::AwaitingRemainder:
        break;
    case RunController::Phase::Idle:
        runEnding();
        break;
    }
}

void TForm1::runStarted() {
    // The focus goes straight to the first task. Were the settings locked first, a focused
    // settings field would hand the focus from control to control on its way there, and a screen
    // reader busy with all of them may still be behind when the child answers.
    Eingabe_aufnehmen->setEnabled(true);
    Eingabe_aufnehmen->setFocus();
    lockSettings();
    showCompetitionsDuringRun();
    lockMenus();
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(state_.taskCounter));
    But_Stop->show();
    But_Start->hide();
}

void TForm1::runEnding() {
    // A message of the run still on screen (the time ran out while it was open) belongs to the
    // run: it goes now, before the result dialog, and does not come back after the saves.
    if (runMessagesOpen_ > 0)
        platform_.closeMessages(this);
    // The focus waits on the start control shown next. It must get there before the answer field
    // is disabled, or Qt hands it on to the name field and the child's next keys replace the name.
    QPushButton* nextStart = state_.competitionMode ? Button_Wettb_starten : But_Start;
    nextStart->show();
    nextStart->setFocus();
    showCompetitionsAfterRun();
    unlockMenus();
    Label_Aufgaben_Nr->raise();
    Label_Punkte->raise();
    But_Stop->hide();
    // In competition mode the competition button stands there instead (shown above).
    if (!state_.competitionMode)
        But_Start->show();
}

void TForm1::runCleared() {
    resetDisplay();
    if (run_.active())
        return;
    if (state_.competitionMode) {
        But_Start->hide();
        Button_Wettb_starten->show();
    }
    client_->clearRects();
    applyMainWindowColour(mainWindowColour);
}

void TForm1::showTask() {
    Panel_Zahl_1_zeigen->setText(QString::number(state_.operand1));
    Panel_Zahl_2_zeigen->setText(QString::number(state_.operand2));
    describeTask();
}

// After an answer: the next task, or the end of the run when none was left.
void TForm1::showNextTask() {
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(state_.taskCounter));
    // A run that ended has already put the focus on Start.
    if (run_.active())
        turnAnswerField();
    Eingabe_aufnehmen->clear();
    if (state_.noMoreTasks) {
        Eingabe_aufnehmen->setEnabled(false);
        if (Edit_Rest->isVisible())
            Edit_Rest->setEnabled(false);
    }
}

// The next task goes into the other answer field, which takes the place of the one in use and the
// focus; the field now resting keeps nothing.
void TForm1::turnAnswerField() {
    DigitField* previous = Eingabe_aufnehmen;
    DigitField* next = restingAnswerField_;
    next->clear();
    next->setEnabled(previous->isEnabled());
    next->setObjectName(previous->objectName());
    previous->setObjectName(QString::fromLatin1(restingAnswerFieldName));
    Eingabe_aufnehmen = next;
    restingAnswerField_ = previous;
    next->show();
    next->raise();
    if (next->isEnabled())
        next->setFocus(Qt::OtherFocusReason);
    previous->hide();
    previous->clear();
}

// The answer field carries the task on display, so a screen reader says what is to be solved.
void TForm1::describeTask() {
    QString task;
    if (state_.taskCounter >= 1)
        task = QStringLiteral("Aufgabe %1: %2 %3 %4 =")
                   .arg(state_.taskCounter)
                   .arg(state_.operand1)
                   .arg(state_.operationSign)
                   .arg(state_.operand2);
    // Every change a screen reader has to take in delays its reading of the next task, so the
    // answer field that is about to give the focus to the other one keeps its task (the change
    // would not be read there), and so does a hidden remainder field.
    for (QLineEdit* field : {Eingabe_aufnehmen, restingAnswerField_, Edit_Rest}) {
        const bool passedOver = field == Edit_Rest ? !field->isVisible() && !task.isEmpty()
                                                   : field->hasFocus() && !task.isEmpty();
        if (!passedOver && field->accessibleDescription() != task)
            field->setAccessibleDescription(task);
    }
}

void TForm1::showPoints(qint32 points) {
    Panel_Punkte_zeigen->setText(QString::number(points));
    Label_Punkte->setText(pointsWord(points));
    if (state_.pointRectsOn)
        client_->addRect(points, pointRectColour);
}

void TForm1::Eingabe_aufnehmenKeyDown(const QString& text) {
    switch (run_.submitAnswer(text)) {
    case RunController::AfterAnswer::RemainderAwaited:
        Edit_Rest->setFocus();
        break;
    case RunController::AfterAnswer::NextTaskTried:
        showNextTask();
        break;
    case RunController::AfterAnswer::Ignored:
    case RunController::AfterAnswer::LimitReached:
        break;
    }
}

void TForm1::Eingabe_aufnehmenKeyUp(const QString& text) {
    run_.answerTyped(text);
}

void TForm1::Eingabe_aufnehmenExit() {
    if (run_.active() && Edit_Rest->isVisible() && !Eingabe_aufnehmen->text().isEmpty())
        Edit_Rest->setFocus();
}

void TForm1::Edit_RestKeyDown(const QString& text) {
    const RunController::AfterAnswer after = run_.submitRemainder(text);
    if (after == RunController::AfterAnswer::Ignored)
        return;
    if (after == RunController::AfterAnswer::NextTaskTried)
        showNextTask();
    Edit_Rest->clear();
    if (Eingabe_aufnehmen->isEnabled() && Eingabe_aufnehmen->isVisible())
        Eingabe_aufnehmen->setFocus();
}

void TForm1::showTimeLeft(qint32 seconds) {
    if (seconds == 0)
        Panel_Grenze->clear();
    else
        showRemainingTime();
}

void TForm1::resetDisplay() {
    Panel_Punkte_zeigen->setVisible(state_.pointsDisplayOn);
    Label_Punkte->setVisible(state_.pointsDisplayOn);
    Panel_Punkte_zeigen->setText(QStringLiteral("0"));
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(state_.taskCounter));
    Label_Punkte->setText(QStringLiteral("Punkte"));
    Panel_Zahl_1_zeigen->setText(noTaskShown);
    Panel_Zahl_2_zeigen->setText(noTaskShown);
    describeTask();
    Eingabe_aufnehmen->clear();
    if (Edit_Rest->isVisible())
        Edit_Rest->clear();
}
