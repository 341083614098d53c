#include "main_window/ear_only_display.h"

#include <QLabel>

namespace {
const QString hidden = QStringLiteral("?");
}

EarOnlyDisplay::EarOnlyDisplay(const RunState& state, RunController& run, QLabel* operand1,
                               QLabel* operand2, QLabel* solution)
    : QObject(solution), state_(state), operand1_(operand1), operand2_(operand2),
      solution_(solution) {
    reveal_.setSingleShot(true);
    reveal_.setInterval(revealMs);
    connect(&reveal_, &QTimer::timeout, this, &EarOnlyDisplay::cover);
    connect(&run, &RunController::taskPosed, this, &EarOnlyDisplay::taskPosed);
    connect(&run, &RunController::answered, this, &EarOnlyDisplay::answered);
    connect(&run, &RunController::cleared, this, &EarOnlyDisplay::cleared);
}

void EarOnlyDisplay::taskPosed() {
    if (!state_.earOnly || state_.competitionChosen)
        return;
    // The task answered a moment ago is still on view; the new one is covered when it goes.
    if (reveal_.isActive()) {
        operand1_->setText(QString::number(shown_.operand1));
        operand2_->setText(QString::number(shown_.operand2));
    } else {
        cover();
    }
}

void EarOnlyDisplay::answered(const AnsweredTask& task) {
    if (!state_.earOnly || state_.competitionChosen)
        return;
    shown_ = task;
    QString result = QString::number(task.correctResult);
    if (task.correctRemainder >= 0)
        result += QStringLiteral(" Rest %1").arg(task.correctRemainder);
    operand1_->setText(QString::number(task.operand1));
    operand2_->setText(QString::number(task.operand2));
    solution_->setText(QStringLiteral("%1 %2 %3 = %4")
                           .arg(task.operand1)
                           .arg(operationSign(state_.settings.operation))
                           .arg(task.operand2)
                           .arg(result));
    solution_->adjustSize();
    solution_->show();
    reveal_.start();
}

void EarOnlyDisplay::cover() {
    solution_->hide();
    if (state_.taskCounter >= 1 && state_.earOnly) {
        operand1_->setText(hidden);
        operand2_->setText(hidden);
    }
}

void EarOnlyDisplay::earOnlyChanged(bool on) {
    if (on || state_.taskCounter < 1)
        return;
    reveal_.stop();
    solution_->hide();
    operand1_->setText(QString::number(state_.operand1));
    operand2_->setText(QString::number(state_.operand2));
}

void EarOnlyDisplay::cleared() {
    // The end of the run shows "-----" as always; a task on view is not brought back.
    reveal_.stop();
    solution_->hide();
}
