#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>

// Runs action once the window is shown and is the active window. Its keys and shortcuts answer
// only then, and on a loaded machine a window can be visible a good while before it is active.
inline void whenActive(QWidget* window, std::function<void()> action) {
    auto* poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll, action = std::move(action)] {
        if (!window->isVisible() || !window->isActiveWindow())
            return;
        poll->stop();
        poll->deleteLater();
        action();
    });
    poll->start(5);
}
