#pragma once

#include <QLabel>

// A panel that acts as a button: the competition switch and the sixteen competition panels.
// It keeps a panel's look, but like a button it is reached with Tab while enabled, Space or
// Return press it, and a mouse click counts only when the button is pressed and released inside
// the panel. The second release of a double-click is not a second click.
class ClickablePanel : public QLabel {
    Q_OBJECT
public:
    ClickablePanel(const QString& caption, QWidget* parent);

    // What a click does, for the accessibility interface's press action; nothing while disabled.
    void press();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool pressed_ = false;
};
