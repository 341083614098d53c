#pragma once

#include <QString>
#include <QWidget>

// Tells a screen reader what just changed where the focus stays: the new caption of a switch,
// the list a key brought up. It is a notification that appears with each message; a screen
// reader speaks a notification when it appears, whereas it stays silent about a changed name or
// description of the focused control. Nothing of it is seen: it is one transparent pixel.
class Announcer : public QWidget {
    Q_OBJECT
public:
    explicit Announcer(QWidget* parent);

    void announce(const QString& message);
    QString message() const { return message_; }

private:
    QString message_;
};
