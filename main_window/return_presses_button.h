#pragma once

#include <QObject>

class QPushButton;

// Return and Enter press a focused push button, as Space does; a push button outside a dialog
// ignores them by itself.
class ReturnPressesButton : public QObject {
public:
    explicit ReturnPressesButton(QObject* parent) : QObject(parent) {}
    void watch(QPushButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
