#include "competition/TForm_Namensfenster.h"

#include "common/window_scale.h"
#include "platform/window_scaling.h"
#include "support/fake_platform.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString shortNameMessage =
    QString::fromUtf8("Gib bitte deinen Namen (mit mindestens 3 Zeichen) zum Starten eines "
                      "Wettbewerbs ein und wähle dann 'OK' oder clicke auf 'Abbrechen'!");

} // namespace

class TestNamensfenster : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void presentation();
    void acceptsNamesOfThreeCharacters_data();
    void acceptsNamesOfThreeCharacters();
    void refusesShorterNames_data();
    void refusesShorterNames();
    void cancels_data();
    void cancels();
    void returnPressesTheFocusedButton();
    void refusesOtherWaysToClose();
    void reopeningStartsAfresh();
    void activationFromOwnWindowEmptiesTheField();
    void runsModally();

private:
    QLineEdit* edit() const { return dialog->findChild<QLineEdit*>("Edit_Namen"); }
    QPushButton* button(const char* name) const { return dialog->findChild<QPushButton*>(name); }

    FakePlatform platform;
    TForm_Namensfenster* dialog = nullptr;
    QSignalSpy* closed = nullptr;
};

void TestNamensfenster::init() {
    platform.clearMessages();
    platform.whileMessageOpen = nullptr;
    dialog = new TForm_Namensfenster(platform);
    closed = new QSignalSpy(dialog, &TForm_Namensfenster::nameEntryClosed);
}

void TestNamensfenster::cleanup() {
    delete closed;
    delete dialog;
}

void TestNamensfenster::presentation() {
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Namen zu einem Wettbewerb eingeben"));
    // The design size, grown as the program's other windows are on this screen.
    const int percent = screenScalePercent(dialog->screen(), QSize(432, 246));
    QCOMPARE(dialog->size(),
             QSize(int(roundHalfEven(432 * percent, 100)), int(roundHalfEven(246 * percent, 100))));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->findChild<QLabel*>("Label1")->text(),
             QString::fromUtf8("Vor dem Start eines Wettbewerbs gib bitte deinen Namen ein \n"
                               "und wähle dann 'OK' an.\n"
                               "Die erste Aufgabe erscheint direkt nach Anclicken des \n"
                               "Start-Buttons.\n\nViel Erfolg!"));
    QCOMPARE(button("BitBtn_Ok")->text(), QStringLiteral("OK"));
    QCOMPARE(button("BitBtn_Abbruch")->text(), QStringLiteral("Abbrechen"));
    QVERIFY(button("BitBtn_Ok")->isDefault());
    QVERIFY(!button("BitBtn_Ok")->icon().isNull());
    QVERIFY(!button("BitBtn_Abbruch")->icon().isNull());
    QCOMPARE(edit()->maxLength(), QLineEdit().maxLength()); // no limit of its own
    QCOMPARE(QAccessible::queryAccessibleInterface(edit())->text(QAccessible::Name),
             QStringLiteral("Name"));
}

void TestNamensfenster::acceptsNamesOfThreeCharacters_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("byReturn");
    QTest::newRow("Ben, OK clicked") << "Ben" << false;
    QTest::newRow("Ben, Return") << "Ben" << true;
    QTest::newRow("three spaces") << "   " << false;
    QTest::newRow("20 characters, delivered whole") << "Friederike Annabella" << true;
}

void TestNamensfenster::acceptsNamesOfThreeCharacters() {
    QFETCH(QString, name);
    QFETCH(bool, byReturn);
    dialog->show();
    QTest::keyClicks(edit(), name);
    if (byReturn)
        QTest::keyClick(edit(), Qt::Key_Return);
    else
        QTest::mouseClick(button("BitBtn_Ok"), Qt::LeftButton);

    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(closed->size(), 1);
    QCOMPARE(closed->at(0).at(0).toBool(), false);
    QCOMPARE(closed->at(0).at(1).toString(), name);
}

void TestNamensfenster::refusesShorterNames_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("Bo") << "Bo";
    QTest::newRow("empty") << "";
    QTest::newRow("two spaces") << "  ";
}

void TestNamensfenster::refusesShorterNames() {
    QFETCH(QString, name);
    dialog->show();
    QTest::keyClicks(edit(), name);
    bool visibleWhileMessageOpen = false;
    platform.whileMessageOpen = [&](const FakePlatform::Message&) {
        visibleWhileMessageOpen = dialog->isVisible();
    };
    QTest::mouseClick(button("BitBtn_Ok"), Qt::LeftButton);

    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].text, shortNameMessage);
    QCOMPARE(platform.messages[0].kind, MessageKind::Information);
    QCOMPARE(platform.messages[0].buttons, MessageButtons::Ok);
    QVERIFY(!platform.messages[0].topLeft);
    QVERIFY(visibleWhileMessageOpen);
    QVERIFY(dialog->isVisible());
    QCOMPARE(edit()->text(), QString());
    QCOMPARE(closed->size(), 0);

    // The refusal leaves no way out but the buttons, and a proper name is taken afterwards.
    QVERIFY(!dialog->close());
    QVERIFY(dialog->isVisible());
    QTest::keyClicks(edit(), "Ben");
    QTest::keyClick(edit(), Qt::Key_Return);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(closed->size(), 1);
    QCOMPARE(closed->at(0).at(1).toString(), QStringLiteral("Ben"));
}

void TestNamensfenster::cancels_data() {
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Escape") << true;
    QTest::newRow("Abbrechen clicked") << false;
}

void TestNamensfenster::cancels() {
    QFETCH(bool, byEscape);
    dialog->show();
    QTest::keyClicks(edit(), "Ben");
    if (byEscape)
        QTest::keyClick(edit(), Qt::Key_Escape);
    else
        QTest::mouseClick(button("BitBtn_Abbruch"), Qt::LeftButton);

    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(closed->size(), 1);
    QCOMPARE(closed->at(0).at(0).toBool(), true);
}

// Tab, Tab, Return: the focused "Abbrechen" cancels; Tab, Return: the focused OK takes the name.
void TestNamensfenster::returnPressesTheFocusedButton() {
    for (const int tabs : {2, 1}) {
        dialog->show();
        QApplication::setActiveWindow(dialog);
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QTest::keyClicks(edit(), "Ben");
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), button(tabs == 2 ? "BitBtn_Abbruch" : "BitBtn_Ok"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
    }
    QCOMPARE(closed->size(), 2);
    QCOMPARE(closed->at(0).at(0).toBool(), true);
    QCOMPARE(closed->at(1).at(0).toBool(), false);
    QCOMPARE(closed->at(1).at(1).toString(), QStringLiteral("Ben"));
}

void TestNamensfenster::refusesOtherWaysToClose() {
    dialog->show();
    QTest::keyClicks(edit(), "Ben");
    QVERIFY(!dialog->close()); // the close box and Alt+F4 arrive as this close request
    dialog->reject();
    dialog->accept();
    QVERIFY(dialog->isVisible());
    QCOMPARE(edit()->text(), QStringLiteral("Ben"));
    QCOMPARE(closed->size(), 0);
    QVERIFY(platform.messages.isEmpty());
}

void TestNamensfenster::reopeningStartsAfresh() {
    dialog->show();
    QTest::keyClicks(edit(), "Ben");
    QTest::keyClick(edit(), Qt::Key_Escape);
    QVERIFY(!dialog->isVisible());

    dialog->show();
    QCOMPARE(edit()->text(), QString());
    QVERIFY(!dialog->close()); // the cancel of the last opening allows no closing now
    QTest::keyClicks(edit(), "Anna");
    QTest::mouseClick(button("BitBtn_Ok"), Qt::LeftButton);

    dialog->show();
    QCOMPARE(edit()->text(), QString());
    QCOMPARE(closed->size(), 2);
    QCOMPARE(closed->at(1).at(0).toBool(), false); // the earlier cancel is forgotten
    QCOMPARE(closed->at(1).at(1).toString(), QStringLiteral("Anna"));
}

void TestNamensfenster::activationFromOwnWindowEmptiesTheField() {
    QWidget other;
    other.show();
    dialog->show();
    QApplication::setActiveWindow(dialog);
    QTRY_COMPARE(QApplication::activeWindow(), dialog);
    QTest::keyClicks(edit(), "Ben");

    // Away to another application and back: what was typed stays.
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(dialog);
    QCOMPARE(edit()->text(), QStringLiteral("Ben"));

    // Away to another window of the program (as to a message box) and back: typed anew.
    QApplication::setActiveWindow(&other);
    QCOMPARE(edit()->text(), QStringLiteral("Ben"));
    QApplication::setActiveWindow(dialog);
    QCOMPARE(edit()->text(), QString());
    QVERIFY(edit()->hasFocus());
}

void TestNamensfenster::runsModally() {
    int result = -1;
    QTimer::singleShot(0, dialog, [this] {
        QTest::keyClicks(edit(), "Bo");
        QTest::keyClick(edit(), Qt::Key_Return);
        QTest::keyClicks(edit(), "Ben");
        QTest::keyClick(edit(), Qt::Key_Return);
    });
    // Should the dialog fail to close, cancel it rather than hang the test.
    QTimer::singleShot(5000, dialog, [this] { button("BitBtn_Abbruch")->click(); });
    result = dialog->exec();
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(platform.messageTexts(), QStringList{shortNameMessage});
    QCOMPARE(closed->size(), 1);
    QCOMPARE(closed->at(0).at(1).toString(), QStringLiteral("Ben"));
}

QTEST_MAIN(TestNamensfenster)
#include "tst_namensfenster.moc"
