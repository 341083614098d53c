#include "appearance/display_switches.h"

QString pointRectsSwitchStartCaption() {
    return QStringLiteral("Punkte-&Rechtecke aus");
}

QString togglePointRects(bool& pointRectsOn) {
    pointRectsOn = !pointRectsOn;
    return pointRectsOn ? QStringLiteral("Punkte-&Rechtecke aus")
                        : QStringLiteral("Punkte-&Rechtecke ein");
}

QString pointsDisplaySwitchStartCaption() {
    return QStringLiteral("&Punkte-Anzeige aus");
}

QString togglePointsDisplay(bool& pointsDisplayOn) {
    pointsDisplayOn = !pointsDisplayOn;
    // The caption after switching back on carries a second accelerator mark; the menu has
    // always shown it that way, so it stays.
    return pointsDisplayOn ? QStringLiteral("&Punkte-&Anzeige aus")
                           : QStringLiteral("&Punkte-Anzeige ein");
}

QString fewerSaveHintsSwitchStartCaption() {
    return QStringLiteral("&Alle Speichern-Hinweise einblenden");
}

QString toggleFewerSaveHints(bool& fewerSaveHints) {
    fewerSaveHints = !fewerSaveHints;
    // The caption names what the next click does; only the start caption has an accelerator.
    return fewerSaveHints ? QStringLiteral("Alle Speichern-Hinweise einblenden")
                          : QStringLiteral("weniger Speichern-Hinweise einblenden");
}
