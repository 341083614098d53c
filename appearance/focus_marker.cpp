#include "appearance/focus_marker.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPainter>

namespace {

constexpr int frameWidth = 4; // white 1, black 2, white 1

} // namespace

FocusMarker::FocusMarker(QWidget* area) : QWidget(area), area_(area) {
    setObjectName(QStringLiteral("focusMarker"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { follow(now); });
    // Made while a control of the area already has the focus, it frames that one at once.
    follow(QApplication::focusWidget());
}

QMetaObject::Connection FocusMarker::frameFocusInEveryWindow() {
    return QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) {
        if (!now)
            return;
        QWidget* window = now->window();
        // Menus and list popups show their current item themselves.
        const Qt::WindowType type = window->windowType();
        if (type != Qt::Window && type != Qt::Dialog)
            return;
        if (!window->findChild<FocusMarker*>())
            new FocusMarker(window);
    });
}

void FocusMarker::follow(QWidget* focused) {
    // The text part of an editable list box takes the focus for the box; the box is framed.
    if (focused && qobject_cast<QComboBox*>(focused->parentWidget()))
        focused = focused->parentWidget();
    if (focused && !area_->isAncestorOf(focused))
        focused = nullptr;
    // A control that is not meant to be focused holds the focus only for a moment: the frame
    // stays where it was.
    if (focused && focused->focusPolicy() == Qt::NoFocus)
        return;
    if (focused == target_)
        return;
    if (target_)
        target_->removeEventFilter(this);
    target_ = focused;
    if (target_)
        target_->installEventFilter(this);
    place();
}

void FocusMarker::place() {
    if (!target_ || !target_->isVisible()) {
        hide();
        return;
    }
    const QRect r(target_->mapTo(area_, QPoint(0, 0)), target_->size());
    setGeometry(r.adjusted(-frameWidth, -frameWidth, frameWidth, frameWidth));
    setMask(QRegion(rect()) -
            QRegion(rect().adjusted(frameWidth, frameWidth, -frameWidth, -frameWidth)));
    show();
    raise();
}

bool FocusMarker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == target_) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            place();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FocusMarker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), Qt::black);
    painter.fillRect(rect().adjusted(3, 3, -3, -3), Qt::white);
}
