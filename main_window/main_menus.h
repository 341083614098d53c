#pragma once

#include "appearance/colours.h"

#include <QMenuBar>

#include <functional>

class QAction;
class QMenu;
class AdaptivePracticeMenu;
class SpeechMenu;
class TForm_Hilfe;
class TForm_Info;

// The main window's menu bar: "Datei", "Einstellungen" with the colour menus, the display
// switches and reading aloud, "Leistungen", "Aufgaben" with "Üben nach Maß", "Info" and "Hilfe".
// The menus keep their switches and tell every change by a signal.
class MainMenus : public QMenuBar {
    Q_OBJECT
public:
    // window: the main window, where the key that repeats a task works.
    explicit MainMenus(QWidget* window);

    SpeechMenu* speechMenu() const { return speechMenu_; }
    AdaptivePracticeMenu* adaptivePracticeMenu() const { return adaptivePracticeMenu_; }
    // Whether finished runs go into the learning history (item "Lernverlauf aufzeichnen").
    bool historyRecordingOn() const;
    // The display switches as they stand.
    bool pointRectsOn() const { return pointRectsOn_; }
    bool pointsDisplayOn() const { return pointsDisplayOn_; }
    bool fewerSaveHints() const { return fewerSaveHints_; }
    bool competitionRankShown() const { return competitionRankShown_; }
    // "Datei", "Einstellungen", "Leistungen" and "Aufgaben"; they are shut while a run is on.
    void setMenusEnabled(bool enabled);

    // Enables the items that open the viewers; the items then send the signals below.
    void attachReviewWindows();
    // The about box and the help window, made only when needed: an item is enabled when its
    // function is given, and asks for its window through it when it is first chosen.
    void attachInformationWindows(std::function<TForm_Info*()> info,
                                  std::function<TForm_Hilfe*()> help);

signals:
    void quitRequested();
    // An item of a colour menu was chosen.
    void colourChosen(ColourTarget target, Rgb colour);
    // "Punkte-Rechtecke aus/ein": whether points get rectangles from now on.
    void pointRectsSwitched(bool on);
    // "Punkte-Anzeige aus/ein".
    void pointsDisplaySwitched(bool on);
    // "Rest-Zeit-Anzeige aus/ein".
    void remainingTimeDisplaySwitched(bool on);
    // "weniger Speichern-Hinweise einblenden" and back: whether a run may start over unsaved data.
    void fewerSaveHintsSwitched(bool on);
    // "Rang nach Wettbewerb nicht anzeigen" and back: whether the result dialog names the place.
    void competitionRankSwitched(bool shown);
    void resultsViewerRequested();
    void bestListViewerRequested();
    void taskSetViewerRequested();
    void emptyWorksheetRequested();
    void historyViewerRequested();
    void classOverviewRequested();
    void historyTransferRequested();

private:
    void buildSettingsMenu(QWidget* window);
    void Rechteckeaus1Click();
    void PunkteAnzeigeaus1Click();
    void RestZeitAnzeigeaus1Click();
    void wenigerSpeichernHinweise1Click();
    void RangNachWettbewerbClick();
    void Hilfe1Click();
    void Info2Click();

    // The display switches of the settings menu; the task area follows them.
    bool pointRectsOn_ = true;
    bool pointsDisplayOn_ = true;
    bool remainingTimeDisplayOn_ = true;
    bool fewerSaveHints_ = false;
    bool competitionRankShown_ = true;
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
    SpeechMenu* speechMenu_ = nullptr;
    AdaptivePracticeMenu* adaptivePracticeMenu_ = nullptr;
    TForm_Info* infoWindow_ = nullptr;
    TForm_Hilfe* helpWindow_ = nullptr;
    std::function<TForm_Info*()> makeInfoWindow_;
    std::function<TForm_Hilfe*()> makeHelpWindow_;
};
