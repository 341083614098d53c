#include "main_window/widget_helpers.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

QColor toQColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

Rgb toRgb(const QColor& colour) {
    return Rgb{quint8(colour.red()), quint8(colour.green()), quint8(colour.blue())};
}

QFont designFont(const QString& family, int pixels, bool bold) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setKerning(false);
    // Hinting runs the font renderer's auto-hinter over every glyph and, once per face, over the
    // whole font, which was a good part of the time to the first frame. At the window's scaled
    // sizes the unhinted glyphs look the same.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, bool bold,
                  bool white) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    if (bold) {
        QFont f = label->font();
        f.setBold(true);
        label->setFont(f);
    }
    if (white) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(p);
    }
    label->move(x, y);
    return label;
}

void setRoleColour(QWidget* widget, const QColor& colour, QPalette::ColorRole role) {
    QPalette p = widget->palette();
    p.setColor(QPalette::All, role, colour);
    widget->setPalette(p);
}

void setCaptionColour(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Disabled, QPalette::WindowText, colour);
    widget->setPalette(p);
}

QSettings programSettings() {
    return QSettings(QStringLiteral("Kalumbrixtor"), QStringLiteral("Kalumbrixtor"));
}

QAction* checkableItem(QMenu* menu, const QString& caption, const char* name) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(true);
    return item;
}
