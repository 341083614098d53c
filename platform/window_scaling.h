#pragma once

class QFont;
class QScreen;
class QSize;
class QWidget;

// Scales a window, every control in it and their fonts by a percentage: positions and sizes
// given in design pixels become screen pixels. Only fonts that set their own size are scaled;
// the others follow their parent.
void scaleWidgetTree(QWidget* window, int percent);

// Only the positions and sizes of scaleWidgetTree, for a window whose fonts are already scaled.
void scaleWidgetGeometry(QWidget* window, int percent);

// A font as scaleWidgetTree scales it: a pixel or point size set in the font grows by the
// percentage.
QFont scaledFont(QFont font, int percent);

// The percentage for the screen the window is on (see scalePercent), lowered where the window
// would not fit into the screen's available area, applied with scaleWidgetTree. A screen that
// would shrink a window below a tenth is treated as a tenth.
int scaleWindowToScreen(QWidget* window);

// The percentage scaleWindowToScreen applies to a window of the given design size on a screen.
int screenScalePercent(const QScreen* screen, const QSize& designSize);

// The windows Qt builds itself (menus, message boxes, tooltips, the file, print and page dialogs)
// get the program's text size: the desktop's font grown by the main window's percentage.
void scaleStandardWindows(int percent);

// The font scaleStandardWindows gives those windows, for dialogs of the program that are built
// like them.
QFont standardWindowFont();
