#include "main_window/TForm1.h"

#include "appearance/focus_marker.h"
#include "common/window_scale.h"
#include "competition/best_list_file.h"
#include "competition/competition_presets.h"
#include "main_window/digit_field.h"
#include "main_window/ear_only_display.h"
#include "main_window/point_rect_area.h"
#include "main_window/return_presses_button.h"
#include "main_window/settings_items.h"
#include "main_window/speech_menu.h"
#include "platform/window_scaling.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

namespace {

// Size of the main window's client area as designed, before scaling to the screen.
constexpr int designClientWidth = 632;
constexpr int designClientHeight = 434;
constexpr int settingsPanelHeight = 150;
constexpr int topBarHeight = 24;

const QColor designGreen(0x00, 0x80, 0x00);
const QColor designTeal(0x00, 0x80, 0x80);

QFont designFont(const QString& family, int pixels, bool bold = false) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setKerning(false);
    // Hinting runs the font renderer's auto-hinter over every glyph and, once per face, over the
    // whole font, which was a good part of the time to the first frame. At the window's scaled
    // sizes the unhinted glyphs look the same.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                  bool bold = false, bool white = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    if (white) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(p);
    }
    // Sized to its text once the window has its scaled fonts and geometry (TForm1::FormCreate).
    label->move(x, y);
    return label;
}

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

// What a competition fixes, for a screen reader: "Wettbewerb 1: Addieren (+), 1. Zahl 10 .. 20,
// 2. Zahl 0 .. 20, 90 Sekunden".
QString competitionDescription(int n) {
    const std::optional<CompetitionPreset> preset = competitionPreset(n);
    if (!preset)
        return {};
    return QStringLiteral("Wettbewerb %1: %2, 1. Zahl %3, 2. Zahl %4, %5 Sekunden")
        .arg(n)
        .arg(operationItems()[preset->operationItem], rangeItems()[preset->range1Item].text,
             rangeItems()[preset->range2Item].text, QString::fromLatin1(preset->timeText));
}

} // namespace

TForm1::TForm1(RunState& state, RunController& run, Platform& platform, const QString& dataFolder,
               QWidget* parent)
    : QMainWindow(parent), state_(state), run_(run), platform_(platform), dataFolder_(dataFolder) {
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    // The window is scaled to the screen by the size it has as designed, menu bar included. The
    // controls get their fonts at the scaled size right away: a font that is laid out at one size
    // and then at another costs twice, and the start of the program waits for it. So the menu
    // bar is measured at the percentage the screen gives the window without it, and only a
    // window that then does not fit on the screen gets a smaller one.
    buildMenus();
    const QFont baseFont = designFont(QStringLiteral("Arial"), 13);
    percent_ = screenScalePercent(screen(), QSize(designClientWidth, designClientHeight));
    setFont(sized(baseFont));
    designHeight_ = designClientHeight +
                    int(roundHalfEven(qint64(menuBar()->sizeHint().height()) * 100, percent_));
    const int fitting = screenScalePercent(screen(), QSize(designClientWidth, designHeight_));
    if (fitting < percent_) {
        percent_ = fitting;
        setFont(sized(baseFont));
    }

    client_ = new PointRectArea(
        this, [this](qint32 points, Rgb colour) { return pointRectAt(points, colour); });
    client_->setObjectName(QStringLiteral("clientArea"));
    client_->setAutoFillBackground(true);
    QPalette p = client_->palette();
    p.setColor(QPalette::Window, designGreen);
    client_->setPalette(p);
    setCentralWidget(client_);
    connect(client_, &PointRectArea::resized, this, [this] {
        layoutClientArea();
        arrangeControls();
    });

    buildTaskArea(client_);
    buildSettingsPanel(client_);
    focusMarker_ = new FocusMarker(client_);
    connectRun();
    auto* earOnly =
        new EarOnlyDisplay(state_, run_, Panel_Zahl_1_zeigen, Panel_Zahl_2_zeigen, Label_Loesung);
    connect(speechMenu_, &SpeechMenu::earOnlyChanged, earOnly, &EarOnlyDisplay::earOnlyChanged);

    resize(designClientWidth, designHeight_);
    client_->resize(designClientWidth, designClientHeight);
    layoutClientArea();
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::connectRun() {
    run_.setFrontend(this);
    connect(&run_, &RunController::phaseChanged, this, &TForm1::showPhase);
    connect(&run_, &RunController::cleared, this, &TForm1::runCleared);
    connect(&run_, &RunController::taskPosed, this, &TForm1::showTask);
    connect(&run_, &RunController::scored, this, &TForm1::showPoints);
    connect(&run_, &RunController::remainingTime, this, &TForm1::showTimeLeft);
    connect(&run_, &RunController::notice, this, [this](NoticeKind kind, const QString& text) {
        message(kind == NoticeKind::Warning ? MessageKind::Warning : MessageKind::Information,
                text);
    });
    for (DigitField* field : {Eingabe_aufnehmen, restingAnswerField_}) {
        connect(field, &DigitField::submitted, this, &TForm1::Eingabe_aufnehmenKeyDown);
        connect(field, &DigitField::typed, this, &TForm1::Eingabe_aufnehmenKeyUp);
        connect(field, &DigitField::left, this, &TForm1::Eingabe_aufnehmenExit);
    }
    connect(Edit_Rest, &DigitField::submitted, this, &TForm1::Edit_RestKeyDown);
}

QFont TForm1::sized(const QFont& designSizeFont) const {
    return scaledFont(designSizeFont, percent_);
}

void TForm1::buildTaskArea(QWidget* client) {
    Panel_Grenze = new QLabel(client);
    Panel_Grenze->setObjectName(QStringLiteral("Panel_Grenze"));
    Panel_Grenze->setTextFormat(Qt::PlainText);
    Panel_Grenze->setFont(sized(designFont(QStringLiteral("Arial"), 13, true)));
    Panel_Grenze->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel_Grenze->setAutoFillBackground(true);
    Panel_Grenze->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel_Grenze->setGeometry(0, 0, designClientWidth, topBarHeight);

    Panel_Aufgaben_Nr_zeigen = makeNumberPanel(client, "Panel_Aufgaben_Nr_zeigen",
                                               QRect(52, 49, 37, 24), QStringLiteral("0"));
    Label_Aufgaben_Nr =
        makeLabel(client, "Label_Aufgaben_Nr", QStringLiteral(". Aufgabe"), 98, 54, true, true);
    Panel_Punkte_zeigen =
        makeNumberPanel(client, "Panel_Punkte_zeigen", QRect(198, 49, 38, 24), QStringLiteral("0"));
    Label_Punkte = makeLabel(client, "Label_Punkte", QStringLiteral("Punkte"), 248, 54, true, true);

    But_Start = new QPushButton(QStringLiteral("&Start"), client);
    But_Start->setObjectName(QStringLiteral("But_Start"));
    But_Start->setGeometry(552, 46, 70, 26);
    But_Start->setFont(sized(designFont(QStringLiteral("Arial"), 13, true)));
    QPalette red = But_Start->palette();
    red.setColor(QPalette::ButtonText, QColor(0xFF, 0x00, 0x00));
    But_Start->setPalette(red);
    connect(But_Start, &QPushButton::clicked, this, &TForm1::But_StartClick);

    But_Stop = new QPushButton(QStringLiteral("&Stopp"), client);
    But_Stop->setObjectName(QStringLiteral("But_Stop"));
    But_Stop->setGeometry(552, 78, 70, 24);
    But_Stop->setPalette(red);
    But_Stop->setFocusPolicy(Qt::ClickFocus); // not a tab stop
    connect(But_Stop, &QPushButton::clicked, this, &TForm1::But_StopClick);

    Button_Wettb_starten = new QPushButton(QStringLiteral("zum Wettbewerb Namen eingeben"), client);
    Button_Wettb_starten->setObjectName(QStringLiteral("Button_Wettb_starten"));
    Button_Wettb_starten->setGeometry(364, 46, 258, 24);
    Button_Wettb_starten->hide();
    connect(Button_Wettb_starten, &QPushButton::clicked, this, &TForm1::Button_Wettb_startenClick);

    const QFont serif = sized(serifDigitFont());
    Panel_Zahl_1_zeigen = makeNumberPanel(client, "Panel_Zahl_1_zeigen", QRect(150, 138, 64, 28),
                                          noTaskShown, &serif);
    Panel_Verknuepfung_zeigen = makeNumberPanel(client, "Panel_Verknuepfung_zeigen",
                                                QRect(230, 138, 24, 28), QStringLiteral("+"));
    Panel_Zahl_2_zeigen = makeNumberPanel(client, "Panel_Zahl_2_zeigen", QRect(270, 138, 64, 28),
                                          noTaskShown, &serif);
    Gleichheitszeichen = makeNumberPanel(client, "Gleichheitszeichen", QRect(350, 138, 24, 28),
                                         QStringLiteral("="), &serif);
    // A screen reader names each panel by what it shows and describes what the panel is.
    Panel_Zahl_1_zeigen->setAccessibleDescription(QStringLiteral("1. Zahl"));
    Panel_Verknuepfung_zeigen->setAccessibleDescription(QStringLiteral("Rechenzeichen"));
    Panel_Zahl_2_zeigen->setAccessibleDescription(QStringLiteral("2. Zahl"));
    Panel_Punkte_zeigen->setAccessibleDescription(QStringLiteral("Punkte"));
    Panel_Aufgaben_Nr_zeigen->setAccessibleDescription(QStringLiteral("Aufgabe Nummer"));
    Panel_Grenze->setAccessibleDescription(QStringLiteral("Rest-Zeit"));

    Eingabe_aufnehmen = makeAnswerField(client, "Eingabe_aufnehmen");
    restingAnswerField_ = makeAnswerField(client, restingAnswerFieldName);
    restingAnswerField_->hide();

    Label_Rest = makeLabel(client, "Label_Rest", QStringLiteral("Rest:"), 342, 185, true, true);
    Label_Rest->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Edit_Rest = new DigitField(client, "Edit_Rest", QRect(390, 178, 96, 28), 9);
    Edit_Rest->setAccessibleName(QStringLiteral("Rest"));
    Edit_Rest->takeReturnAndEscape();

    // "Nur hören" shows an answered task here for a moment.
    Label_Loesung = makeLabel(client, "Label_Loesung", QString(), 150, 185, true, true);
    Label_Loesung->hide();
}

DigitField* TForm1::makeAnswerField(QWidget* client, const char* name) {
    auto* field = new DigitField(client, name, QRect(389, 138, 97, 28), 9);
    field->setAccessibleName(QStringLiteral("Ergebnis"));
    field->takeReturnAndEscape();
    // Once the time is up, the keys go on to the next control.
    field->passKeysOnWhile([this] { return state_.timeUp; });
    return field;
}

void TForm1::buildSettingsPanel(QWidget* client) {
    Panel_Einstellungen = new QFrame(client);
    Panel_Einstellungen->setObjectName(QStringLiteral("Panel_Einstellungen"));
    Panel_Einstellungen->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel_Einstellungen->setAutoFillBackground(true);
    QPalette p = Panel_Einstellungen->palette();
    p.setColor(QPalette::Window, designTeal);
    Panel_Einstellungen->setPalette(p);
    Panel_Einstellungen->setGeometry(0, designClientHeight - settingsPanelHeight, designClientWidth,
                                     settingsPanelHeight);
    QWidget* panel = Panel_Einstellungen;

    Label_Name = makeLabel(panel, "Label_Name", QStringLiteral("Name:"), 24, 78);
    Edit_Name = new QLineEdit(panel);
    Edit_Name->setObjectName(QStringLiteral("Edit_Name"));
    Edit_Name->setGeometry(87, 76, 80, 24);
    Edit_Name->setMaxLength(8);
    Edit_Name->setToolTip(QStringLiteral("Eingabe des Benutzernamens"));

    Label_Rechenart = makeLabel(panel, "Label_Rechenart", QStringLiteral("Rechenart:"), 210, 78);
    Label_Rechenart->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Verknuepfung = makeListBox(panel, "Verknuepfung", QRect(295, 76, 146, 24), operationItems(),
                               QStringLiteral("Klicke auf den Pfeil, und wähle dann !"));
    QFont bold = Verknuepfung->font();
    bold.setBold(true);
    Verknuepfung->setFont(bold);

    Label_Zeit = makeLabel(panel, "Label_Zeit", QStringLiteral("Zeit in Sek:"), 469, 78);
    Label_Zeit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Edit_Zeit = new DigitField(panel, "Edit_Zeit", QRect(561, 76, 56, 24), 4);
    Edit_Zeit->setToolTip(
        QStringLiteral("Nach der hier eingegebenen Zeit wird automatisch abgebrochen"));
    connect(Edit_Zeit, &DigitField::left, this, &TForm1::Edit_ZeitExit);

    QStringList ranges;
    for (const RangeItem& item : rangeItems())
        ranges << item.text;
    Label_Bereich_Zahl_1 =
        makeLabel(panel, "Label_Bereich_Zahl_1", QStringLiteral("Bereich  1. Zahl:"), 24, 120);
    Edit_Zahl_1 = makeListBox(panel, "Edit_Zahl_1", QRect(149, 118, 128, 24), ranges,
                              QStringLiteral("Klicke auf den Pfeil, und wähle dann ! Zahl 1 liegt "
                                             "'zwischen' diesen beiden Zahlen."));
    Label_Bereich_Zahl_2 =
        makeLabel(panel, "Label_Bereich_Zahl_2", QStringLiteral("Bereich  2. Zahl:"), 361, 120);
    Label_Bereich_Zahl_2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Edit_Zahl_2 = makeListBox(panel, "Edit_Zahl_2", QRect(490, 118, 128, 24), ranges,
                              QStringLiteral("Klicke auf den Pfeil, und wähle dann ! Zahl 2 liegt "
                                             "'zwischen' diesen beiden Zahlen."));

    for (int i = 0; i < 16; ++i) {
        const QString caption = QStringLiteral("W %1").arg(i + 1);
        auto* w = new ClickablePanel(caption, panel);
        w->setObjectName(QStringLiteral("Panel_W%1").arg(i + 1));
        w->setGeometry(24 + 48 * (i % 8), i < 8 ? 16 : 40, 48, 21);
        w->setFrameStyle(QFrame::Panel | QFrame::Raised);
        w->setLineWidth(1);
        if (i < 12)
            w->setFont(sized(designFont(QStringLiteral("Arial"), 13, true)));
        w->setAccessibleDescription(competitionDescription(i + 1));
        w->setCheckable(true);
        connect(w, &ClickablePanel::clicked, this, [this, i] { selectCompetition(i + 1); });
        Panel_W[size_t(i)] = w;
    }

    Panel_Wettbewerb_ini = new ClickablePanel(QStringLiteral("Wettbewerb ein"), panel);
    Panel_Wettbewerb_ini->setObjectName(QStringLiteral("Panel_Wettbewerb_ini"));
    Panel_Wettbewerb_ini->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel_Wettbewerb_ini->setLineWidth(2);
    Panel_Wettbewerb_ini->setFont(sized(designFont(QStringLiteral("Arial"), 13, true)));
    Panel_Wettbewerb_ini->setGeometry(472, 16, 149, 25);
    Panel_Wettbewerb_ini->setAccessibleDescription(
        QStringLiteral("schaltet die Wettbewerbe ein oder aus"));
    connect(Panel_Wettbewerb_ini, &ClickablePanel::clicked, this,
            &TForm1::Panel_Wettbewerb_iniClick);

    for (QComboBox* box : {Verknuepfung, Edit_Zahl_1, Edit_Zahl_2})
        box->installEventFilter(this);
    connect(Verknuepfung, &QComboBox::activated, this, &TForm1::VerknuepfungClick);
    connect(Edit_Zahl_1, &QComboBox::editTextChanged, this, &TForm1::Edit_Zahl_1Change);
    connect(Edit_Zahl_2, &QComboBox::editTextChanged, this, &TForm1::Edit_Zahl_2Change);
    connect(Edit_Zahl_1, &QComboBox::activated, Edit_Zahl_1, [this] { Edit_Zahl_1->setFocus(); });
    connect(Edit_Zahl_2, &QComboBox::activated, Edit_Zahl_2, [this] { Edit_Zahl_2->setFocus(); });
    connect(Edit_Zeit, &QLineEdit::textChanged, this, &TForm1::Edit_ZeitChange);
    connect(Edit_Name, &QLineEdit::textChanged, this, &TForm1::Edit_NameChange);

    // Each settings field is named by its label, without the colon.
    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{Label_Name, Edit_Name},
                                {Label_Rechenart, Verknuepfung},
                                {Label_Zeit, Edit_Zeit},
                                {Label_Bereich_Zahl_1, Edit_Zahl_1},
                                {Label_Bereich_Zahl_2, Edit_Zahl_2}}) {
        label->setBuddy(field);
        field->setAccessibleName(label->text().chopped(1).simplified());
    }

    // Tab goes from the start controls through the task area and the settings to the competition
    // switch and then the sixteen competitions; disabled and hidden controls are passed over.
    QList<QWidget*> order{But_Start,           Button_Wettb_starten,
                          Eingabe_aufnehmen,   restingAnswerField_,
                          Edit_Rest,           Edit_Name,
                          Verknuepfung,        Edit_Zeit,
                          Edit_Zahl_1,         Edit_Zahl_2,
                          Panel_Wettbewerb_ini};
    for (ClickablePanel* w : Panel_W)
        order << w;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    auto* returnPresses = new ReturnPressesButton(this);
    for (QPushButton* button : {But_Start, But_Stop, Button_Wettb_starten})
        returnPresses->watch(button);
}

void TForm1::buildMenus() {
    QMenuBar* bar = menuBar();
    Datei1 = bar->addMenu(QStringLiteral("&Datei"));
    Datei1->setObjectName(QStringLiteral("Datei1"));
    Datei1->addSeparator();
    beenden1 = Datei1->addAction(QStringLiteral("&Beenden"), this, &TForm1::beenden1Click);
    beenden1->setObjectName(QStringLiteral("beenden1"));

    Einstellungen1 = bar->addMenu(QStringLiteral("&Einstellungen"));
    Einstellungen1->setObjectName(QStringLiteral("Einstellungen1"));
    buildSettingsMenu();

    Leistungen1 = bar->addMenu(QStringLiteral("&Leistungen"));
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

    Aufgaben1 = bar->addMenu(QStringLiteral("&Aufgaben"));
    Aufgaben1->setObjectName(QStringLiteral("Aufgaben1"));
    gespeichertenAufgabensatzzeigen1 =
        Aufgaben1->addAction(QStringLiteral("gespeicherten Aufgabensatz &zeigen/ drucken"));
    gespeichertenAufgabensatzzeigen1->setObjectName(
        QStringLiteral("gespeichertenAufgabensatzzeigen1"));
    Aufgaben1->addSeparator();
    einleeresAufgabenblattdrucken1 =
        Aufgaben1->addAction(QStringLiteral("ein l&eeres Aufgabenblatt drucken"));
    einleeresAufgabenblattdrucken1->setObjectName(QStringLiteral("einleeresAufgabenblattdrucken1"));

    Info1 = bar->addMenu(QStringLiteral("&Info"));
    Info1->setObjectName(QStringLiteral("Info1"));
    Info2 = Info1->addAction(QStringLiteral("&Info"));
    Info2->setObjectName(QStringLiteral("Info2"));
    connect(Info2, &QAction::triggered, this, &TForm1::Info2Click);

    Hilfe1 = bar->addAction(QStringLiteral("&Hilfe"));
    Hilfe1->setObjectName(QStringLiteral("Hilfe1"));
    connect(Hilfe1, &QAction::triggered, this, &TForm1::Hilfe1Click);

    connect(ffnen1, &QAction::triggered, this, &TForm1::resultsViewerRequested);
    connect(Best1, &QAction::triggered, this, &TForm1::bestListViewerRequested);
    connect(gespeichertenAufgabensatzzeigen1, &QAction::triggered, this,
            &TForm1::taskSetViewerRequested);
    connect(einleeresAufgabenblattdrucken1, &QAction::triggered, this,
            &TForm1::emptyWorksheetRequested);
    connect(Lernverlaufzeigen1, &QAction::triggered, this, &TForm1::historyViewerRequested);
    connect(Klassenuebersicht1, &QAction::triggered, this, &TForm1::classOverviewRequested);
    connect(Lernverlaufuebertragen1, &QAction::triggered, this, &TForm1::historyTransferRequested);

    // Each item is enabled once the window behind it is attached.
    for (QAction* pending : {ffnen1, Best1, gespeichertenAufgabensatzzeigen1,
                             einleeresAufgabenblattdrucken1, Info2, Hilfe1})
        pending->setEnabled(false);
}

void TForm1::attachReviewWindows() {
    for (QAction* item :
         {ffnen1, Best1, gespeichertenAufgabensatzzeigen1, einleeresAufgabenblattdrucken1})
        item->setEnabled(true);
}

// The program's initial condition, in the order the controls depend on each other.
void TForm1::FormCreate() {
    state_.competitionChosen = false;
    state_.competitionMode = false;
    state_.remainingTimeDisplayOn = true;

    Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerb ein"));
    Button_Wettb_starten->hide();
    state_.showCompetitionRank = true;
    state_.competitionNumber = -1;
    state_.competitionTag = QStringLiteral("-");

    ensureBestListFiles(dataFolder_, &bestListsFailure_);

    // The fonts are already at the scaled size; positions and sizes follow them now.
    scaleWidgetGeometry(this, percent_);
    for (QLineEdit* field : {Eingabe_aufnehmen, restingAnswerField_, Edit_Rest})
        field->setFont(sized(serifDigitFont()));
    for (QLabel* label : {Label_Aufgaben_Nr, Label_Punkte, Label_Rest, Label_Name, Label_Rechenart,
                          Label_Zeit, Label_Bereich_Zahl_1, Label_Bereich_Zahl_2})
        label->adjustSize();
    // Room for the longer of the two words, so "Punkt" and "Punkte" never get cut.
    Label_Punkte->setMinimumWidth(Label_Punkte->width());
    layoutClientArea();

    resetDisplay();

    state_.pointsDisplayOn = true;
    Panel_Punkte_zeigen->show();
    Label_Punkte->show();
    state_.pointRectsOn = true;

    state_.range1Min = 0;
    state_.range1Max = 10;
    state_.range2Min = 0;
    state_.range2Max = 10;
    Edit_Zeit->setText(QStringLiteral("0"));
    Edit_Name->setText(QStringLiteral("Werda ?"));
    Edit_Zahl_1->setCurrentIndex(1);
    Edit_Zahl_1->setEditText(rangeItems()[1].text);
    Edit_Zahl_2->setCurrentIndex(1);
    Edit_Zahl_2->setEditText(rangeItems()[1].text);

    state_.timeFieldOk = true;

    But_Stop->hide();

    arrangeControls();

    applyStartScheme(pickStartScheme(state_.generator, platform_));

    Verknuepfung->setCurrentIndex(0);
    Verknuepfung->setEditText(operationItems()[0]);
    Panel_Verknuepfung_zeigen->setText(QStringLiteral("+"));
    state_.operationSign = QStringLiteral("+");
    state_.withRemainder = false;
    showRemainderFields(false);

    unlockSettings();
    setCompetitionPanelsEnabled(false);
    Panel_Wettbewerb_ini->setEnabled(true);
    colourCompetitionCaptions();
    unlockMenus();

    setWindowTitle(mainWindowTitle(QStringLiteral("Werda ?")));

    for (QWidget* w :
         {static_cast<QWidget*>(Label_Aufgaben_Nr), static_cast<QWidget*>(Label_Punkte),
          static_cast<QWidget*>(Panel_Zahl_1_zeigen), static_cast<QWidget*>(Panel_Zahl_2_zeigen),
          static_cast<QWidget*>(Panel_Verknuepfung_zeigen),
          static_cast<QWidget*>(Gleichheitszeichen), static_cast<QWidget*>(Eingabe_aufnehmen),
          static_cast<QWidget*>(restingAnswerField_)})
        w->raise();

    // A child who opens the program and presses Return starts a run.
    But_Start->setFocus();
}

// Places the fields beside their labels and the right-hand controls against the right edge, with
// a third of a competition panel's width as the gap: the same look on every screen. It runs at
// creation and again whenever the client area changes size, so the right-hand controls follow
// the width the maximized window really has.
void TForm1::arrangeControls() {
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

    const int g = Panel_W[0]->width();
    const int c = client_->width();
    const int roundedThird = int(roundHalfEven(g, 3));
    const int third = g / 3;

    auto besideLabel = [&](QWidget* field, QWidget* label) {
        field->move(label->x() + label->width() + roundedThird, field->y());
    };
    besideLabel(Edit_Zahl_1, Label_Bereich_Zahl_1);
    besideLabel(Edit_Name, Label_Name);
    besideLabel(Verknuepfung, Label_Rechenart);

    for (QWidget* w : {static_cast<QWidget*>(Button_Wettb_starten), static_cast<QWidget*>(But_Stop),
                       static_cast<QWidget*>(Panel_Wettbewerb_ini),
                       static_cast<QWidget*>(Edit_Zeit), static_cast<QWidget*>(Edit_Zahl_2)})
        w->move(c - w->width() - third, w->y());
    But_Start->move(But_Stop->x(), But_Start->y());

    Label_Zeit->move(Edit_Zeit->x() - Label_Zeit->width() - third, Label_Zeit->y());
    Label_Bereich_Zahl_2->move(Edit_Zahl_2->x() - Label_Bereich_Zahl_2->width() - third,
                               Label_Bereich_Zahl_2->y());

    // The operation box shows its longest item whole, as far as the room up to the time label
    // allows: a cut item would show only its end, where the cursor of the box's text sits.
    const int room = Label_Zeit->x() - third - Verknuepfung->x();
    Verknuepfung->resize(qMin(qMax(Verknuepfung->width(), Verknuepfung->sizeHint().width()), room),
                         Verknuepfung->height());
}

// The top bar spans the client area's width and the settings panel its bottom edge, whatever
// size the window has.
void TForm1::layoutClientArea() {
    const int w = client_->width();
    const int h = client_->height();
    Panel_Grenze->setGeometry(0, 0, w, Panel_Grenze->height());
    Panel_Einstellungen->setGeometry(0, h - Panel_Einstellungen->height(), w,
                                     Panel_Einstellungen->height());
}

// A settings panel wider than the window means the desktop's font scaling has spoiled the layout.
void TForm1::FormActivate() {
    if (scalingHintOpen_)
        return;
    if (double(Panel_Einstellungen->width()) / double(frameGeometry().width()) <= 1.01)
        return;
    scalingHintOpen_ = true;
    platform_.showMessage(
        this, MessageKind::Warning, MessageButtons::Ok,
        QStringLiteral("Falls Karten oder Buttons nicht sinnvoll plaziert\nzu sein scheinen, so "
                       "verlassen Sie bitte dieses Programm,\nwechseln zu "
                       "\n'Einstellungen/Systemsteuerung/Anzeige/Einstellungen/Schriftgrad/"
                       "andere'\nund stellen dort 'Schriftgrad ... skalieren' auf 100%!"));
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
    if (state_.resultsPending || state_.tasksPending) {
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

void TForm1::beenden1Click() {
    close();
}

void TForm1::setCaptionColour(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Disabled, QPalette::WindowText, colour);
    widget->setPalette(p);
}

QPoint TForm1::messagePosition(int yOffset) const {
    return Panel_Zahl_1_zeigen->mapToGlobal(QPoint(0, yOffset));
}

void TForm1::message(MessageKind kind, const QString& text, int yOffset) {
    const bool ofRun = run_.active();
    if (ofRun)
        ++runMessagesOpen_;
    platform_.showMessage(this, kind, MessageButtons::Ok, text, messagePosition(yOffset));
    if (ofRun)
        --runMessagesOpen_;
}
