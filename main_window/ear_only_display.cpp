#include "main_window/ear_only_display.h"

#include <QLabel>

namespace {
const QString hidden = QStringLiteral("?");
}

EarOnlyDisplay::EarOnlyDisplay(const RunController& run, QLabel* operand1, QLabel* operand2,
                               QLabel* solution)
    : QObject(solution), run_(run), operand1_(operand1), operand2_(operand2), solution_(solution) {
    reveal_.setSingleShot(true);
    reveal_.setInterval(revealMs);
    connect(&reveal_, &QTimer::timeout, this, &EarOnlyDisplay::cover);
    connect(&run, &RunController::taskPosed, this, &EarOnlyDisplay::taskPosed);
    connect(&run, &RunController::answered, this, &EarOnlyDisplay::answered);
    connect(&run, &RunController::cleared, this, &EarOnlyDisplay::cleared);
}

bool EarOnlyDisplay::covering() const {
    return on_ && !run_.settings().competitionChosen();
}

void EarOnlyDisplay::taskPosed() {
    if (!covering())
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
    if (!covering())
        return;
    shown_ = task;
    QString result = QString::number(task.correctResult);
    if (task.correctRemainder >= 0)
        result += QStringLiteral(" Rest %1").arg(task.correctRemainder);
    operand1_->setText(QString::number(task.operand1));
    operand2_->setText(QString::number(task.operand2));
    solution_->setText(QStringLiteral("%1 %2 %3 = %4")
                           .arg(task.operand1)
                           .arg(operationSign(run_.settings().operation))
                           .arg(task.operand2)
                           .arg(result));
    solution_->adjustSize();
    solution_->show();
    reveal_.start();
}

void EarOnlyDisplay::cover() {
    solution_->hide();
    if (run_.taskNumber() >= 1 && on_) {
        operand1_->setText(hidden);
        operand2_->setText(hidden);
    }
}

void EarOnlyDisplay::earOnlyChanged(bool on) {
    on_ = on;
    if (on || run_.taskNumber() < 1)
        return;
    reveal_.stop();
    solution_->hide();
    operand1_->setText(QString::number(run_.task().first));
    operand2_->setText(QString::number(run_.task().second));
}

void EarOnlyDisplay::cleared() {
    // The end of the run shows "-----" as always; a task on view is not brought back.
    reveal_.stop();
    solution_->hide();
}
