// The competition panels of the settings panel: their looks while a run is on and between runs.

#include "main_window/TForm1.h"

#include <QLabel>

void TForm1::setCompetitionPanelsEnabled(bool enabled) {
    for (QLabel* panel : Panel_W) {
        panel->setEnabled(enabled);
        if (enabled)
            setCaptionColour(panel, Qt::black);
    }
}

void TForm1::greyCompetitionPanels() {
    for (QLabel* panel : Panel_W)
        setCaptionColour(panel, QColor(0x80, 0x80, 0x80));
}

void TForm1::markChosenCompetition() {
    const int n = state_.competitionNumber;
    if (n >= 1 && n <= 16)
        setCaptionColour(Panel_W[size_t(n - 1)], QColor(0xFF, 0x00, 0x00));
}

void TForm1::clearCompetitionMarks() {
    for (QLabel* panel : Panel_W) {
        panel->setFrameShadow(QFrame::Raised);
        setCaptionColour(panel, Qt::black);
    }
}
