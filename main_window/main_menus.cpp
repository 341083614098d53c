#include "main_window/main_menus.h"

#include "appearance/display_switches.h"
#include "appearance/hilfe.h"
#include "appearance/info.h"
#include "main_window/adaptive_practice_menu.h"
#include "main_window/speech_menu.h"

#include <QAction>
#include <QMenu>

MainMenus::MainMenus(QWidget* window) : QMenuBar(window) {
    Datei1 = addMenu(QStringLiteral("&Datei"));
    Datei1->setObjectName(QStringLiteral("Datei1"));
    Datei1->addSeparator();
    beenden1 = Datei1->addAction(QStringLiteral("&Beenden"), this, &MainMenus::quitRequested);
    beenden1->setObjectName(QStringLiteral("beenden1"));

    Einstellungen1 = addMenu(QStringLiteral("&Einstellungen"));
    Einstellungen1->setObjectName(QStringLiteral("Einstellungen1"));
    buildSettingsMenu(window);

    Leistungen1 = addMenu(QStringLiteral("&Leistungen"));
    Leistungen1->setObjectName(QStringLiteral("Leistungen1"));
    ffnen1 = Leistungen1->addAction(QStringLiteral("gespeicherte Leistungen  &zeigen/ drucken"));
    ffnen1->setObjectName(QStringLiteral("ffnen1"));
    Best1 = Leistungen1->addAction(QStringLiteral("&Bestenlisten zu den Wettbewerben"));
    Best1->setObjectName(QStringLiteral("Best1"));
    Lernverlaufzeigen1 = Leistungen1->addAction(QStringLiteral("&Lernverlauf zeigen"));
    Lernverlaufzeigen1->setObjectName(QStringLiteral("Lernverlaufzeigen1"));
    Klassenuebersicht1 = Leistungen1->addAction(QStringLiteral("&Klassenübersicht"));
    Klassenuebersicht1->setObjectName(QStringLiteral("Klassenuebersicht1"));
    Lernverlaufuebertragen1 = Leistungen1->addAction(QStringLiteral("Lernverlauf &übertragen ..."));
    Lernverlaufuebertragen1->setObjectName(QStringLiteral("Lernverlaufuebertragen1"));

    Aufgaben1 = addMenu(QStringLiteral("&Aufgaben"));
    Aufgaben1->setObjectName(QStringLiteral("Aufgaben1"));
    gespeichertenAufgabensatzzeigen1 =
        Aufgaben1->addAction(QStringLiteral("gespeicherten Aufgabensatz &zeigen/ drucken"));
    gespeichertenAufgabensatzzeigen1->setObjectName(
        QStringLiteral("gespeichertenAufgabensatzzeigen1"));
    Aufgaben1->addSeparator();
    einleeresAufgabenblattdrucken1 =
        Aufgaben1->addAction(QStringLiteral("ein l&eeres Aufgabenblatt drucken"));
    einleeresAufgabenblattdrucken1->setObjectName(QStringLiteral("einleeresAufgabenblattdrucken1"));
    adaptivePracticeMenu_ = new AdaptivePracticeMenu(Aufgaben1, this);

    Info1 = addMenu(QStringLiteral("&Info"));
    Info1->setObjectName(QStringLiteral("Info1"));
    Info2 = Info1->addAction(QStringLiteral("&Info"));
    Info2->setObjectName(QStringLiteral("Info2"));
    connect(Info2, &QAction::triggered, this, &MainMenus::Info2Click);

    Hilfe1 = addAction(QStringLiteral("&Hilfe"));
    Hilfe1->setObjectName(QStringLiteral("Hilfe1"));
    connect(Hilfe1, &QAction::triggered, this, &MainMenus::Hilfe1Click);

    connect(ffnen1, &QAction::triggered, this, &MainMenus::resultsViewerRequested);
    connect(Best1, &QAction::triggered, this, &MainMenus::bestListViewerRequested);
    connect(gespeichertenAufgabensatzzeigen1, &QAction::triggered, this,
            &MainMenus::taskSetViewerRequested);
    connect(einleeresAufgabenblattdrucken1, &QAction::triggered, this,
            &MainMenus::emptyWorksheetRequested);
    connect(Lernverlaufzeigen1, &QAction::triggered, this, &MainMenus::historyViewerRequested);
    connect(Klassenuebersicht1, &QAction::triggered, this, &MainMenus::classOverviewRequested);
    connect(Lernverlaufuebertragen1, &QAction::triggered, this,
            &MainMenus::historyTransferRequested);

    // Each item is enabled once the window behind it is attached.
    for (QAction* pending : {ffnen1, Best1, gespeichertenAufgabensatzzeigen1,
                             einleeresAufgabenblattdrucken1, Info2, Hilfe1})
        pending->setEnabled(false);
}

void MainMenus::buildSettingsMenu(QWidget* window) {
    for (const ColourSubmenu& submenu : colourSubmenus()) {
        QMenu* menu = Einstellungen1->addMenu(submenu.caption);
        menu->setObjectName(submenu.objectName);
        for (StandardColour colour : submenu.colours) {
            QAction* item = menu->addAction(colourName(colour));
            item->setObjectName(colourItemName(submenu, colour));
            const ColourTarget target = submenu.target;
            connect(item, &QAction::triggered, this,
                    [this, target, colour] { emit colourChosen(target, colourRgb(colour)); });
        }
    }
    Einstellungen1->addSeparator();
    Rechteckeaus1 = Einstellungen1->addAction(pointRectsSwitchStartCaption(), this,
                                              &MainMenus::Rechteckeaus1Click);
    Rechteckeaus1->setObjectName(QStringLiteral("Rechteckeaus1"));
    PunkteAnzeigeaus1 = Einstellungen1->addAction(pointsDisplaySwitchStartCaption(), this,
                                                  &MainMenus::PunkteAnzeigeaus1Click);
    PunkteAnzeigeaus1->setObjectName(QStringLiteral("PunkteAnzeigeaus1"));
    RestZeitAnzeigeaus1 = Einstellungen1->addAction(QStringLiteral("Rest-Zeit-Anzeige aus"), this,
                                                    &MainMenus::RestZeitAnzeigeaus1Click);
    RestZeitAnzeigeaus1->setObjectName(QStringLiteral("RestZeitAnzeigeaus1"));
    Einstellungen1->addSeparator();
    wenigerSpeichernHinweise1 = Einstellungen1->addAction(
        fewerSaveHintsSwitchStartCaption(), this, &MainMenus::wenigerSpeichernHinweise1Click);
    wenigerSpeichernHinweise1->setObjectName(QStringLiteral("wenigerSpeichernHinweise1"));
    RangNachWettbewerb =
        Einstellungen1->addAction(QStringLiteral("Rang nach Wettbewerb nicht anzeigen"), this,
                                  &MainMenus::RangNachWettbewerbClick);
    RangNachWettbewerb->setObjectName(QStringLiteral("RangNachWettbewerb"));
    Einstellungen1->addSeparator();
    Lernverlaufaufzeichnen1 = Einstellungen1->addAction(QStringLiteral("&Lernverlauf aufzeichnen"));
    Lernverlaufaufzeichnen1->setObjectName(QStringLiteral("Lernverlaufaufzeichnen1"));
    Lernverlaufaufzeichnen1->setCheckable(true);
    Lernverlaufaufzeichnen1->setChecked(true);
    speechMenu_ = new SpeechMenu(Einstellungen1, window);
}

bool MainMenus::historyRecordingOn() const {
    return Lernverlaufaufzeichnen1->isChecked();
}

void MainMenus::setMenusEnabled(bool enabled) {
    for (QMenu* m : {Datei1, Einstellungen1, Leistungen1, Aufgaben1})
        m->menuAction()->setEnabled(enabled);
}

void MainMenus::attachReviewWindows() {
    for (QAction* item :
         {ffnen1, Best1, gespeichertenAufgabensatzzeigen1, einleeresAufgabenblattdrucken1})
        item->setEnabled(true);
}

void MainMenus::attachInformationWindows(std::function<TForm_Info*()> info,
                                         std::function<TForm_Hilfe*()> help) {
    infoWindow_ = nullptr;
    helpWindow_ = nullptr;
    makeInfoWindow_ = std::move(info);
    makeHelpWindow_ = std::move(help);
    Info2->setEnabled(bool(makeInfoWindow_));
    Hilfe1->setEnabled(bool(makeHelpWindow_));
}

void MainMenus::Hilfe1Click() {
    if (!helpWindow_ && makeHelpWindow_)
        helpWindow_ = makeHelpWindow_();
    if (helpWindow_)
        helpWindow_->exec();
}

void MainMenus::Info2Click() {
    if (!infoWindow_ && makeInfoWindow_)
        infoWindow_ = makeInfoWindow_();
    if (infoWindow_)
        infoWindow_->exec();
}

void MainMenus::Rechteckeaus1Click() {
    Rechteckeaus1->setText(togglePointRects(pointRectsOn_));
    emit pointRectsSwitched(pointRectsOn_);
}

void MainMenus::PunkteAnzeigeaus1Click() {
    PunkteAnzeigeaus1->setText(togglePointsDisplay(pointsDisplayOn_));
    emit pointsDisplaySwitched(pointsDisplayOn_);
}

void MainMenus::RestZeitAnzeigeaus1Click() {
    remainingTimeDisplayOn_ = !remainingTimeDisplayOn_;
    emit remainingTimeDisplaySwitched(remainingTimeDisplayOn_);
    RestZeitAnzeigeaus1->setText(remainingTimeDisplayOn_ ? QStringLiteral("Rest-Zeit-Anzeige aus")
                                                         : QStringLiteral("Rest-Zeit-Anzeige ein"));
}

void MainMenus::wenigerSpeichernHinweise1Click() {
    wenigerSpeichernHinweise1->setText(toggleFewerSaveHints(fewerSaveHints_));
    emit fewerSaveHintsSwitched(fewerSaveHints_);
}

void MainMenus::RangNachWettbewerbClick() {
    competitionRankShown_ = !competitionRankShown_;
    emit competitionRankSwitched(competitionRankShown_);
    RangNachWettbewerb->setText(competitionRankShown_
                                    ? QStringLiteral("Rang nach Wettbewerb nicht anzeigen")
                                    : QStringLiteral("Rang nach Wettbewerb anzeigen"));
}
