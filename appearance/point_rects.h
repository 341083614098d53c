#pragma once

#include "appearance/colours.h"

#include <optional>

// Where the rectangle of one point goes and how it looks. The rectangle covers the pixels
// x .. x + width - 1 and y .. y + height - 1; its outline is one pixel wide on its outermost
// pixels. (With a one-pixel cosmetic pen that is QPainter::drawRect(x, y, width - 1,
// height - 1).)
struct PointRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Rgb fill;
    Rgb outline;

    friend bool operator==(const PointRect&, const PointRect&) = default;
};

// The rectangles fill a field of 10 x 10 cells between the top bar and the settings panel,
// from the bottom left to the right and row by row upwards; points 101 and up paint the
// cells of points 1 and up again, in red.
//
//   points              the points after the increment for a correct answer
//   windowWidth         the main window's outer width
//   clientHeight        the main window's client height
//   topBarHeight        height of the top bar above the field
//   settingsPanelHeight height of the settings panel below the field
//   pointRectColour     the fill chosen for points up to 100
//
// No rectangle for points outside 1..200 (the field has no cell for them) or when the window
// leaves no room for a cell.
std::optional<PointRect> pointRectGeometry(int points, int windowWidth, int clientHeight,
                                           int topBarHeight, int settingsPanelHeight,
                                           Rgb pointRectColour);
