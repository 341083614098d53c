#include "main_window/clickable_panel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace {

// A screen reader sees the panel as the button it is, named by its caption, with a press action;
// a checkable panel is one choice of several, a radio button, which a screen reader says is
// chosen when Space checks it.
class ClickablePanelAccessible : public QAccessibleWidget {
public:
    explicit ClickablePanelAccessible(ClickablePanel* panel)
        : QAccessibleWidget(panel, QAccessible::Button) {}

    QAccessible::Role role() const override {
        return static_cast<const ClickablePanel*>(widget())->isCheckable()
                   ? QAccessible::RadioButton
                   : QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const ClickablePanel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const auto* panel = static_cast<const ClickablePanel*>(widget());
        s.checkable = panel->isCheckable();
        s.checked = panel->isChecked();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction())
            static_cast<ClickablePanel*>(widget())->press();
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ClickablePanel") && object && object->isWidgetType())
        return new ClickablePanelAccessible(static_cast<ClickablePanel*>(object));
    return nullptr;
}

} // namespace

ClickablePanel::ClickablePanel(const QString& caption, QWidget* parent)
    : QFrame(parent), caption_(caption) {
    // A screen reader that asks for the panel's interface must get the button, never a plain
    // frame; the first interface made for a widget is kept.
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(factoryInstalled);
    setAutoFillBackground(true);
    // Reached with Tab; a mouse click leaves the focus where it is, as it always did.
    setFocusPolicy(Qt::TabFocus);
}

void ClickablePanel::setText(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    update();
    if (accessibleName().isEmpty()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void ClickablePanel::setCheckable(bool checkable) {
    checkable_ = checkable;
    if (!checkable)
        setChecked(false);
}

void ClickablePanel::setChecked(bool checked) {
    checked = checked && checkable_;
    if (checked == checked_)
        return;
    checked_ = checked;
    update();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void ClickablePanel::setMarkColours(const QColor& outer, const QColor& inner) {
    if (outer == markOuter_ && inner == markInner_)
        return;
    markOuter_ = outer;
    markInner_ = inner;
    update();
}

void ClickablePanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    if (checked_) {
        // Rings that grow with the panel: one pixel each on a panel of the design's height.
        const int ring = qMax(1, contentsRect().height() / 16);
        QRect r = contentsRect();
        painter.fillRect(r, markOuter_);
        r.adjust(ring, ring, -ring, -ring);
        painter.fillRect(r, markInner_);
        r.adjust(2 * ring, 2 * ring, -2 * ring, -2 * ring);
        painter.fillRect(r, palette().color(QPalette::Window));
    }
    style()->drawItemText(&painter, contentsRect(), Qt::AlignCenter, palette(), isEnabled(),
                          caption_, foregroundRole());
}

void ClickablePanel::press() {
    if (isEnabled())
        emit clicked();
}

void ClickablePanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    event->accept();
}

void ClickablePanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    const bool click = pressed_ && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

// The second press of a double-click arrives as this event; its release ends no click.
void ClickablePanel::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed_ = false;
    event->accept();
}

void ClickablePanel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        event->accept();
        // Holding the key down must not switch competition mode on and off again and again.
        if (!event->isAutoRepeat())
            emit clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}
