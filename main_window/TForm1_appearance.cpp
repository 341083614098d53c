// The look of the main window: the colour menus and start schemes, the point rectangles and the
// display switches, and the menu items that open the help window and the about box.

#include "main_window/TForm1.h"

#include "appearance/colours.h"
#include "appearance/display_switches.h"
#include "appearance/hilfe.h"
#include "appearance/info.h"
#include "appearance/point_rects.h"
#include "main_window/digit_field.h"
#include "main_window/point_rect_area.h"
#include "main_window/settings_items.h"
#include "main_window/speech_menu.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace {

QColor toQColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

void setBackground(QWidget* widget, const QColor& colour, QPalette::ColorRole role) {
    QPalette p = widget->palette();
    p.setColor(QPalette::All, role, colour);
    widget->setPalette(p);
}

} // namespace

void TForm1::buildSettingsMenu() {
    for (const ColourSubmenu& submenu : colourSubmenus()) {
        QMenu* menu = Einstellungen1->addMenu(submenu.caption);
        menu->setObjectName(submenu.objectName);
        for (StandardColour colour : submenu.colours) {
            QAction* item = menu->addAction(colourName(colour));
            item->setObjectName(colourItemName(submenu, colour));
            const ColourTarget target = submenu.target;
            connect(item, &QAction::triggered, this,
                    [this, target, colour] { colourItemClick(target, colourRgb(colour)); });
        }
    }
    Einstellungen1->addSeparator();
    Rechteckeaus1 = Einstellungen1->addAction(pointRectsSwitchStartCaption(), this,
                                              &TForm1::Rechteckeaus1Click);
    Rechteckeaus1->setObjectName(QStringLiteral("Rechteckeaus1"));
    PunkteAnzeigeaus1 = Einstellungen1->addAction(pointsDisplaySwitchStartCaption(), this,
                                                  &TForm1::PunkteAnzeigeaus1Click);
    PunkteAnzeigeaus1->setObjectName(QStringLiteral("PunkteAnzeigeaus1"));
    RestZeitAnzeigeaus1 = Einstellungen1->addAction(QStringLiteral("Rest-Zeit-Anzeige aus"), this,
                                                    &TForm1::RestZeitAnzeigeaus1Click);
    RestZeitAnzeigeaus1->setObjectName(QStringLiteral("RestZeitAnzeigeaus1"));
    Einstellungen1->addSeparator();
    wenigerSpeichernHinweise1 = Einstellungen1->addAction(fewerSaveHintsSwitchStartCaption(), this,
                                                          &TForm1::wenigerSpeichernHinweise1Click);
    wenigerSpeichernHinweise1->setObjectName(QStringLiteral("wenigerSpeichernHinweise1"));
    RangNachWettbewerb =
        Einstellungen1->addAction(QStringLiteral("Rang nach Wettbewerb nicht anzeigen"), this,
                                  &TForm1::RangNachWettbewerbClick);
    RangNachWettbewerb->setObjectName(QStringLiteral("RangNachWettbewerb"));
    Einstellungen1->addSeparator();
    Lernverlaufaufzeichnen1 = Einstellungen1->addAction(QStringLiteral("&Lernverlauf aufzeichnen"));
    Lernverlaufaufzeichnen1->setObjectName(QStringLiteral("Lernverlaufaufzeichnen1"));
    Lernverlaufaufzeichnen1->setCheckable(true);
    Lernverlaufaufzeichnen1->setChecked(true);
    speechMenu_ = new SpeechMenu(Einstellungen1, this, state_);
}

bool TForm1::historyRecordingOn() const {
    return Lernverlaufaufzeichnen1->isChecked();
}

// Every colour item does what its submenu stands for; the point-rectangle colour only affects
// rectangles drawn from now on.
void TForm1::colourItemClick(ColourTarget target, Rgb colour) {
    switch (target) {
    case ColourTarget::MainWindow:
        applyMainWindowColour(colour);
        break;
    case ColourTarget::SettingsPanel:
        applySettingsPanelColour(colour);
        break;
    case ColourTarget::SettingsFont:
        applySettingsFontColour(colour);
        break;
    case ColourTarget::NumbersWindow:
        applyNumbersWindowColour(colour);
        break;
    case ColourTarget::NumbersFont:
        applyNumbersFontColour(colour);
        break;
    case ColourTarget::PointRects:
        pointRectColour = colour;
        break;
    }
}

void TForm1::applyMainWindowColour(Rgb colour) {
    mainWindowColour = colour;
    setBackground(client_, toQColor(colour), QPalette::Window);
    // A new background paints over the rectangles, as every full repaint does.
    client_->clearRects();
}

void TForm1::applySettingsPanelColour(Rgb colour) {
    setBackground(Panel_Grenze, toQColor(colour), QPalette::Window);
    setBackground(Panel_Einstellungen, toQColor(colour), QPalette::Window);
    colourCompetitionCaptions();
}

void TForm1::applySettingsFontColour(Rgb colour) {
    for (QWidget* w : settingsTextControls())
        setBackground(w, toQColor(colour), QPalette::WindowText);
}

void TForm1::applyNumbersWindowColour(Rgb colour) {
    colourNumberControls(colour, QPalette::Window, QPalette::Base);
}

void TForm1::applyNumbersFontColour(Rgb colour) {
    colourNumberControls(colour, QPalette::WindowText, QPalette::Text);
}

// Panels show their colours in the window roles, the two answer fields in their base and text.
void TForm1::colourNumberControls(Rgb colour, QPalette::ColorRole panelRole,
                                  QPalette::ColorRole fieldRole) {
    for (QWidget* w : numberControls()) {
        const bool field = qobject_cast<QLineEdit*>(w) != nullptr;
        setBackground(w, toQColor(colour), field ? fieldRole : panelRole);
    }
}

void TForm1::applyColourScheme(Rgb main, Rgb settingsPanel, Rgb numbersWindow, Rgb numbersFont,
                               Rgb settingsFont, Rgb pointRects) {
    applyMainWindowColour(main);
    applySettingsPanelColour(settingsPanel);
    applySettingsFontColour(settingsFont);
    applyNumbersWindowColour(numbersWindow);
    applyNumbersFontColour(numbersFont);
    pointRectColour = pointRects;
}

void TForm1::applyStartScheme(int scheme) {
    const ColourScheme& s = startSchemes()[size_t(scheme)];
    applyColourScheme(colourRgb(s.mainWindow), colourRgb(s.settingsPanel),
                      colourRgb(s.numbersWindow), colourRgb(s.numbersFont),
                      colourRgb(s.settingsFont), colourRgb(s.pointRects));
}

QList<QWidget*> TForm1::numberControls() const {
    return {Panel_Aufgaben_Nr_zeigen, Panel_Punkte_zeigen,       Panel_Zahl_1_zeigen,
            Panel_Zahl_2_zeigen,      Panel_Verknuepfung_zeigen, Gleichheitszeichen,
            Eingabe_aufnehmen,        restingAnswerField_,       Edit_Rest};
}

QList<QWidget*> TForm1::settingsTextControls() const {
    return {Label_Name,           Label_Rechenart,      Label_Zeit,
            Label_Bereich_Zahl_1, Label_Bereich_Zahl_2, Panel_Grenze};
}

std::optional<PointRect> TForm1::pointRectAt(qint32 points, Rgb colour) const {
    return pointRectGeometry(points, frameGeometry().width(), client_->height(),
                             Panel_Grenze->height(), Panel_Einstellungen->height(), colour);
}

QList<PointRect> TForm1::pointRectsOnScreen() const {
    return client_->rectsOnScreen();
}

void TForm1::Rechteckeaus1Click() {
    Rechteckeaus1->setText(togglePointRects(state_.pointRectsOn));
}

void TForm1::PunkteAnzeigeaus1Click() {
    PunkteAnzeigeaus1->setText(togglePointsDisplay(state_.pointsDisplayOn));
    Panel_Punkte_zeigen->setVisible(state_.pointsDisplayOn);
    Label_Punkte->setVisible(state_.pointsDisplayOn);
}

void TForm1::wenigerSpeichernHinweise1Click() {
    wenigerSpeichernHinweise1->setText(toggleFewerSaveHints(state_.fewerSaveHints));
}

void TForm1::attachInformationWindows(TForm_Info* info, TForm_Hilfe* help) {
    infoWindow_ = info;
    helpWindow_ = help;
    makeInfoWindow_ = nullptr;
    makeHelpWindow_ = nullptr;
    Info2->setEnabled(info != nullptr);
    Hilfe1->setEnabled(help != nullptr);
}

void TForm1::attachInformationWindows(std::function<TForm_Info*()> info,
                                      std::function<TForm_Hilfe*()> help) {
    infoWindow_ = nullptr;
    helpWindow_ = nullptr;
    makeInfoWindow_ = std::move(info);
    makeHelpWindow_ = std::move(help);
    Info2->setEnabled(bool(makeInfoWindow_));
    Hilfe1->setEnabled(bool(makeHelpWindow_));
}

void TForm1::Hilfe1Click() {
    if (!helpWindow_ && makeHelpWindow_)
        helpWindow_ = makeHelpWindow_();
    if (helpWindow_)
        helpWindow_->exec();
}

void TForm1::Info2Click() {
    if (!infoWindow_ && makeInfoWindow_)
        infoWindow_ = makeInfoWindow_();
    if (infoWindow_)
        infoWindow_->exec();
}

void TForm1::showRemainingTime() {
    if (state_.remainingTimeDisplayOn)
        Panel_Grenze->setText(remainingTimeText(state_.remainingSeconds));
    else
        Panel_Grenze->clear();
}

void TForm1::RestZeitAnzeigeaus1Click() {
    state_.remainingTimeDisplayOn = !state_.remainingTimeDisplayOn;
    showRemainingTime();
    RestZeitAnzeigeaus1->setText(state_.remainingTimeDisplayOn
                                     ? QStringLiteral("Rest-Zeit-Anzeige aus")
                                     : QStringLiteral("Rest-Zeit-Anzeige ein"));
}
