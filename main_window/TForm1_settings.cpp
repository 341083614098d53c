// The settings panel of the main window: operation, operand ranges, time limit and name.

#include "main_window/TForm1.h"

#include "common/text_codec.h"
#include "engine/operation.h"
#include "engine/task_generation.h"
#include "main_window/digit_field.h"
#include "main_window/settings_items.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
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
    checkRangesWhenSettled();
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
    checkRangesWhenSettled();
}

void TForm1::runRangeChecks() {
    showRangeWarnings(checkSubtractionRanges(state_));
    showRangeWarnings(checkDivisionRanges(state_));
}

void TForm1::checkRangesWhenSettled() {
    if (state_.competitionMode)
        return;
    if (walkingList_)
        rangeCheckDue_ = true;
    else
        runRangeChecks();
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
    if (watched != Verknuepfung && watched != Edit_Zahl_1 && watched != Edit_Zahl_2)
        return QMainWindow::eventFilter(watched, e);
    switch (e->type()) {
    case QEvent::KeyPress: {
        // Alt+Down opens the list; a choice made there is a choice, not a step on the way.
        const auto* key = static_cast<QKeyEvent*>(e);
        walkingList_ = key->modifiers() == Qt::NoModifier &&
                       (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down ||
                        key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown ||
                        key->key() == Qt::Key_Home || key->key() == Qt::Key_End);
        break;
    }
    case QEvent::Wheel:
        walkingList_ = true;
        break;
    case QEvent::MouseButtonPress:
        walkingList_ = false;
        break;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        // Another window or the open list takes the focus only for a while.
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            break;
        showItemInForce(static_cast<QComboBox*>(watched));
        walkingList_ = false;
        if (rangeCheckDue_) {
            rangeCheckDue_ = false;
            // Once the focus has arrived: a message box opened while it moves would take it. A
            // run started meanwhile has made its own checks.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (Verknuepfung->isEnabled())
                        checkRangesWhenSettled();
                },
                Qt::QueuedConnection);
        }
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}

void TForm1::lockSettings() {
    for (QWidget* w : {static_cast<QWidget*>(Verknuepfung), static_cast<QWidget*>(Edit_Name),
                       static_cast<QWidget*>(Edit_Zahl_1), static_cast<QWidget*>(Edit_Zahl_2),
                       static_cast<QWidget*>(Edit_Zeit)})
        w->setEnabled(false);
}

void TForm1::unlockSettings() {
    for (QWidget* w : {static_cast<QWidget*>(Verknuepfung), static_cast<QWidget*>(Edit_Name),
                       static_cast<QWidget*>(Edit_Zahl_1), static_cast<QWidget*>(Edit_Zahl_2),
                       static_cast<QWidget*>(Edit_Zeit)})
        w->setEnabled(true);
    if (!state_.noMoreTasks) {
        Eingabe_aufnehmen->setEnabled(false);
        if (Edit_Rest->isVisible())
            Edit_Rest->setEnabled(false);
    }
}

void TForm1::lockMenus() {
    for (QMenu* m : {Datei1, Einstellungen1, Leistungen1, Aufgaben1})
        m->menuAction()->setEnabled(false);
}

void TForm1::unlockMenus() {
    for (QMenu* m : {Datei1, Einstellungen1, Leistungen1, Aufgaben1})
        m->menuAction()->setEnabled(true);
}

// Before a run starts, the settings panel has its say.
std::optional<RunFields> TForm1::readyToStart() {
    // The time field may still hold an unfit value that was never left (Alt+S from inside it):
    // Start checks it as leaving the field would, and the run waits for a fit value.
    if (Edit_Zeit->isEnabled()) {
        Edit_ZeitExit();
        if (!state_.timeFieldOk)
            return std::nullopt;
    }
    prepareTaskArea();
    return RunFields{Edit_Zeit->text(), Edit_Zahl_1->currentIndex(), Edit_Zahl_2->currentIndex()};
}

// The run belongs to the child chosen in the learning history, as a free run: another name goes,
// and competition mode goes off as by the child's own click.
std::optional<RunFields> TForm1::readyToPractise(const QString& participant, Operation operation) {
    const QString before = Edit_Name->text();
    if (before != participant)
        Edit_Name->setText(participant);
    raise();
    activateWindow();
    if (state_.competitionMode)
        Panel_Wettbewerb_iniClick();
    if (Edit_Zeit->isEnabled()) {
        Edit_ZeitExit();
        if (!state_.timeFieldOk) {
            // The last name stays, so nothing is saved under the other child's name.
            if (before != participant)
                Edit_Name->setText(before);
            return std::nullopt;
        }
    }
    // The operation as choosing it in the list would set it, without the range checks.
    const int item = operationIndex(operation);
    {
        const QSignalBlocker block(Verknuepfung);
        Verknuepfung->setCurrentIndex(item);
        Verknuepfung->setEditText(operationItems()[item]);
    }
    applyOperationItem(state_, item);
    showRemainderFields(state_.withRemainder);
    Edit_Rest->setEnabled(false);
    Panel_Verknuepfung_zeigen->setText(state_.operationSign);
    prepareTaskArea();
    return RunFields{Edit_Zeit->text(), Edit_Zahl_1->currentIndex(), Edit_Zahl_2->currentIndex()};
}
