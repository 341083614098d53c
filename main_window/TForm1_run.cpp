// The run flow of the main window: Start, answers, the next task, the countdown, Stop and the
// end of a run, and the practice run that the learning history starts.

#include "main_window/TForm1.h"

#include "common/text_codec.h"
#include "engine/answer_check.h"
#include "engine/answer_timing.h"
#include "engine/task_generation.h"
#include "main_window/settings_items.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

namespace {

const QString limitMessage =
    QStringLiteral("Jetzt kann ich nicht mehr! Das war zuviel !\nWenn Du aber noch Kondition "
                   "hast, wähle bitte \nneue Einstellungen !");

const QString practiceDoneMessage =
    QStringLiteral("Das waren alle Aufgaben zum Üben. Gut gemacht !");

constexpr int taskAnnouncementMs = 200;

bool isReturn(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// Of the printable characters only digits reach a digit field; the others are dropped silently.
// Every other key passes: Tab and Backtab, Backspace and Delete, the arrows, and shortcuts such as
// paste (the field's validator keeps anything but digits out). Tab, Backspace and Delete carry
// texts too ("\t", "\b", "\x7f"), but not printable ones.
bool isRefusedCharacter(const QKeyEvent* key) {
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    for (const QChar c : text) {
        if (!c.isPrint())
            return false;
    }
    return !text.isEmpty() && !isDecimalDigits(text);
}

// A message box or menu takes the focus only for a while; the control is not left then.
bool focusTakenForAWhile(const QEvent* e) {
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(e)->reason();
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

// Whether a focus-out means the child left the field for another control of this window. A field
// that is disabled or hidden passes its focus on by itself; that is not leaving it either.
bool leftByChild(const QObject* watched, const QEvent* e) {
    const auto* w = static_cast<const QWidget*>(watched);
    return !focusTakenForAWhile(e) && w->isEnabled() && w->isVisible();
}

} // namespace

void TForm1::But_StartClick() {
    if ((state_.resultsPending || state_.tasksPending) && !state_.fewerSaveHints)
        return;
    // The time field may still hold an unfit value that was never left (Alt+S from inside it):
    // Start checks it as leaving the field would, and the run waits for a fit value.
    if (Edit_Zeit->isEnabled()) {
        Edit_ZeitExit();
        if (!state_.timeFieldOk)
            return;
    }
    startRun();
}

void TForm1::But_StopClick() {
    endRun(RunEnd::StopOrTimeOut);
}

void TForm1::startRun() {
    state_.subtractionRangesOk = true;
    state_.divisionRangesOk = true;
    state_.timeUp = false;

    if (state_.timeLimit > 0)
        state_.remainingSeconds = state_.timeLimit + 1;
    else
        Panel_Grenze->setText(QStringLiteral(" "));

    if (!state_.competitionMode) {
        state_.competitionTag = QStringLiteral("-");
        // A practice run's tasks come from its list, not from the ranges.
        if (state_.practiceTasks.isEmpty())
            runRangeChecks();
    } else {
        state_.competitionTag =
            capped(QString::number(state_.competitionNumber), competitionTagCapacity);
    }

    showRemainderFields(state_.withRemainder);
    if (!state_.subtractionRangesOk || !state_.divisionRangesOk || !state_.timeFieldOk)
        return;
    // Enabled only once the run really begins: a remainder typed between runs has no task.
    Edit_Rest->setEnabled(state_.withRemainder);

    state_.noMoreTasks = false;
    allTasksAnswered_ = false;
    clearTaskList(state_);
    state_.taskCounter = 0;
    resetDisplay();
    clearUsedPairs(state_);
    beginRunHistory(state_, platform_);
    runActive_ = true;
    generateAndShowTask();
    if (state_.noMoreTasks)
        return; // the run has already ended

    lockSettings();
    setCompetitionPanelsEnabled(false);
    greyCompetitionPanels();
    if (state_.competitionChosen)
        markChosenCompetition();
    lockMenus();
    Panel_Wettbewerb_ini->setEnabled(false);
    setCaptionColour(Panel_Wettbewerb_ini, QColor(0x80, 0x80, 0x80));

    Eingabe_aufnehmen->setEnabled(true);
    state_.taskSolved = false;
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(state_.taskCounter));

    But_Stop->show();
    But_Start->hide();
    Eingabe_aufnehmen->setFocus();

    if (state_.timeLimit > 0)
        Timer3->start(1000);
}

void TForm1::generateAndShowTask() {
    if (generateTask(state_, platform_) == Generation::NoMoreTasks) {
        allTasksAnswered_ = true;
        message(MessageKind::Information,
                state_.practiceTasks.isEmpty() ? noMoreTasksMessage : practiceDoneMessage);
        endRun(RunEnd::AllTasksAnswered);
        return;
    }
    Panel_Zahl_1_zeigen->setText(QString::number(state_.operand1));
    Panel_Zahl_2_zeigen->setText(QString::number(state_.operand2));
    state_.taskSolved = false;
    describeTask();
    markTaskShown(state_, platform_);
}

// A screen reader speaks a field's name and description when the focus arrives there, but not
// when the description of the focused field changes. So the focus steps aside to an unseen spot
// and comes back a moment later. The moment must be long enough for the screen reader to have
// seen the step aside (50 ms were too short for it, 150 ms were enough); keys typed meanwhile go
// on to the answer field.
void TForm1::announceTask() {
    if (!runActive_ || !Eingabe_aufnehmen->hasFocus())
        return;
    taskAnnouncer_->setFocus();
    QTimer::singleShot(taskAnnouncementMs, this, [this] {
        if (taskAnnouncer_->hasFocus())
            Eingabe_aufnehmen->setFocus();
    });
}

// The answer field carries the task on display, so a screen reader says what is to be solved.
void TForm1::describeTask() {
    if (state_.taskCounter < 1) {
        Eingabe_aufnehmen->setAccessibleDescription(QString());
        Edit_Rest->setAccessibleDescription(QString());
        return;
    }
    const QString task = QStringLiteral("Aufgabe %1: %2 %3 %4 =")
                             .arg(state_.taskCounter)
                             .arg(state_.operand1)
                             .arg(state_.operationSign)
                             .arg(state_.operand2);
    Eingabe_aufnehmen->setAccessibleDescription(task);
    Edit_Rest->setAccessibleDescription(task);
}

void TForm1::nextTask() {
    generateAndShowTask();
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(state_.taskCounter));
    // A run that ended inside the generation has already put the focus on Start.
    if (runActive_ && Eingabe_aufnehmen->isEnabled() && Eingabe_aufnehmen->isVisible())
        Eingabe_aufnehmen->setFocus();
    Eingabe_aufnehmen->clear();
    announceTask();
    if (state_.noMoreTasks) {
        Eingabe_aufnehmen->setEnabled(false);
        if (Edit_Rest->isVisible())
            Edit_Rest->setEnabled(false);
    }
}

void TForm1::scoreAnswer() {
    const bool right = checkAnswer(state_);
    // The learning history keeps the remainder as typed; the check takes its number.
    recordAnswer(state_, platform_, right, Edit_Rest->text());
    if (!right)
        return;
    Panel_Punkte_zeigen->setText(QString::number(state_.points));
    Label_Punkte->setText(pointsWord(state_.points));
    if (state_.pointRectsOn)
        drawPointRect();
}

void TForm1::continueAfterAnswer(bool fromRemainder) {
    // A practice list that ends with the 160th task ends with its own message, not the limit's.
    const bool practiceUsedUp =
        !state_.practiceTasks.isEmpty() && state_.taskCounter >= state_.practiceTasks.size();
    if (state_.taskCounter == taskLimit && !practiceUsedUp) {
        allTasksAnswered_ = true;
        message(MessageKind::Information, limitMessage);
        state_.limitReached = true;
        endRun(RunEnd::AllTasksAnswered);
    } else {
        nextTask();
    }
    if (fromRemainder) {
        Edit_Rest->clear();
        if (Eingabe_aufnehmen->isEnabled() && Eingabe_aufnehmen->isVisible())
            Eingabe_aufnehmen->setFocus();
    }
}

bool TForm1::Eingabe_aufnehmenKeyDown(QKeyEvent* key) {
    state_.limitReached = false;
    if (key->key() == Qt::Key_Escape) {
        Eingabe_aufnehmen->clear();
        return true;
    }
    if (state_.timeUp) {
        focusNextChild();
        return true;
    }
    if (isReturn(key)) {
        const QString text = Eingabe_aufnehmen->text();
        if (!state_.taskSolved && !text.isEmpty() && runActive_) {
            // The answer is taken from the field as it is now, never from an older copy.
            state_.answerText = capped(text, answerTextCapacity);
            state_.taskList[size_t(state_.taskCounter)].givenAnswer = text.toInt();
            state_.resultsPending = true;
            state_.tasksPending = true;
            if (state_.withRemainder) {
                Edit_Rest->setFocus();
            } else {
                scoreAnswer();
                continueAfterAnswer(false);
            }
        }
        return true;
    }
    return isRefusedCharacter(key);
}

void TForm1::Eingabe_aufnehmenKeyUp() {
    const QString text = Eingabe_aufnehmen->text();
    state_.answerText = capped(text, answerTextCapacity);
    if (!text.isEmpty() && state_.taskCounter >= 0 && state_.taskCounter <= taskLimit)
        state_.taskList[size_t(state_.taskCounter)].givenAnswer = text.toInt();
}

void TForm1::Eingabe_aufnehmenExit() {
    if (Edit_Rest->isVisible() && !Eingabe_aufnehmen->text().isEmpty())
        Edit_Rest->setFocus();
}

bool TForm1::Edit_RestKeyDown(QKeyEvent* key) {
    if (key->key() == Qt::Key_Escape) {
        Edit_Rest->clear();
        return true;
    }
    if (isReturn(key)) {
        if (!Edit_Rest->text().isEmpty())
            submitRemainder();
        return true;
    }
    return isRefusedCharacter(key);
}

void TForm1::submitRemainder() {
    // Between runs the remainder field can be enabled by a refused Start; nothing to answer then.
    if (!runActive_ || state_.taskSolved)
        return;
    state_.givenRemainder = Edit_Rest->text().toInt();
    state_.taskList[size_t(state_.taskCounter)].givenRemainder = state_.givenRemainder;
    scoreAnswer();
    continueAfterAnswer(true);
}

void TForm1::Timer3Timer() {
    if (state_.remainingSeconds <= 1) {
        Timer3->stop();
        if (state_.remainingSeconds == 1)
            Panel_Grenze->clear();
        state_.timeUp = true;
        endRun(RunEnd::StopOrTimeOut);
        return;
    }
    state_.remainingSeconds -= 1;
    showRemainingTime();
}

void TForm1::showRemainingTime() {
    if (state_.remainingTimeDisplayOn)
        Panel_Grenze->setText(remainingTimeText(state_.remainingSeconds));
    else
        Panel_Grenze->clear();
}

void TForm1::RestZeitAnzeigeaus1Click() {
    if (state_.remainingTimeDisplayOn) {
        state_.remainingTimeDisplayOn = false;
        Panel_Grenze->clear();
        RestZeitAnzeigeaus1->setText(QStringLiteral("Rest-Zeit-Anzeige ein"));
    } else {
        state_.remainingTimeDisplayOn = true;
        showRemainingTime();
        RestZeitAnzeigeaus1->setText(QStringLiteral("Rest-Zeit-Anzeige aus"));
    }
}

void TForm1::endRun(RunEnd how) {
    runActive_ = false;
    // A message of the run still on screen (the time ran out while it was open) belongs to the
    // run: it goes now, before the result dialog, and does not come back after the saves.
    if (runMessagesOpen_ > 0)
        platform_.closeMessages(this);
    // The next Start draws its tasks again.
    const bool practiceRun = !state_.practiceTasks.isEmpty();
    state_.practiceTasks.clear();
    // The focus waits on the start control shown next. It must get there before the answer field
    // is disabled, or Qt hands it on to the name field and the child's next keys replace the name.
    QPushButton* nextStart = state_.competitionMode ? Button_Wettb_starten : But_Start;
    nextStart->show();
    nextStart->setFocus();
    if (!state_.competitionChosen) {
        unlockSettings();
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerb ein"));
    } else {
        lockSettings();
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerb aus"));
        setCompetitionPanelsEnabled(true);
    }
    Panel_Wettbewerb_ini->setEnabled(true);
    setCaptionColour(Panel_Wettbewerb_ini, Qt::black);
    unlockMenus();

    if (state_.competitionChosen) {
        Eingabe_aufnehmen->setEnabled(false);
        Edit_Rest->setEnabled(false);
        markChosenCompetition();
    }

    Label_Aufgaben_Nr->raise();
    Label_Punkte->raise();
    But_Stop->hide();
    // In competition mode the competition button stands there instead (shown above).
    if (!state_.competitionMode)
        But_Start->show();

    Timer3->stop();
    resultSecondsText_ = timeLimitText(Edit_Zeit->text());

    // A practice list of one task, answered, is a worked run too: the child's answer is kept.
    const bool practiceOfOneDone = practiceRun && allTasksAnswered_ && state_.taskCounter == 1;
    if (state_.taskCounter > 1 || practiceOfOneDone) {
        state_.workedTaskCount =
            workedTasks(state_, allTasksAnswered_ ? RunEnd::AllTasksAnswered : how);
        emit runEnded(makeRunResult(state_, Edit_Zeit->text(), Edit_Zahl_1->currentIndex(),
                                    Edit_Zahl_2->currentIndex()));
    } else {
        // Nothing was worked (a remainder may have been missing): nothing is left to save.
        state_.resultsPending = false;
        state_.tasksPending = false;
    }

    state_.taskCounter = 0;
    resetDisplay();
    clearUsedPairs(state_);

    if (state_.competitionMode) {
        But_Start->hide();
        Button_Wettb_starten->show();
    }
    removePointRects();
    applyMainWindowColour(mainWindowColour);
}

void TForm1::startPracticeRun(const QString& operation, const QList<OperandPair>& tasks) {
    static const QStringList operations{QStringLiteral("+"), QStringLiteral("-"),
                                        QStringLiteral("*"), QStringLiteral(":"),
                                        QStringLiteral(": R")};
    const int item = int(operations.indexOf(operation)); // the item of the operation list
    if (runActive_ || item < 0 || tasks.isEmpty())
        return;
    // The same rule as Start: unsaved data of the last run keep the next one from starting.
    if ((state_.resultsPending || state_.tasksPending) && !state_.fewerSaveHints)
        return;
    raise();
    activateWindow();
    // A practice run is a free run: competition mode goes off as by the child's own click.
    if (state_.competitionMode)
        Panel_Wettbewerb_iniClick();
    if (Edit_Zeit->isEnabled()) {
        Edit_ZeitExit();
        if (!state_.timeFieldOk)
            return;
    }
    // The operation as choosing it in the list would set it, without the range checks.
    {
        const QSignalBlocker block(Verknuepfung);
        Verknuepfung->setCurrentIndex(item);
        Verknuepfung->setEditText(operationItems()[item]);
    }
    applyOperationItem(state_, item);
    showRemainderFields(state_.withRemainder);
    Edit_Rest->setEnabled(false);
    Panel_Verknuepfung_zeigen->setText(state_.operationSign);

    state_.practiceTasks = tasks;
    startRun();
    if (!runActive_)
        state_.practiceTasks.clear();
}

void TForm1::resetDisplay() {
    state_.points = 0;
    Panel_Punkte_zeigen->setVisible(state_.pointsDisplayOn);
    Label_Punkte->setVisible(state_.pointsDisplayOn);
    Panel_Punkte_zeigen->setText(QStringLiteral("0"));
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(state_.taskCounter));
    Label_Punkte->setText(QStringLiteral("Punkte"));
    Panel_Zahl_1_zeigen->setText(QStringLiteral("-----"));
    Panel_Zahl_2_zeigen->setText(QStringLiteral("-----"));
    describeTask();
    Eingabe_aufnehmen->clear();
    if (Edit_Rest->isVisible())
        Edit_Rest->clear();
    Timer3->stop();
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

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (watched == client_ && e->type() == QEvent::Resize) {
        layoutClientArea();
        arrangeControls();
        return false;
    }
    if (watched == client_ && e->type() == QEvent::Paint) {
        // The background is already filled; the rectangles go on it, behind the controls.
        paintPointRects(static_cast<QPaintEvent*>(e)->rect());
        return false;
    }
    if (watched == Eingabe_aufnehmen) {
        if (e->type() == QEvent::KeyPress)
            return Eingabe_aufnehmenKeyDown(static_cast<QKeyEvent*>(e));
        if (e->type() == QEvent::KeyRelease)
            Eingabe_aufnehmenKeyUp();
        if (e->type() == QEvent::FocusOut && runActive_ && leftByChild(watched, e))
            Eingabe_aufnehmenExit();
        return false;
    }
    if (e->type() == QEvent::KeyPress &&
        (watched == But_Start || watched == But_Stop || watched == Button_Wettb_starten)) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (!isReturn(key) || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        // A Return held down in the answer field when the run ends must not start the next one.
        if (!key->isAutoRepeat())
            static_cast<QPushButton*>(watched)->click();
        return true;
    }
    if (watched == taskAnnouncer_ && e->type() == QEvent::KeyRelease)
        return true; // the release of the Return that brought the new task
    if (watched == taskAnnouncer_ && e->type() == QEvent::KeyPress) {
        // Keys typed in that moment belong to the answer field.
        Eingabe_aufnehmen->setFocus();
        QCoreApplication::sendEvent(Eingabe_aufnehmen, e);
        return true;
    }
    if (watched == Edit_Rest && e->type() == QEvent::KeyPress)
        return Edit_RestKeyDown(static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::FocusOut &&
        (watched == Verknuepfung || watched == Edit_Zahl_1 || watched == Edit_Zahl_2)) {
        if (!focusTakenForAWhile(e))
            showItemInForce(static_cast<QComboBox*>(watched));
        return false;
    }
    if (watched == Edit_Zeit) {
        if (e->type() == QEvent::KeyPress)
            return isRefusedCharacter(static_cast<QKeyEvent*>(e));
        if (e->type() == QEvent::FocusOut && leftByChild(watched, e))
            Edit_ZeitExit();
        return false;
    }
    return QMainWindow::eventFilter(watched, e);
}
