// The look of the real main window: the settings menu, the colour items, the start scheme, the
// point rectangles on the window's background, the display switches and the two information
// windows.

#include "main_window_fixture.h"

#include "appearance/hilfe.h"
#include "appearance/info.h"
#include "common/random.h"
#include "support/fixed_clock.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QSet>

namespace {

// The colour values the menus stand for, written out here rather than taken from the program.
const QColor black(0x00, 0x00, 0x00);
const QColor maroon(0x80, 0x00, 0x00);
const QColor green(0x00, 0x80, 0x00);
const QColor olive(0x80, 0x80, 0x00);
const QColor navy(0x00, 0x00, 0x80);
const QColor teal(0x00, 0x80, 0x80);
const QColor gray(0x80, 0x80, 0x80);
const QColor silver(0xC0, 0xC0, 0xC0);
const QColor red(0xFF, 0x00, 0x00);
const QColor white(0xFF, 0xFF, 0xFF);

Rgb toRgb(const QColor& c) {
    return Rgb{quint8(c.red()), quint8(c.green()), quint8(c.blue())};
}

QColor toColor(Rgb rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

bool isField(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) != nullptr;
}

// What a control shows as its background and its text: panels and labels use the window roles,
// the answer fields their base and text roles. Disabled controls paint with the disabled group,
// so both groups have to carry the colour.
QColor background(const QWidget* w, QPalette::ColorGroup group = QPalette::Active) {
    return w->palette().color(group, isField(w) ? QPalette::Base : QPalette::Window);
}

QColor foreground(const QWidget* w, QPalette::ColorGroup group = QPalette::Active) {
    return w->palette().color(group, isField(w) ? QPalette::Text : QPalette::WindowText);
}

// The eight controls that show numbers, in the order they are coloured.
QList<const QWidget*> numberControlsOf(const TForm1& w) {
    const MainWindowControls c(w);
    return {c.Panel_Aufgaben_Nr_zeigen,  c.Panel_Punkte_zeigen,
            c.Panel_Zahl_1_zeigen,       c.Panel_Zahl_2_zeigen,
            c.Panel_Verknuepfung_zeigen, c.Gleichheitszeichen,
            c.Eingabe_aufnehmen(),       c.Edit_Rest};
}

// A main window built with a chosen UTC time of day, so that its start scheme is known. The clock
// stands still while the window is created and then moves on a few milliseconds per reading, as
// task generation needs.
struct ClockedWindow : MainWindowFixture {
    explicit ClockedWindow(QTime utc) : MainWindowFixture(utc) {}

    QWidget* client() const { return form->centralWidget(); }
    QAction* item(const char* name) const {
        QAction* a = form->findChild<QAction*>(QString::fromLatin1(name));
        if (!a)
            qWarning("no menu item %s", name);
        return a;
    }
    void trigger(const char* name) const {
        if (QAction* a = item(name))
            a->trigger();
    }

    // The rectangle the window should show for a point, from its present size.
    std::optional<PointRect> expectedRect(int points, Rgb colour) const {
        return pointRectGeometry(points, form->frameGeometry().width(), client()->height(),
                                 c->Panel_Grenze->height(), c->Panel_Einstellungen->height(),
                                 colour);
    }

    // The colour the window really shows at a point of the client area.
    QColor pixelAt(QPoint clientPos) const {
        const QImage image = form->grab().toImage();
        return image.pixelColor(client()->mapTo(form.get(), clientPos));
    }
};

// 00:00:00.000 UTC draws scheme 0, as worked out by hand for the generator.
const QTime schemeZeroTime(0, 0, 0, 0);

QPoint centreOf(const PointRect& r) {
    return QPoint(r.x + r.width / 2, r.y + r.height / 2);
}

// The colour-carrying roles of every control in the task area and the settings panel, keyed by
// control, role and colour group.
QMap<QString, QColor> colourSnapshot(const TForm1& w) {
    const MainWindowControls c(w);
    QMap<QString, QColor> snapshot;
    auto take = [&](const QWidget* widget, QPalette::ColorRole role) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Disabled}) {
            const QString key = QStringLiteral("%1/%2/%3")
                                    .arg(widget->objectName())
                                    .arg(int(role))
                                    .arg(group == QPalette::Active ? "active" : "disabled");
            snapshot.insert(key, widget->palette().color(group, role));
        }
    };
    take(w.centralWidget(), QPalette::Window);
    for (const QWidget* panel : {static_cast<const QWidget*>(c.Panel_Grenze),
                                 static_cast<const QWidget*>(c.Panel_Einstellungen)}) {
        take(panel, QPalette::Window);
        take(panel, QPalette::WindowText);
    }
    for (const QWidget* label : std::initializer_list<const QWidget*>{
             c.Label_Name, c.Label_Rechenart, c.Label_Zeit, c.Label_Bereich_Zahl_1,
             c.Label_Bereich_Zahl_2, c.Label_Aufgaben_Nr, c.Label_Punkte, c.Label_Rest,
             static_cast<QWidget*>(c.Panel_Wettbewerb_ini)})
        take(label, QPalette::WindowText);
    for (const QWidget* panel : c.Panel_W)
        take(panel, QPalette::WindowText);
    for (const QWidget* panel :
         {c.Panel_Aufgaben_Nr_zeigen, c.Panel_Punkte_zeigen, c.Panel_Zahl_1_zeigen,
          c.Panel_Zahl_2_zeigen, c.Panel_Verknuepfung_zeigen, c.Gleichheitszeichen}) {
        take(panel, QPalette::Window);
        take(panel, QPalette::WindowText);
    }
    for (const QWidget* field : std::initializer_list<const QWidget*>{
             c.Eingabe_aufnehmen(), c.Edit_Rest, c.Edit_Name, c.Edit_Zeit}) {
        take(field, QPalette::Base);
        take(field, QPalette::Text);
    }
    take(c.But_Start, QPalette::ButtonText);
    return snapshot;
}

QSet<QString> changedKeys(const QMap<QString, QColor>& before, const QMap<QString, QColor>& after) {
    QSet<QString> changed;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            changed.insert(it.key());
    }
    return changed;
}

QSet<QString> keysFor(const QList<QPair<const QWidget*, QPalette::ColorRole>>& targets) {
    QSet<QString> keys;
    for (const auto& [widget, role] : targets) {
        for (const char* group : {"active", "disabled"})
            keys.insert(
                QStringLiteral("%1/%2/%3").arg(widget->objectName()).arg(int(role)).arg(group));
    }
    return keys;
}

// Shows a modal window through `open` while a zero timer inspects and closes it from inside its
// loop. A watchdog closes whatever modal window is still open after three seconds, so a window
// that will not close fails the test instead of hanging it.
struct ModalResult {
    QWidget* shownModal = nullptr;
    bool closedFromInside = false;
    bool watchdogFired = false;
};

ModalResult openAndClose(const std::function<void()>& open,
                         const std::function<void(QWidget*)>& close) {
    ModalResult result;
    // Ties the zero timer to this call: if `open` returns without a modal loop, it never fires.
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
        result.shownModal = QApplication::activeModalWidget();
        if (result.shownModal) {
            close(result.shownModal);
            result.closedFromInside = true;
        }
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        result.watchdogFired = true;
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    watchdog.start(3000);
    open();
    watchdog.stop();
    return result;
}

} // namespace

class TestMainWindowAppearance : public QObject {
    Q_OBJECT
private slots:
    void menuBarAndSettingsMenu();
    void windowFitsTheScreenWithItsMenuBar();
    void colourItemsChangeTheirControlsOnly();
    void startSchemeFollowsTheClock_data();
    void startSchemeFollowsTheClock();
    void pointRectanglesOfARun();
    void mainWindowColourRemovesRectangles();
    void pointRectSwitch();
    void pointsDisplaySwitch();
    void fewerSaveHintsSwitch();
    void helpAndAboutOpenModally();
    void helpAndAboutMadeAtFirstUse();
};

void TestMainWindowAppearance::menuBarAndSettingsMenu() {
    MainWindowFixture f;
    TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;

    // The menu bar: five menus and "&Hilfe", which acts at once.
    const QList<QAction*> bar = w.menuBar()->actions();
    QStringList barTexts;
    QStringList barNames;
    for (QAction* a : bar) {
        barTexts << a->text();
        barNames << (a->menu() ? a->menu()->objectName() : a->objectName());
    }
    QCOMPARE(barTexts, (QStringList{"&Datei", "&Einstellungen", "&Leistungen", "&Aufgaben", "&Info",
                                    "&Hilfe"}));
    QCOMPARE(barNames, (QStringList{"Datei1", "Einstellungen1", "Leistungen1", "Aufgaben1", "Info1",
                                    "Hilfe1"}));
    QCOMPARE(bar.last(), c.Hilfe1);
    QVERIFY(c.Hilfe1->menu() == nullptr);

    auto itemList = [](QMenu* menu) {
        QStringList items;
        for (QAction* a : menu->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + "|" + a->text());
        return items;
    };
    QCOMPARE(itemList(c.Datei1), (QStringList{"-", "beenden1|&Beenden"}));
    QCOMPARE(itemList(c.Leistungen1),
             (QStringList{"ffnen1|gespeicherte Leistungen  &zeigen/ drucken",
                          "Best1|&Bestenlisten zu den Wettbewerben",
                          "Lernverlaufzeigen1|&Lernverlauf zeigen",
                          "Klassenuebersicht1|&Klassenübersicht",
                          "Lernverlaufuebertragen1|Lernverlauf &übertragen ..."}));
    QCOMPARE(
        itemList(c.Aufgaben1),
        (QStringList{"gespeichertenAufgabensatzzeigen1|gespeicherten Aufgabensatz "
                     "&zeigen/ drucken",
                     "-", "einleeresAufgabenblattdrucken1|ein l&eeres Aufgabenblatt drucken", "-",
                     "UebenNachMass1|Üben nach &Maß", "|&Schwierigkeit beim Üben nach Maß"}));
    QCOMPARE(itemList(c.Info1), (QStringList{"Info2|&Info"}));

    // "&Einstellungen": the six colour submenus, then the switches.
    const QStringList allColours{"Yellow",  "White",  "Lime", "Black", "Maroon", "Green",
                                 "Olive",   "Purple", "Red",  "Teal",  "Blue",   "Gray",
                                 "Fuchsia", "Silver", "Aqua", "Navy"};
    auto without = [&](const QString& leftOut) {
        QStringList colours = allColours;
        colours.removeOne(leftOut);
        return colours;
    };
    struct Submenu {
        QString name;
        QString caption;
        QString digit;
        QStringList colours;
    };
    const QList<Submenu> submenus{
        {"FarbeHauptfenster1", "Farbe &Hauptfenster", "1", without("White")},
        {"FarbeEinstellungsfenster1", "Farbe &Einstellungsfenster", "2", without("Black")},
        {"FarbeSchriftimEinstellungsfenster1", "Farbe &Schrift im Einstellungsfenster", "6",
         allColours},
        {"FarbeZahlenfenster1", "Farbe Zahlen&fenster", "3", without("Black")},
        {"FarbeZahlen1", "Farbe &Zahlen", "5", allColours},
        {"FarbePunkteRechtecke1", "&Farbe Punkte-Rechtecke", "4", without("Red")},
    };

    const QList<QAction*> settings = c.Einstellungen1->actions();
    QCOMPARE(settings.size(), 6 + 1 + 3 + 1 + 2 + 1 + 1 + 1 + 3);
    int colourItems = 0;
    for (int i = 0; i < 6; ++i) {
        const Submenu& expected = submenus[i];
        QMenu* menu = settings[i]->menu();
        QVERIFY2(menu, qPrintable(expected.name));
        QCOMPARE(menu->objectName(), expected.name);
        QCOMPARE(menu->title(), expected.caption);
        QStringList expectedItems;
        for (const QString& colour : expected.colours)
            expectedItems << colour + expected.digit + "|" + colour;
        QCOMPARE(itemList(menu), expectedItems);
        colourItems += int(menu->actions().size());
    }
    QCOMPARE(colourItems, 92);
    QStringList rest;
    for (int i = 6; i < settings.size(); ++i)
        rest << (settings[i]->isSeparator()
                     ? QStringLiteral("-")
                     : settings[i]->objectName() + "|" + settings[i]->text());
    QCOMPARE(rest, (QStringList{"-", "Rechteckeaus1|Punkte-&Rechtecke aus",
                                "PunkteAnzeigeaus1|&Punkte-Anzeige aus",
                                "RestZeitAnzeigeaus1|Rest-Zeit-Anzeige aus", "-",
                                "wenigerSpeichernHinweise1|&Alle Speichern-Hinweise einblenden",
                                "RangNachWettbewerb|Rang nach Wettbewerb nicht anzeigen", "-",
                                "Lernverlaufaufzeichnen1|&Lernverlauf aufzeichnen", "-",
                                "Vorlesen1|&Vorlesen", "|Sprech&tempo", "NurHoeren1|&Nur hören"}));
}

// The window is scaled with the menu bar it has at its scaled font: it fits the screen with room
// for the title bar and frame, and its client area keeps the design's proportions.
void TestMainWindowAppearance::windowFitsTheScreenWithItsMenuBar() {
    MainWindowFixture f;
    const TForm1& w = *f.form;
    const QRect available = w.screen()->availableGeometry();
    QVERIFY2(w.height() <= available.height() - 48, qPrintable(QString::number(w.height())));
    const int clientHeight = w.height() - w.menuBar()->sizeHint().height();
    QVERIFY2(qAbs(clientHeight - qRound(434.0 * w.width() / 632)) <= 1,
             qPrintable(QString::number(clientHeight)));
}

void TestMainWindowAppearance::colourItemsChangeTheirControlsOnly() {
    ClockedWindow f(schemeZeroTime);
    TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;
    using Targets = QList<QPair<const QWidget*, QPalette::ColorRole>>;

    Targets numbersWindow;
    Targets numbersFont;
    for (const QWidget* c : numberControlsOf(w)) {
        numbersWindow.append({c, isField(c) ? QPalette::Base : QPalette::Window});
        numbersFont.append({c, isField(c) ? QPalette::Text : QPalette::WindowText});
    }
    Targets settingsFont;
    for (const QWidget* c :
         {static_cast<const QWidget*>(c.Label_Name), static_cast<const QWidget*>(c.Label_Rechenart),
          static_cast<const QWidget*>(c.Label_Zeit),
          static_cast<const QWidget*>(c.Label_Bereich_Zahl_1),
          static_cast<const QWidget*>(c.Label_Bereich_Zahl_2),
          static_cast<const QWidget*>(c.Panel_Grenze)})
        settingsFont.append({c, QPalette::WindowText});

    // The competition captions follow the settings panel's colour so that they stay readable
    // there: on white the switch turns black and the disabled panels a mid-grey.
    Targets captions{{c.Panel_Wettbewerb_ini, QPalette::WindowText}};
    for (const QWidget* panel : c.Panel_W)
        captions.append({panel, QPalette::WindowText});
    const QColor midGrey(0x80, 0x80, 0x80);

    struct Case {
        const char* item;
        QColor colour;
        Targets targets;
        Targets captionTargets = {};
    };
    // Scheme 0 is green, green, white, olive, black, maroon: every choice below is a change.
    const QList<Case> cases{
        {"Teal1", teal, {{w.centralWidget(), QPalette::Window}}},
        {"White2",
         white,
         {{c.Panel_Grenze, QPalette::Window}, {c.Panel_Einstellungen, QPalette::Window}},
         captions},
        {"Red6", red, settingsFont},
        {"Navy3", navy, numbersWindow},
        {"Silver5", silver, numbersFont},
        {"Olive4", olive, {}},
    };
    for (const Case& c : cases) {
        const QMap<QString, QColor> before = colourSnapshot(w);
        f.trigger(c.item);
        const QMap<QString, QColor> after = colourSnapshot(w);
        const QSet<QString> changed = changedKeys(before, after);
        QVERIFY2(changed == keysFor(c.targets) + keysFor(c.captionTargets),
                 qPrintable(QStringLiteral("%1 changed: %2")
                                .arg(c.item)
                                .arg(QStringList(changed.values()).join(' '))));
        for (const QString& key : changed) {
            QColor expected = c.colour;
            if (keysFor(c.captionTargets).contains(key))
                expected = key.startsWith(QStringLiteral("Panel_Wettbewerb_ini"))
                               ? QColor(Qt::black)
                               : midGrey;
            QVERIFY2(
                after.value(key) == expected,
                qPrintable(
                    QStringLiteral("%1: %2 is %3").arg(c.item, key).arg(after.value(key).name())));
        }
    }
    QCOMPARE(w.mainWindowColour, toRgb(teal));
    QCOMPARE(w.pointRectColour, toRgb(olive));

    // What the window paints: the client area, the top bar, the settings panel, a number panel
    // and the (disabled) answer field.
    const QPoint emptyClientSpot(4, c.Panel_Grenze->height() + 4);
    QVERIFY(f.client()->childAt(emptyClientSpot) == nullptr);
    QCOMPARE(f.pixelAt(emptyClientSpot), teal);
    QCOMPARE(f.pixelAt(c.Panel_Grenze->geometry().center()), white);
    const QPoint inSettingsPanel(c.Panel_Einstellungen->width() - 5,
                                 c.Panel_Einstellungen->height() - 5);
    QCOMPARE(c.Panel_Einstellungen->childAt(inSettingsPanel), nullptr);
    QCOMPARE(f.pixelAt(c.Panel_Einstellungen->mapTo(f.client(), inSettingsPanel)), white);
    QCOMPARE(f.pixelAt(c.Panel_Punkte_zeigen->geometry().topLeft() + QPoint(2, 2)), navy);
    QVERIFY(!c.Eingabe_aufnehmen()->isEnabled());
    const QRect field = c.Eingabe_aufnehmen()->geometry();
    QCOMPARE(f.pixelAt(QPoint(field.right() - 5, field.center().y())), navy);

    // The end of a run paints the window with the chosen main colour again.
    f.start();
    f.stop();
    QCOMPARE(background(f.client()), teal);
    QCOMPARE(f.pixelAt(emptyClientSpot), teal);
}

void TestMainWindowAppearance::startSchemeFollowsTheClock_data() {
    QTest::addColumn<QTime>("utc");
    QTest::addColumn<int>("scheme");
    // The schemes these times draw, worked out by hand for the generator.
    QTest::newRow("00:00:00.000") << QTime(0, 0, 0, 0) << 0;
    QTest::newRow("12:00:00.000") << QTime(12, 0, 0, 0) << 1;
    QTest::newRow("10:30:45.123") << QTime(10, 30, 45, 123) << 2;
    QTest::newRow("00:37:00.017") << QTime(0, 37, 0, 17) << 3;
}

void TestMainWindowAppearance::startSchemeFollowsTheClock() {
    QFETCH(QTime, utc);
    QFETCH(int, scheme);

    // The draw the window makes must be the program's draw for that clock.
    FixedClock clock;
    clock.utc = utc;
    Lcg predicted;
    QCOMPARE(pickStartScheme(predicted, clock), scheme);

    struct Colours {
        QColor main, settingsPanel, settingsFont, numbers, numbersFont, pointRects;
    };
    const Colours schemes[4] = {
        {green, green, white, olive, black, maroon},
        {green, maroon, white, maroon, white, black},
        {gray, navy, white, navy, white, white},
        {green, navy, white, navy, white, maroon},
    };
    const Colours& s = schemes[scheme];

    ClockedWindow f(utc);
    const TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Disabled}) {
        QCOMPARE(background(f.client(), group), s.main);
        QCOMPARE(background(c.Panel_Grenze, group), s.settingsPanel);
        QCOMPARE(background(c.Panel_Einstellungen, group), s.settingsPanel);
        for (const QWidget* label : {static_cast<const QWidget*>(c.Label_Name),
                                     static_cast<const QWidget*>(c.Label_Rechenart),
                                     static_cast<const QWidget*>(c.Label_Zeit),
                                     static_cast<const QWidget*>(c.Label_Bereich_Zahl_1),
                                     static_cast<const QWidget*>(c.Label_Bereich_Zahl_2),
                                     static_cast<const QWidget*>(c.Panel_Grenze)})
            QCOMPARE(foreground(label, group), s.settingsFont);
        for (const QWidget* number : numberControlsOf(w)) {
            QCOMPARE(background(number, group), s.numbers);
            QCOMPARE(foreground(number, group), s.numbersFont);
        }
    }
    QCOMPARE(w.mainWindowColour, toRgb(s.main));
    QCOMPARE(w.pointRectColour, toRgb(s.pointRects));
}

void TestMainWindowAppearance::pointRectanglesOfARun() {
    ClockedWindow f(schemeZeroTime);
    TForm1& w = *f.form;
    const Rgb maroonRgb = toRgb(maroon);
    QCOMPARE(w.pointRectColour, maroonRgb);
    QVERIFY(w.pointRectsOnScreen().isEmpty());

    f.start();
    f.answerRight();
    f.answerRight();
    f.answerWrong();
    f.answerRight();
    QCOMPARE(f.state.points, 3);
    QList<PointRect> rects = w.pointRectsOnScreen();
    QCOMPARE(rects.size(), 3);
    for (int p = 1; p <= 3; ++p)
        QCOMPARE(rects[p - 1], *f.expectedRect(p, maroonRgb));
    f.answerWrong();
    QCOMPARE(w.pointRectsOnScreen().size(), 3);

    // A new rectangle colour holds for the next rectangles only; white ones get a black edge.
    // (The settings menu is locked during a run, so the item is triggered directly.)
    f.trigger("White4");
    f.answerRight();
    rects = w.pointRectsOnScreen();
    QCOMPARE(rects.size(), 4);
    QCOMPARE(rects[0].fill, maroonRgb);
    QCOMPARE(rects[0].outline, toRgb(white));
    QCOMPARE(rects[3], *f.expectedRect(4, toRgb(white)));
    QCOMPARE(rects[3].outline, toRgb(black));

    // The rectangles are really painted behind the controls: fill inside, outline on the edge.
    for (int i : {0, 3}) {
        const PointRect& r = rects[i];
        QVERIFY(f.client()->childAt(centreOf(r)) == nullptr);
        QVERIFY(f.client()->childAt(QPoint(r.x + 1, r.y)) == nullptr);
        QCOMPARE(f.pixelAt(centreOf(r)), toColor(r.fill));
        QCOMPARE(f.pixelAt(QPoint(r.x + r.width / 2, r.y)), toColor(r.outline));
        QCOMPARE(f.pixelAt(QPoint(r.x + r.width - 1, r.y + r.height / 2)), toColor(r.outline));
    }

    // A repaint keeps them; a new window size places them anew.
    w.repaint();
    QCOMPARE(w.pointRectsOnScreen(), rects);
    const PointRect firstBefore = rects[0];
    const QSize oldSize = w.size();
    w.resize(oldSize.width() + 100, oldSize.height() + 60);
    QTRY_COMPARE(w.size(), QSize(oldSize.width() + 100, oldSize.height() + 60));
    rects = w.pointRectsOnScreen();
    QCOMPARE(rects.size(), 4);
    QVERIFY(rects[0] != firstBefore);
    for (int p = 1; p <= 4; ++p)
        QCOMPARE(rects[p - 1], *f.expectedRect(p, p < 4 ? maroonRgb : toRgb(white)));
    QCOMPARE(f.pixelAt(centreOf(rects[0])), maroon);

    // Stop ends the run and clears the field.
    const QPoint firstCell = centreOf(rects[0]);
    f.stop();
    QVERIFY(w.pointRectsOnScreen().isEmpty());
    QCOMPARE(f.pixelAt(firstCell), green);
}

void TestMainWindowAppearance::mainWindowColourRemovesRectangles() {
    ClockedWindow f(schemeZeroTime);
    TForm1& w = *f.form;
    f.start();
    f.answerRight();
    f.answerRight();
    QCOMPARE(w.pointRectsOnScreen().size(), 2);
    const QPoint firstCell = centreOf(w.pointRectsOnScreen().first());
    QCOMPARE(f.pixelAt(firstCell), maroon);
    // The settings menu is locked during a run; the item is triggered directly.
    f.trigger("Blue1");
    QVERIFY(w.pointRectsOnScreen().isEmpty());
    QCOMPARE(f.pixelAt(firstCell), QColor(0x00, 0x00, 0xFF));
    // Points scored afterwards start again in their own cells.
    f.answerRight();
    QCOMPARE(w.pointRectsOnScreen(), QList<PointRect>{*f.expectedRect(3, toRgb(maroon))});
}

void TestMainWindowAppearance::pointRectSwitch() {
    ClockedWindow f(schemeZeroTime);
    TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;
    f.trigger("Rechteckeaus1");
    QVERIFY(!f.menus().pointRectsOn());
    QCOMPARE(c.Rechteckeaus1->text(), QString("Punkte-&Rechtecke ein"));

    f.start();
    f.answerRight();
    f.answerRight();
    QCOMPARE(f.state.points, 2);
    QVERIFY(w.pointRectsOnScreen().isEmpty());
    // Switched on again (directly, the menu being locked): only new points get rectangles.
    f.trigger("Rechteckeaus1");
    QVERIFY(f.menus().pointRectsOn());
    QCOMPARE(c.Rechteckeaus1->text(), QString("Punkte-&Rechtecke aus"));
    f.answerRight();
    QCOMPARE(w.pointRectsOnScreen(), QList<PointRect>{*f.expectedRect(3, toRgb(maroon))});

    // Switched off, the rectangles on screen stay.
    f.trigger("Rechteckeaus1");
    f.answerRight();
    QCOMPARE(f.state.points, 4);
    QCOMPARE(w.pointRectsOnScreen().size(), 1);
    QCOMPARE(c.Rechteckeaus1->text(), QString("Punkte-&Rechtecke ein"));
}

void TestMainWindowAppearance::pointsDisplaySwitch() {
    MainWindowFixture f;
    const MainWindowControls& c = *f.c;
    QAction* item = c.PunkteAnzeigeaus1;
    QVERIFY(c.Panel_Punkte_zeigen->isVisible());
    QVERIFY(c.Label_Punkte->isVisible());

    item->trigger();
    QVERIFY(!f.menus().pointsDisplayOn());
    QCOMPARE(item->text(), QString("&Punkte-Anzeige ein"));
    QVERIFY(!c.Panel_Punkte_zeigen->isVisible());
    QVERIFY(!c.Label_Punkte->isVisible());

    // A run keeps the display hidden and counts anyway.
    f.start();
    QVERIFY(!c.Panel_Punkte_zeigen->isVisible());
    f.answerRight();
    f.answerRight();
    QCOMPARE(f.state.points, 2);

    // Switched on (directly, the menu being locked during the run): both at once, current count.
    item->trigger();
    QVERIFY(f.menus().pointsDisplayOn());
    QCOMPARE(item->text(), QString("&Punkte-&Anzeige aus"));
    QVERIFY(c.Panel_Punkte_zeigen->isVisible());
    QVERIFY(c.Label_Punkte->isVisible());
    QCOMPARE(c.Panel_Punkte_zeigen->text(), QString("2"));
    QCOMPARE(c.Label_Punkte->text(), QString("Punkte"));

    item->trigger();
    QCOMPARE(item->text(), QString("&Punkte-Anzeige ein"));
    QVERIFY(!c.Panel_Punkte_zeigen->isVisible());
    QVERIFY(!c.Label_Punkte->isVisible());
}

void TestMainWindowAppearance::fewerSaveHintsSwitch() {
    MainWindowFixture f;
    const MainWindowControls& c = *f.c;
    QAction* item = c.wenigerSpeichernHinweise1;
    f.start();
    f.answerRight();
    f.stop();
    QVERIFY(f.pending.results);
    f.start();
    QVERIFY(!c.But_Stop->isVisible()); // pending data: Start does nothing

    item->trigger();
    QVERIFY(f.menus().fewerSaveHints());
    QCOMPARE(item->text(), QString("Alle Speichern-Hinweise einblenden"));
    f.start();
    QVERIFY(c.But_Stop->isVisible());
    f.answerRight();
    f.stop();

    item->trigger();
    QVERIFY(!f.menus().fewerSaveHints());
    QCOMPARE(item->text(), QString("weniger Speichern-Hinweise einblenden"));
    f.start();
    QVERIFY(!c.But_Stop->isVisible());
    QVERIFY(f.platform.messages.isEmpty());

    item->trigger();
    QCOMPARE(item->text(), QString("Alle Speichern-Hinweise einblenden"));
}

void TestMainWindowAppearance::helpAndAboutOpenModally() {
    MainWindowFixture f;
    TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;
    QVERIFY(!c.Hilfe1->isEnabled());
    QVERIFY(!c.Info2->isEnabled());

    TForm_Info info(&w);
    TForm_Hilfe help(&w);
    w.attachInformationWindows([&] { return &info; }, [&] { return &help; });
    QVERIFY(c.Hilfe1->isEnabled());
    QVERIFY(c.Info2->isEnabled());

    // Both stay available during a run.
    f.start();
    QVERIFY(c.Hilfe1->isEnabled());
    QVERIFY(c.Info1->menuAction()->isEnabled());
    QVERIFY(c.Info2->isEnabled());

    const ModalResult helpShown =
        openAndClose([&] { c.Hilfe1->trigger(); }, [](QWidget* window) { window->close(); });
    QVERIFY(!helpShown.watchdogFired);
    // Found open as the modal window from inside the trigger, closed there.
    QVERIFY(helpShown.closedFromInside);
    QCOMPARE(helpShown.shownModal, static_cast<QWidget*>(&help));
    QVERIFY(!help.isVisible());

    const ModalResult infoShown =
        openAndClose([&] { c.Info2->trigger(); },
                     [](QWidget* window) {
                         auto* ok = window->findChild<QPushButton*>(QStringLiteral("OKButton"));
                         if (ok)
                             QTest::mouseClick(ok, Qt::LeftButton);
                     });
    QVERIFY(!infoShown.watchdogFired);
    QVERIFY(infoShown.closedFromInside);
    QCOMPARE(infoShown.shownModal, static_cast<QWidget*>(&info));
    QVERIFY(!info.isVisible());

    // Neither window touches the run.
    QCOMPARE(f.state.taskCounter, 1);
    QVERIFY(c.But_Stop->isVisible());
}

void TestMainWindowAppearance::helpAndAboutMadeAtFirstUse() {
    MainWindowFixture f;
    TForm1& w = *f.form;
    const MainWindowControls& c = *f.c;
    std::unique_ptr<TForm_Info> info;
    std::unique_ptr<TForm_Hilfe> help;
    int infoMade = 0;
    int helpMade = 0;
    w.attachInformationWindows(
        [&] {
            ++infoMade;
            info = std::make_unique<TForm_Info>(&w);
            return info.get();
        },
        [&] {
            ++helpMade;
            help = std::make_unique<TForm_Hilfe>(&w);
            return help.get();
        });
    // Enabled before either window exists.
    QVERIFY(c.Hilfe1->isEnabled());
    QVERIFY(c.Info2->isEnabled());
    QCOMPARE(infoMade, 0);
    QCOMPARE(helpMade, 0);

    for (int time = 1; time <= 2; ++time) {
        const ModalResult helpShown =
            openAndClose([&] { c.Hilfe1->trigger(); }, [](QWidget* window) { window->close(); });
        QVERIFY(!helpShown.watchdogFired);
        QVERIFY(helpShown.closedFromInside);
        QCOMPARE(helpShown.shownModal, static_cast<QWidget*>(help.get()));
        QCOMPARE(helpMade, 1); // made once, at the first use, and kept
        QCOMPARE(infoMade, 0);
    }

    for (int time = 1; time <= 2; ++time) {
        const ModalResult infoShown =
            openAndClose([&] { c.Info2->trigger(); }, [](QWidget* window) { window->close(); });
        QVERIFY(!infoShown.watchdogFired);
        QVERIFY(infoShown.closedFromInside);
        QCOMPARE(infoShown.shownModal, static_cast<QWidget*>(info.get()));
        QCOMPARE(infoMade, 1);
        QCOMPARE(helpMade, 1);
    }

    // Attached again, the new functions replace the old ones and their windows; without one, its
    // item is disabled.
    TForm_Info otherInfo(&w);
    w.attachInformationWindows([&] { return &otherInfo; }, {});
    QVERIFY(c.Info2->isEnabled());
    QVERIFY(!c.Hilfe1->isEnabled());
    c.Hilfe1->trigger();
    QCOMPARE(helpMade, 1);
}

QTEST_MAIN(TestMainWindowAppearance)
#include "tst_main_window_appearance.moc"
