#include "appearance/caption_contrast.h"
#include "appearance/colours.h"
#include "appearance/display_switches.h"
#include "appearance/point_rects.h"
#include "common/random.h"
#include "support/fixed_clock.h"

#include <QSet>
#include <QTest>

#include <algorithm>

namespace {

using C = StandardColour;

Rgb hex(quint32 value) {
    return Rgb::fromValue(value);
}

} // namespace

class TestAppearanceCore : public QObject {
    Q_OBJECT
private slots:
    void namedColours_data();
    void namedColours();
    void unknownColourNames();
    void startSchemeFollowsClock_data();
    void startSchemeFollowsClock();
    void startSchemeDrawsAllFourOverTheDay();
    void pointRectCells_data();
    void pointRectCells();
    void pointRectOutline_data();
    void pointRectOutline();
    void firstHundredTileTheField();
    void aboveHundredRepaintsFirstCellsInRed();
    void noRectangleWithoutACell_data();
    void noRectangleWithoutACell();
    void switchCaptions();
    void contrastFigures();
    void captionsOnEveryPanelColour_data();
    void captionsOnEveryPanelColour();
};

void TestAppearanceCore::namedColours_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("rgb");
    QTest::newRow("Black") << "Black" << 0x000000u;
    QTest::newRow("Maroon") << "Maroon" << 0x800000u;
    QTest::newRow("Green") << "Green" << 0x008000u;
    QTest::newRow("Olive") << "Olive" << 0x808000u;
    QTest::newRow("Navy") << "Navy" << 0x000080u;
    QTest::newRow("Purple") << "Purple" << 0x800080u;
    QTest::newRow("Teal") << "Teal" << 0x008080u;
    QTest::newRow("Gray") << "Gray" << 0x808080u;
    QTest::newRow("Silver") << "Silver" << 0xC0C0C0u;
    QTest::newRow("Red") << "Red" << 0xFF0000u;
    QTest::newRow("Lime") << "Lime" << 0x00FF00u;
    QTest::newRow("Yellow") << "Yellow" << 0xFFFF00u;
    QTest::newRow("Blue") << "Blue" << 0x0000FFu;
    QTest::newRow("Fuchsia") << "Fuchsia" << 0xFF00FFu;
    QTest::newRow("Aqua") << "Aqua" << 0x00FFFFu;
    QTest::newRow("White") << "White" << 0xFFFFFFu;
}

void TestAppearanceCore::namedColours() {
    QFETCH(QString, name);
    QFETCH(quint32, rgb);
    const std::optional<StandardColour> colour = colourByName(name);
    QVERIFY(colour.has_value());
    QCOMPARE(colourName(*colour), name);
    QCOMPARE(colourRgb(*colour).hexText(), hex(rgb).hexText());
    QCOMPARE(colourRgb(*colour).value(), rgb);
    // Every colour appears exactly once in the list of all colours.
    QCOMPARE(std::count(standardColours().begin(), standardColours().end(), *colour), 1);
}

void TestAppearanceCore::unknownColourNames() {
    QVERIFY(!colourByName(u"").has_value());
    QVERIFY(!colourByName(u"Grey").has_value());
    QVERIFY(!colourByName(u"gray").has_value());
    QVERIFY(!colourByName(u"White ").has_value());
    QVERIFY(!colourByName(u"Yellow1").has_value());
}

void TestAppearanceCore::startSchemeFollowsClock_data() {
    QTest::addColumn<QTime>("utc");
    QTest::addColumn<int>("scheme");
    // Worked out by hand from the generator: seed = milliseconds of the day, next seed =
    // seed * 134775813 + 1 (mod 2^32), scheme = next seed * 4 div 2^32.
    QTest::newRow("midnight") << QTime(0, 0, 0, 0) << 0;
    QTest::newRow("08:15:00.250") << QTime(8, 15, 0, 250) << 0;
    QTest::newRow("12:00:00.000") << QTime(12, 0, 0, 0) << 1;
    QTest::newRow("16:06:29.000") << QTime(16, 6, 29, 0) << 1;
    QTest::newRow("10:30:45.123") << QTime(10, 30, 45, 123) << 2;
    QTest::newRow("23:59:59.999") << QTime(23, 59, 59, 999) << 2;
    QTest::newRow("00:37:00.017") << QTime(0, 37, 0, 17) << 3;
    QTest::newRow("19:05:00.005") << QTime(19, 5, 0, 5) << 3;
}

void TestAppearanceCore::startSchemeFollowsClock() {
    QFETCH(QTime, utc);
    QFETCH(int, scheme);
    FixedClock clock;
    clock.utc = utc;
    // Whatever the generator held before, the clock alone decides.
    for (quint32 before : {0u, 12345u, 0xFFFFFFFFu}) {
        Lcg generator;
        generator.seed = before;
        QCOMPARE(pickStartScheme(generator, clock), scheme);
        // Task generation goes on from the reseeded generator, one draw further.
        Lcg fresh;
        fresh.reseed(clock);
        fresh.random(4);
        QCOMPARE(generator.seed, fresh.seed);
    }
}

void TestAppearanceCore::startSchemeDrawsAllFourOverTheDay() {
    FixedClock clock;
    Lcg generator;
    int counts[startSchemeCount] = {};
    for (int ms = 0; ms < 24 * 3600 * 1000; ms += 997 * 61) {
        clock.setUtcMilliseconds(ms);
        const int scheme = pickStartScheme(generator, clock);
        QVERIFY2(scheme >= 0 && scheme < startSchemeCount, qPrintable(QString::number(scheme)));
        ++counts[scheme];
    }
    // About 1420 starts; each scheme should come up roughly a quarter of the time.
    for (int count : counts)
        QVERIFY2(count > 250, qPrintable(QString::number(count)));
}

void TestAppearanceCore::pointRectCells_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<quint32>("fill");
    QTest::addColumn<quint32>("outline");
    // Window 1024 wide, client 700 high, top bar 30, settings panel 150:
    // cells 102 x 52, the bottom row's top edge at 700 - 150 - 52 = 498.
    QTest::newRow("1: bottom left") << 1 << 0x800000u << 0 << 498 << 0x800000u << 0xFFFFFFu;
    QTest::newRow("2: next to it") << 2 << 0x800000u << 102 << 498 << 0x800000u << 0xFFFFFFu;
    QTest::newRow("10: bottom right") << 10 << 0x800000u << 918 << 498 << 0x800000u << 0xFFFFFFu;
    QTest::newRow("11: second row left") << 11 << 0x800000u << 0 << 446 << 0x800000u << 0xFFFFFFu;
    QTest::newRow("55: middle") << 55 << 0x000000u << 408 << 238 << 0x000000u << 0xFFFFFFu;
    QTest::newRow("99: top row") << 99 << 0xFFFFFFu << 816 << 30 << 0xFFFFFFu << 0x000000u;
    QTest::newRow("100: top right") << 100 << 0xFFFFFFu << 918 << 30 << 0xFFFFFFu << 0x000000u;
    QTest::newRow("101: bottom left, red")
        << 101 << 0xFFFFFFu << 0 << 498 << 0xFF0000u << 0xFFFFFFu;
    QTest::newRow("110: bottom right, red")
        << 110 << 0x800000u << 918 << 498 << 0xFF0000u << 0xFFFFFFu;
    QTest::newRow("160: sixth row right, red")
        << 160 << 0x800000u << 918 << 238 << 0xFF0000u << 0xFFFFFFu;
}

void TestAppearanceCore::pointRectCells() {
    QFETCH(int, points);
    QFETCH(quint32, colour);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(quint32, fill);
    QFETCH(quint32, outline);
    const std::optional<PointRect> r = pointRectGeometry(points, 1024, 700, 30, 150, hex(colour));
    QVERIFY(r.has_value());
    QCOMPARE(r->x, x);
    QCOMPARE(r->y, y);
    QCOMPARE(r->width, 102);
    QCOMPARE(r->height, 52);
    QCOMPARE(r->fill.hexText(), hex(fill).hexText());
    QCOMPARE(r->outline.hexText(), hex(outline).hexText());
}

void TestAppearanceCore::pointRectOutline_data() {
    QTest::addColumn<QString>("colour");
    QTest::addColumn<quint32>("outline");
    for (StandardColour c : standardColours()) {
        const QString name = colourName(c);
        QTest::newRow(qPrintable(name)) << name << (c == C::White ? 0x000000u : 0xFFFFFFu);
    }
}

void TestAppearanceCore::pointRectOutline() {
    QFETCH(QString, colour);
    QFETCH(quint32, outline);
    const Rgb fill = colourRgb(*colourByName(colour));
    const std::optional<PointRect> r = pointRectGeometry(37, 800, 600, 20, 100, fill);
    QVERIFY(r.has_value());
    QCOMPARE(r->fill.hexText(), fill.hexText());
    QCOMPARE(r->outline.hexText(), hex(outline).hexText());
    // Above 100 the fill is red whatever was chosen, so the outline is white.
    const std::optional<PointRect> above = pointRectGeometry(137, 800, 600, 20, 100, fill);
    QVERIFY(above.has_value());
    QCOMPARE(above->fill.hexText(), QStringLiteral("#FF0000"));
    QCOMPARE(above->outline.hexText(), QStringLiteral("#FFFFFF"));
}

void TestAppearanceCore::firstHundredTileTheField() {
    // Sizes that do not divide evenly: cells 80 x 40, and 7 rows of pixels above the field stay
    // empty below the top bar (553 - 25 - 121 = 407).
    const int width = 805, height = 553, topBar = 25, settings = 121;
    QSet<QPair<int, int>> cells;
    for (int p = 1; p <= 100; ++p) {
        const std::optional<PointRect> r =
            pointRectGeometry(p, width, height, topBar, settings, hex(0x008000));
        QVERIFY(r.has_value());
        QCOMPARE(r->width, 80);
        QCOMPARE(r->height, 40);
        QVERIFY2(r->x >= 0 && r->x + r->width <= width, qPrintable(QString::number(p)));
        QVERIFY2(r->y >= topBar && r->y + r->height <= height - settings,
                 qPrintable(QString::number(p)));
        QCOMPARE(r->x, ((p - 1) % 10) * 80);
        QCOMPARE(r->y, height - settings - ((p - 1) / 10 + 1) * 40);
        cells.insert({r->x, r->y});
    }
    QCOMPARE(cells.size(), 100);
}

void TestAppearanceCore::aboveHundredRepaintsFirstCellsInRed() {
    for (int p = 101; p <= 160; ++p) {
        const std::optional<PointRect> above =
            pointRectGeometry(p, 640, 480, 24, 96, hex(0xC0C0C0));
        const std::optional<PointRect> below =
            pointRectGeometry(p - 100, 640, 480, 24, 96, hex(0xC0C0C0));
        QVERIFY(above.has_value() && below.has_value());
        QCOMPARE(above->x, below->x);
        QCOMPARE(above->y, below->y);
        QCOMPARE(above->fill.hexText(), QStringLiteral("#FF0000"));
        QCOMPARE(below->fill.hexText(), QStringLiteral("#C0C0C0"));
    }
}

void TestAppearanceCore::noRectangleWithoutACell_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("drawn");
    QTest::newRow("0 points") << 0 << 800 << 600 << false;
    QTest::newRow("negative points") << -3 << 800 << 600 << false;
    QTest::newRow("200 points") << 200 << 800 << 600 << true;
    QTest::newRow("201 points") << 201 << 800 << 600 << false;
    QTest::newRow("narrower than 10 columns") << 5 << 9 << 600 << false;
    QTest::newRow("10 columns of 1 pixel") << 5 << 10 << 600 << true;
    QTest::newRow("field less than 10 rows") << 5 << 800 << 129 << false;
    QTest::newRow("bars taller than the window") << 5 << 800 << 100 << false;
}

void TestAppearanceCore::noRectangleWithoutACell() {
    QFETCH(int, points);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, drawn);
    // Top bar 20 and settings panel 100 leave a field of height - 120.
    QCOMPARE(pointRectGeometry(points, width, height, 20, 100, hex(0x000080)).has_value(), drawn);
}

void TestAppearanceCore::switchCaptions() {
    bool pointRectsOn = true;
    QCOMPARE(pointRectsSwitchStartCaption(), QStringLiteral("Punkte-&Rechtecke aus"));
    QCOMPARE(togglePointRects(pointRectsOn), QStringLiteral("Punkte-&Rechtecke ein"));
    QVERIFY(!pointRectsOn);
    QCOMPARE(togglePointRects(pointRectsOn), QStringLiteral("Punkte-&Rechtecke aus"));
    QVERIFY(pointRectsOn);

    bool pointsDisplayOn = true;
    QCOMPARE(pointsDisplaySwitchStartCaption(), QStringLiteral("&Punkte-Anzeige aus"));
    QCOMPARE(togglePointsDisplay(pointsDisplayOn), QStringLiteral("&Punkte-Anzeige ein"));
    QVERIFY(!pointsDisplayOn);
    QCOMPARE(togglePointsDisplay(pointsDisplayOn), QStringLiteral("&Punkte-&Anzeige aus"));
    QVERIFY(pointsDisplayOn);

    bool fewerSaveHints = false;
    QCOMPARE(fewerSaveHintsSwitchStartCaption(),
             QStringLiteral("&Alle Speichern-Hinweise einblenden"));
    QCOMPARE(toggleFewerSaveHints(fewerSaveHints),
             QStringLiteral("Alle Speichern-Hinweise einblenden"));
    QVERIFY(fewerSaveHints);
    QCOMPARE(toggleFewerSaveHints(fewerSaveHints),
             QStringLiteral("weniger Speichern-Hinweise einblenden"));
    QVERIFY(!fewerSaveHints);
    QCOMPARE(toggleFewerSaveHints(fewerSaveHints),
             QStringLiteral("Alle Speichern-Hinweise einblenden"));
    QVERIFY(fewerSaveHints);
}

// The figures the measure gives for known pairs.
void TestAppearanceCore::contrastFigures() {
    QCOMPARE(relativeLuminance(hex(0x000000)), 0.0);
    QCOMPARE(relativeLuminance(hex(0xFFFFFF)), 1.0);
    QCOMPARE(contrastRatio(hex(0x000000), hex(0xFFFFFF)), 21.0);
    QCOMPARE(contrastRatio(hex(0xFFFFFF), hex(0x000000)), 21.0);
    // Black on navy and on maroon, the captions that could hardly be read.
    QCOMPARE(qRound(contrastRatio(hex(0x000000), hex(0x000080)) * 100), 131);
    QCOMPARE(qRound(contrastRatio(hex(0x000000), hex(0x800000)) * 100), 192);
    QCOMPARE(qRound(contrastRatio(hex(0x808080), hex(0xFFFFFF)) * 100), 395);
}

// Every panel colour the competition captions can stand on: those of the start schemes and
// every colour the settings-panel menu offers.
void TestAppearanceCore::captionsOnEveryPanelColour_data() {
    QTest::addColumn<Rgb>("panel");
    QList<StandardColour> panels;
    for (const ColourScheme& scheme : startSchemes())
        panels.append(scheme.settingsPanel);
    for (const ColourSubmenu& submenu : colourSubmenus())
        if (submenu.target == ColourTarget::SettingsPanel)
            panels.append(submenu.colours);
    QSet<StandardColour> seen;
    for (StandardColour c : panels) {
        if (!seen.contains(c))
            QTest::newRow(qPrintable(colourName(c))) << colourRgb(c);
        seen.insert(c);
    }
    QCOMPARE(seen.size(), standardColourCount - 1); // all but black
}

void TestAppearanceCore::captionsOnEveryPanelColour() {
    QFETCH(Rgb, panel);
    const Rgb red = hex(0xFF0000);
    auto isGrey = [](Rgb c) { return c.r == c.g && c.g == c.b; };

    const Rgb enabled = captionColour(CaptionState::Enabled, panel);
    QVERIFY(enabled == hex(0x000000) || enabled == hex(0xFFFFFF));
    QVERIFY(contrastRatio(enabled, panel) >= readableContrast);

    const Rgb chosen = captionColour(CaptionState::Chosen, panel);
    QVERIFY(contrastRatio(chosen, panel) >= readableContrast);
    QCOMPARE(chosen == red, contrastRatio(red, panel) >= readableContrast);
    const ChosenMark mark = chosenMark(panel);
    QVERIFY(contrastRatio(mark.outer, panel) >= readableContrast);
    QCOMPARE(mark.inner, red);
    QVERIFY(contrastRatio(mark.inner, mark.outer) >= dimmedContrast);

    // Dimmed: a grey that can still be read, and less bright against the panel than an enabled
    // caption, so the two never look alike.
    const Rgb disabled = captionColour(CaptionState::Disabled, panel);
    QVERIFY(isGrey(disabled));
    QVERIFY(contrastRatio(disabled, panel) >= dimmedContrast);
    QVERIFY(contrastRatio(disabled, panel) < contrastRatio(enabled, panel) - 0.5);
    QVERIFY(qAbs(int(disabled.r) - int(enabled.r)) >= 0x20);
}

QTEST_GUILESS_MAIN(TestAppearanceCore)
#include "tst_appearance_core.moc"
