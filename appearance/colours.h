#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <optional>

class Clock;
class Lcg;

// A colour as the core knows it: three 8-bit channels. The windows turn it into whatever their
// toolkit needs; the core stays free of any drawing library.
struct Rgb {
    quint8 r = 0;
    quint8 g = 0;
    quint8 b = 0;

    static constexpr Rgb fromValue(quint32 rrggbb) {
        return Rgb{quint8((rrggbb >> 16) & 0xFF), quint8((rrggbb >> 8) & 0xFF),
                   quint8(rrggbb & 0xFF)};
    }
    constexpr quint32 value() const { return (quint32(r) << 16) | (quint32(g) << 8) | b; }
    // "#RRGGBB", upper-case hex digits.
    QString hexText() const;

    friend constexpr bool operator==(Rgb, Rgb) = default;
};

// The sixteen colours the colour menus offer, in the order of the program's colour list.
enum class StandardColour : quint8 {
    Black,
    Maroon,
    Green,
    Olive,
    Navy,
    Purple,
    Teal,
    Gray,
    Silver,
    Red,
    Lime,
    Yellow,
    Blue,
    Fuchsia,
    Aqua,
    White,
};

inline constexpr int standardColourCount = 16;

// All sixteen, in the order of the enum.
const std::array<StandardColour, standardColourCount>& standardColours();
// The English caption the menus show, e.g. "Fuchsia".
QString colourName(StandardColour colour);
Rgb colourRgb(StandardColour colour);
// Finds a colour by its caption, exactly as the menus spell it ("Gray", not "gray" or "Grey").
std::optional<StandardColour> colourByName(QStringView name);

// One of the four colour schemes the main window starts with.
struct ColourScheme {
    StandardColour mainWindow;
    StandardColour settingsPanel; // also the top bar above the point field
    StandardColour settingsFont;
    StandardColour numbersWindow; // background of the eight number controls
    StandardColour numbersFont;
    StandardColour pointRects;
};

inline constexpr int startSchemeCount = 4;

const std::array<ColourScheme, startSchemeCount>& startSchemes();

// Seeds the generator from the clock and draws the start scheme, 0..3 with equal chance. The
// generator is the program's only one, so its state afterwards is what task generation sees.
int pickStartScheme(Lcg& generator, const Clock& clock);

// What a colour submenu changes.
enum class ColourTarget : quint8 {
    MainWindow,    // background of the main window, remembered for repaints after a run
    SettingsPanel, // background of the top bar and the settings panel
    SettingsFont,  // text of the settings labels and the top bar
    NumbersWindow, // background of the eight number controls
    NumbersFont,   // text of the eight number controls
    PointRects,    // fill of the next point rectangles; those on screen keep theirs
};

// One colour submenu of the settings menu.
struct ColourSubmenu {
    QString objectName; // e.g. "FarbeHauptfenster1"
    QString caption;    // e.g. "Farbe &Hauptfenster"
    int itemDigit;      // appended to a colour's caption to name its item
    ColourTarget target;
    QList<StandardColour> colours; // in menu order
};

// The six submenus in menu order.
const QList<ColourSubmenu>& colourSubmenus();
// The object name of a colour item: caption followed by the submenu's digit ("Yellow1").
QString colourItemName(const ColourSubmenu& submenu, StandardColour colour);
