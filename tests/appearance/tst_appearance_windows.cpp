#include "appearance/focus_marker.h"
#include "appearance/hilfe.h"
#include "appearance/info.h"
#include "common/window_scale.h"
#include "platform/window_scaling.h"

#include <QApplication>
#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

namespace {

const QStringList expectedHelpLines{
    QStringLiteral(""),
    QStringLiteral("   Spiel-Verlauf außerhalb von Wettbewerben:"),
    QStringLiteral("                   "),
    QStringLiteral("                - Einstellungen (am unteren Rand des Bildschirms) vornehmen"),
    QStringLiteral("                - Auf 'Start' clicken"),
    QStringLiteral("                - Solange das Spiel läuft:"),
    QStringLiteral("                          Ergebnis eingeben und RETURN (Eingabe) drücken"),
    QStringLiteral("                - Spiel beenden durch Clicken auf 'Stopp'"),
    QStringLiteral(
        "                          (Dieses 'Stopp' wirkt auch bei Angabe einer Zeitgrenze!)"),
    QStringLiteral(
        "                - Mit der Tastatur: Tab geht zum nächsten Feld, Alt+Pfeil runter "
        "öffnet"),
    QStringLiteral("                  eine Liste, Return wählt darin, Alt+S drückt 'Start' oder "
                   "'Stopp'."),
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

int screenPercent(QWidget* window, QSize designSize) {
    return screenScalePercent(window->screen(), designSize);
}

int scaled(int value, int percent) {
    return int(roundHalfEven(qint64(value) * percent, 100));
}

void verifyCentred(QWidget* window) {
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    const QPoint windowCentre = window->frameGeometry().center();
    QVERIFY2((screenCentre - windowCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("window centre %1,%2, screen centre %3,%4")
                            .arg(windowCentre.x())
                            .arg(windowCentre.y())
                            .arg(screenCentre.x())
                            .arg(screenCentre.y())));
}

// Runs exec() on a dialog while `during` acts on it from inside the modal loop. A watchdog
// rejects the dialog if it is still open after two seconds, so a broken close never hangs.
int execWhile(QDialog& dialog, const std::function<void()>& during, bool& timedOut) {
    timedOut = false;
    QTimer::singleShot(0, &dialog, [&] {
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        during();
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] {
        timedOut = true;
        dialog.reject();
    });
    watchdog.start(2000);
    return dialog.exec();
}

} // namespace

class TestAppearanceWindows : public QObject {
    Q_OBJECT
private slots:
    void helpText();
    void helpTextCannotBeEditedOrSelected();
    void helpWindowGeometry();
    void aboutBoxContents();
    void aboutBoxClosesOnReturnAndOk();
    void dialogsFrameTheFocusedControl();
    void standardWindowsTakeTheProgramsTextSize();
};

void TestAppearanceWindows::helpText() {
    TForm_Hilfe help;
    auto* memo = help.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QVERIFY(memo);
    QCOMPARE(help.windowTitle(), QStringLiteral("Hilfe"));
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 31);
    QCOMPARE(lines.at(2), QString(19, QLatin1Char(' ')));
    QCOMPARE(lines.at(30), QString(16, QLatin1Char(' ')));
    for (int i = 0; i < expectedHelpLines.size(); ++i)
        QCOMPARE(lines.at(i), expectedHelpLines.at(i));
    // Nothing wraps: each line of the page is one line on screen.
    QCOMPARE(memo->document()->blockCount(), 31);
    QCOMPARE(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
}

void TestAppearanceWindows::helpTextCannotBeEditedOrSelected() {
    TForm_Hilfe help;
    auto* memo = help.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QVERIFY(memo);
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    const QString before = memo->toPlainText();

    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(40, 20));
    QTest::keyClicks(memo, QStringLiteral("abc"));
    QTest::keyClick(memo, Qt::Key_Delete);
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    QTest::mouseDClick(memo->viewport(), Qt::LeftButton, {}, QPoint(60, 20));
    QTest::mousePress(memo->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(memo->viewport(), QPoint(300, 200));
    QTest::mouseRelease(memo->viewport(), Qt::LeftButton, {}, QPoint(300, 200));

    QTest::keyClick(memo, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);

    QCOMPARE(memo->toPlainText(), before);
    QVERIFY(!memo->textCursor().hasSelection());
    QVERIFY(memo->isReadOnly());

    // The page has the focus when the window opens; the keys walk through its lines (which a
    // screen reader follows) down to the last one, and the text shows as before.
    QCOMPARE(QApplication::focusWidget(), memo);
    QTest::keyClick(memo, Qt::Key_Home, Qt::ControlModifier);
    for (int line = 0; line < 12; ++line)
        QTest::keyClick(memo, Qt::Key_Down);
    QCOMPARE(memo->textCursor().block().text(), expectedHelpLines.at(12));
    QTest::keyClick(memo, Qt::Key_PageDown);
    QTest::keyClick(memo, Qt::Key_PageDown);
    QCOMPARE(memo->textCursor().blockNumber(), 30);
    QCOMPARE(memo->palette().color(QPalette::Active, QPalette::Text),
             memo->palette().color(QPalette::Disabled, QPalette::Text));
}

void TestAppearanceWindows::helpWindowGeometry() {
    TForm_Hilfe help;
    auto* memo = help.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QVERIFY(memo);
    // 749 x 580 at 120 pixels per inch is 599 x 464 at 96, then scaled once to the screen.
    const int percent = screenPercent(&help, QSize(599, 464));
    const QSize expected(scaled(599, percent), scaled(464, percent));
    QCOMPARE(help.size(), expected);
    QCOMPARE(help.minimumSize(), expected);
    QCOMPARE(help.maximumSize(), expected);
    // Lines about 16 pixels high at 120 pixels per inch, that is 13 at 96, then scaled: not so
    // small that a child cannot read them.
    const int lineHeight = QFontMetrics(memo->font()).height();
    QVERIFY2(lineHeight >= scaled(13, percent) - 3 && lineHeight <= scaled(13, percent) + 2,
             qPrintable(QString::number(lineHeight)));

    for (int opening = 0; opening < 2; ++opening) {
        help.show();
        QVERIFY(QTest::qWaitForWindowExposed(&help));
        QCOMPARE(memo->geometry(), help.rect());
        // The whole page is visible: a disabled text cannot be scrolled to hidden lines.
        QCOMPARE(memo->verticalScrollBar()->maximum(), 0);
        QCOMPARE(memo->horizontalScrollBar()->maximum(), 0);
        verifyCentred(&help);
        QCOMPARE(memo->palette().color(QPalette::Disabled, QPalette::Base),
                 QApplication::palette("QMenu").color(QPalette::Window));
        // Disabled, the text must still stand out from its background well enough to read.
        const QPalette colours = memo->palette();
        QVERIFY(qAbs(colours.color(QPalette::Disabled, QPalette::Text).lightness() -
                     colours.color(QPalette::Disabled, QPalette::Base).lightness()) >= 80);
        help.hide();
        help.move(0, 0);
    }
}

void TestAppearanceWindows::aboutBoxContents() {
    TForm_Info info;
    const int percent = screenPercent(&info, QSize(643, 464));
    QCOMPARE(info.size(), QSize(scaled(643, percent), scaled(464, percent)));
    QCOMPARE(info.minimumSize(), info.maximumSize());

    auto* panel = info.findChild<QWidget*>(QStringLiteral("Panel1"));
    auto* icon = info.findChild<QLabel*>(QStringLiteral("ProgramIcon"));
    auto* product = info.findChild<QLabel*>(QStringLiteral("ProductName"));
    auto* version = info.findChild<QLabel*>(QStringLiteral("Version"));
    auto* ok = info.findChild<QPushButton*>(QStringLiteral("OKButton"));
    QVERIFY(panel && icon && product && version && ok);

    QCOMPARE(product->text(), QStringLiteral("Kalumbrixtor"));
    QCOMPARE(version->text(), QStringLiteral("Version 3.0       19.05.2002"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    for (QLabel* label : {product, version}) {
        QCOMPARE(label->parentWidget(), panel);
        QVERIFY(label->font().bold());
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    }
    QCOMPARE(product->pos(), QPoint(scaled(96, percent), scaled(80, percent)));
    QCOMPARE(version->pos(), QPoint(scaled(96, percent), scaled(104, percent)));
    // Labels must be wide enough for their text, or the version line is cut off.
    for (QLabel* label : {product, version})
        QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(label->text()));

    QCOMPARE(icon->parentWidget(), panel);
    QCOMPARE(icon->geometry(), QRect(scaled(16, percent), scaled(48, percent), scaled(33, percent),
                                     scaled(33, percent)));
    QVERIFY(icon->hasScaledContents());
    const QPixmap image = icon->pixmap();
    QVERIFY2(!image.isNull(), "the program icon did not load from the resources");
    QCOMPARE(image.size(), QSize(32, 32));

    QVERIFY(ok->isDefault());
    QVERIFY(ok->font().bold());
    QCOMPARE(ok->font().pixelSize(), scaled(12, percent));
}

void TestAppearanceWindows::aboutBoxClosesOnReturnAndOk() {
    TForm_Info info;
    auto* ok = info.findChild<QPushButton*>(QStringLiteral("OKButton"));
    QVERIFY(ok);
    bool timedOut = false;

    // Twice: the box is hidden, not destroyed, and must take the focus again when reopened.
    for (int opening = 0; opening < 2; ++opening) {
        QWidget* focusOnOpen = nullptr;
        const int result = execWhile(
            info,
            [&] {
                focusOnOpen = QApplication::focusWidget();
                verifyCentred(&info);
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget()
                                                            : static_cast<QWidget*>(&info),
                                Qt::Key_Return);
            },
            timedOut);
        QVERIFY2(!timedOut, "Return did not close the about box");
        QCOMPARE(focusOnOpen, ok);
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(!info.isVisible());
    }

    const int result = execWhile(
        info, [&] { QTest::mouseClick(ok, Qt::LeftButton); }, timedOut);
    QVERIFY2(!timedOut, "OK did not close the about box");
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!info.isVisible());
}

QTEST_MAIN(TestAppearanceWindows)
// Every window frames the control that has the focus as the main window does, dialogs too.
void TestAppearanceWindows::dialogsFrameTheFocusedControl() {
    const QMetaObject::Connection framing = FocusMarker::frameFocusInEveryWindow();
    QDialog dialog;
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), &dialog);
    ok->move(20, 20);
    cancel->move(20, 80);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Tab);
    QObject::disconnect(framing);
    const auto* marker = dialog.findChild<FocusMarker*>();
    QVERIFY(marker);
    QCOMPARE(marker->target(), cancel);
    QVERIFY(marker->isVisible());
    QVERIFY(marker->geometry().contains(cancel->geometry()));
    QVERIFY(marker->geometry() != cancel->geometry());
}

// Menus that exist already and message boxes made later both grow with the main window.
void TestAppearanceWindows::standardWindowsTakeTheProgramsTextSize() {
    QMenu menu;
    const int desktopPixels =
        QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).pixelSize();
    scaleStandardWindows(300);
    QMessageBox box;
    box.ensurePolished();
    QCOMPARE(QFontInfo(box.font()).pixelSize(), desktopPixels * 3);
    QCOMPARE(QFontInfo(menu.font()).pixelSize(), desktopPixels * 3);
    scaleStandardWindows(100);
}

#include "tst_appearance_windows.moc"
