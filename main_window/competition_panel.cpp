#include "main_window/competition_panel.h"

#include "appearance/caption_contrast.h"
#include "competition/TForm_Namensfenster.h"
#include "competition/competition_presets.h"
#include "main_window/settings_items.h"
#include "main_window/widget_helpers.h"
#include "platform/announcer.h"
#include "platform/window_scaling.h"

namespace {

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

CompetitionPanel::CompetitionPanel(QWidget* settingsPanel, int percent)
    : QObject(settingsPanel), settingsPanel_(settingsPanel) {
    const QFont boldFont = scaledFont(designFont(QStringLiteral("Arial"), 13, true), percent);
    for (int i = 0; i < 16; ++i) {
        const QString caption = QStringLiteral("W %1").arg(i + 1);
        auto* w = new ClickablePanel(caption, settingsPanel);
        w->setObjectName(QStringLiteral("Panel_W%1").arg(i + 1));
        w->setGeometry(24 + 48 * (i % 8), i < 8 ? 16 : 40, 48, 21);
        w->setFrameStyle(QFrame::Panel | QFrame::Raised);
        w->setLineWidth(1);
        if (i < 12)
            w->setFont(boldFont);
        w->setAccessibleDescription(competitionDescription(i + 1));
        w->setCheckable(true);
        connect(w, &ClickablePanel::clicked, this, [this, i] { select(i + 1); });
        Panel_W[size_t(i)] = w;
    }

    Panel_Wettbewerb_ini = new ClickablePanel(QStringLiteral("Wettbewerb ein"), settingsPanel);
    Panel_Wettbewerb_ini->setObjectName(QStringLiteral("Panel_Wettbewerb_ini"));
    Panel_Wettbewerb_ini->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel_Wettbewerb_ini->setLineWidth(2);
    Panel_Wettbewerb_ini->setFont(boldFont);
    Panel_Wettbewerb_ini->setGeometry(472, 16, 149, 25);
    Panel_Wettbewerb_ini->setAccessibleDescription(
        QStringLiteral("schaltet die Wettbewerbe ein oder aus"));
    connect(Panel_Wettbewerb_ini, &ClickablePanel::clicked, this, &CompetitionPanel::switchMode);
}

QList<QWidget*> CompetitionPanel::tabOrder() const {
    QList<QWidget*> order{Panel_Wettbewerb_ini};
    for (ClickablePanel* w : Panel_W)
        order << w;
    return order;
}

int CompetitionPanel::panelWidth() const {
    return Panel_W[0]->width();
}

void CompetitionPanel::arrangeRightEdge(int gap, int clientWidth) {
    Panel_Wettbewerb_ini->move(clientWidth - Panel_Wettbewerb_ini->width() - gap,
                               Panel_Wettbewerb_ini->y());
}

void CompetitionPanel::startValues() {
    Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerb ein"));
    number_ = -1;
}

void CompetitionPanel::startLooks() {
    setPanelsEnabled(false);
    Panel_Wettbewerb_ini->setEnabled(true);
    colourCaptions();
}

void CompetitionPanel::switchMode() {
    if (mode_) {
        mode_ = false;
        number_ = -1;
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerbe ein"));
        for (ClickablePanel* panel : Panel_W) {
            panel->setFrameShadow(QFrame::Raised);
            panel->setChecked(false);
        }
        setPanelsEnabled(false);
        emit settingsLocked(false);
    } else {
        mode_ = true;
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerbe aus"));
        setPanelsEnabled(true);
        emit settingsLocked(true);
    }
    emit menusUnlocked();
    emit modeSwitched(mode_);
    // The focus stays on the switch, whose new caption a screen reader would not speak.
    if (!announcer_)
        announcer_ = new Announcer(settingsPanel_);
    announcer_->announce(Panel_Wettbewerb_ini->text());
}

void CompetitionPanel::select(int n) {
    if (!competitionPreset(n))
        return;
    number_ = n;
    clearMarks();
    // Checked before the preset fills the settings: a screen reader hears the choice first, before
    // the settings' texts change.
    ClickablePanel* panel = Panel_W[size_t(n - 1)];
    panel->setFrameShadow(QFrame::Sunken);
    panel->setChecked(true);
    colourCaptions();
    emit settingsLocked(true);
    emit presetChosen(n);
}

void CompetitionPanel::attachNameDialog(TForm_Namensfenster* dialog) {
    nameDialog_ = dialog;
    connect(dialog, &TForm_Namensfenster::nameEntryClosed, this,
            &CompetitionPanel::nameEntryClosed);
}

void CompetitionPanel::startRequested() {
    if (!mode_ || chosen()) {
        emit nameEntryOpening();
        if (nameDialog_)
            nameDialog_->exec();
        return;
    }
    emit noticeRequested(QStringLiteral("Bitte wähle zunächst einen Wettbewerb!"));
}

void CompetitionPanel::setPanelsEnabled(bool enabled) {
    for (ClickablePanel* panel : Panel_W)
        panel->setEnabled(enabled);
    colourCaptions();
}

void CompetitionPanel::markChosen() {
    const int n = number_;
    if (n >= 1 && n <= 16)
        Panel_W[size_t(n - 1)]->setChecked(true);
    colourCaptions();
}

void CompetitionPanel::clearMarks() {
    for (ClickablePanel* panel : Panel_W) {
        panel->setFrameShadow(QFrame::Raised);
        panel->setChecked(false);
    }
    colourCaptions();
}

// The captions stand out from the settings panel they are drawn on, whatever its colour: an
// enabled one in black or white, a disabled one in a grey, the chosen competition in red where
// red can be read there and otherwise with the red ring of its mark.
void CompetitionPanel::colourCaptions() {
    const Rgb background = toRgb(settingsPanel_->palette().color(QPalette::Window));
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

void CompetitionPanel::showDuringRun() {
    setPanelsEnabled(false);
    if (chosen())
        markChosen();
    Panel_Wettbewerb_ini->setEnabled(false);
    colourCaptions();
}

// After a competition run the settings stay the preset's and the answer fields stay shut until
// the next competition starts.
void CompetitionPanel::showAfterRun() {
    if (!chosen()) {
        emit settingsLocked(false);
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerb ein"));
    } else {
        emit settingsLocked(true);
        Panel_Wettbewerb_ini->setText(QStringLiteral("Wettbewerb aus"));
        setPanelsEnabled(true);
    }
    Panel_Wettbewerb_ini->setEnabled(true);
    colourCaptions();
    if (chosen()) {
        emit answerFieldsClosed();
        markChosen();
    }
}
