#include "review/TForm_Ergebnis_Meldung.h"

#include "competition/best_list_file.h"
#include "platform/platform.h"
#include "platform/window_scaling.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

namespace {

// The dialog as designed, before it is scaled to the screen and maximized.
constexpr int designClientWidth = 649;
constexpr int designClientHeight = 430;

// Navy, the colour of an active title bar, behind the numbers and in the separating bar.
const QString numberPanelStyle =
    QStringLiteral("QLabel { background-color: #000080; color: white; font-weight: bold;"
                   " border: 2px inset #808080; }"
                   "QLabel:focus { border: 2px solid #ffff00; }");

QFont systemFont(int pixels, bool bold = false) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont arialFont(int pixels) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    font.setKerning(false);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->move(x, y);
    label->adjustSize();
    return label;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// A number panel is named by the number it shows, as a screen reader reads it; what the number
// means goes into the description.
QLabel* makeNumberPanel(QWidget* parent, const char* name, const QString& text, const QRect& r,
                        const QString& meaning) {
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setTextFormat(Qt::PlainText);
    panel->setAlignment(Qt::AlignCenter);
    panel->setStyleSheet(numberPanelStyle);
    panel->setFont(systemFont(13, true));
    panel->setGeometry(r);
    panel->setAccessibleDescription(meaning);
    // Reachable with Tab, so that the numbers can be read out one after the other.
    panel->setFocusPolicy(Qt::StrongFocus);
    return panel;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QRect& r) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(r);
    // No button is the default: Return must not choose a save option by accident.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

bool isReturn(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

TForm_Ergebnis_Meldung::TForm_Ergebnis_Meldung(Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      platform_(platform) {
    setObjectName(QStringLiteral("Form_Ergebnis_Meldung"));
    setWindowTitle(QStringLiteral("Ergebnis-Meldung"));
    setFont(systemFont(13));
    resize(designClientWidth, designClientHeight);

    Label_Name = makeLabel(this, "Label_Name", QStringLiteral("Niemand, "), 72, 36);
    Label_Name->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label_Name->setGeometry(72, 36, 66, 16);
    Label_Du_hast_von = makeLabel(this, "Label_Du_hast_von", QStringLiteral("Du hast "), 150, 36);
    Label_Du_hast_von->setFont(systemFont(13, true));
    setTextColour(Label_Du_hast_von, Qt::black);
    Label_Du_hast_von->adjustSize();
    Label_von = makeLabel(this, "Label_von", QStringLiteral("von "), 246, 36);
    Panel_Anzahl = makeNumberPanel(this, "Panel_Anzahl", QStringLiteral("72"),
                                   QRect(304, 32, 60, 30), QStringLiteral("bearbeitete Aufgaben"));
    Label_Aufgaben = makeLabel(this, "Label_Aufgaben", QStringLiteral("Aufgaben "), 396, 36);
    Label_in = makeLabel(this, "Label_in", QStringLiteral("in"), 246, 92);
    Panel_Sekunden = makeNumberPanel(this, "Panel_Sekunden", QStringLiteral("100"),
                                     QRect(304, 88, 60, 30), QStringLiteral("Sekunden"));
    Label_Sekunden = makeLabel(this, "Label_Sekunden", QStringLiteral("Sekunden"), 396, 92);
    Panel_Richtige = makeNumberPanel(this, "Panel_Richtige", QStringLiteral("22"),
                                     QRect(304, 144, 60, 30), QStringLiteral("gelöste Aufgaben"));
    Label_geloest =
        makeLabel(this, "Label_geloest", QStringLiteral("Aufgabe(n) gelöst ."), 396, 148);

    Panel_trennen = new QLabel(this);
    Panel_trennen->setObjectName(QStringLiteral("Panel_trennen"));
    Panel_trennen->setStyleSheet(QStringLiteral("QLabel { background-color: #000080; }"));
    Panel_trennen->setGeometry(8, 216, 633, 7);
    Panel_trennen->setAccessibleName(QStringLiteral(" "));

    Label_speicher_Frage = makeLabel(this, "Label_speicher_Frage",
                                     QStringLiteral("Was willst Du speichern ?"), 232, 256);
    Label_speicher_Frage->setFont(arialFont(19));
    setTextColour(Label_speicher_Frage, Qt::red);
    Label_speicher_Frage->adjustSize();

    But_Leistung_sp = makeButton(this, "But_Leistung_sp", QStringLiteral("nur meine &Leistung"),
                                 QRect(32, 312, 289, 25));
    But_Aufgaben_sp =
        makeButton(this, "But_Aufgaben_sp", QStringLiteral("nur die bearbeiteten &Aufgaben"),
                   QRect(352, 312, 265, 25));
    But_beides_sp =
        makeButton(this, "But_beides_sp", QStringLiteral("meine Leistung &und die Aufgaben"),
                   QRect(32, 368, 289, 25));
    But_nichts_sp =
        makeButton(this, "But_nichts_sp", QStringLiteral("&nichts"), QRect(352, 368, 265, 25));
    But_zurueck =
        makeButton(this, "But_zurueck", QStringLiteral("&zurück"), QRect(288, 280, 89, 33));

    Label_Rang_neues_Meldung = new QLabel(this);
    Label_Rang_neues_Meldung->setObjectName(QStringLiteral("Label_Rang_neues_Meldung"));
    Label_Rang_neues_Meldung->setTextFormat(Qt::PlainText);
    Label_Rang_neues_Meldung->setFont(arialFont(12));
    setTextColour(Label_Rang_neues_Meldung, Qt::red);
    Label_Rang_neues_Meldung->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label_Rang_neues_Meldung->setWordWrap(true);
    Label_Rang_neues_Meldung->move(224, 344);
    fitToWidth();
    Label_Rang_neues_Meldung->hide();

    // Read row by row, the window says one sentence; Tab follows it.
    setTabOrder(Panel_Anzahl, Panel_Sekunden);
    setTabOrder(Panel_Sekunden, Panel_Richtige);
    setTabOrder(Panel_Richtige, But_zurueck);
    setTabOrder(But_zurueck, But_Leistung_sp);
    setTabOrder(But_Leistung_sp, But_Aufgaben_sp);
    setTabOrder(But_Aufgaben_sp, But_beides_sp);
    setTabOrder(But_beides_sp, But_nichts_sp);

    connect(But_Leistung_sp, &QPushButton::clicked, this,
            &TForm_Ergebnis_Meldung::But_Leistung_spClick);
    connect(But_Aufgaben_sp, &QPushButton::clicked, this,
            &TForm_Ergebnis_Meldung::But_Aufgaben_spClick);
    connect(But_beides_sp, &QPushButton::clicked, this,
            &TForm_Ergebnis_Meldung::But_beides_spClick);
    connect(But_nichts_sp, &QPushButton::clicked, this,
            &TForm_Ergebnis_Meldung::But_nichts_spClick);
    connect(But_zurueck, &QPushButton::clicked, this, &TForm_Ergebnis_Meldung::But_zurueckClick);

    FormCreate();
}

void TForm_Ergebnis_Meldung::FormCreate() {
    scalePercent_ = scaleWindowToScreen(this);
}

SaveChoice TForm_Ergebnis_Meldung::showResult(const RunResult& result,
                                              const BestListUpdate& place) {
    result_ = result;
    closeAllowed_ = false;
    bestListRank_ = 0;
    choice_ = SaveChoice::Nothing;
    focusAfterActivation_ = nullptr;
    Panel_Sekunden->setText(timeLimitText(result.timeFieldText));
    FormShow();
    // The place was taken once, before: activations may come never or several times.
    reportBestList(place);
    setWindowState(windowState() | Qt::WindowMaximized);
    FormActivate();
    exec();
    return choice_;
}

void TForm_Ergebnis_Meldung::FormShow() {
    const bool competition = result_.competitionChosen;
    Label_speicher_Frage->setVisible(!competition);
    for (QPushButton* button : {But_Leistung_sp, But_Aufgaben_sp, But_beides_sp, But_nichts_sp})
        button->setVisible(!competition);
    But_zurueck->setVisible(competition);
}

void TForm_Ergebnis_Meldung::reportBestList(const BestListUpdate& update) {
    if (!result_.competitionChosen || result_.points <= 0)
        return;
    bestListRank_ = update ? *update : 0;
    if (!update && update.failure().kind != Failure::Kind::Busy) {
        platform_.showMessage(
            this, MessageKind::Warning, MessageButtons::Ok,
            QStringLiteral("Die Bestenliste %1 konnte nicht gelesen oder geschrieben werden.\n%2\n"
                           "Deine Leistung steht deshalb nicht in der Bestenliste.")
                .arg(bestListFileName(result_.competitionNumber), update.failure().reason));
    } else if (!update) {
        // The list is left to the other computer; the run's results and tasks are saved as
        // usual after this dialog.
        platform_.showMessage(
            this, MessageKind::Warning, MessageButtons::Ok,
            QStringLiteral("Die Bestenliste %1 wird gerade von einem anderen Computer "
                           "bearbeitet.\nDeine Leistung steht deshalb nicht in der "
                           "Bestenliste. Deine Leistungen und Aufgaben werden trotzdem "
                           "gespeichert.")
                .arg(bestListFileName(result_.competitionNumber)));
    }
}

void TForm_Ergebnis_Meldung::FormActivate() {
    Label_Name->setText(result_.participantName);
    // The name ends where the design ends it, however long it is.
    const int right = Label_Name->geometry().right();
    const int nameWidth = Label_Name->sizeHint().width();
    Label_Name->setGeometry(qMax(0, right + 1 - nameWidth), Label_Name->y(), nameWidth,
                            Label_Name->height());
    Label_Du_hast_von->setText(QStringLiteral("Du hast"));
    Panel_Anzahl->setText(QString::number(result_.workedTaskCount));
    Panel_Richtige->setText(QString::number(result_.points));
    describeNumbers();

    // After a confirmation answered No the focus stays on the button that asked; otherwise the
    // dialog starts at the numbers, or at "zurück" where that is the only way on.
    QWidget* start =
        onlyWayBack() ? static_cast<QWidget*>(But_zurueck) : static_cast<QWidget*>(Panel_Anzahl);
    QWidget* focus = focusAfterActivation_ ? static_cast<QWidget*>(focusAfterActivation_) : start;
    focusAfterActivation_ = nullptr;
    focus->setFocus(Qt::OtherFocusReason);

    if (result_.competitionChosen && result_.points > 0 && bestListRank_ >= 1 &&
        bestListRank_ <= bestListPlaces && rankShown_) {
        Label_Rang_neues_Meldung->setText(
            result_.participantName + QStringLiteral(", mit dieser Leistung stehst du jetzt auf") +
            QStringLiteral("\nPlatz ") + QString::number(bestListRank_) +
            QStringLiteral("\nder Bestenliste zum Wettbewerb W ") + result_.competitionTag +
            QStringLiteral("!"));
        Label_Rang_neues_Meldung->show();
    } else {
        Label_Rang_neues_Meldung->hide();
    }
    fitToWidth();
}

// A screen reader reads the sentence's words and numbers as separate pieces, and when the dialog
// opens it reads only the pieces of three words or more. So the first piece carries the whole
// sentence, the other words are not read a second time, and each number panel is named by its
// number and one word of meaning, which Tab reads but the opening does not repeat.
void TForm_Ergebnis_Meldung::describeNumbers() {
    const QString worked = Panel_Anzahl->text();
    const QString seconds = Panel_Sekunden->text();
    const QString solved = Panel_Richtige->text();
    const bool timed = seconds != QStringLiteral("...");
    QString sentence = QStringLiteral("Du hast von %1 Aufgaben ").arg(worked);
    if (timed)
        sentence += QStringLiteral("in %1 Sekunden ").arg(seconds);
    Label_Du_hast_von->setAccessibleName(sentence +
                                         QStringLiteral("%1 Aufgaben gelöst.").arg(solved));
    Panel_Anzahl->setAccessibleName(QStringLiteral("%1 bearbeitet").arg(worked));
    Panel_Sekunden->setAccessibleName(timed ? QStringLiteral("%1 Sekunden").arg(seconds)
                                            : QStringLiteral("ohne Zeitgrenze"));
    Panel_Richtige->setAccessibleName(QStringLiteral("%1 gelöst").arg(solved));
    for (QLabel* piece : {Label_von, Label_Aufgaben, Label_in, Label_Sekunden, Label_geloest})
        piece->setAccessibleName(QStringLiteral(" "));
}

bool TForm_Ergebnis_Meldung::onlyWayBack() const {
    return result_.competitionChosen;
}

// The bar and the announcement span the dialog's width, whenever that width becomes known: the
// window manager may maximize the dialog after it has been activated. The announcement is as
// high as its wrapped lines, so its last line ("W 16!") is never cut off.
void TForm_Ergebnis_Meldung::fitToWidth() {
    const int client = width();
    const int margin = 20 * scalePercent_ / 100;
    Panel_trennen->setGeometry(margin, Panel_trennen->y(), qMax(0, client - 2 * margin),
                               Panel_trennen->height());
    QLabel* rank = Label_Rang_neues_Meldung;
    const int rankWidth = qMax(1, client - 2 * rank->x());
    rank->setGeometry(rank->x(), rank->y(), rankWidth, rank->heightForWidth(rankWidth));
}

void TForm_Ergebnis_Meldung::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitToWidth();
}

// Yes gives up a part of the run, so No is the default. After No (or Escape) the dialog is
// activated again with the focus on the button that asked, where a keyboard user goes on.
bool TForm_Ergebnis_Meldung::confirmed(QPushButton* asking, const QString& question) {
    const bool yes =
        platform_.showMessage(this, MessageKind::Warning, MessageButtons::YesNo, question,
                              std::nullopt, MessageAnswer::No) == MessageAnswer::Yes;
    if (!yes) {
        focusAfterActivation_ = asking;
        FormActivate();
        // The window manager activates the dialog once more when the box has gone.
        focusAfterActivation_ = asking;
    }
    return yes;
}

void TForm_Ergebnis_Meldung::closeWithChoice(SaveChoice choice) {
    choice_ = choice;
    closeAllowed_ = true;
    accept();
}

void TForm_Ergebnis_Meldung::But_Leistung_spClick() {
    if (!confirmed(But_Leistung_sp,
                   QStringLiteral("Willst Du wirklich nur Deine Leistungen und nicht die\nvon "
                                  "Dir bearbeiteten Aufgaben speichern?")))
        return;
    closeWithChoice(SaveChoice::Results);
}

void TForm_Ergebnis_Meldung::But_Aufgaben_spClick() {
    if (!confirmed(But_Aufgaben_sp,
                   QStringLiteral("Willst Du wirklich nur die von Dir bearbeiteten Aufgaben\nund "
                                  "nicht Deine Leistungen speichern?")))
        return;
    closeWithChoice(SaveChoice::Tasks);
}

void TForm_Ergebnis_Meldung::But_beides_spClick() {
    closeWithChoice(SaveChoice::Both);
}

void TForm_Ergebnis_Meldung::But_nichts_spClick() {
    if (!confirmed(But_nichts_sp,
                   QStringLiteral("Willst Du wirklich weder Deine Leistungen noch die\nvon Dir "
                                  "bearbeiteten Aufgaben speichern?")))
        return;
    closeWithChoice(SaveChoice::Nothing);
}

void TForm_Ergebnis_Meldung::But_zurueckClick() {
    closeWithChoice(SaveChoice::Both);
}

// Escape, Alt+F4 and the window manager all end here; only a choice lets the dialog close (closing
// the window is one where going back is the only choice).
void TForm_Ergebnis_Meldung::done(int result) {
    if (!closeAllowed_)
        return;
    QDialog::done(result);
}

void TForm_Ergebnis_Meldung::closeEvent(QCloseEvent* event) {
    // Closing the window is going back, where that is the only choice.
    if (!closeAllowed_ && onlyWayBack())
        But_zurueckClick();
    if (!closeAllowed_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm_Ergebnis_Meldung::keyPressEvent(QKeyEvent* event) {
    // Where "zurück" is the only choice, Return and Escape choose it wherever the focus is.
    if ((isReturn(event) || event->key() == Qt::Key_Escape) &&
        event->modifiers() == Qt::NoModifier && onlyWayBack()) {
        But_zurueckClick();
        return;
    }
    // Otherwise Return presses the focused button and nothing else: while the numbers have the
    // focus a child who presses Return once more after the last answer chooses nothing.
    if (isReturn(event) && event->modifiers() == Qt::NoModifier) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            button && button->isVisible() && button->isEnabled())
            button->click();
        return;
    }
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}

bool TForm_Ergebnis_Meldung::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && isVisible())
        FormActivate();
    return QDialog::event(event);
}
