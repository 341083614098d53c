#pragma once

#include "engine/run_controller.h"
#include "main_window/point_rect_area.h"

#include <QPalette>

class DigitField;
class EarOnlyDisplay;
class QLabel;
class QPushButton;

// The client area of the main window, where a run takes place: the remaining time in the top
// bar, the task number and the points, Start, Stop and the competition button, the task row with
// the answer and remainder fields, a rectangle for every point behind them, and the cover of
// "Nur hören". It forwards the child's keys and clicks to the run controller and shows what the
// controller reports; what the rest of the window does when a run begins or ends it leaves to
// its signals.
class TaskArea : public PointRectArea {
    Q_OBJECT
public:
    // percent: the window's size on its screen in percent of its design size, for the fonts.
    TaskArea(QWidget* parent, RunController& run, int percent);

    // Where messages that belong to the task stand: at the first operand, yOffset pixels down.
    QPoint messagePosition(int yOffset) const;
    // The controls in the order Tab passes them.
    QList<QWidget*> tabOrder() const;
    // "Nur hören" is switched.
    void earOnlyChanged(bool on);

    // The panel that stands along the bottom edge (the settings panel); the rectangles fill the
    // room between it and the top bar.
    void setBottomPanel(QWidget* panel) { bottomPanel_ = panel; }
    // Layout: the fonts and label sizes at the scaled size; the top bar across the whole width
    // and the bottom panel along the bottom edge; the right-hand controls at a distance gap from
    // the right edge.
    void fitToScale(int percent);
    void layOut();
    void arrangeRightEdge(int gap);
    void raiseTaskRow();

    // A colour chosen for one of the window's targets; the task area takes the background
    // (which wipes the rectangles), the top bar and its caption, and the number panels with the
    // answer fields.
    void applyColour(ColourTarget target, Rgb colour);
    // A point was scored: the figures, and its rectangle in the given colour if they are on.
    void showPoints(qint32 points, Rgb colour);

    // The display between runs and before one.
    void resetDisplay();
    void prepareForRun(const RunSettings& settings);
    // The display switches of the menus: the points display, the remaining time, and whether
    // points get rectangles from now on (the rectangles on screen stay).
    void showPointsDisplay(bool on);
    void setRemainingTimeDisplay(bool on);
    void setPointRectsOn(bool on) { pointRectsOn_ = on; }
    void showRemainingTime();
    void hideStop();
    void focusStart();
    // The operation changed: the remainder fields are shown as it needs them, still shut.
    void operationChanged(bool withRemainder);
    // The task on display is gone; the operation's sign stands between the operands.
    void withdrawTask(const QString& sign);
    void showSign(const QString& sign);
    void showRemainderFields(bool visible);
    // Start or, in competition mode, the competition button is the start control.
    void showStartControl(bool competition);
    // The name dialog of a competition opens; the competition button waits.
    void hideCompetitionButton();
    // The name dialog closed: back to the competition button, or on to Start.
    void nameEntryClosed(bool cancelled);
    // The answer fields are shut: at the end of a competition run, and (unless the last task was
    // answered) when the settings open again.
    void closeAnswerFields();
    void closeAnswerFieldsUnlessDone();

signals:
    // Start was clicked; the main window starts the run with the settings in force.
    void startClicked();
    void competitionStartClicked();
    // The first task is on display and has the focus.
    void runBegun();
    // The run is over: first before the start control takes the focus, then after.
    void runEnding();
    void runEnded();

private:
    // The display switches, as the menus set them.
    bool pointRectsOn_ = true;
    bool pointsDisplayOn_ = true;
    bool remainingTimeDisplayOn_ = true;

    void buildControls(int percent);
    std::optional<PointRect> pointRectAt(qint32 points, Rgb colour) const;
    void setBackgroundColour(const QColor& colour);
    void colourNumberControls(const QColor& colour, QPalette::ColorRole panelRole,
                              QPalette::ColorRole fieldRole);
    DigitField* makeAnswerField(const char* name);
    void showPhase(RunController::Phase phase);
    void runStarted();
    void runStopped();
    void runCleared();
    void showTask();
    void showNextTask();
    void showTimeLeft(qint32 seconds);
    void describeTask();
    void turnAnswerField();
    void answerSubmitted(const QString& text);
    void answerLeft();
    void remainderSubmitted(const QString& text);

    RunController& run_;
    RunController::Phase shownPhase_ = RunController::Phase::Idle;

    QLabel* Panel_Grenze = nullptr;
    QLabel* Panel_Aufgaben_Nr_zeigen = nullptr;
    QLabel* Label_Aufgaben_Nr = nullptr;
    QLabel* Panel_Punkte_zeigen = nullptr;
    QLabel* Label_Punkte = nullptr;
    QPushButton* But_Start = nullptr;
    QPushButton* But_Stop = nullptr;
    QPushButton* Button_Wettb_starten = nullptr;
    QLabel* Panel_Zahl_1_zeigen = nullptr;
    QLabel* Panel_Verknuepfung_zeigen = nullptr;
    QLabel* Panel_Zahl_2_zeigen = nullptr;
    QLabel* Gleichheitszeichen = nullptr;
    // The answer is typed into two fields in turn, which stand at the same place; only the one in
    // use is shown and carries the name. A screen reader speaks the description of a field (the
    // task) when the focus arrives at it, but not when it changes while the field has the focus,
    // nor when the focus steps away and back in one go: each new task moves the focus to the
    // other field, and the screen reader reads the task from there.
    DigitField* Eingabe_aufnehmen = nullptr;
    DigitField* restingAnswerField_ = nullptr;
    static constexpr const char* restingAnswerFieldName = "Eingabe_aufnehmen_Wechsel";
    QLabel* Label_Rest = nullptr;
    DigitField* Edit_Rest = nullptr;
    QLabel* Label_Loesung = nullptr;
    EarOnlyDisplay* earOnly_ = nullptr;
    QWidget* bottomPanel_ = nullptr;
};
