// The run as the task area shows it: the phases from Start to the end, the task, the two answer
// fields that take turns and the remainder field. The run itself is the RunController's; this
// forwards the child's answers to it and shows what it reports.

#include "main_window/digit_field.h"
#include "main_window/task_area.h"

#include <QLabel>
#include <QPushButton>

void TaskArea::showPhase(RunController::Phase phase) {
    const RunController::Phase before = shownPhase_;
    shownPhase_ = phase;
    switch (phase) {
    case RunController::Phase::Starting:
        // Enabled only once the run really begins: a remainder typed between runs has no task.
        Edit_Rest->setEnabled(hasRemainder(run_.settings().operation));
        break;
    case RunController::Phase::AwaitingAnswer:
        if (before == RunController::Phase::Starting)
            runStarted();
        break;
    case RunController::Phase::AwaitingRemainder:
        break;
    case RunController::Phase::Idle:
        runStopped();
        break;
    }
}

void TaskArea::runStarted() {
    // The focus goes straight to the first task. Were the settings locked first, a focused
    // settings field would hand the focus from control to control on its way there, and a screen
    // reader busy with all of them may still be behind when the child answers.
    Eingabe_aufnehmen->setEnabled(true);
    Eingabe_aufnehmen->setFocus();
    emit runBegun();
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(run_.taskNumber()));
    But_Stop->show();
    But_Start->hide();
}

void TaskArea::runStopped() {
    emit runEnding();
    // The focus waits on the start control shown next. It must get there before the answer field
    // is disabled, or Qt hands it on to the name field and the child's next keys replace the name.
    QPushButton* nextStart = run_.settings().competitionMode ? Button_Wettb_starten : But_Start;
    nextStart->show();
    nextStart->setFocus();
    emit runEnded();
    Label_Aufgaben_Nr->raise();
    Label_Punkte->raise();
    But_Stop->hide();
    // In competition mode the competition button stands there instead (shown above).
    if (!run_.settings().competitionMode)
        But_Start->show();
}

void TaskArea::runCleared() {
    resetDisplay();
    if (run_.active())
        return;
    if (run_.settings().competitionMode) {
        But_Start->hide();
        Button_Wettb_starten->show();
    }
    clearRects();
    setBackgroundColour(palette().color(QPalette::Window));
}

void TaskArea::showTask() {
    Panel_Zahl_1_zeigen->setText(QString::number(run_.task().first));
    Panel_Zahl_2_zeigen->setText(QString::number(run_.task().second));
    describeTask();
}

// After an answer: the next task, or the end of the run when none was left.
void TaskArea::showNextTask() {
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(run_.taskNumber()));
    // A run that ended has already put the focus on Start.
    if (run_.active())
        turnAnswerField();
    Eingabe_aufnehmen->clear();
    if (run_.noMoreTasks()) {
        Eingabe_aufnehmen->setEnabled(false);
        if (Edit_Rest->isVisible())
            Edit_Rest->setEnabled(false);
    }
}

// The next task goes into the other answer field, which takes the place of the one in use and the
// focus; the field now resting keeps nothing.
void TaskArea::turnAnswerField() {
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
void TaskArea::describeTask() {
    QString task;
    if (run_.taskNumber() >= 1)
        task = QStringLiteral("Aufgabe %1: %2 %3 %4 =")
                   .arg(run_.taskNumber())
                   .arg(run_.task().first)
                   .arg(operationSign(run_.settings().operation))
                   .arg(run_.task().second);
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

void TaskArea::answerSubmitted(const QString& text) {
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

void TaskArea::answerLeft() {
    if (run_.active() && Edit_Rest->isVisible() && !Eingabe_aufnehmen->text().isEmpty())
        Edit_Rest->setFocus();
}

void TaskArea::remainderSubmitted(const QString& text) {
    const RunController::AfterAnswer after = run_.submitRemainder(text);
    if (after == RunController::AfterAnswer::Ignored)
        return;
    if (after == RunController::AfterAnswer::NextTaskTried)
        showNextTask();
    Edit_Rest->clear();
    if (Eingabe_aufnehmen->isEnabled() && Eingabe_aufnehmen->isVisible())
        Eingabe_aufnehmen->setFocus();
}

void TaskArea::showTimeLeft(qint32 seconds) {
    if (seconds == 0)
        Panel_Grenze->clear();
    else
        showRemainingTime();
}
