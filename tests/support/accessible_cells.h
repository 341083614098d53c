#pragma once

#include <QAccessible>
#include <QAccessibleTableCellInterface>
#include <QTableWidget>

// What a screen reader reads in a cell of a grid.
inline QString accessibleCellText(QTableWidget* grid, int row, int column) {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    QAccessibleInterface* cell = table->tableInterface()->cellAt(row, column);
    return cell ? cell->text(QAccessible::Name) : QStringLiteral("<no cell>");
}

// The heading a screen reader reads with a cell: the name of the cell's column header.
inline QString accessibleColumnHeading(QTableWidget* grid, int row, int column) {
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
    QAccessibleInterface* cell = table->tableInterface()->cellAt(row, column);
    if (!cell || !cell->tableCellInterface())
        return QStringLiteral("<no cell>");
    // The header cells are made for the caller, who hands them to the registry to be deleted.
    const QList<QAccessibleInterface*> headers = cell->tableCellInterface()->columnHeaderCells();
    const QString heading = headers.size() == 1
                                ? headers.first()->text(QAccessible::Name)
                                : QStringLiteral("<%1 headers>").arg(headers.size());
    for (QAccessibleInterface* header : headers)
        QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(header));
    return heading;
}
