#pragma once

#include <QPointer>
#include <QWidget>

// A frame drawn around whichever control of an area has the keyboard focus: white, black, white,
// so it shows on every background colour the colour menus allow. It lies above the controls,
// lets every mouse click through and follows the control when it moves, changes size or hides.
class FocusMarker : public QWidget {
    Q_OBJECT
public:
    explicit FocusMarker(QWidget* area);

    // Every window of the program (dialogs and message boxes included) gets a frame of its own
    // the first time one of its controls takes the focus, unless it has one already. Disconnect
    // the connection to stop.
    static QMetaObject::Connection frameFocusInEveryWindow();

    // The control framed now, or nullptr.
    QWidget* target() const { return target_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void follow(QWidget* focused);
    void place();

    QWidget* area_;
    QPointer<QWidget> target_;
};
