#include "platform/modal_windows.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

class ModalWindowGuard : public QObject {
public:
    explicit ModalWindowGuard(QObject* parent) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
            const auto* window = static_cast<QWidget*>(watched);
            // Restored after the state change has been handled, once for however many windows
            // the window manager iconified together.
            if (window->isWindow() && window->isMinimized() && QApplication::activeModalWidget() &&
                !restorePending_) {
                restorePending_ = true;
                QTimer::singleShot(0, this, &ModalWindowGuard::restore);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void restore() {
        restorePending_ = false;
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        for (QWidget* w = modal; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
            if (w->isMinimized())
                w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
        }
        modal->raise();
        modal->activateWindow();
    }

    bool restorePending_ = false;
};

} // namespace

void keepModalWindowsInView(QApplication& app) {
    app.installEventFilter(new ModalWindowGuard(&app));
}
