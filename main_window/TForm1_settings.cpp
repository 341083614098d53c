// The settings panel of the main window: operation, operand ranges, time limit and name.

#include "main_window/TForm1.h"

#include "common/text_codec.h"
#include "engine/operation.h"
#include "engine/task_generation.h"
#include "main_window/digit_field.h"
#include "main_window/settings_items.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

void TForm1::VerknuepfungClick() {
    selectOperation();
}

void TForm1::selectOperation() {
    const int index = operationItemIndex(Verknuepfung->currentText());
    if (index < 0)
        message(MessageKind::Information, operationListHint, 0);
    applyOperationItem(state_, index);
    if (index >= 0) {
        showRemainderFields(state_.withRemainder);
        Edit_Rest->setEnabled(false);
    }
    if (!state_.competitionMode)
        runRangeChecks();
    Panel_Zahl_1_zeigen->setText(noTaskShown);
    Panel_Zahl_2_zeigen->setText(noTaskShown);
    Panel_Verknuepfung_zeigen->setText(state_.operationSign);
}

void TForm1::showRemainderFields(bool visible) {
    Edit_Rest->setVisible(visible);
    Label_Rest->setVisible(visible);
}

// A text typed outside a list changes no setting. When the child leaves the box, it shows again
// the item that is in force, so the box never claims settings that the next run will not use.
void TForm1::showItemInForce(QComboBox* box) {
    int item = -1;
    if (box == Verknuepfung) {
        if (operationItemIndex(box->currentText()) >= 0)
            return;
        item = operationItemFor(state_.operationSign, state_.withRemainder);
    } else {
        if (rangeItemIndex(box->currentText()) >= 0)
            return;
        item = box == Edit_Zahl_1 ? rangeItemFor(state_.range1Min, state_.range1Max)
                                  : rangeItemFor(state_.range2Min, state_.range2Max);
    }
    if (item < 0)
        return;
    const QSignalBlocker block(box);
    box->setCurrentIndex(item);
    box->setEditText(box->itemText(item));
}

void TForm1::Edit_Zahl_1Change() {
    selectRange1();
}

void TForm1::Edit_Zahl_2Change() {
    selectRange2();
}

void TForm1::selectRange1() {
    applyRangeText(Edit_Zahl_1, state_.range1Min, state_.range1Max);
}

void TForm1::selectRange2() {
    applyRangeText(Edit_Zahl_2, state_.range2Min, state_.range2Max);
}

// A text outside the list keeps the bounds in force and tells the child to pick from the list.
void TForm1::applyRangeText(const QComboBox* box, qint32& lowerBound, qint32& upperBound) {
    const int index = rangeItemIndex(box->currentText());
    if (index < 0) {
        message(MessageKind::Information, rangeListHint);
    } else {
        lowerBound = rangeItems()[index].lowerBound;
        upperBound = rangeItems()[index].upperBound;
    }
    if (!state_.competitionMode)
        runRangeChecks();
}

void TForm1::runRangeChecks() {
    showRangeWarnings(checkSubtractionRanges(state_));
    showRangeWarnings(checkDivisionRanges(state_));
}

void TForm1::showRangeWarnings(const QStringList& warnings) {
    for (const QString& warning : warnings)
        message(MessageKind::Warning, warning);
}

void TForm1::Edit_ZeitChange() {
    const TimeFieldChange change = evaluateTimeFieldChange(Edit_Zeit->text());
    if (change.timeLimit)
        state_.timeLimit = *change.timeLimit;
    if (change.warn)
        message(MessageKind::Warning, timeOutOfRangeWarning);
}

void TForm1::Edit_ZeitExit() {
    if (!timeFieldAcceptable(Edit_Zeit->text())) {
        state_.timeFieldOk = false;
        message(MessageKind::Information, timeFieldExitHint);
        Edit_Zeit->setFocus();
    } else {
        state_.timeFieldOk = true;
    }
}

void TForm1::Edit_NameChange() {
    setWindowTitle(mainWindowTitle(Edit_Name->text()));
    state_.participantName = capped(Edit_Name->text(), participantNameCapacity);
}

// A list box left with a text outside its list shows the item in force again. A message box or a
// menu takes the focus only for a while; the box is not left then.
bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::FocusOut &&
        (watched == Verknuepfung || watched == Edit_Zahl_1 || watched == Edit_Zahl_2)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            showItemInForce(static_cast<QComboBox*>(watched));
    }
    return QMainWindow::eventFilter(watched, e);
}
