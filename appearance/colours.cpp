#include "appearance/colours.h"

#include "common/clock.h"
#include "common/random.h"

namespace {

struct ColourEntry {
    const char* name;
    quint32 rgb;
};

// Indexed by StandardColour.
constexpr std::array<ColourEntry, standardColourCount> colourTable{{
    {"Black", 0x000000},
    {"Maroon", 0x800000},
    {"Green", 0x008000},
    {"Olive", 0x808000},
    {"Navy", 0x000080},
    {"Purple", 0x800080},
    {"Teal", 0x008080},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0xFF0000},
    {"Lime", 0x00FF00},
    {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0x00FFFF},
    {"White", 0xFFFFFF},
}};

const ColourEntry& entry(StandardColour colour) {
    return colourTable[std::size_t(colour)];
}

// Every submenu lists its colours in this order and may leave one out; the point-rectangle menu,
// for instance, leaves out red, which marks the points above 100.
QList<StandardColour> menuOrderWithout(std::optional<StandardColour> leftOut) {
    using C = StandardColour;
    const QList<C> all{C::Yellow,  C::White,  C::Lime, C::Black, C::Maroon, C::Green,
                       C::Olive,   C::Purple, C::Red,  C::Teal,  C::Blue,   C::Gray,
                       C::Fuchsia, C::Silver, C::Aqua, C::Navy};
    QList<C> result;
    for (C c : all) {
        if (c != leftOut)
            result.append(c);
    }
    return result;
}

} // namespace

QString Rgb::hexText() const {
    return QStringLiteral("#%1").arg(value(), 6, 16, QLatin1Char('0')).toUpper();
}

const std::array<StandardColour, standardColourCount>& standardColours() {
    static const std::array<StandardColour, standardColourCount> all = [] {
        std::array<StandardColour, standardColourCount> a{};
        for (int i = 0; i < standardColourCount; ++i)
            a[std::size_t(i)] = StandardColour(i);
        return a;
    }();
    return all;
}

QString colourName(StandardColour colour) {
    return QString::fromLatin1(entry(colour).name);
}

Rgb colourRgb(StandardColour colour) {
    return Rgb::fromValue(entry(colour).rgb);
}

std::optional<StandardColour> colourByName(QStringView name) {
    for (int i = 0; i < standardColourCount; ++i) {
        if (name == QLatin1StringView(colourTable[std::size_t(i)].name))
            return StandardColour(i);
    }
    return std::nullopt;
}

const std::array<ColourScheme, startSchemeCount>& startSchemes() {
    using C = StandardColour;
    static constexpr std::array<ColourScheme, startSchemeCount> schemes{{
        // main,   settings,  settings font, numbers, numbers font, point rectangles
        {C::Green, C::Green, C::White, C::Olive, C::Black, C::Maroon},
        {C::Green, C::Maroon, C::White, C::Maroon, C::White, C::Black},
        {C::Gray, C::Navy, C::White, C::Navy, C::White, C::White},
        {C::Green, C::Navy, C::White, C::Navy, C::White, C::Maroon},
    }};
    return schemes;
}

int pickStartScheme(Lcg& generator, const Clock& clock) {
    generator.reseed(clock);
    return generator.random(startSchemeCount);
}

const QList<ColourSubmenu>& colourSubmenus() {
    using C = StandardColour;
    using T = ColourTarget;
    static const QList<ColourSubmenu> submenus{
        {QStringLiteral("FarbeHauptfenster1"), QStringLiteral("Farbe &Hauptfenster"), 1,
         T::MainWindow, menuOrderWithout(C::White)},
        {QStringLiteral("FarbeEinstellungsfenster1"), QStringLiteral("Farbe &Einstellungsfenster"),
         2, T::SettingsPanel, menuOrderWithout(C::Black)},
        {QStringLiteral("FarbeSchriftimEinstellungsfenster1"),
         QStringLiteral("Farbe &Schrift im Einstellungsfenster"), 6, T::SettingsFont,
         menuOrderWithout(std::nullopt)},
        {QStringLiteral("FarbeZahlenfenster1"), QStringLiteral("Farbe Zahlen&fenster"), 3,
         T::NumbersWindow, menuOrderWithout(C::Black)},
        {QStringLiteral("FarbeZahlen1"), QStringLiteral("Farbe &Zahlen"), 5, T::NumbersFont,
         menuOrderWithout(std::nullopt)},
        {QStringLiteral("FarbePunkteRechtecke1"), QStringLiteral("&Farbe Punkte-Rechtecke"), 4,
         T::PointRects, menuOrderWithout(C::Red)},
    };
    return submenus;
}

QString colourItemName(const ColourSubmenu& submenu, StandardColour colour) {
    return colourName(colour) + QString::number(submenu.itemDigit);
}
