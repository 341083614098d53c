#include "main_window/task_area.h"

#include "engine/answer_check.h"
#include "engine/operation.h"
#include "main_window/digit_field.h"
#include "main_window/ear_only_display.h"
#include "main_window/return_presses_button.h"
#include "main_window/settings_items.h"
#include "main_window/widget_helpers.h"
#include "platform/window_scaling.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int designWidth = 632;
constexpr int topBarDesignHeight = 24;
const QColor designGreen(0x00, 0x80, 0x00);

// A panel that shows a number: a filled, centred label that a screen reader reads as text.
QLabel* makeNumberPanel(QWidget* parent, const char* name, const QRect& r, const QString& text,
                        const QFont* ownFont = nullptr) {
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setTextFormat(Qt::PlainText);
    panel->setAlignment(Qt::AlignCenter);
    panel->setAutoFillBackground(true);
    panel->setGeometry(r);
    if (ownFont)
        panel->setFont(*ownFont);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, QColor(0x80, 0x80, 0x00));
    panel->setPalette(p);
    return panel;
}

// The font of the task's answer and remainder fields.
QFont serifDigitFont() {
    return designFont(QStringLiteral("Times New Roman"), 19);
}

} // namespace

TaskArea::TaskArea(QWidget* parent, RunController& run, int percent)
    : PointRectArea(parent,
                    [this](qint32 points, Rgb colour) { return pointRectAt(points, colour); }),
      run_(run) {
    setObjectName(QStringLiteral("clientArea"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, designGreen);
    setPalette(p);
    buildControls(percent);

    connect(&run_, &RunController::phaseChanged, this, &TaskArea::showPhase);
    connect(&run_, &RunController::cleared, this, &TaskArea::runCleared);
    connect(&run_, &RunController::taskPosed, this, &TaskArea::showTask);
    connect(&run_, &RunController::remainingTime, this, &TaskArea::showTimeLeft);
    for (DigitField* field : {Eingabe_aufnehmen, restingAnswerField_}) {
        connect(field, &DigitField::submitted, this, &TaskArea::answerSubmitted);
        connect(field, &DigitField::typed, &run_, &RunController::answerTyped);
        connect(field, &DigitField::left, this, &TaskArea::answerLeft);
    }
    connect(Edit_Rest, &DigitField::submitted, this, &TaskArea::remainderSubmitted);
    // Connected after the display of the run above, whose operands it covers.
    earOnly_ = new EarOnlyDisplay(run_, Panel_Zahl_1_zeigen, Panel_Zahl_2_zeigen, Label_Loesung);
}

void TaskArea::buildControls(int percent) {
    const QFont boldFont = scaledFont(designFont(QStringLiteral("Arial"), 13, true), percent);
    Panel_Grenze = new QLabel(this);
    Panel_Grenze->setObjectName(QStringLiteral("Panel_Grenze"));
    Panel_Grenze->setTextFormat(Qt::PlainText);
    Panel_Grenze->setFont(boldFont);
    Panel_Grenze->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel_Grenze->setAutoFillBackground(true);
    Panel_Grenze->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel_Grenze->setGeometry(0, 0, designWidth, topBarDesignHeight);

    Panel_Aufgaben_Nr_zeigen = makeNumberPanel(this, "Panel_Aufgaben_Nr_zeigen",
                                               QRect(52, 49, 37, 24), QStringLiteral("0"));
    Label_Aufgaben_Nr =
        makeLabel(this, "Label_Aufgaben_Nr", QStringLiteral(". Aufgabe"), 98, 54, true, true);
    Panel_Punkte_zeigen =
        makeNumberPanel(this, "Panel_Punkte_zeigen", QRect(198, 49, 38, 24), QStringLiteral("0"));
    Label_Punkte = makeLabel(this, "Label_Punkte", QStringLiteral("Punkte"), 248, 54, true, true);

    But_Start = new QPushButton(QStringLiteral("&Start"), this);
    But_Start->setObjectName(QStringLiteral("But_Start"));
    But_Start->setGeometry(552, 46, 70, 26);
    But_Start->setFont(boldFont);
    QPalette red = But_Start->palette();
    red.setColor(QPalette::ButtonText, QColor(0xFF, 0x00, 0x00));
    But_Start->setPalette(red);
    connect(But_Start, &QPushButton::clicked, this, [this] { emit startClicked(); });

    But_Stop = new QPushButton(QStringLiteral("&Stopp"), this);
    But_Stop->setObjectName(QStringLiteral("But_Stop"));
    But_Stop->setGeometry(552, 78, 70, 24);
    But_Stop->setPalette(red);
    But_Stop->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    connect(But_Stop, &QPushButton::clicked, &run_, &RunController::stop);

    Button_Wettb_starten = new QPushButton(QStringLiteral("zum Wettbewerb Namen eingeben"), this);
    Button_Wettb_starten->setObjectName(QStringLiteral("Button_Wettb_starten"));
    Button_Wettb_starten->setGeometry(364, 46, 258, 24);
    Button_Wettb_starten->hide();
    connect(Button_Wettb_starten, &QPushButton::clicked, this, &TaskArea::competitionStartClicked);

    const QFont serif = scaledFont(serifDigitFont(), percent);
    Panel_Zahl_1_zeigen =
        makeNumberPanel(this, "Panel_Zahl_1_zeigen", QRect(150, 138, 64, 28), noTaskShown, &serif);
    Panel_Verknuepfung_zeigen = makeNumberPanel(this, "Panel_Verknuepfung_zeigen",
                                                QRect(230, 138, 24, 28), QStringLiteral("+"));
    Panel_Zahl_2_zeigen =
        makeNumberPanel(this, "Panel_Zahl_2_zeigen", QRect(270, 138, 64, 28), noTaskShown, &serif);
    Gleichheitszeichen = makeNumberPanel(this, "Gleichheitszeichen", QRect(350, 138, 24, 28),
                                         QStringLiteral("="), &serif);
    // A screen reader names each panel by what it shows and describes what the panel is.
    Panel_Zahl_1_zeigen->setAccessibleDescription(QStringLiteral("1. Zahl"));
    Panel_Verknuepfung_zeigen->setAccessibleDescription(QStringLiteral("Rechenzeichen"));
    Panel_Zahl_2_zeigen->setAccessibleDescription(QStringLiteral("2. Zahl"));
    Panel_Punkte_zeigen->setAccessibleDescription(QStringLiteral("Punkte"));
    Panel_Aufgaben_Nr_zeigen->setAccessibleDescription(QStringLiteral("Aufgabe Nummer"));
    Panel_Grenze->setAccessibleDescription(QStringLiteral("Rest-Zeit"));

    Eingabe_aufnehmen = makeAnswerField("Eingabe_aufnehmen");
    restingAnswerField_ = makeAnswerField(restingAnswerFieldName);
    restingAnswerField_->hide();

    Label_Rest = makeLabel(this, "Label_Rest", QStringLiteral("Rest:"), 342, 185, true, true);
    Label_Rest->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Edit_Rest = new DigitField(this, "Edit_Rest", QRect(390, 178, 96, 28), 9);
    Edit_Rest->setAccessibleName(QStringLiteral("Rest"));
    Edit_Rest->takeReturnAndEscape();

    // "Nur hören" shows an answered task here for a moment.
    Label_Loesung = makeLabel(this, "Label_Loesung", QString(), 150, 185, true, true);
    Label_Loesung->hide();

    auto* returnPresses = new ReturnPressesButton(this);
    for (QPushButton* button : {But_Start, But_Stop, Button_Wettb_starten})
        returnPresses->watch(button);
}

DigitField* TaskArea::makeAnswerField(const char* name) {
    auto* field = new DigitField(this, name, QRect(389, 138, 97, 28), 9);
    field->setAccessibleName(QStringLiteral("Ergebnis"));
    field->takeReturnAndEscape();
    // Once the time is up, the keys go on to the next control.
    field->passKeysOnWhile([this] { return run_.timeUp(); });
    return field;
}

QPoint TaskArea::messagePosition(int yOffset) const {
    return Panel_Zahl_1_zeigen->mapToGlobal(QPoint(0, yOffset));
}

QList<QWidget*> TaskArea::tabOrder() const {
    return {But_Start, Button_Wettb_starten, Eingabe_aufnehmen, restingAnswerField_, Edit_Rest};
}

void TaskArea::earOnlyChanged(bool on) {
    earOnly_->earOnlyChanged(on);
}

void TaskArea::fitToScale(int percent) {
    for (QLineEdit* field : {Eingabe_aufnehmen, restingAnswerField_, Edit_Rest})
        field->setFont(scaledFont(serifDigitFont(), percent));
    for (QLabel* label : {Label_Aufgaben_Nr, Label_Punkte, Label_Rest})
        label->adjustSize();
    // Room for the longer of the two words, so "Punkt" and "Punkte" never get cut.
    Label_Punkte->setMinimumWidth(Label_Punkte->width());
}

// The top bar spans the area's width and the bottom panel its bottom edge, whatever size the
// window has.
void TaskArea::layOut() {
    Panel_Grenze->setGeometry(0, 0, width(), Panel_Grenze->height());
    if (bottomPanel_)
        bottomPanel_->setGeometry(0, height() - bottomPanel_->height(), width(),
                                  bottomPanel_->height());
}

std::optional<PointRect> TaskArea::pointRectAt(qint32 points, Rgb colour) const {
    return pointRectGeometry(points, window()->frameGeometry().width(), height(),
                             Panel_Grenze->height(), bottomPanel_->height(), colour);
}

void TaskArea::arrangeRightEdge(int gap) {
    for (QWidget* w : {Button_Wettb_starten, But_Stop})
        w->move(width() - w->width() - gap, w->y());
    But_Start->move(But_Stop->x(), But_Start->y());
}

void TaskArea::raiseTaskRow() {
    for (QWidget* w :
         {static_cast<QWidget*>(Label_Aufgaben_Nr), static_cast<QWidget*>(Label_Punkte),
          static_cast<QWidget*>(Panel_Zahl_1_zeigen), static_cast<QWidget*>(Panel_Zahl_2_zeigen),
          static_cast<QWidget*>(Panel_Verknuepfung_zeigen),
          static_cast<QWidget*>(Gleichheitszeichen), static_cast<QWidget*>(Eingabe_aufnehmen),
          static_cast<QWidget*>(restingAnswerField_)})
        w->raise();
}

void TaskArea::setBackgroundColour(const QColor& colour) {
    setRoleColour(this, colour, QPalette::Window);
    // A new background paints over the rectangles, as every full repaint does.
    clearRects();
}

void TaskArea::applyColour(ColourTarget target, Rgb colour) {
    const QColor c = toQColor(colour);
    switch (target) {
    case ColourTarget::MainWindow:
        setBackgroundColour(c);
        break;
    case ColourTarget::SettingsPanel:
        setRoleColour(Panel_Grenze, c, QPalette::Window);
        break;
    case ColourTarget::SettingsFont:
        setRoleColour(Panel_Grenze, c, QPalette::WindowText);
        break;
    case ColourTarget::NumbersWindow:
        colourNumberControls(c, QPalette::Window, QPalette::Base);
        break;
    case ColourTarget::NumbersFont:
        colourNumberControls(c, QPalette::WindowText, QPalette::Text);
        break;
    case ColourTarget::PointRects:
        break;
    }
}

// Panels show their colours in the window roles, the answer fields in their base and text.
void TaskArea::colourNumberControls(const QColor& colour, QPalette::ColorRole panelRole,
                                    QPalette::ColorRole fieldRole) {
    for (QWidget* w :
         {static_cast<QWidget*>(Panel_Aufgaben_Nr_zeigen),
          static_cast<QWidget*>(Panel_Punkte_zeigen), static_cast<QWidget*>(Panel_Zahl_1_zeigen),
          static_cast<QWidget*>(Panel_Zahl_2_zeigen),
          static_cast<QWidget*>(Panel_Verknuepfung_zeigen),
          static_cast<QWidget*>(Gleichheitszeichen)})
        setRoleColour(w, colour, panelRole);
    for (QWidget* w : {Eingabe_aufnehmen, restingAnswerField_, Edit_Rest})
        setRoleColour(w, colour, fieldRole);
}

void TaskArea::showPoints(qint32 points, Rgb colour) {
    Panel_Punkte_zeigen->setText(QString::number(points));
    Label_Punkte->setText(pointsWord(points));
    if (pointRectsOn_)
        addRect(points, colour);
}

void TaskArea::resetDisplay() {
    Panel_Punkte_zeigen->setVisible(pointsDisplayOn_);
    Label_Punkte->setVisible(pointsDisplayOn_);
    Panel_Punkte_zeigen->setText(QStringLiteral("0"));
    Panel_Aufgaben_Nr_zeigen->setText(QString::number(run_.taskNumber()));
    Label_Punkte->setText(QStringLiteral("Punkte"));
    Panel_Zahl_1_zeigen->setText(noTaskShown);
    Panel_Zahl_2_zeigen->setText(noTaskShown);
    describeTask();
    Eingabe_aufnehmen->clear();
    if (Edit_Rest->isVisible())
        Edit_Rest->clear();
}

void TaskArea::prepareForRun(const RunSettings& settings) {
    if (settings.timeLimit <= 0)
        Panel_Grenze->setText(QStringLiteral(" "));
    showRemainderFields(hasRemainder(settings.operation));
}

void TaskArea::showPointsDisplay(bool on) {
    pointsDisplayOn_ = on;
    Panel_Punkte_zeigen->setVisible(on);
    Label_Punkte->setVisible(on);
}

void TaskArea::setRemainingTimeDisplay(bool on) {
    remainingTimeDisplayOn_ = on;
    showRemainingTime();
}

void TaskArea::showRemainingTime() {
    if (remainingTimeDisplayOn_)
        Panel_Grenze->setText(remainingTimeText(run_.remainingSeconds()));
    else
        Panel_Grenze->clear();
}

void TaskArea::hideStop() {
    But_Stop->hide();
}

void TaskArea::focusStart() {
    But_Start->setFocus();
}

void TaskArea::operationChanged(bool withRemainder) {
    showRemainderFields(withRemainder);
    Edit_Rest->setEnabled(false);
}

void TaskArea::withdrawTask(const QString& sign) {
    Panel_Zahl_1_zeigen->setText(noTaskShown);
    Panel_Zahl_2_zeigen->setText(noTaskShown);
    showSign(sign);
}

void TaskArea::showSign(const QString& sign) {
    Panel_Verknuepfung_zeigen->setText(sign);
}

void TaskArea::showRemainderFields(bool visible) {
    Edit_Rest->setVisible(visible);
    Label_Rest->setVisible(visible);
}

void TaskArea::showStartControl(bool competition) {
    if (competition) {
        Button_Wettb_starten->show();
        But_Start->hide();
    } else {
        But_Start->show();
        Button_Wettb_starten->hide();
    }
}

void TaskArea::hideCompetitionButton() {
    Button_Wettb_starten->hide();
}

// The focus goes to the button shown now, so Return goes on from where the child is.
void TaskArea::nameEntryClosed(bool cancelled) {
    if (cancelled) {
        But_Start->hide();
        Button_Wettb_starten->show();
        Button_Wettb_starten->setFocus();
        return;
    }
    But_Start->show();
    Button_Wettb_starten->hide();
    But_Start->setFocus();
}

void TaskArea::closeAnswerFields() {
    Eingabe_aufnehmen->setEnabled(false);
    Edit_Rest->setEnabled(false);
}

void TaskArea::closeAnswerFieldsUnlessDone() {
    if (!run_.noMoreTasks()) {
        Eingabe_aufnehmen->setEnabled(false);
        if (Edit_Rest->isVisible())
            Edit_Rest->setEnabled(false);
    }
}
