#pragma once

#include "appearance/colours.h"
#include "appearance/point_rects.h"
#include "engine/run_controller.h"
#include "engine/run_state.h"
#include "main_window/clickable_panel.h"
#include "platform/platform.h"
#include "storage/run_result.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>

class Announcer;
class DigitField;
class FocusMarker;
class Platform;
class PointRectArea;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class SpeechMenu;
class TForm_Hilfe;
class TForm_Info;
class TForm_Namensfenster;

// The main window: the task area where a run takes place, the settings panel below it with the
// competition panels, and the menu bar from which every other window is opened. It reads its
// controls, calls the core and shows what the core returns; the run itself is the RunController's,
// and all run data live in the RunState.
class TForm1 : public QMainWindow, private RunFrontend {
    Q_OBJECT
public:
    // The best lists are made in dataFolder if they are not there yet.
    TForm1(RunState& state, RunController& run, Platform& platform, const QString& dataFolder,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows that are created after the main window and opened from it.
    void attachNameDialog(TForm_Namensfenster* dialog);
    void attachInformationWindows(TForm_Info* info, TForm_Hilfe* help);
    // The same for windows made only when needed: both items are enabled at once, and each asks
    // for its window through the given function when it is first chosen.
    void attachInformationWindows(std::function<TForm_Info*()> info,
                                  std::function<TForm_Hilfe*()> help);
    // Enables the menu items that open the viewers; the items then send the signals below.
    void attachReviewWindows();

    // False when the best lists could not be created in the data folder at start-up.
    bool bestListsReady() const { return bestListsFailure_.isEmpty(); }
    // Why the best lists could not be created (German), empty when they are there.
    QString bestListsFailure() const { return bestListsFailure_; }
    // Whether finished runs go into the learning history (menu item "Lernverlauf aufzeichnen").
    bool historyRecordingOn() const;
    // The items of reading aloud in the settings menu.
    SpeechMenu* speechMenu() const { return speechMenu_; }

    // Percentage of its design size the window has on its screen.
    int scalePercent() const { return percent_; }

    // Where messages that belong to the task stand: at the first operand, 10 pixels down.
    QPoint messageAnchor() const { return messagePosition(10); }

    // The colours in force for the task area's background and for the next point rectangle.
    Rgb mainWindowColour;
    Rgb pointRectColour;
    // The rectangles as they are painted now, computed from the window's present size.
    QList<PointRect> pointRectsOnScreen() const;

signals:
    // Menu items: "gespeicherte Leistungen  &zeigen/ drucken", "&Bestenlisten zu den
    // Wettbewerben", "gespeicherten Aufgabensatz &zeigen/ drucken", "ein l&eeres Aufgabenblatt
    // drucken".
    void resultsViewerRequested();
    void bestListViewerRequested();
    void taskSetViewerRequested();
    void emptyWorksheetRequested();
    // Menu item "&Lernverlauf zeigen".
    void historyViewerRequested();
    // Menu item "&Klassenübersicht".
    void classOverviewRequested();
    // Menu item "Lernverlauf &übertragen ...".
    void historyTransferRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Task area.
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

    // Settings panel.
    QFrame* Panel_Einstellungen = nullptr;
    QLabel* Label_Name = nullptr;
    QLineEdit* Edit_Name = nullptr;
    QLabel* Label_Rechenart = nullptr;
    QComboBox* Verknuepfung = nullptr;
    QLabel* Label_Zeit = nullptr;
    DigitField* Edit_Zeit = nullptr;
    QLabel* Label_Bereich_Zahl_1 = nullptr;
    QComboBox* Edit_Zahl_1 = nullptr;
    QLabel* Label_Bereich_Zahl_2 = nullptr;
    QComboBox* Edit_Zahl_2 = nullptr;
    ClickablePanel* Panel_Wettbewerb_ini = nullptr;
    std::array<ClickablePanel*, 16> Panel_W{}; // Panel_W[0] is Panel_W1

    // Menus.
    QMenu* Datei1 = nullptr;
    QMenu* Einstellungen1 = nullptr;
    QMenu* Leistungen1 = nullptr;
    QMenu* Aufgaben1 = nullptr;
    QMenu* Info1 = nullptr;
    QAction* beenden1 = nullptr;
    QAction* Rechteckeaus1 = nullptr;
    QAction* PunkteAnzeigeaus1 = nullptr;
    QAction* RestZeitAnzeigeaus1 = nullptr;
    QAction* wenigerSpeichernHinweise1 = nullptr;
    QAction* RangNachWettbewerb = nullptr;
    QAction* Lernverlaufaufzeichnen1 = nullptr;
    QAction* ffnen1 = nullptr;
    QAction* Best1 = nullptr;
    QAction* gespeichertenAufgabensatzzeigen1 = nullptr;
    QAction* einleeresAufgabenblattdrucken1 = nullptr;
    QAction* Lernverlaufzeigen1 = nullptr;
    QAction* Klassenuebersicht1 = nullptr;
    QAction* Lernverlaufuebertragen1 = nullptr;
    QAction* Info2 = nullptr;
    QAction* Hilfe1 = nullptr;

    // Handlers of the task area.
    void But_StartClick();
    void But_StopClick();
    void RestZeitAnzeigeaus1Click();
    void beenden1Click();

    // Handlers of the settings panel.
    void VerknuepfungClick();
    void Edit_Zahl_1Change();
    void Edit_Zahl_2Change();
    void Edit_ZeitChange();
    void Edit_ZeitExit();
    void Edit_NameChange();

    // The run as the window shows it.
    void resetDisplay();
    void lockSettings();
    void unlockSettings();
    void lockMenus();
    void unlockMenus();

    // The settings routines, also called by the competition presets.
    void selectOperation();
    void selectRange1();
    void selectRange2();

    // Appearance: colours, point rectangles, display switches, help and about.
    void applyMainWindowColour(Rgb colour);
    void applySettingsPanelColour(Rgb colour);
    void applySettingsFontColour(Rgb colour);
    void applyNumbersWindowColour(Rgb colour);
    void applyNumbersFontColour(Rgb colour);
    void applyColourScheme(Rgb main, Rgb settingsPanel, Rgb numbersWindow, Rgb numbersFont,
                           Rgb settingsFont, Rgb pointRects);
    void applyStartScheme(int scheme);
    void Rechteckeaus1Click();
    void PunkteAnzeigeaus1Click();
    void wenigerSpeichernHinweise1Click();
    void Hilfe1Click();
    void Info2Click();

    // Competitions.
    void Panel_Wettbewerb_iniClick();
    void selectCompetition(int n); // the click handlers Panel_W1Click .. Panel_W16Click
    void applyCompetitionPreset(int n);
    void Button_Wettb_startenClick();
    void RangNachWettbewerbClick();
    void nameEntryClosed(bool cancelled, const QString& enteredText);
    void setCompetitionPanelsEnabled(bool enabled);
    void markChosenCompetition();
    void clearCompetitionMarks();
    void colourCompetitionCaptions();
    void showCompetitionsDuringRun();
    void showCompetitionsAfterRun();

    // A font given at design size, at the size of the window scaled to its screen.
    QFont sized(const QFont& designSizeFont) const;
    void buildTaskArea(QWidget* client);
    void buildSettingsPanel(QWidget* client);
    void buildMenus();
    void buildSettingsMenu();
    void colourItemClick(ColourTarget target, Rgb colour);
    QList<QWidget*> numberControls() const;
    void colourNumberControls(Rgb colour, QPalette::ColorRole panelRole,
                              QPalette::ColorRole fieldRole);
    QList<QWidget*> settingsTextControls() const;
    std::optional<PointRect> pointRectAt(qint32 points, Rgb colour) const;
    void FormCreate();
    void arrangeControls();
    void FormActivate();
    void layoutClientArea();

    // What the settings fields say for a run about to start; nullopt keeps it from starting.
    std::optional<RunFields> readyToStart() override;
    std::optional<RunFields> readyToPractise(const QString& participant,
                                             Operation operation) override;
    void prepareTaskArea();
    void connectRun();

    // The answer and remainder fields: Return, a released key, leaving the field.
    void Eingabe_aufnehmenKeyDown(const QString& text);
    void Eingabe_aufnehmenKeyUp(const QString& text);
    void Eingabe_aufnehmenExit();
    void Edit_RestKeyDown(const QString& text);

    // What the run controller tells.
    void showPhase(RunController::Phase phase);
    void runStarted();
    void runEnding();
    void runCleared();
    void showTask();
    void showNextTask();
    void showPoints(qint32 points);
    void showTimeLeft(qint32 seconds);
    void describeTask();
    DigitField* makeAnswerField(QWidget* client, const char* name);
    void turnAnswerField();
    void showRangeWarnings(const QStringList& warnings);
    void runRangeChecks();
    void checkRangesWhenSettled();
    void applyRangeText(const QComboBox* box, qint32& lowerBound, qint32& upperBound);
    void showRemainingTime();
    void setCaptionColour(QWidget* widget, const QColor& colour);
    void showRemainderFields(bool visible);
    void showItemInForce(QComboBox* box);
    void message(MessageKind kind, const QString& text, int yOffset = 10);
    QPoint messagePosition(int yOffset) const;

    RunState& state_;
    RunController& run_;
    Platform& platform_;
    QString dataFolder_;
    RunController::Phase shownPhase_ = RunController::Phase::Idle;
    // Percentage of the design size the window has on its screen, and its design height with
    // the menu bar.
    int percent_ = 100;
    int designHeight_ = 0;
    PointRectArea* client_ = nullptr;
    FocusMarker* focusMarker_ = nullptr;
    // Messages of the running run that are on screen; the end of the run closes them.
    int runMessagesOpen_ = 0;
    bool scalingHintOpen_ = false;
    // A list box walked through with the arrow keys or the wheel changes its setting at each
    // step; the range checks wait until the child leaves the box, so an item passed on the way
    // raises no warning.
    bool walkingList_ = false;
    bool rangeCheckDue_ = false;
    QString bestListsFailure_;
    SpeechMenu* speechMenu_ = nullptr;
    TForm_Namensfenster* nameDialog_ = nullptr;
    Announcer* competitionAnnouncer_ = nullptr; // speaks the switch's new caption
    TForm_Info* infoWindow_ = nullptr;
    TForm_Hilfe* helpWindow_ = nullptr;
    std::function<TForm_Info*()> makeInfoWindow_;
    std::function<TForm_Hilfe*()> makeHelpWindow_;
};
