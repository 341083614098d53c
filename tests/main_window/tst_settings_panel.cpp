#include "main_window_fixture.h"

#include "engine/task_generation.h"
#include "main_window/settings_items.h"

class TestSettingsPanel : public QObject {
    Q_OBJECT
private slots:
    void typedRangeTextOutsideTheList();
    void typedOperationText();
    void timeFieldOver1200();
    void emptyTimeFieldRefusesStart();
    void timeFieldChangeTo0();
    void rangeWarningsAtChangeAndStart();
    void remainderRaiseStaysUntilRangeChosen();
    void nameFollowsEveryKeystroke();
};

void TestSettingsPanel::typedRangeTextOutsideTheList() {
    MainWindowFixture f;
    QComboBox* box = f.c->Edit_Zahl_1;
    box->setFocus();
    box->lineEdit()->selectAll();
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(box->lineEdit(), "0 .. 5");
    // Every keystroke left a text outside the list, up to the last which completes an item:
    // "", "0", "0 ", "0 .", "0 ..", "0 .. ".
    QCOMPARE(f.platform.messages.size(), 6);
    for (const FakePlatform::Message& m : f.platform.messages) {
        QCOMPARE(m.text, QString("Klicke bitte auf die Pfeiltaste rechts, und\nwähle einen der "
                                 "vorgegebenen Zahlen-Bereiche !\nMit der Tastatur: Alt+Pfeil "
                                 "runter öffnet die Liste, Return wählt."));
        QCOMPARE(m.kind, MessageKind::Information);
        QCOMPARE(m.topLeft, f.c->Panel_Zahl_1_zeigen->mapToGlobal(QPoint(0, 10)));
    }
    QCOMPARE(f.settings().range1Min, 0);
    QCOMPARE(f.settings().range1Max, 5);

    // A text outside the list keeps the bounds in force.
    f.platform.clearMessages();
    QTest::keyClicks(box->lineEdit(), "7");
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.settings().range1Max, 5);
    // Leaving the box shows the range in force again, so the box tells what a run will use.
    f.c->Edit_Name->setFocus();
    QCOMPARE(box->currentText(), QString("0 .. 5"));
    QCOMPARE(f.platform.messages.size(), 1);
    // The thirteenth item with three dots is matched by its exact text.
    f.c->Edit_Zahl_2->setEditText("1 000 ... 30 000");
    QCOMPARE(f.settings().range2Min, 1000);
    QCOMPARE(f.settings().range2Max, 30000);
    f.c->Edit_Zahl_2->setEditText("1 000 .. 30 000");
    QCOMPARE(f.settings().range2Max, 30000);
}

void TestSettingsPanel::typedOperationText() {
    MainWindowFixture f;
    // Typing alone does nothing; the click on the list applies the text.
    f.c->Verknuepfung->setEditText("Plus");
    QVERIFY(f.platform.messages.isEmpty());
    emit f.c->Verknuepfung->activated(f.c->Verknuepfung->currentIndex());
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.messages[0].text,
             QString("Klicke bitte auf die Pfeiltaste rechts, und wähle   \neine der "
                     "vorgegebenen Rechenarten !\nMit der Tastatur: Alt+Pfeil runter öffnet die "
                     "Liste, Return wählt."));
    // The operation message sits at the panel's top edge without the 10 pixels.
    QCOMPARE(f.platform.messages[0].topLeft, f.c->Panel_Zahl_1_zeigen->mapToGlobal(QPoint(0, 0)));
    QCOMPARE(f.settings().operation, Operation::Add);
    f.c->Verknuepfung->setFocus();
    f.c->Edit_Name->setFocus();
    QCOMPARE(f.c->Verknuepfung->currentText(), QString("Addieren (+)"));
}

void TestSettingsPanel::timeFieldOver1200() {
    MainWindowFixture f;
    QLineEdit* time = f.c->Edit_Zeit;
    time->setFocus();
    time->selectAll();
    QTest::keyClicks(time, "1500");
    QCOMPARE(f.platform.messageTexts(),
             QStringList{"Gib bitte eine Natürliche Zahl n ein mit 0 < n < 1201 !"});
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Warning);
    QCOMPARE(f.settings().timeLimit, 150);
    // Letters and a fifth digit never reach the field.
    QTest::keyClicks(time, "x9");
    QCOMPARE(time->text(), QString("1500"));

    // Leaving the field: the information and the focus back in the field.
    f.platform.clearMessages();
    f.c->Edit_Name->setFocus();
    QCOMPARE(f.platform.messageTexts(),
             QStringList{"Gib bitte im 'Zeitfeld' eine natürliche Zahl n ein\nmit 0 <= n < 1201"});
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Information);
    QVERIFY(time->hasFocus());
    QVERIFY(!f.timeFieldOk());

    // Start does nothing while the field is unfit.
    f.start();
    QVERIFY(!f.c->But_Stop->isVisible());
    QCOMPARE(f.state.taskCounter, 0);

    // Corrected, the field is accepted on leaving and the run starts with 120 seconds.
    time->selectAll();
    QTest::keyClicks(time, "120");
    f.c->Edit_Name->setFocus();
    QVERIFY(f.timeFieldOk());
    f.start();
    QVERIFY(f.c->But_Stop->isVisible());
    QCOMPARE(f.state.remainingSeconds, 121);
}

void TestSettingsPanel::emptyTimeFieldRefusesStart() {
    MainWindowFixture f;
    QLineEdit* time = f.c->Edit_Zeit;
    time->setFocus();
    time->clear();
    QCOMPARE(f.settings().timeLimit, 0);
    f.c->Edit_Name->setFocus();
    QCOMPARE(f.platform.messages.size(), 1);
    QVERIFY(!f.timeFieldOk());
    f.start();
    QVERIFY(!f.c->But_Stop->isVisible());
    // Pasted text with a letter is refused by the field itself.
    time->setText("");
    time->insert("9a");
    QCOMPARE(time->text(), QString());
    // The core treats such a text like a number out of range, should one ever arrive.
    QVERIFY(evaluateTimeFieldChange("9a").warn);
    QVERIFY(!evaluateTimeFieldChange("9a").timeLimit);
}

void TestSettingsPanel::timeFieldChangeTo0() {
    MainWindowFixture f;
    f.setTime("60");
    QCOMPARE(f.settings().timeLimit, 60);
    f.setTime("0");
    QCOMPARE(f.settings().timeLimit, 0);
    f.start();
    QVERIFY(!f.run.countdown()->isActive());
}

void TestSettingsPanel::rangeWarningsAtChangeAndStart() {
    MainWindowFixture f;
    // Subtraction with "0 .. 10" and "10 .. 20" warns at once about the subtrahend.
    f.chooseRanges(1, 4);
    QVERIFY(f.platform.messages.isEmpty());
    f.chooseOperation(1);
    QCOMPARE(f.platform.messageTexts(), QStringList{subtractionRangeWarning});
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Warning);
    f.platform.clearMessages();
    f.start();
    QCOMPARE(f.platform.messageTexts(), QStringList{subtractionRangeWarning});
    QVERIFY(!f.c->But_Stop->isVisible());

    // Division with the first range "0 .. 5" warns at every change and again at Start.
    f.platform.clearMessages();
    f.chooseRanges(0, 1);
    f.chooseOperation(3);
    const int atChoice = int(f.platform.messages.size());
    QVERIFY(atChoice >= 1);
    QVERIFY(f.platform.messageTexts().contains(dividendTooSmallWarning));
    f.platform.clearMessages();
    f.start();
    QVERIFY(f.platform.messageTexts().contains(dividendTooSmallWarning));
    QVERIFY(!f.c->But_Stop->isVisible());

    // "20 .. 50" with "0 .. 100": the row for 50 tests the lower bound 0, so no warning.
    f.platform.clearMessages();
    f.chooseRanges(5, 6);
    f.platform.clearMessages();
    f.start();
    QVERIFY(f.platform.messages.isEmpty());
    QVERIFY(f.c->But_Stop->isVisible());
}

void TestSettingsPanel::remainderRaiseStaysUntilRangeChosen() {
    MainWindowFixture f;
    f.chooseOperation(4);
    f.chooseRanges(6, 1); // 0 .. 100 : 0 .. 10
    f.start();
    QCOMPARE(f.settings().range2Min, 1);
    for (int i = 0; i < 20; ++i) {
        QVERIFY(f.state.operand2 >= 1);
        f.answer("1");
        QTest::keyClicks(f.c->Edit_Rest, "0");
        QTest::keyClick(f.c->Edit_Rest, Qt::Key_Return);
    }
    f.stop();
    // An addition run afterwards never poses 0 as second operand.
    f.chooseOperation(0);
    f.c->wenigerSpeichernHinweise1->trigger();
    f.start();
    QCOMPARE(f.settings().range2Min, 1);
    for (int i = 0; i < 60; ++i) {
        QVERIFY(f.state.operand2 >= 1);
        f.answerRight();
    }
    f.stop();
    // Choosing the range again restores its lower bound.
    f.c->Edit_Zahl_2->setCurrentIndex(0);
    f.c->Edit_Zahl_2->setCurrentIndex(1);
    QCOMPARE(f.settings().range2Min, 0);
}

void TestSettingsPanel::nameFollowsEveryKeystroke() {
    MainWindowFixture f;
    QLineEdit* name = f.c->Edit_Name;
    name->clear();
    QTest::keyClicks(name, "Lea");
    QCOMPARE(f.form->windowTitle(), QString("    Deverizozov mit   Lea"));
    QCOMPARE(f.settings().participantName, QString("Lea"));
    QTest::keyClicks(name, "-Sophie-Marie");
    QCOMPARE(name->text(), QString("Lea-Soph")); // eight characters at most
    QCOMPARE(f.form->windowTitle(), QString("    Deverizozov mit   Lea-Soph"));
}

QTEST_MAIN(TestSettingsPanel)
#include "tst_settings_panel.moc"
