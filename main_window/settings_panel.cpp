#include "main_window/settings_panel.h"

#include "common/text_codec.h"
#include "competition/competition_presets.h"
#include "engine/task_generation.h"
#include "main_window/competition_panel.h"
#include "main_window/digit_field.h"
#include "main_window/settings_items.h"
#include "main_window/widget_helpers.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

constexpr int designWidth = 632;
constexpr int designHeight = 150;
constexpr int designTop = 434 - designHeight;
const QColor designTeal(0x00, 0x80, 0x80);

QComboBox* makeListBox(QWidget* parent, const char* name, const QRect& r, const QStringList& items,
                       const QString& hint) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr); // typed text stays as typed, never completed to an item
    box->addItems(items);
    box->setMaxVisibleItems(items.size());
    box->setGeometry(r);
    box->setToolTip(hint + QLatin1Char('\n') + listKeyboardRoute);
    return box;
}

// Shows item in box without the box's signals: the caller applies it.
void showItem(QComboBox* box, int item, const QString& text) {
    const QSignalBlocker block(box);
    box->setCurrentIndex(item);
    box->setEditText(text);
}

} // namespace

SettingsPanel::SettingsPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Panel_Einstellungen"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, designTeal);
    setPalette(p);
    setGeometry(0, designTop, designWidth, designHeight);

    Label_Name = makeLabel(this, "Label_Name", QStringLiteral("Name:"), 24, 78);
    Edit_Name = new QLineEdit(this);
    Edit_Name->setObjectName(QStringLiteral("Edit_Name"));
    Edit_Name->setGeometry(87, 76, 80, 24);
    Edit_Name->setMaxLength(8);
    Edit_Name->setToolTip(QStringLiteral("Eingabe des Benutzernamens"));

    Label_Rechenart = makeLabel(this, "Label_Rechenart", QStringLiteral("Rechenart:"), 210, 78);
    Label_Rechenart->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Verknuepfung = makeListBox(this, "Verknuepfung", QRect(295, 76, 146, 24), operationItems(),
                               QStringLiteral("Klicke auf den Pfeil, und wähle dann !"));
    QFont bold = Verknuepfung->font();
    bold.setBold(true);
    Verknuepfung->setFont(bold);

    Label_Zeit = makeLabel(this, "Label_Zeit", QStringLiteral("Zeit in Sek:"), 469, 78);
    Label_Zeit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Edit_Zeit = new DigitField(this, "Edit_Zeit", QRect(561, 76, 56, 24), 4);
    Edit_Zeit->setToolTip(
        QStringLiteral("Nach der hier eingegebenen Zeit wird automatisch abgebrochen"));
    connect(Edit_Zeit, &DigitField::left, this, &SettingsPanel::Edit_ZeitExit);

    QStringList ranges;
    for (const RangeItem& item : rangeItems())
        ranges << item.text;
    Label_Bereich_Zahl_1 =
        makeLabel(this, "Label_Bereich_Zahl_1", QStringLiteral("Bereich  1. Zahl:"), 24, 120);
    Edit_Zahl_1 = makeListBox(this, "Edit_Zahl_1", QRect(149, 118, 128, 24), ranges,
                              QStringLiteral("Klicke auf den Pfeil, und wähle dann ! Zahl 1 liegt "
                                             "'zwischen' diesen beiden Zahlen."));
    Label_Bereich_Zahl_2 =
        makeLabel(this, "Label_Bereich_Zahl_2", QStringLiteral("Bereich  2. Zahl:"), 361, 120);
    Label_Bereich_Zahl_2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Edit_Zahl_2 = makeListBox(this, "Edit_Zahl_2", QRect(490, 118, 128, 24), ranges,
                              QStringLiteral("Klicke auf den Pfeil, und wähle dann ! Zahl 2 liegt "
                                             "'zwischen' diesen beiden Zahlen."));

    for (QComboBox* box : {Verknuepfung, Edit_Zahl_1, Edit_Zahl_2})
        box->installEventFilter(this);
    connect(Verknuepfung, &QComboBox::activated, this, &SettingsPanel::selectOperation);
    connect(Edit_Zahl_1, &QComboBox::editTextChanged, this, &SettingsPanel::selectRange1);
    connect(Edit_Zahl_2, &QComboBox::editTextChanged, this, &SettingsPanel::selectRange2);
    connect(Edit_Zahl_1, &QComboBox::activated, Edit_Zahl_1, [this] { Edit_Zahl_1->setFocus(); });
    connect(Edit_Zahl_2, &QComboBox::activated, Edit_Zahl_2, [this] { Edit_Zahl_2->setFocus(); });
    connect(Edit_Zeit, &QLineEdit::textChanged, this, &SettingsPanel::Edit_ZeitChange);
    connect(Edit_Name, &QLineEdit::textChanged, this, &SettingsPanel::Edit_NameChange);

    // Each settings field is named by its label, without the colon.
    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{Label_Name, Edit_Name},
                                {Label_Rechenart, Verknuepfung},
                                {Label_Zeit, Edit_Zeit},
                                {Label_Bereich_Zahl_1, Edit_Zahl_1},
                                {Label_Bereich_Zahl_2, Edit_Zahl_2}}) {
        label->setBuddy(field);
        field->setAccessibleName(label->text().chopped(1).simplified());
    }
}

QList<QWidget*> SettingsPanel::tabOrder() const {
    return {Edit_Name, Verknuepfung, Edit_Zeit, Edit_Zahl_1, Edit_Zahl_2};
}

void SettingsPanel::fitToScale() {
    for (QLabel* label :
         {Label_Name, Label_Rechenart, Label_Zeit, Label_Bereich_Zahl_1, Label_Bereich_Zahl_2})
        label->adjustSize();
}

void SettingsPanel::arrange(int roundedGap, int gap, int clientWidth) {
    // Each label is as wide as its text in the scaled font, so no screen size cuts one off; a
    // right-aligned label keeps its right edge.
    for (QLabel* label :
         {Label_Name, Label_Rechenart, Label_Zeit, Label_Bereich_Zahl_1, Label_Bereich_Zahl_2}) {
        const int needed = label->sizeHint().width();
        if (label->width() >= needed)
            continue;
        const int right = label->x() + label->width();
        label->resize(needed, label->height());
        if (label->alignment() & Qt::AlignRight)
            label->move(right - needed, label->y());
    }

    auto besideLabel = [&](QWidget* field, QWidget* label) {
        field->move(label->x() + label->width() + roundedGap, field->y());
    };
    besideLabel(Edit_Zahl_1, Label_Bereich_Zahl_1);
    besideLabel(Edit_Name, Label_Name);
    besideLabel(Verknuepfung, Label_Rechenart);

    for (QWidget* w : {static_cast<QWidget*>(Edit_Zeit), static_cast<QWidget*>(Edit_Zahl_2)})
        w->move(clientWidth - w->width() - gap, w->y());
    Label_Zeit->move(Edit_Zeit->x() - Label_Zeit->width() - gap, Label_Zeit->y());
    Label_Bereich_Zahl_2->move(Edit_Zahl_2->x() - Label_Bereich_Zahl_2->width() - gap,
                               Label_Bereich_Zahl_2->y());

    // The operation box shows its longest item whole, as far as the room up to the time label
    // allows: a cut item would show only its end, where the cursor of the box's text sits.
    const int room = Label_Zeit->x() - gap - Verknuepfung->x();
    Verknuepfung->resize(qMin(qMax(Verknuepfung->width(), Verknuepfung->sizeHint().width()), room),
                         Verknuepfung->height());
}

void SettingsPanel::applyColour(ColourTarget target, Rgb colour) {
    if (target == ColourTarget::SettingsPanel)
        setRoleColour(this, toQColor(colour), QPalette::Window);
    if (target != ColourTarget::SettingsFont)
        return;
    for (QWidget* w :
         {Label_Name, Label_Rechenart, Label_Zeit, Label_Bereich_Zahl_1, Label_Bereich_Zahl_2})
        setRoleColour(w, toQColor(colour), QPalette::WindowText);
}

void SettingsPanel::startValues() {
    settings_.range1Min = 0;
    settings_.range1Max = 10;
    settings_.range2Min = 0;
    settings_.range2Max = 10;
    Edit_Zeit->setText(QStringLiteral("0"));
    timeFieldOk_ = true;
    Edit_Name->setText(QStringLiteral("Werda ?"));
    Edit_Zahl_1->setCurrentIndex(1);
    Edit_Zahl_1->setEditText(rangeItems()[1].text);
    Edit_Zahl_2->setCurrentIndex(1);
    Edit_Zahl_2->setEditText(rangeItems()[1].text);
}

void SettingsPanel::startOperation() {
    Verknuepfung->setCurrentIndex(0);
    Verknuepfung->setEditText(operationItems()[0]);
}

void SettingsPanel::setLocked(bool locked) {
    for (QWidget* w : {static_cast<QWidget*>(Verknuepfung), static_cast<QWidget*>(Edit_Name),
                       static_cast<QWidget*>(Edit_Zahl_1), static_cast<QWidget*>(Edit_Zahl_2),
                       static_cast<QWidget*>(Edit_Zeit)})
        w->setEnabled(!locked);
}

// Puts the preset into the fields and applies each through its own routine, so the settings are
// exactly what a child choosing these items would get. The routines are called directly (with
// the fields' signals held back), so a preset equal to a field's text is still applied: a lower
// bound raised by a division with remainder is reset as well.
void SettingsPanel::applyPreset(int n) {
    const std::optional<CompetitionPreset> preset = competitionPreset(n);
    if (!preset)
        return;
    settings_.competitionNumber = n;
    showItem(Verknuepfung, preset->operationItem, operationItems()[preset->operationItem]);
    selectOperation();
    {
        const QSignalBlocker block(Edit_Zeit);
        Edit_Zeit->setText(QString::fromLatin1(preset->timeText));
    }
    Edit_ZeitChange();
    // The preset's time is always fit, even when the field was last left with an unfit value:
    // the locked field could never be left again to put that right.
    timeFieldOk_ = true;
    showItem(Edit_Zahl_1, preset->range1Item, rangeItems()[preset->range1Item].text);
    selectRange1();
    showItem(Edit_Zahl_2, preset->range2Item, rangeItems()[preset->range2Item].text);
    selectRange2();
    setLocked(true);
}

bool SettingsPanel::timeFieldFit() {
    if (!Edit_Zeit->isEnabled())
        return true;
    Edit_ZeitExit();
    return timeFieldOk_;
}

RunFields SettingsPanel::runFields() const {
    return RunFields{Edit_Zeit->text(), Edit_Zahl_1->currentIndex(), Edit_Zahl_2->currentIndex()};
}

void SettingsPanel::setCompetitionMode(bool on) {
    settings_.competitionMode = on;
    if (!on)
        settings_.competitionNumber = -1;
}

void SettingsPanel::followRun(const RunController& run) {
    connect(&run, &RunController::phaseChanged, this, [this, &run](RunController::Phase phase) {
        const QString text = run.taskSource() ? run.taskSource()->rangesText() : QString();
        if (phase == RunController::Phase::Starting && !text.isEmpty()) {
            rangeTextsBeforeRun_.emplace(Edit_Zahl_1->currentText(), Edit_Zahl_2->currentText());
            for (QComboBox* box : {Edit_Zahl_1, Edit_Zahl_2}) {
                const QSignalBlocker block(box);
                box->setEditText(text);
            }
        } else if (phase == RunController::Phase::Idle && rangeTextsBeforeRun_) {
            showItem(Edit_Zahl_1, Edit_Zahl_1->currentIndex(), rangeTextsBeforeRun_->first);
            showItem(Edit_Zahl_2, Edit_Zahl_2->currentIndex(), rangeTextsBeforeRun_->second);
            rangeTextsBeforeRun_.reset();
        }
    });
}

void SettingsPanel::followCompetitions(const CompetitionPanel* panel) {
    connect(panel, &CompetitionPanel::modeSwitched, this, &SettingsPanel::setCompetitionMode);
    connect(panel, &CompetitionPanel::presetChosen, this, &SettingsPanel::applyPreset);
    connect(panel, &CompetitionPanel::nameEntryClosed, this,
            [this](bool cancelled, const QString& enteredText) {
                if (!cancelled)
                    setParticipant(enteredText);
            });
}

void SettingsPanel::keepRaisedBounds(const RunSettings& raised) {
    settings_.range2Min = raised.range2Min;
}

QString SettingsPanel::name() const {
    return Edit_Name->text();
}

void SettingsPanel::setName(const QString& name) {
    Edit_Name->setText(name);
}

RunSettings SettingsPanel::practiseOperation(Operation operation) {
    const int item = operationIndex(operation);
    showItem(Verknuepfung, item, operationItems()[item]);
    applyOperationItem(settings_, item);
    emit operationChanged(hasRemainder(settings_.operation));
    return settings_;
}

void SettingsPanel::selectOperation() {
    const int index = operationItemIndex(Verknuepfung->currentText());
    if (index < 0)
        message(MessageKind::Information, operationListHint, 0);
    applyOperationItem(settings_, index);
    if (index >= 0)
        emit operationChanged(hasRemainder(settings_.operation));
    checkRangesWhenSettled();
    emit taskWithdrawn(operationSign(settings_.operation));
}

// A text typed outside a list changes no setting. When the child leaves the box, it shows again
// the item that is in force, so the box never claims settings that the next run will not use.
void SettingsPanel::showItemInForce(QComboBox* box) {
    int item = -1;
    if (box == Verknuepfung) {
        if (operationItemIndex(box->currentText()) >= 0)
            return;
        item = operationIndex(settings_.operation);
    } else {
        if (rangeItemIndex(box->currentText()) >= 0)
            return;
        item = box == Edit_Zahl_1 ? rangeItemFor(settings_.range1Min, settings_.range1Max)
                                  : rangeItemFor(settings_.range2Min, settings_.range2Max);
    }
    if (item < 0)
        return;
    showItem(box, item, box->itemText(item));
}

void SettingsPanel::selectRange1() {
    applyRangeText(Edit_Zahl_1, settings_.range1Min, settings_.range1Max);
}

void SettingsPanel::selectRange2() {
    applyRangeText(Edit_Zahl_2, settings_.range2Min, settings_.range2Max);
}

// A text outside the list keeps the bounds in force and tells the child to pick from the list.
void SettingsPanel::applyRangeText(const QComboBox* box, qint32& lowerBound, qint32& upperBound) {
    const int index = rangeItemIndex(box->currentText());
    if (index < 0) {
        message(MessageKind::Information, rangeListHint);
    } else {
        lowerBound = rangeItems()[index].lowerBound;
        upperBound = rangeItems()[index].upperBound;
    }
    checkRangesWhenSettled();
}

void SettingsPanel::runRangeChecks() {
    showRangeWarnings(subtractionRangeWarnings(settings_));
    showRangeWarnings(divisionRangeWarnings(settings_));
}

void SettingsPanel::checkRangesWhenSettled() {
    if (settings_.competitionMode)
        return;
    if (walkingList_)
        rangeCheckDue_ = true;
    else
        runRangeChecks();
}

void SettingsPanel::showRangeWarnings(const QStringList& warnings) {
    for (const QString& warning : warnings)
        message(MessageKind::Warning, warning);
}

void SettingsPanel::Edit_ZeitChange() {
    const TimeFieldChange change = evaluateTimeFieldChange(Edit_Zeit->text());
    if (change.timeLimit)
        settings_.timeLimit = *change.timeLimit;
    if (change.warn)
        message(MessageKind::Warning, timeOutOfRangeWarning);
}

void SettingsPanel::Edit_ZeitExit() {
    if (!timeFieldAcceptable(Edit_Zeit->text())) {
        timeFieldOk_ = false;
        message(MessageKind::Information, timeFieldExitHint);
        Edit_Zeit->setFocus();
    } else {
        timeFieldOk_ = true;
    }
}

void SettingsPanel::Edit_NameChange() {
    emit nameChanged(Edit_Name->text());
    settings_.participantName = capped(Edit_Name->text(), participantNameCapacity);
}

// A list box left with a text outside its list shows the item in force again. A message box or a
// menu takes the focus only for a while; the box is not left then.
bool SettingsPanel::eventFilter(QObject* watched, QEvent* e) {
    if (watched != Verknuepfung && watched != Edit_Zahl_1 && watched != Edit_Zahl_2)
        return QFrame::eventFilter(watched, e);
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
    return QFrame::eventFilter(watched, e);
}
