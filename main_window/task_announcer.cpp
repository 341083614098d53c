#include "main_window/task_announcer.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTimer>

namespace {

// Long enough for the screen reader to have seen the step aside: 50 ms were too short for it,
// 150 ms were enough.
constexpr int taskAnnouncementMs = 200;

} // namespace

TaskAnnouncer::TaskAnnouncer(QWidget* area, QLineEdit* field) : QWidget(area), field_(field) {
    setObjectName(QStringLiteral("taskAnnouncer"));
    setFocusPolicy(Qt::NoFocus);
}

void TaskAnnouncer::announce() {
    if (!field_->hasFocus())
        return;
    setFocus();
    QTimer::singleShot(taskAnnouncementMs, this, [this] {
        if (hasFocus())
            field_->setFocus();
    });
}

bool TaskAnnouncer::event(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        field_->setFocus();
        QCoreApplication::sendEvent(field_, event);
        return true;
    }
    if (event->type() == QEvent::KeyRelease)
        return true;
    return QWidget::event(event);
}
