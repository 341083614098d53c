#include "main_window/TForm1.h"

#include "appearance/focus_marker.h"
#include "common/random.h"
#include "common/text_codec.h"
#include "common/window_scale.h"
#include "main_window/adaptive_practice_menu.h"
#include "main_window/competition_panel.h"
#include "main_window/main_menus.h"
#include "main_window/settings_items.h"
#include "main_window/settings_panel.h"
#include "main_window/speech_menu.h"
#include "main_window/task_area.h"
#include "main_window/widget_helpers.h"
#include "platform/window_scaling.h"

#include <QCloseEvent>
#include <QTimer>

namespace {

// Size of the main window's client area as designed, before scaling to the screen.
constexpr int designClientWidth = 632;
constexpr int designClientHeight = 434;

} // namespace

TForm1::TForm1(RunController& run, Platform& platform, QWidget* parent)
    : QMainWindow(parent), run_(run), platform_(platform) {
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    // The window is scaled to the screen by the size it has as designed, menu bar included. The
    // controls get their fonts at the scaled size right away: a font that is laid out at one size
    // and then at another costs twice, and the start of the program waits for it. So the menu
    // bar is measured at the percentage the screen gives the window without it, and only a
    // window that then does not fit on the screen gets a smaller one.
    menus_ = new MainMenus(this);
    setMenuBar(menus_);
    const QFont baseFont = designFont(QStringLiteral("Arial"), 13);
    percent_ = screenScalePercent(screen(), QSize(designClientWidth, designClientHeight));
    setFont(scaledFont(baseFont, percent_));
    designHeight_ = designClientHeight +
                    int(roundHalfEven(qint64(menus_->sizeHint().height()) * 100, percent_));
    const int fitting = screenScalePercent(screen(), QSize(designClientWidth, designHeight_));
    if (fitting < percent_) {
        percent_ = fitting;
        setFont(scaledFont(baseFont, percent_));
    }

    taskArea_ = new TaskArea(this, run_, percent_);
    setCentralWidget(taskArea_);
    connect(taskArea_, &PointRectArea::resized, this, [this] {
        taskArea_->layOut();
        arrangeControls();
    });
    settings_ = new SettingsPanel(taskArea_);
    taskArea_->setBottomPanel(settings_);
    competition_ = new CompetitionPanel(settings_, percent_);

    // Tab goes from the start controls through the task area and the settings to the competition
    // switch and then the sixteen competitions; disabled and hidden controls are passed over.
    const QList<QWidget*> order =
        taskArea_->tabOrder() + settings_->tabOrder() + competition_->tabOrder();
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    focusMarker_ = new FocusMarker(taskArea_);
    connectParts();

    resize(designClientWidth, designHeight_);
    taskArea_->resize(designClientWidth, designClientHeight);
    taskArea_->layOut();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::connectParts() {
    connect(menus_, &MainMenus::quitRequested, this, &QWidget::close);
    connect(menus_, &MainMenus::colourChosen, this, &TForm1::applyColour);
    connect(menus_, &MainMenus::pointRectsSwitched, taskArea_, &TaskArea::setPointRectsOn);
    connect(menus_, &MainMenus::fewerSaveHintsSwitched, &run_, &RunController::setFewerSaveHints);
    connect(menus_, &MainMenus::pointsDisplaySwitched, taskArea_, &TaskArea::showPointsDisplay);
    connect(menus_, &MainMenus::remainingTimeDisplaySwitched, taskArea_,
            &TaskArea::setRemainingTimeDisplay);
    const auto earOnly = [this](bool on) {
        taskArea_->earOnlyChanged(on);
        run_.setEarOnly(on);
    };
    connect(menus_->speechMenu(), &SpeechMenu::earOnlyChanged, this, earOnly);
    earOnly(menus_->speechMenu()->earOnly()); // it may be on since the last program run

    run_.setFrontend(this);
    connect(&run_, &RunController::scored, taskArea_,
            [this](qint32 points) { taskArea_->showPoints(points, pointRectColour); });
    connect(&run_, &RunController::notice, this, [this](NoticeKind kind, const QString& text) {
        message(kind == NoticeKind::Warning ? MessageKind::Warning : MessageKind::Information,
                text);
    });

    connect(taskArea_, &TaskArea::startClicked, settings_, &SettingsPanel::cancelPendingRangeCheck);
    connect(taskArea_, &TaskArea::startClicked, this, [this] { run_.start(runSettings()); });
    connect(&run_, &RunController::settingsRaised, settings_, &SettingsPanel::keepRaisedBounds);
    settings_->followCompetitions(competition_);
    settings_->followRun(run_);
    connect(taskArea_, &TaskArea::competitionStartClicked, competition_,
            &CompetitionPanel::startRequested);
    connect(taskArea_, &TaskArea::runBegun, this, [this] {
        settings_->setLocked(true);
        competition_->showDuringRun();
        menus_->setMenusEnabled(false);
    });
    // A message of the run still on screen (the time ran out while it was open) belongs to the
    // run: it goes now, before the result dialog, and does not come back after the saves.
    connect(taskArea_, &TaskArea::runEnding, this, [this] {
        if (runMessagesOpen_ > 0)
            platform_.closeMessages(this);
    });
    connect(taskArea_, &TaskArea::runEnded, this, [this] {
        competition_->showAfterRun();
        menus_->setMenusEnabled(true);
    });

    connect(settings_, &SettingsPanel::messageRequested, this, &TForm1::message);
    connect(settings_, &SettingsPanel::nameChanged, this,
            [this](const QString& name) { setWindowTitle(mainWindowTitle(name)); });
    connect(settings_, &SettingsPanel::operationChanged, taskArea_, &TaskArea::operationChanged);
    connect(settings_, &SettingsPanel::taskWithdrawn, taskArea_, &TaskArea::withdrawTask);

    connect(competition_, &CompetitionPanel::settingsLocked, this, &TForm1::lockSettings);
    connect(competition_, &CompetitionPanel::menusUnlocked, menus_,
            [this] { menus_->setMenusEnabled(true); });
    connect(competition_, &CompetitionPanel::modeSwitched, taskArea_, &TaskArea::showStartControl);
    connect(competition_, &CompetitionPanel::modeSwitched, menus_->speechMenu(),
            &SpeechMenu::competitionModeChanged);
    connect(competition_, &CompetitionPanel::modeSwitched, menus_->adaptivePracticeMenu(),
            &AdaptivePracticeMenu::competitionModeChanged);
    connect(competition_, &CompetitionPanel::answerFieldsClosed, taskArea_,
            &TaskArea::closeAnswerFields);
    connect(competition_, &CompetitionPanel::nameEntryOpening, taskArea_,
            &TaskArea::hideCompetitionButton);
    connect(competition_, &CompetitionPanel::nameEntryClosed, taskArea_,
            &TaskArea::nameEntryClosed);
    connect(competition_, &CompetitionPanel::nameEntryClosed, this,
            [this](bool cancelled, const QString& enteredText) {
                if (cancelled)
                    return;
                setWindowTitle(mainWindowTitle(enteredText));
            });
    connect(competition_, &CompetitionPanel::noticeRequested, this, [this](const QString& text) {
        platform_.showMessage(this, MessageKind::Information, MessageButtons::Ok, text);
    });
}

void TForm1::attachNameDialog(TForm_Namensfenster* dialog) {
    competition_->attachNameDialog(dialog);
}

void TForm1::attachInformationWindows(std::function<TForm_Info*()> info,
                                      std::function<TForm_Hilfe*()> help) {
    menus_->attachInformationWindows(std::move(info), std::move(help));
}

void TForm1::attachReviewWindows() {
    menus_->attachReviewWindows();
}

bool TForm1::historyRecordingOn() const {
    return menus_->historyRecordingOn();
}

SpeechMenu* TForm1::speechMenu() const {
    return menus_->speechMenu();
}

const RunSettings& TForm1::runSettings() const {
    return settings_->runSettings();
}

QPoint TForm1::messageAnchor() const {
    return taskArea_->messagePosition(10);
}

QList<PointRect> TForm1::pointRectsOnScreen() const {
    return taskArea_->rectsOnScreen();
}

// The program's initial condition, in the order the controls depend on each other.
void TForm1::FormCreate() {
    competition_->startValues();

    // The fonts are already at the scaled size; positions and sizes follow them now.
    scaleWidgetGeometry(this, percent_);
    taskArea_->fitToScale(percent_);
    settings_->fitToScale();
    taskArea_->layOut();

    taskArea_->resetDisplay();
    taskArea_->showPointsDisplay(true);

    settings_->startValues();
    taskArea_->hideStop();
    arrangeControls();

    Lcg generator;
    applyStartScheme(pickStartScheme(generator, platform_));

    settings_->startOperation();
    taskArea_->showSign(operationSign(Operation::Add));
    taskArea_->showRemainderFields(false);

    lockSettings(false);
    competition_->startLooks();
    menus_->setMenusEnabled(true);
    setWindowTitle(mainWindowTitle(QStringLiteral("Werda ?")));
    taskArea_->raiseTaskRow();
    // A child who opens the program and presses Return starts a run.
    taskArea_->focusStart();
}

// Places the fields beside their labels and the right-hand controls against the right edge, with
// a third of a competition panel's width as the gap: the same look on every screen. It runs at
// creation and again whenever the client area changes size, so the right-hand controls follow
// the width the maximized window really has.
void TForm1::arrangeControls() {
    const int g = competition_->panelWidth();
    const int c = taskArea_->width();
    const int third = g / 3;
    settings_->arrange(int(roundHalfEven(g, 3)), third, c);
    taskArea_->arrangeRightEdge(third);
    competition_->arrangeRightEdge(third, c);
}

// A settings panel wider than the window means the desktop's font scaling has spoiled the layout.
void TForm1::FormActivate() {
    if (scalingHintOpen_)
        return;
    if (double(settings_->width()) / double(frameGeometry().width()) <= 1.01)
        return;
    scalingHintOpen_ = true;
    platform_.showMessage(this, MessageKind::Warning, MessageButtons::Ok, fontScalingHint);
    // The activation that follows the closing of this very box must not open it again, or the
    // child could never get past it.
    QTimer::singleShot(0, this, [this] { scalingHintOpen_ = false; });
}

bool TForm1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(e);
}

void TForm1::closeEvent(QCloseEvent* e) {
    if (run_.pendingSaves().any()) {
        // OK gives the last run up: Cancel is the default.
        const MessageAnswer answer = platform_.showMessage(
            this, MessageKind::Warning, MessageButtons::OkCancel,
            QStringLiteral(
                "Wenn du das Programm verlassen willst, ohne vorher Dein letztes Ergebnis zu "
                "speichern, so wähle bitte 'OK' an.\nWenn du Dein letztes Ergebnis aber speichern "
                "willst, so wähle hier 'Abbrechen' an, beende den Durchgang über 'Stopp' und "
                "speichere dein Ergebnis."),
            std::nullopt, MessageAnswer::Cancel);
        if (answer != MessageAnswer::Ok) {
            e->ignore();
            return;
        }
    }
    e->accept();
}

void TForm1::lockSettings(bool locked) {
    settings_->setLocked(locked);
    if (!locked)
        taskArea_->closeAnswerFieldsUnlessDone();
}

// Every colour item does what its submenu stands for; the point-rectangle colour only affects
// rectangles drawn from now on.
void TForm1::applyColour(ColourTarget target, Rgb colour) {
    if (target == ColourTarget::MainWindow)
        mainWindowColour = colour;
    if (target == ColourTarget::PointRects)
        pointRectColour = colour;
    taskArea_->applyColour(target, colour);
    settings_->applyColour(target, colour);
    competition_->applyColour(target);
}

void TForm1::applyStartScheme(int scheme) {
    const ColourScheme& s = startSchemes()[size_t(scheme)];
    applyColour(ColourTarget::MainWindow, colourRgb(s.mainWindow));
    applyColour(ColourTarget::SettingsPanel, colourRgb(s.settingsPanel));
    applyColour(ColourTarget::SettingsFont, colourRgb(s.settingsFont));
    applyColour(ColourTarget::NumbersWindow, colourRgb(s.numbersWindow));
    applyColour(ColourTarget::NumbersFont, colourRgb(s.numbersFont));
    applyColour(ColourTarget::PointRects, colourRgb(s.pointRects));
}

void TForm1::message(MessageKind kind, const QString& text, int yOffset) {
    const bool ofRun = run_.active();
    if (ofRun)
        ++runMessagesOpen_;
    platform_.showMessage(this, kind, MessageButtons::Ok, text,
                          taskArea_->messagePosition(yOffset));
    if (ofRun)
        --runMessagesOpen_;
}

// Before a run starts, the settings panel has its say.
std::optional<RunFields> TForm1::readyToStart() {
    if (!settings_->timeFieldFit())
        return std::nullopt;
    taskArea_->prepareForRun(runSettings());
    return settings_->runFields();
}

// The run belongs to the child chosen in the learning history, as a free run: another name goes,
// and competition mode goes off as by the child's own click.
std::optional<PracticeStart> TForm1::readyToPractise(const QString& participant,
                                                     Operation operation) {
    const QString before = settings_->name();
    if (before != participant)
        settings_->setName(participant);
    raise();
    activateWindow();
    if (runSettings().competitionMode)
        competition_->switchMode();
    if (!settings_->timeFieldFit()) {
        // The last name stays, so nothing is saved under the other child's name.
        if (before != participant)
            settings_->setName(before);
        return std::nullopt;
    }
    // The operation as choosing it in the list would set it, without the range checks.
    const RunSettings settings = settings_->practiseOperation(operation);
    taskArea_->showSign(operationSign(operation));
    taskArea_->prepareForRun(settings);
    return PracticeStart{settings, settings_->runFields()};
}
