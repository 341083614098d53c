#include "main_window/clickable_panel.h"

#include <QKeyEvent>
#include <QMouseEvent>

ClickablePanel::ClickablePanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    // Reached with Tab; a mouse click leaves the focus where it is, as it always did.
    setFocusPolicy(Qt::TabFocus);
}

void ClickablePanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    event->accept();
}

void ClickablePanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

// The second press of a double-click arrives as this event; its release ends no click.
void ClickablePanel::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed_ = false;
    event->accept();
}

void ClickablePanel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        event->accept();
        // Holding the key down must not switch competition mode on and off again and again.
        if (!event->isAutoRepeat())
            emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}
