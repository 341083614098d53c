#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct RunSettings;

// The five operations of the settings panel, in list order.
const QStringList& operationItems();
// Index of the item whose text equals text exactly, or -1.
int operationItemIndex(const QString& text);
// Sets the operation from an operation item index (0..4); any other index changes nothing.
void applyOperationItem(RunSettings& settings, int index);

struct RangeItem {
    QString text;
    qint32 lowerBound;
    qint32 upperBound;
};
// The fourteen operand ranges of both range lists, in list order. The bounds are part of the
// table, never parsed from the text.
const QList<RangeItem>& rangeItems();
int rangeItemIndex(const QString& text);
// The range item with exactly these bounds, or -1 (a lower bound raised by a division with
// remainder matches none).
int rangeItemFor(qint32 lowerBound, qint32 upperBound);

// How a list opens without a mouse; every hint about the lists names it.
inline const QString listKeyboardRoute =
    QStringLiteral("Mit der Tastatur: Alt+Pfeil runter öffnet die Liste, Return wählt.");
inline const QString operationListHint =
    QStringLiteral("Klicke bitte auf die Pfeiltaste rechts, und wähle   \neine der vorgegebenen "
                   "Rechenarten !\n") +
    listKeyboardRoute;
inline const QString rangeListHint =
    QStringLiteral(
        "Klicke bitte auf die Pfeiltaste rechts, und\nwähle einen der vorgegebenen Zahlen-Bereiche "
        "!\n") +
    listKeyboardRoute;
inline const QString timeOutOfRangeWarning =
    QStringLiteral("Gib bitte eine Natürliche Zahl n ein mit 0 < n < 1201 !");
inline const QString timeFieldExitHint =
    QStringLiteral("Gib bitte im 'Zeitfeld' eine natürliche Zahl n ein\nmit 0 <= n < 1201");

inline constexpr qint32 maxTimeLimit = 1200;

// The settings panel is wider than the window: the desktop's font scaling spoils the layout.
inline const QString fontScalingHint =
    QStringLiteral("Falls Karten oder Buttons nicht sinnvoll plaziert\nzu sein scheinen, so "
                   "verlassen Sie bitte dieses Programm,\nwechseln zu "
                   "\n'Einstellungen/Systemsteuerung/Anzeige/Einstellungen/Schriftgrad/"
                   "andere'\nund stellen dort 'Schriftgrad ... skalieren' auf 100%!");

// Whether every character is one of the digits 0..9 (true for an empty text). The answer, remainder
// and time fields admit nothing else.
bool isDecimalDigits(const QString& text);

// What a change of the time field means: the new time limit, if the text gives one, and whether
// the child is warned. "0" and "" mean no limit; 1..1200 is taken; anything else keeps the old
// limit and warns.
struct TimeFieldChange {
    std::optional<qint32> timeLimit;
    bool warn = false;
};
TimeFieldChange evaluateTimeFieldChange(const QString& text);

// Whether the time field may be left with this text: a number 0..1200.
bool timeFieldAcceptable(const QString& text);

// The countdown line of the top bar, e.g. "... 1 : 5" for 65 seconds.
QString remainingTimeText(qint32 remainingSeconds);

// "    Deverizozov mit   " followed by the name: the main window's title.
QString mainWindowTitle(const QString& name);
