#pragma once

#include "appearance/colours.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QSettings>

class QAction;
class QLabel;
class QMenu;
class QWidget;

// Small pieces shared by the parts of the main window.

QColor toQColor(Rgb rgb);
Rgb toRgb(const QColor& colour);

// A font at a size in design pixels, unkerned and unhinted as every control of the window has it.
QFont designFont(const QString& family, int pixels, bool bold = false);

// A plain-text label at a design position; it is sized to its text once the window has its
// scaled fonts and geometry.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                  bool bold = false, bool white = false);

// Sets one colour role of a widget, in every colour group.
void setRoleColour(QWidget* widget, const QColor& colour, QPalette::ColorRole role);

// The text colour of a caption, the same whether the widget is enabled or not.
void setCaptionColour(QWidget* widget, const QColor& colour);

// The settings the menus remember across starts of the program.
QSettings programSettings();
// A checkable item at the end of menu, found by its objectName name.
QAction* checkableItem(QMenu* menu, const QString& caption, const char* name);
