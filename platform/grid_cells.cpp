#include "platform/grid_cells.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableWidget>

QTableWidget* makeViewerGrid(QWidget* parent, const QString& accessibleName, int rows, int columns,
                             const QColor& background, const QColor& fixedColour,
                             const std::function<bool(int row, int column)>& isFixed) {
    auto* grid = new QTableWidget(rows, columns, parent);
    grid->setObjectName(QStringLiteral("StringGrid1"));
    grid->setAccessibleName(accessibleName);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setTabKeyNavigation(false);
    grid->setWordWrap(false);
    grid->setTextElideMode(Qt::ElideNone);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, Qt::black);
    grid->setPalette(palette);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            auto* item = new QTableWidgetItem;
            if (isFixed(r, c)) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(fixedColour);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            grid->setItem(r, c, item);
        }
    }
    return grid;
}

void setGridTexts(QTableWidget* grid, const QList<QStringList>& texts) {
    for (int r = 0; r < grid->rowCount() && r < texts.size(); ++r) {
        for (int c = 0; c < grid->columnCount() && c < texts[r].size(); ++c) {
            QTableWidgetItem* item = grid->item(r, c);
            item->setText(texts[r][c]);
            item->setData(Qt::AccessibleTextRole, texts[r][c]);
        }
    }
}

QList<QStringList> gridTexts(const QTableWidget* grid) {
    QList<QStringList> texts(grid->rowCount(), QStringList(grid->columnCount()));
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            texts[r][c] = grid->item(r, c)->text();
    return texts;
}

void nameGridColumns(QTableWidget* grid, int firstHeadingRow, int lastHeadingRow) {
    for (int c = 0; c < grid->columnCount(); ++c) {
        QString heading;
        for (int r = firstHeadingRow; r <= lastHeadingRow && r < grid->rowCount(); ++r) {
            const QString part = grid->item(r, c)->text().simplified();
            if (part.isEmpty())
                continue;
            if (!heading.isEmpty() && !heading.endsWith(QLatin1Char('-')))
                heading += QLatin1Char(' ');
            heading += part;
        }
        QTableWidgetItem* header = grid->horizontalHeaderItem(c);
        if (!header) {
            header = new QTableWidgetItem;
            grid->setHorizontalHeaderItem(c, header);
        }
        header->setText(heading);
    }
}

void fitGridColumns(QTableWidget* grid, const int* designWidths, int columns, int percent) {
    const QFontMetrics metrics(grid->font());
    const int padding = metrics.horizontalAdvance(QLatin1Char(' '));
    QList<int> design(columns);
    QList<int> needed(columns);
    int designTotal = 0;
    int neededTotal = 0;
    bool allFit = true;
    for (int c = 0; c < columns; ++c) {
        design[c] = designWidths[c] * percent / 100;
        needed[c] = 0;
        for (int r = 0; r < grid->rowCount(); ++r) {
            if (const QTableWidgetItem* item = grid->item(r, c); item && !item->text().isEmpty())
                needed[c] = qMax(needed[c], metrics.horizontalAdvance(item->text()) + padding);
        }
        allFit = allFit && needed[c] <= design[c];
        designTotal += design[c];
        neededTotal += needed[c];
    }
    for (int c = 0; c < columns; ++c) {
        int width = design[c];
        // A column too narrow for its text takes room from the roomy ones, so that the grid
        // keeps its width as long as the texts allow.
        if (!allFit) {
            const int spare = qMax(0, designTotal - neededTotal);
            width = needed[c] + (designTotal > 0 ? spare * design[c] / designTotal : 0);
        }
        grid->setColumnWidth(c, width);
    }
}
