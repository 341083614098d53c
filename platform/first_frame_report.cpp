#include "platform/first_frame_report.h"

#include <QCoreApplication>
#include <QEvent>
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

// Watches the expose events of all windows for the first one of the watched widget's window.
// The widget paints and flushes its backing store while the expose event is handled, so the
// report is queued to run right after it.
class FirstFrameWatch : public QObject {
public:
    explicit FirstFrameWatch(QWidget* window) : window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!done_ && event->type() == QEvent::Expose && window_ &&
            watched == window_->windowHandle() && window_->windowHandle()->isExposed()) {
            done_ = true;
            QTimer::singleShot(0, this, [] {
                std::printf("first-frame hwm_kib=%ld\n", peakResidentKib());
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
    bool done_ = false;
};

} // namespace

void reportFirstFrameIfAsked(QWidget* window) {
    if (qEnvironmentVariableIsEmpty("KALU_EXIT_AFTER_FIRST_FRAME"))
        return;
    auto* watch = new FirstFrameWatch(window);
    watch->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(watch);
}
