#pragma once

#include "appearance/colours.h"
#include "appearance/point_rects.h"
#include "engine/run_controller.h"
#include "platform/platform.h"

#include <QMainWindow>

#include <functional>
#include <optional>

class CompetitionPanel;
class FocusMarker;
class MainMenus;
class SettingsPanel;
class SpeechMenu;
class TaskArea;
class TForm_Hilfe;
class TForm_Info;
class TForm_Namensfenster;

// The main window: the task area where a run takes place, the settings panel below it with the
// competition panel, and the menu bar from which every other window is opened. Each is a part of
// its own (see README.md); the window builds them, lays them out and connects them. The run
// itself is the RunController's.
class TForm1 : public QMainWindow, private RunFrontend {
    Q_OBJECT
public:
    TForm1(RunController& run, Platform& platform, QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows that are created after the main window and opened from it.
    void attachNameDialog(TForm_Namensfenster* dialog);
    // The about box and the help window, made only when needed: an item is enabled when its
    // function is given, and asks for its window through it when it is first chosen.
    void attachInformationWindows(std::function<TForm_Info*()> info,
                                  std::function<TForm_Hilfe*()> help);
    // Enables the menu items that open the viewers; the items then send the signals below.
    void attachReviewWindows();

    // Whether finished runs go into the learning history (menu item "Lernverlauf aufzeichnen").
    bool historyRecordingOn() const;
    // The menu bar, whose items the other windows' features connect to (viewers, history, the
    // result dialog's switch), and the items of reading aloud in its settings menu.
    MainMenus& menus() const { return *menus_; }
    SpeechMenu* speechMenu() const;
    // Percentage of its design size the window has on its screen.
    int scalePercent() const { return percent_; }
    // The settings a run started now would get.
    const RunSettings& runSettings() const;
    // Where messages that belong to the task stand: at the first operand, 10 pixels down.
    QPoint messageAnchor() const;

    // The colours in force for the task area's background and for the next point rectangle.
    Rgb mainWindowColour;
    Rgb pointRectColour;
    // The rectangles as they are painted now, computed from the window's present size.
    QList<PointRect> pointRectsOnScreen() const;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void connectParts();
    void FormCreate();
    void arrangeControls();
    void FormActivate();
    // The settings fields shut or open; open fields shut the answer fields of an unfinished run.
    void lockSettings(bool locked);
    void applyColour(ColourTarget target, Rgb colour);
    void applyStartScheme(int scheme);
    void message(MessageKind kind, const QString& text, int yOffset = 10);

    // What the settings say for a run about to start; nullopt keeps it from starting.
    std::optional<RunFields> readyToStart() override;
    std::optional<PracticeStart> readyToPractise(const QString& participant,
                                                 Operation operation) override;

    RunController& run_;
    Platform& platform_;
    // Percentage of the design size the window has on its screen, and its design height with
    // the menu bar.
    int percent_ = 100;
    int designHeight_ = 0;
    MainMenus* menus_ = nullptr;
    TaskArea* taskArea_ = nullptr;
    SettingsPanel* settings_ = nullptr;
    CompetitionPanel* competition_ = nullptr;
    FocusMarker* focusMarker_ = nullptr;
    // Messages of the running run that are on screen; the end of the run closes them.
    int runMessagesOpen_ = 0;
    bool scalingHintOpen_ = false;
};
