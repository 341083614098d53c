#include "appearance/hilfe.h"

#include "appearance/screen_centre.h"
#include "platform/window_scaling.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

// The page was laid out for a screen of 120 pixels per inch: a client area of 749 x 580 and a
// font 16 pixels high. The window's design values here are the same sizes at 96 pixels per
// inch (x 96 / 120, rounded), and the screen scaling on top of that makes them fit the screen.
constexpr int designDpi = 120;
constexpr int baseDpi = 96;
constexpr int at96(int pixelsAt120) {
    return (pixelsAt120 * baseDpi + designDpi / 2) / designDpi;
}
constexpr int clientWidth = at96(749);  // 599
constexpr int clientHeight = at96(580); // 464
constexpr int lineHeight = at96(16);    // 13

// The font's 16 pixels are its whole line, ascent and descent together; a Qt pixel size is the
// smaller em. Taking the largest font whose line fits keeps the 31 lines inside the page, which
// matters because the whole page should be seen at once.
QFont fontWithLineHeight(QFont font, int height) {
    int pixelSize = height;
    font.setPixelSize(pixelSize);
    while (pixelSize > 1 && QFontMetrics(font).height() > height)
        font.setPixelSize(--pixelSize);
    return font;
}

QColor halfway(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

} // namespace

QStringList TForm_Hilfe::helpLines() {
    return {
        QStringLiteral(""),
        QStringLiteral("   Spiel-Verlauf außerhalb von Wettbewerben:"),
        QStringLiteral("                   "),
        QStringLiteral(
            "                - Einstellungen (am unteren Rand des Bildschirms) vornehmen"),
        QStringLiteral("                - Auf 'Start' clicken"),
        QStringLiteral("                - Solange das Spiel läuft:"),
        QStringLiteral("                          Ergebnis eingeben und RETURN (Eingabe) drücken"),
        QStringLiteral("                - Spiel beenden durch Clicken auf 'Stopp'"),
        QStringLiteral(
            "                          (Dieses 'Stopp' wirkt auch bei Angabe einer Zeitgrenze!)"),
        QStringLiteral("                - Mit der Tastatur: Tab geht zum nächsten Feld, Alt+Pfeil "
                       "runter öffnet"),
        QStringLiteral("                  eine Liste, Return wählt darin, Alt+S drückt 'Start' "
                       "oder 'Stopp'."),
        QStringLiteral(""),
        QStringLiteral("   Auf Wettbewerbe umschalten und einen Wettbewerb durchführen:"),
        QStringLiteral(""),
        QStringLiteral("                - 'Wettbewerbe ein' anklicken"),
        QStringLiteral(
            "                - Durch Click auf 'W1' oder 'W2' oder ... einen der voreingestellten"),
        QStringLiteral("                  Wettbewerbe wählen."),
        QStringLiteral("                  (Im Einstellungsfenster sind dann die Bedingungen zum"),
        QStringLiteral("                  eingestellten Wettbewerb zu erkennen.)"),
        QStringLiteral("                - 'Zum Wettbewerb Namen eingeben' anclicken und Namen"),
        QStringLiteral("                  eingeben"),
        QStringLiteral("                - Auf 'Start' clicken"),
        QStringLiteral("                - Solange das Spiel läuft:"),
        QStringLiteral("                          Ergebnis eingeben und RETURN (Eingabe) drücken"),
        QStringLiteral("                - Der Wettbewerb endet automatisch nach Ablauf der "
                       "vorgegebenen Zeit oder"),
        QStringLiteral("                  durch einen Click auf 'Stopp'"),
        QStringLiteral(""),
        QStringLiteral(""),
        QStringLiteral("   Zum Verlassen der Wettbewerbe clicke 'Wettbewerbe aus' an."),
        QStringLiteral("   (Dazu muss aber der letzte Wettbewerb beendet sein!)"),
        QStringLiteral("                "),
    };
}

void TForm_Hilfe::setReadingAloud(bool on) {
    QStringList lines = helpLines();
    if (on)
        lines << QStringLiteral("   Vorlesen (Menü 'Einstellungen'):")
              << QStringLiteral("                - Jede Aufgabe, ob sie richtig war, die Rest-Zeit "
                                "und das Ergebnis werden vorgelesen.")
              << QStringLiteral("                - F5 oder Strg+R liest die Aufgabe noch einmal.")
              << QStringLiteral("                - 'Nur hören': Die Zahlen erscheinen erst nach "
                                "der Antwort.");
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

TForm_Hilfe::TForm_Hilfe(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TForm_Hilfe"));
    setWindowTitle(QStringLiteral("Hilfe"));
    // The window takes the program's icon from the application (see app/main.cpp).

    setFont(fontWithLineHeight(QFontDatabase::systemFont(QFontDatabase::GeneralFont), lineHeight));
    resize(clientWidth, clientHeight);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(0, 0, clientWidth, clientHeight);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setPlainText(helpLines().join(QLatin1Char('\n')));
    // A page to read, not to work on: no editing, no selection, no context menu, no caret drawn.
    // It takes the focus when the window opens, and the arrow and page keys move an unseen
    // cursor through the lines and scroll, so a screen reader reads the page line by line.
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByKeyboard);
    Memo1->setCursorWidth(0);
    Memo1->setContextMenuPolicy(Qt::NoContextMenu);
    Memo1->setFocusPolicy(Qt::StrongFocus);
    connect(Memo1, &QPlainTextEdit::selectionChanged, Memo1, [this] {
        QTextCursor cursor = Memo1->textCursor();
        if (cursor.hasSelection()) {
            cursor.clearSelection();
            Memo1->setTextCursor(cursor);
        }
    });
    // It looks like inactive text on the menu background, as a page to read only.
    QPalette palette = Memo1->palette();
    const QColor menuColour = QApplication::palette("QMenu").color(QPalette::Window);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, menuColour);
    // Many styles draw disabled text so faint on this background that a child cannot read the
    // page. Halfway between normal and disabled text it still looks inactive and stays legible.
    const QColor text = halfway(palette.color(QPalette::Active, QPalette::Text),
                                palette.color(QPalette::Disabled, QPalette::Text));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Text, text);
    Memo1->setPalette(palette);

    FormCreate();
}

void TForm_Hilfe::FormCreate() {
    scaleWindowToScreen(this);
    // Fixed single border: the page has one size.
    setFixedSize(size());
}

void TForm_Hilfe::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnScreen(this);
}
