#pragma once

#include <QComboBox>
#include <QString>

class HistoryStore;
class QTableWidgetItem;

// A choice among fixed items that a screen reader reads with its label and the item chosen
// ("Kind: Ben") and speaks again when the arrow keys change it. A non-editable list box keeps its
// item from the screen reader, so the box shows its item in a read-only text field; a click on
// that field opens the list, as a click on a list box does.
class ChoiceBox : public QComboBox {
public:
    explicit ChoiceBox(QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A cell that shows text and gives a screen reader accessibleText, with the column's meaning as
// its description.
QTableWidgetItem* readOnlyItem(const QString& text, const QString& accessibleText,
                               const QString& meaning);
// Fills item (made by the caller, perhaps of a subclass) as readOnlyItem does.
QTableWidgetItem* readOnlyItem(QTableWidgetItem* item, const QString& text,
                               const QString& accessibleText, const QString& meaning);

// The message when the learning history could not be read.
QString historyReadFailure(const HistoryStore& store, const QString& reason);
