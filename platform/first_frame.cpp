#include "platform/first_frame.h"

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long peakResidentKib() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    long kib = -1;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kib = std::strtol(line + 6, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return kib;
}

// Watches the expose events of all windows for the first one of the widget's window. The widget
// paints and flushes its backing store while that event is handled, so the work is queued to
// run right after it. One watch per widget, a child of it, holds the work in order.
class FirstFrameWatch : public QObject {
public:
    explicit FirstFrameWatch(QWidget* window) : QObject(window), window_(window) {
        setObjectName(QStringLiteral("firstFrameWatch"));
        QCoreApplication::instance()->installEventFilter(this);
    }

    static FirstFrameWatch* of(QWidget* window) {
        // Without a meta-object of its own, the watch is found by its name.
        auto* watch = dynamic_cast<FirstFrameWatch*>(window->findChild<QObject*>(
            QStringLiteral("firstFrameWatch"), Qt::FindDirectChildrenOnly));
        return watch ? watch : new FirstFrameWatch(window);
    }

    void add(std::function<void()> work) { work_.append(std::move(work)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && window_ && !queued_ &&
            watched == window_->windowHandle() && window_->windowHandle()->isExposed()) {
            queued_ = true;
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                const QList<std::function<void()>> work = std::move(work_);
                for (const std::function<void()>& piece : work)
                    piece();
            });
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    QList<std::function<void()>> work_;
    bool queued_ = false;
};

} // namespace

void afterFirstFrame(QWidget* window, std::function<void()> work) {
    FirstFrameWatch::of(window)->add(std::move(work));
}

void reportFirstFrameIfAsked(QWidget* window) {
    if (qEnvironmentVariableIsEmpty("KALU_EXIT_AFTER_FIRST_FRAME"))
        return;
    afterFirstFrame(window, [] {
        std::printf("first-frame hwm_kib=%ld\n", peakResidentKib());
        std::fflush(stdout);
        // Queued behind the rest of the work that waits for the first frame.
        QTimer::singleShot(0, QCoreApplication::instance(), [] { QCoreApplication::exit(0); });
    });
}
