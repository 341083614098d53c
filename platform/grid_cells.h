#pragma once

#include <QList>
#include <QStringList>

class QColor;
class QString;
class QTableWidget;
class QWidget;

#include <functional>

// A viewer's grid: rows x columns cells that already exist, read-only, without the item view's
// own headers (the fixed rows and columns are cells, so a screen reader reads them in order),
// texts never wrapped or shortened, on the given background. Fixed cells get fixedColour and
// cannot be selected.
QTableWidget* makeViewerGrid(QWidget* parent, const QString& accessibleName, int rows, int columns,
                             const QColor& background, const QColor& fixedColour,
                             const std::function<bool(int row, int column)>& isFixed);

// The viewers show their files in a QTableWidget whose cells all exist from the start. These
// write and read the cells' texts row by row; a written text is also the cell's accessible text,
// so a screen reader reads what the grid shows.
void setGridTexts(QTableWidget* grid, const QList<QStringList>& texts);
QList<QStringList> gridTexts(const QTableWidget* grid);

// Names each column after the texts its cells show in the heading rows first..last (a word split
// by a hyphen over two rows is joined again). The item view's own header stays hidden, but a
// screen reader reads every cell with its column's name, never with a bare column number.
void nameGridColumns(QTableWidget* grid, int firstHeadingRow, int lastHeadingRow);

// Gives each column its design width at the given percentage. Where a text needs more room, its
// column widens and the roomy columns give way, so that nothing the grid shows is cut and the
// grid stays as wide as designed while the texts allow it.
void fitGridColumns(QTableWidget* grid, const int* designWidths, int columns, int percent);
