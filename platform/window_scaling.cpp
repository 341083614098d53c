#include "platform/window_scaling.h"

#include "common/window_scale.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QList>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOption>
#include <QToolTip>
#include <QWidget>

#include <cmath>
#include <utility>

namespace {

int scaled(int value, int percent) {
    return int(roundHalfEven(qint64(value) * percent, 100));
}

// With a large font the widget style measures a menu item a little narrower than it then leaves
// for the text, and cuts the widest item ("Rang nach Wettbe…b nicht anzeigen" at 36 pixels). A
// line height more of room keeps every item whole.
class MenuItemRoom : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuItem)
            result.rwidth() += option->fontMetrics.height();
        return result;
    }
};

} // namespace

QFont scaledFont(QFont font, int percent) {
    if (font.pixelSize() > 0)
        font.setPixelSize(qMax(1, scaled(font.pixelSize(), percent)));
    else if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * percent / 100.0);
    return font;
}

void scaleWidgetTree(QWidget* window, int percent) {
    if (percent == 100)
        return;
    QList<std::pair<QWidget*, QFont>> fonts;
    fonts.append({window, scaledFont(window->font(), percent)});
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->testAttribute(Qt::WA_SetFont) &&
            (child->font().resolveMask() & QFont::SizeResolved))
            fonts.append({child, scaledFont(child->font(), percent)});
    }
    for (const auto& [widget, font] : fonts)
        widget->setFont(font);
    scaleWidgetGeometry(window, percent);
}

void scaleWidgetGeometry(QWidget* window, int percent) {
    if (percent == 100)
        return;
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->isWindow())
            continue;
        const QRect r = child->geometry();
        child->setGeometry(scaled(r.x(), percent), scaled(r.y(), percent),
                           scaled(r.width(), percent), scaled(r.height(), percent));
    }
    window->resize(scaled(window->width(), percent), scaled(window->height(), percent));
}

int screenScalePercent(const QScreen* screen, const QSize& designSize) {
    int percent = 100;
    if (screen) {
        percent = scalePercent(screen->geometry().width(),
                               int(std::lround(screen->logicalDotsPerInchX())));
        // Room for the title bar and the window frame, which the window's own size leaves out.
        const QRect available = screen->availableGeometry();
        constexpr int frameAllowance = 48;
        percent = percentToFit(percent, designSize.width(), designSize.height(), available.width(),
                               available.height() - frameAllowance);
    }
    return qMax(percent, 10);
}

int scaleWindowToScreen(QWidget* window) {
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const int percent = screenScalePercent(screen, window->size());
    scaleWidgetTree(window, percent);
    return percent;
}

void scaleStandardWindows(int percent) {
    // In whole pixels, as the program's own fonts are.
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(scaled(QFontInfo(font).pixelSize(), qMax(percent, 100)));
    const auto classNames = {"QMenu", "QMessageBox", "QFileDialog", "QPrintDialog",
                             "QPageSetupDialog"};
    for (const char* className : classNames)
        QApplication::setFont(font, className);
    QToolTip::setFont(font);
    // Before the event loop runs, Qt tells only the windows made afterwards; the menus of the
    // main window exist already.
    const QList<QWidget*> widgets = QApplication::allWidgets();
    auto* menuStyle = new MenuItemRoom;
    menuStyle->setParent(qApp);
    for (QWidget* widget : widgets) {
        if (widget->inherits("QMenu"))
            widget->setStyle(menuStyle);
        for (const char* className : classNames) {
            if (widget->inherits(className)) {
                QEvent change(QEvent::ApplicationFontChange);
                QApplication::sendEvent(widget, &change);
                break;
            }
        }
    }
}

QFont standardWindowFont() {
    return QApplication::font("QMessageBox");
}
