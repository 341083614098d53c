#include "history/windows/history_widgets.h"

#include "history/model/history.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QTableWidgetItem>

ChoiceBox::ChoiceBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    lineEdit()->setReadOnly(true);
    lineEdit()->installEventFilter(this);
}

bool ChoiceBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        showPopup();
        return true;
    }
    return QComboBox::eventFilter(watched, event);
}

QTableWidgetItem* readOnlyItem(const QString& text, const QString& accessibleText,
                               const QString& meaning) {
    return readOnlyItem(new QTableWidgetItem, text, accessibleText, meaning);
}

QTableWidgetItem* readOnlyItem(QTableWidgetItem* item, const QString& text,
                               const QString& accessibleText, const QString& meaning) {
    item->setText(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setData(Qt::AccessibleTextRole, accessibleText);
    item->setData(Qt::AccessibleDescriptionRole, meaning);
    return item;
}

QString historyReadFailure(const HistoryStore& store, const QString& reason) {
    return QStringLiteral("Der Lernverlauf %1\n%2\nkonnte nicht gelesen werden.\n%3")
        .arg(store.onServer() ? QStringLiteral("auf dem Server") : QStringLiteral("in der Datei"),
             store.location(), reason);
}
