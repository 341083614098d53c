// Competitions in the main window: the switch for competition mode, the sixteen competition
// panels with their presets, the start of a competition through the name dialog, and the looks
// of the panels while a run is on and between runs.

#include "main_window/TForm1.h"

#include "appearance/caption_contrast.h"
#include "common/text_codec.h"
#include "competition/TForm_Namensfenster.h"
#include "competition/competition_presets.h"
#include "main_window/digit_field.h"
#include "main_window/settings_items.h"
#include "main_window/speech_menu.h"
#include "platform/announcer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

QColor toQColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

Rgb toRgb(const QColor& colour) {
    return Rgb{quint8(colour.red()), quint8(colour.green()), quint8(colour.blue())};
}

} // namespace

void TForm1::attachNameDialog(TForm_Namensfenster* dialog) {
    nameDialog_ = dialog;
    connect(dialog, &TForm_Namensfenster::nameEntryClosed, this, &TForm1::nameEntryClosed);
}

void TForm1::Panel_Wettbewerb_iniClick() {
    if (state_.competitionMode) {
        state_.competitionMode = false;
        state_.competitionChosen = false;
        state_.competitionNumber = -1;
        state_.competitionTag = QStringLiteral("-");
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerbe ein"));
        for (ClickablePanel* panel : Panel_W) {
            panel->setFrameShadow(QFrame::Raised);
            panel->setChecked(false);
        }
        setCompetitionPanelsEnabled(false);
        unlockSettings();
        unlockMenus();
        But_Start->show();
        Button_Wettb_starten->hide();
    } else {
        state_.competitionMode = true;
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerbe aus"));
        setCompetitionPanelsEnabled(true);
        lockSettings();
        unlockMenus();
        Button_Wettb_starten->show();
        But_Start->hide();
    }
    speechMenu_->competitionModeChanged();
    // The focus stays on the switch, whose new caption a screen reader would not speak.
    if (!competitionAnnouncer_)
        competitionAnnouncer_ = new Announcer(Panel_Einstellungen);
    competitionAnnouncer_->announce(Panel_Wettbewerb_ini->text());
}

void TForm1::selectCompetition(int n) {
    if (!competitionPreset(n))
        return;
    state_.competitionChosen = true;
    clearCompetitionMarks();
    // Checked before the preset fills the settings: a screen reader hears the choice first, before
    // the settings' texts change.
    ClickablePanel* panel = Panel_W[size_t(n - 1)];
    panel->setFrameShadow(QFrame::Sunken);
    panel->setChecked(true);
    colourCompetitionCaptions();
    lockSettings();
    applyCompetitionPreset(n);
}

// Puts the preset into the settings controls and applies each through its own routine, so the
// settings are exactly what a child choosing these items would get. The routines are called
// directly (with the controls' signals held back), so a preset equal to the controls' text is
// still applied: a lower bound raised by a division with remainder is reset as well.
void TForm1::applyCompetitionPreset(int n) {
    const std::optional<CompetitionPreset> preset = competitionPreset(n);
    if (!preset)
        return;
    state_.competitionNumber = n;
    {
        const QSignalBlocker block(Verknuepfung);
        Verknuepfung->setCurrentIndex(preset->operationItem);
        Verknuepfung->setEditText(operationItems()[preset->operationItem]);
    }
    selectOperation();
    {
        const QSignalBlocker block(Edit_Zeit);
        Edit_Zeit->setText(QString::fromLatin1(preset->timeText));
    }
    Edit_ZeitChange();
    // The preset's time is always fit, even when the field was last left with an unfit value:
    // the locked field could never be left again to put that right.
    state_.timeFieldOk = true;
    {
        const QSignalBlocker block(Edit_Zahl_1);
        Edit_Zahl_1->setCurrentIndex(preset->range1Item);
        Edit_Zahl_1->setEditText(rangeItems()[preset->range1Item].text);
    }
    selectRange1();
    {
        const QSignalBlocker block(Edit_Zahl_2);
        Edit_Zahl_2->setCurrentIndex(preset->range2Item);
        Edit_Zahl_2->setEditText(rangeItems()[preset->range2Item].text);
    }
    selectRange2();
    lockSettings();
}

void TForm1::Button_Wettb_startenClick() {
    if (!state_.competitionMode || state_.competitionChosen) {
        Button_Wettb_starten->hide();
        if (nameDialog_)
            nameDialog_->exec();
        return;
    }
    platform_.showMessage(this, MessageKind::Information, MessageButtons::Ok,
                          QStringLiteral("Bitte wähle zunächst einen Wettbewerb!"));
}

void TForm1::nameEntryClosed(bool cancelled, const QString& enteredText) {
    // The focus goes to the button shown now, so Return goes on from where the child is.
    if (cancelled) {
        But_Start->hide();
        Button_Wettb_starten->show();
        Button_Wettb_starten->setFocus();
        return;
    }
    But_Start->show();
    Button_Wettb_starten->hide();
    But_Start->setFocus();
    state_.participantName = capped(enteredText, participantNameCapacity);
    setWindowTitle(mainWindowTitle(enteredText));
}

void TForm1::RangNachWettbewerbClick() {
    state_.showCompetitionRank = !state_.showCompetitionRank;
    RangNachWettbewerb->setText(state_.showCompetitionRank
                                    ? QStringLiteral("Rang nach Wettbewerb nicht anzeigen")
                                    : QStringLiteral("Rang nach Wettbewerb anzeigen"));
}

void TForm1::setCompetitionPanelsEnabled(bool enabled) {
    for (ClickablePanel* panel : Panel_W)
        panel->setEnabled(enabled);
    colourCompetitionCaptions();
}

void TForm1::markChosenCompetition() {
    const int n = state_.competitionNumber;
    if (n >= 1 && n <= 16)
        Panel_W[size_t(n - 1)]->setChecked(true);
    colourCompetitionCaptions();
}

void TForm1::clearCompetitionMarks() {
    for (ClickablePanel* panel : Panel_W) {
        panel->setFrameShadow(QFrame::Raised);
        panel->setChecked(false);
    }
    colourCompetitionCaptions();
}

// The captions stand out from the settings panel they are drawn on, whatever its colour: an
// enabled one in black or white, a disabled one in a grey, the chosen competition in red where
// red can be read there and otherwise with the red ring of its mark.
void TForm1::colourCompetitionCaptions() {
    if (!Panel_Wettbewerb_ini)
        return;
    const Rgb background = toRgb(Panel_Einstellungen->palette().color(QPalette::Window));
    const ChosenMark mark = chosenMark(background);
    auto stateOf = [](const ClickablePanel* panel) {
        if (panel->isChecked())
            return CaptionState::Chosen;
        return panel->isEnabled() ? CaptionState::Enabled : CaptionState::Disabled;
    };
    for (ClickablePanel* panel : Panel_W) {
        setCaptionColour(panel, toQColor(captionColour(stateOf(panel), background)));
        panel->setMarkColours(toQColor(mark.outer), toQColor(mark.inner));
    }
    setCaptionColour(Panel_Wettbewerb_ini,
                     toQColor(captionColour(stateOf(Panel_Wettbewerb_ini), background)));
}

// While a run is on, no competition can be switched or chosen; the chosen one stays marked.
void TForm1::showCompetitionsDuringRun() {
    setCompetitionPanelsEnabled(false);
    if (state_.competitionChosen)
        markChosenCompetition();
    Panel_Wettbewerb_ini->setEnabled(false);
    colourCompetitionCaptions();
}

// After a competition run the settings stay the preset's and the answer fields stay shut until
// the next competition starts.
void TForm1::showCompetitionsAfterRun() {
    if (!state_.competitionChosen) {
        unlockSettings();
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerb ein"));
    } else {
        lockSettings();
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerb aus"));
        setCompetitionPanelsEnabled(true);
    }
    Panel_Wettbewerb_ini->setEnabled(true);
    colourCompetitionCaptions();
    if (state_.competitionChosen) {
        Eingabe_aufnehmen->setEnabled(false);
        Edit_Rest->setEnabled(false);
        markChosenCompetition();
    }
}
