#include "appearance/point_rects.h"

namespace {

constexpr int cellsPerRow = 10;
constexpr int rowsInField = 10;
constexpr int highestPointWithCell = 2 * cellsPerRow * rowsInField;
constexpr Rgb aboveHundredFill = Rgb::fromValue(0xFF0000);
constexpr Rgb white = Rgb::fromValue(0xFFFFFF);
constexpr Rgb black = Rgb::fromValue(0x000000);

} // namespace

std::optional<PointRect> pointRectGeometry(int points, int windowWidth, int clientHeight,
                                           int topBarHeight, int settingsPanelHeight,
                                           Rgb pointRectColour) {
    if (points < 1 || points > highestPointWithCell)
        return std::nullopt;
    const int w = windowWidth / cellsPerRow;
    const int h = (clientHeight - topBarHeight - settingsPanelHeight) / rowsInField;
    if (w <= 0 || h <= 0)
        return std::nullopt;

    int row;
    int x;
    if (points % cellsPerRow != 0) {
        row = points / cellsPerRow + 1;
        x = (points % cellsPerRow - 1) * w;
    } else {
        row = points / cellsPerRow;
        x = (cellsPerRow - 1) * w;
    }
    if (points > cellsPerRow * rowsInField)
        row -= rowsInField;

    PointRect rect;
    rect.x = x;
    rect.y = clientHeight - settingsPanelHeight - row * h;
    rect.width = w;
    rect.height = h;
    rect.fill = points <= cellsPerRow * rowsInField ? pointRectColour : aboveHundredFill;
    // A white cell needs a dark edge to stand apart from its white-edged neighbours.
    rect.outline = rect.fill == white ? black : white;
    return rect;
}
