#include "platform/announcer.h"

#include <QAccessibleWidget>

namespace {

class AnnouncerAccessible : public QAccessibleWidget {
public:
    explicit AnnouncerAccessible(Announcer* announcer)
        : QAccessibleWidget(announcer, QAccessible::Notification) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name)
            return static_cast<const Announcer*>(widget())->message();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("Announcer") && object && object->isWidgetType())
        return new AnnouncerAccessible(static_cast<Announcer*>(object));
    return nullptr;
}

} // namespace

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(accessibleFactory), true);
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("Announcer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 1, 1);
    hide();
}

void Announcer::announce(const QString& message) {
    message_ = message;
    // Appearing is what a screen reader speaks, so each message appears anew.
    hide();
    show();
}
