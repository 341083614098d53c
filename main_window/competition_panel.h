#pragma once

#include "appearance/colours.h"
#include "main_window/clickable_panel.h"

#include <QObject>

#include <array>

class Announcer;
class TForm_Namensfenster;

// The competitions on the settings panel: the switch for competition mode and the sixteen
// competition panels, each filling the settings with its preset. The panels stand on the
// settings panel among its fields, so this part places them there rather than in a frame of its
// own; what the mode means for the rest of the window it tells by signals.
class CompetitionPanel : public QObject {
    Q_OBJECT
public:
    // settingsPanel: where the panels stand and whose colour their captions stand out from.
    CompetitionPanel(QWidget* settingsPanel, int percent);

    // The switch and the sixteen panels in the order Tab passes them.
    QList<QWidget*> tabOrder() const;
    int panelWidth() const;
    void arrangeRightEdge(int gap, int clientWidth);
    // The state and looks the program starts with.
    void startValues();
    void startLooks();
    // The captions stand out from the settings panel's colour as it is now; a new colour of the
    // settings panel colours them anew.
    void colourCaptions();
    void applyColour(ColourTarget target) {
        if (target == ColourTarget::SettingsPanel)
            colourCaptions();
    }

    // Competition mode on or off, as a click on the switch does.
    void switchMode();
    // The competition button was clicked: the name dialog opens once a competition is chosen.
    void startRequested();
    // The dialog in which a competitor enters the name; its closing is told on.
    void attachNameDialog(TForm_Namensfenster* dialog);
    // While a run is on, nothing can be switched or chosen; after it, the chosen one stays.
    void showDuringRun();
    void showAfterRun();

signals:
    // The settings fields are shut or opened.
    void settingsLocked(bool locked);
    void menusUnlocked();
    void modeSwitched(bool competitionMode);
    // Competition n was chosen; its preset goes into the settings.
    void presetChosen(int n);
    // After a competition run the answer fields stay shut until the next one starts.
    void answerFieldsClosed();
    void nameEntryOpening();
    void nameEntryClosed(bool cancelled, const QString& enteredText);
    void noticeRequested(const QString& text);

private:
    void select(int n);
    void setPanelsEnabled(bool enabled);
    void markChosen();
    void clearMarks();
    bool chosen() const { return number_ >= 1; }

    // Competition mode is on; the competition chosen in it (-1 for none).
    bool mode_ = false;
    int number_ = -1;
    QWidget* settingsPanel_;
    std::array<ClickablePanel*, 16> Panel_W{}; // Panel_W[0] is Panel_W1
    ClickablePanel* Panel_Wettbewerb_ini = nullptr;
    Announcer* announcer_ = nullptr; // speaks the switch's new caption
    TForm_Namensfenster* nameDialog_ = nullptr;
};
