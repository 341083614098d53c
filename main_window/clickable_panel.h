#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

// A panel that acts as a button: the competition switch and the sixteen competition panels.
// It keeps a panel's look, but like a button it is reached with Tab while enabled, Space or
// Return press it, and a mouse click counts only when the button is pressed and released inside
// the panel. The second release of a double-click is not a second click.
//
// The caption is drawn by the panel itself, centred in the window text colour as a label draws
// it. A focusable label would keep a whole text document behind each caption, and seventeen of
// them cost the start of the program a noticeable part of its time.
class ClickablePanel : public QFrame {
    Q_OBJECT
public:
    ClickablePanel(const QString& caption, QWidget* parent);

    QString text() const { return caption_; }
    void setText(const QString& caption);

    // What a click does, for the accessibility interface's press action; nothing while disabled.
    void press();

    // A checkable panel is one of several choices, checked while chosen; a screen reader hears it
    // as a radio button. A checked panel is drawn with a ring of two colours inside its frame.
    void setCheckable(bool checkable);
    bool isCheckable() const { return checkable_; }
    void setChecked(bool checked);
    bool isChecked() const { return checked_; }
    void setMarkColours(const QColor& outer, const QColor& inner);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString caption_;
    bool pressed_ = false;
    bool checkable_ = false;
    bool checked_ = false;
    QColor markOuter_ = Qt::black;
    QColor markInner_ = Qt::red;
};
