#pragma once

#include <QList>
#include <QStringList>

class QTableWidget;

// The viewers show their files in a QTableWidget whose cells all exist from the start. These
// write and read the cells' texts row by row; a written text is also the cell's accessible text,
// so a screen reader reads what the grid shows.
void setGridTexts(QTableWidget* grid, const QList<QStringList>& texts);
QList<QStringList> gridTexts(const QTableWidget* grid);

// Gives each column its design width at the given percentage. Where a text needs more room, its
// column widens and the roomy columns give way, so that nothing the grid shows is cut and the
// grid stays as wide as designed while the texts allow it.
void fitGridColumns(QTableWidget* grid, const int* designWidths, int columns, int percent);
