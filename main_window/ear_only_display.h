#pragma once

#include "engine/run_controller.h"

#include <QObject>
#include <QTimer>

class QLabel;

// "Nur hören": while a task waits for its answer, the operand panels show "?"; after the answer
// they show that task again for a moment, with its right result in the solution label, so the
// child sees what was heard. The rest of the run is shown as always.
class EarOnlyDisplay : public QObject {
    Q_OBJECT
public:
    // How long an answered task stays on view.
    static constexpr int revealMs = 2000;

    // Connects after the window's own display of the run, whose operands it covers.
    EarOnlyDisplay(const RunController& run, QLabel* operand1, QLabel* operand2, QLabel* solution);

    // "Nur hören" on or off; off in the middle of a task shows the task as it would be without.
    void earOnlyChanged(bool on);

private:
    void taskPosed();
    void answered(const AnsweredTask& task);
    void cover();
    void cleared();

    // The tasks are covered: "Nur hören" is on and the run is no competition.
    bool covering() const;

    const RunController& run_;
    bool on_ = false;
    QLabel* operand1_;
    QLabel* operand2_;
    QLabel* solution_;
    QTimer reveal_;
    AnsweredTask shown_;
};
