#pragma once

#include <QString>

// The three switches of the settings menu. Each toggle function flips its flag the way a click
// on the menu item does and returns the item's new caption.

// "Rechteckeaus1": whether each new point draws its rectangle.
QString pointRectsSwitchStartCaption();
QString togglePointRects(bool& pointRectsOn);

// "PunkteAnzeigeaus1": whether the points counter and its label are shown.
QString pointsDisplaySwitchStartCaption();
QString togglePointsDisplay(bool& pointsDisplayOn);

// "wenigerSpeichernHinweise1": whether Start may begin a new run over unsaved results or tasks.
QString fewerSaveHintsSwitchStartCaption();
QString toggleFewerSaveHints(bool& fewerSaveHints);
