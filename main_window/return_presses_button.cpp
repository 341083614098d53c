#include "main_window/return_presses_button.h"

#include <QKeyEvent>
#include <QPushButton>

void ReturnPressesButton::watch(QPushButton* button) {
    button->installEventFilter(this);
}

bool ReturnPressesButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!isReturn || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    // A Return held down in the answer field when the run ends must not start the next one.
    if (!key->isAutoRepeat())
        static_cast<QPushButton*>(watched)->click();
    return true;
}
