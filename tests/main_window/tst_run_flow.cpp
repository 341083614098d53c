#include "main_window_fixture.h"

#include "engine/task_generation.h"
#include "platform/qt_platform.h"
#include "support/real_boxes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>

class TestRunFlow : public QObject {
    Q_OBJECT
private slots:
    void startUpState();
    void wholeRunEndsAtTheLimit();
    void countdownAndTimeOut();
    void timeOutWhileARunMessageIsOpen_data();
    void timeOutWhileARunMessageIsOpen();
    void stopAfterThreeAnswers();
    void scoringAndPointsDisplay();
    void divisionWithRemainderMovesTheFocus();
    void answerFieldRefusesNonDigits();
    void returnUsesTheFieldsCurrentText();
    void menusLockedDuringRun();
    void remainingTimeSwitch();
    void closeQueryWithPendingData();
    void startIgnoredWithPendingData();
    void scalingHintOnActivation();
};

void TestRunFlow::startUpState() {
    MainWindowFixture f;
    const MainWindowControls& c = *f.c;
    QCOMPARE(f.form->windowTitle(), QString("    Deverizozov mit   Werda ?"));
    QCOMPARE(c.Verknuepfung->currentText(), QString("Addieren (+)"));
    QCOMPARE(c.Edit_Zahl_1->currentText(), QString("0 .. 10"));
    QCOMPARE(c.Edit_Zahl_2->currentText(), QString("0 .. 10"));
    QCOMPARE(c.Edit_Zeit->text(), QString("0"));
    QCOMPARE(c.Edit_Name->text(), QString("Werda ?"));
    QCOMPARE(f.settings().participantName, QString("Werda ?"));
    QCOMPARE(c.Panel_Zahl_1_zeigen->text(), QString("-----"));
    QCOMPARE(c.Panel_Zahl_2_zeigen->text(), QString("-----"));
    QCOMPARE(c.Panel_Verknuepfung_zeigen->text(), QString("+"));
    QCOMPARE(c.Panel_Aufgaben_Nr_zeigen->text(), QString("0"));
    QCOMPARE(c.Panel_Punkte_zeigen->text(), QString("0"));
    QCOMPARE(c.Label_Punkte->text(), QString("Punkte"));
    QCOMPARE(c.Panel_Wettbewerb_ini->text(), QString("Wettbewerb ein"));
    QVERIFY(c.But_Start->isVisible());
    QVERIFY(!c.But_Stop->isVisible());
    QVERIFY(!c.Button_Wettb_starten->isVisible());
    QVERIFY(!c.Eingabe_aufnehmen()->isEnabled());
    QVERIFY(!c.Edit_Rest->isVisible());
    QVERIFY(!c.Label_Rest->isVisible());
    QCOMPARE(f.settings().range1Min, 0);
    QCOMPARE(f.settings().range2Max, 10);
    QCOMPARE(f.settings().timeLimit, 0);
    QVERIFY(f.timeFieldOk());
    for (const ClickablePanel* panel : c.Panel_W)
        QVERIFY(!panel->isEnabled());
    // The settings panel spans the client area, so the scaling hint never shows.
    QVERIFY(f.platform.messages.isEmpty());
}

void TestRunFlow::wholeRunEndsAtTheLimit() {
    MainWindowFixture f;
    f.chooseRanges(13, 13); // 1 000 ... 30 000: no chance of running out of pairs
    f.start();
    QVERIFY(f.c->But_Stop->isVisible());
    for (int task = 1; task <= 160; ++task) {
        QCOMPARE(f.c->Panel_Aufgaben_Nr_zeigen->text(), QString::number(task));
        QCOMPARE(f.c->Panel_Zahl_1_zeigen->text(), QString::number(f.state.operand1));
        // Every fourth answer is wrong.
        if (task % 4 == 0)
            f.answer(QString::number(f.rightAnswer() + 1));
        else
            f.answerRight();
    }
    QCOMPARE(f.platform.messages.size(), 1);
    const FakePlatform::Message& limit = f.platform.messages.first();
    QCOMPARE(limit.text, QString("Jetzt kann ich nicht mehr! Das war zuviel !\nWenn Du aber noch "
                                 "Kondition hast, wähle bitte \nneue Einstellungen !"));
    QCOMPARE(limit.kind, MessageKind::Information);
    QCOMPARE(limit.topLeft, f.c->Panel_Zahl_1_zeigen->mapToGlobal(QPoint(0, 10)));
    QCOMPARE(f.state.workedTaskCount, 160);
    QVERIFY(f.state.limitReached);
    QCOMPARE(f.state.taskCounter, 0);
    // The points were reset with the display after the run.
    QCOMPARE(f.state.points, 0);
    QCOMPARE(f.c->Panel_Zahl_1_zeigen->text(), QString("-----"));
    QVERIFY(f.c->But_Start->isVisible());
    QVERIFY(!f.c->But_Stop->isVisible());
    QVERIFY(!f.c->Eingabe_aufnehmen()->isEnabled());
    QVERIFY(f.c->Edit_Zahl_1->isEnabled());
}

void TestRunFlow::countdownAndTimeOut() {
    MainWindowFixture f;
    f.setTime("5");
    f.start();
    QVERIFY(f.run.countdown()->isActive());
    QCOMPARE(f.run.countdown()->interval(), 1000);
    const QString prefix("   Rest-Zeit (min:sec):                           ");
    for (int left = 5; left >= 1; --left) {
        f.run.tick();
        QCOMPARE(f.c->Panel_Grenze->text(), prefix + "0 : " + QString::number(left));
    }
    f.answerRight();
    f.answerRight();
    f.run.tick(); // the sixth second ends the run
    QVERIFY(f.state.timeUp);
    QVERIFY(!f.run.countdown()->isActive());
    QCOMPARE(f.c->Panel_Grenze->text(), QString());
    QCOMPARE(f.state.workedTaskCount, 2); // the task on display was not answered
    QVERIFY(f.c->But_Start->isVisible());

    // 75 seconds start at 1 : 15; 65 seconds show 1 : 5 without a leading zero.
    f.pending.results = f.pending.tasks = false;
    f.setTime("75");
    f.start();
    f.run.tick();
    QCOMPARE(f.c->Panel_Grenze->text(), prefix + "1 : 15");
    for (int i = 0; i < 10; ++i)
        f.run.tick();
    QCOMPARE(f.c->Panel_Grenze->text(), prefix + "1 : 5");
    f.stop();

    // Back to no limit: no countdown, a single blank in the top bar, "..." as seconds.
    f.setTime("0");
    f.start();
    QCOMPARE(f.c->Panel_Grenze->text(), QString(" "));
    QVERIFY(!f.run.countdown()->isActive());
    f.answerRight();
    f.stop();
}

void TestRunFlow::timeOutWhileARunMessageIsOpen_data() {
    QTest::addColumn<bool>("realBox"); // the message of no further task (36 of 0 .. 5 + 0 .. 5)
    QTest::newRow("no more tasks") << false;
    QTest::newRow("no more tasks, Qt's box") << true;
}

// The time runs out while a message of the run is on screen: the run ends, and the message goes
// with it before anything of the end of the run is shown, so it does not come back afterwards.
void TestRunFlow::timeOutWhileARunMessageIsOpen() {
    QFETCH(bool, realBox);
    MainWindowFixture f;
    f.chooseRanges(0, 0);
    f.setTime("1200");
    f.start();
    const int tasks = 36;
    for (int task = 1; task < tasks; ++task)
        f.answerRight();
    while (f.run.remainingSeconds() > 1)
        f.run.tick();
    std::unique_ptr<RealBoxes> boxes;
    if (realBox) {
        installGermanTranslation();
        f.platform.realMessageBoxes = true;
        boxes = std::make_unique<RealBoxes>();
        boxes->actions.enqueue([&](QMessageBox*) { f.run.tick(); });
    } else {
        f.platform.whileMessageOpen = [&](const FakePlatform::Message&) { f.run.tick(); };
    }
    QStringList openAtEnd{"not ended"};
    connect(&f.run, &RunController::runEnded, f.form.get(),
            [&] { openAtEnd = f.platform.openMessageTexts() + RealBoxes::visibleBoxTexts(); });
    f.answerRight();
    if (realBox)
        QTRY_COMPARE(boxes->shown.size(), 1);
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.messages[0].text, noMoreTasksMessage);
    QCOMPARE(openAtEnd, QStringList());
    if (realBox) {
        QVERIFY(!boxes->shown[0].stayedOpen);
        QVERIFY(RealBoxes::visibleBoxTexts().isEmpty());
    } else {
        QVERIFY(f.platform.messages[0].closedByProgram);
    }
    QVERIFY(f.state.timeUp);
    // The last task was answered before the time ran out: it counts as worked.
    QCOMPARE(f.state.workedTaskCount, tasks);
    QCOMPARE(f.state.taskCounter, 0);
    QVERIFY(f.c->But_Start->isVisible());
}

void TestRunFlow::stopAfterThreeAnswers() {
    MainWindowFixture f;
    f.start();
    f.answerRight();
    f.answer("999"); // wrong
    f.answerRight();
    QCOMPARE(f.state.taskCounter, 4);
    QCOMPARE(f.state.points, 2);
    QCOMPARE(f.c->Panel_Punkte_zeigen->text(), QString("2"));
    QTest::mouseClick(f.c->But_Stop, Qt::LeftButton);
    QCOMPARE(f.state.workedTaskCount, 3);
    QVERIFY(f.c->Verknuepfung->isEnabled());
    QVERIFY(!f.c->Eingabe_aufnehmen()->isEnabled());
    QVERIFY(f.platform.messages.isEmpty());
}

void TestRunFlow::scoringAndPointsDisplay() {
    MainWindowFixture f;
    f.start();
    f.answer("0" + QString::number(f.rightAnswer())); // a leading zero is wrong
    QCOMPARE(f.state.points, 0);
    QCOMPARE(f.c->Label_Punkte->text(), QString("Punkte"));
    f.answerRight();
    QCOMPARE(f.c->Panel_Punkte_zeigen->text(), QString("1"));
    QCOMPARE(f.c->Label_Punkte->text(), QString("Punkt"));
    f.answerRight();
    QCOMPARE(f.c->Label_Punkte->text(), QString("Punkte"));

    // Hidden points are still counted.
    f.c->PunkteAnzeigeaus1->trigger();
    f.stop();
    f.c->wenigerSpeichernHinweise1->trigger();
    f.start();
    QVERIFY(!f.c->Panel_Punkte_zeigen->isVisible());
    f.answerRight();
    QCOMPARE(f.state.points, 1);
}

void TestRunFlow::divisionWithRemainderMovesTheFocus() {
    MainWindowFixture f;
    f.chooseOperation(4);
    QVERIFY(f.c->Edit_Rest->isVisible());
    QVERIFY(!f.c->Edit_Rest->isEnabled());
    QVERIFY(f.c->Label_Rest->isVisible());
    QCOMPARE(f.c->Panel_Verknuepfung_zeigen->text(), QString(":"));
    // A Start refused for an unfit time field leaves the remainder field shut.
    f.c->Edit_Zeit->setFocus();
    f.c->Edit_Zeit->clear();
    f.c->Edit_Name->setFocus();
    f.start();
    QVERIFY(!f.c->But_Stop->isVisible());
    QVERIFY(!f.c->Edit_Rest->isEnabled());
    QCOMPARE(f.state.taskCounter, 0);
    f.setTime("0");
    f.c->Edit_Zeit->setFocus();
    f.c->Edit_Name->setFocus();
    QVERIFY(f.timeFieldOk());

    f.chooseRanges(8, 2); // 50 .. 100 : 5 .. 10
    f.start();
    QVERIFY(f.c->Edit_Rest->isEnabled());
    QVERIFY(f.c->Eingabe_aufnehmen()->hasFocus());
    QCOMPARE(f.state.taskList[1].operation, QString(": R"));

    const int quotient = f.state.operand1 / f.state.operand2;
    const int remainder = f.state.operand1 % f.state.operand2;
    f.answer(QString::number(quotient));
    QVERIFY(f.c->Edit_Rest->hasFocus());
    QCOMPARE(f.state.taskCounter, 1); // waiting for the remainder
    // Return in an empty remainder field does nothing.
    QTest::keyClick(f.c->Edit_Rest, Qt::Key_Return);
    QCOMPARE(f.state.taskCounter, 1);
    // A leading zero in the remainder does no harm.
    QTest::keyClicks(f.c->Edit_Rest, "0" + QString::number(remainder));
    QTest::keyClick(f.c->Edit_Rest, Qt::Key_Return);
    QCOMPARE(f.state.points, 1);
    QCOMPARE(f.state.taskCounter, 2);
    QCOMPARE(f.state.taskList[1].givenRemainder, remainder);
    QVERIFY(f.c->Eingabe_aufnehmen()->hasFocus());
    QCOMPARE(f.c->Edit_Rest->text(), QString());

    // A wrong remainder scores nothing.
    const int q2 = f.state.operand1 / f.state.operand2;
    const int r2 = f.state.operand1 % f.state.operand2;
    f.answer(QString::number(q2));
    QTest::keyClicks(f.c->Edit_Rest, QString::number(r2 + 1));
    QTest::keyClick(f.c->Edit_Rest, Qt::Key_Return);
    QCOMPARE(f.state.points, 1);
    QCOMPARE(f.state.taskCounter, 3);

    // Choosing plain division hides the remainder field again.
    f.stop();
    f.chooseOperation(3);
    QVERIFY(!f.c->Edit_Rest->isVisible());
    QVERIFY(!f.c->Label_Rest->isVisible());
}

void TestRunFlow::answerFieldRefusesNonDigits() {
    MainWindowFixture f;
    f.start();
    QLineEdit* field = f.c->Eingabe_aufnehmen();
    QTest::keyClicks(field, "1a2-b 3,");
    QCOMPARE(field->text(), QString("123"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QString("12"));
    QTest::keyClick(field, Qt::Key_Escape);
    QCOMPARE(field->text(), QString());

    // Pasted text with anything but digits is refused whole; digits are taken.
    QApplication::clipboard()->setText("12a");
    field->paste();
    QCOMPARE(field->text(), QString());
    QApplication::clipboard()->setText("-5");
    field->paste();
    QCOMPARE(field->text(), QString());
    // Ten digits do not fit: the field keeps nine, so the value fits a 32-bit number.
    QApplication::clipboard()->setText("9999999999");
    field->paste();
    QCOMPARE(field->text(), QString("999999999"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(f.state.taskList[1].givenAnswer, 999999999);
    QCOMPARE(f.state.taskCounter, 2);

    // Return on an empty field does nothing.
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(f.state.taskCounter, 2);
}

void TestRunFlow::returnUsesTheFieldsCurrentText() {
    MainWindowFixture f;
    f.start();
    // Text that reached the field without a key release in between, as with a fast typist.
    f.c->Eingabe_aufnehmen()->setText(QString::number(f.rightAnswer()));
    QTest::sendKeyEvent(QTest::Press, f.c->Eingabe_aufnehmen(), Qt::Key_Return, '\r',
                        Qt::NoModifier);
    QCOMPARE(f.state.points, 1);
    QCOMPARE(f.state.taskList[1].givenAnswer, f.state.taskList[1].result);
}

void TestRunFlow::menusLockedDuringRun() {
    MainWindowFixture f;
    f.start();
    for (QMenu* m : {f.c->Datei1, f.c->Einstellungen1, f.c->Leistungen1, f.c->Aufgaben1})
        QVERIFY(!m->menuAction()->isEnabled());
    QVERIFY(f.c->Info1->menuAction()->isEnabled());
    QVERIFY(!f.c->Verknuepfung->isEnabled());
    QVERIFY(!f.c->Edit_Zeit->isEnabled());
    QVERIFY(!f.c->Edit_Name->isEnabled());
    QVERIFY(!f.c->Panel_Wettbewerb_ini->isEnabled());
    f.stop();
    for (QMenu* m : {f.c->Datei1, f.c->Einstellungen1, f.c->Leistungen1, f.c->Aufgaben1})
        QVERIFY(m->menuAction()->isEnabled());
    QVERIFY(f.c->Panel_Wettbewerb_ini->isEnabled());
}

void TestRunFlow::remainingTimeSwitch() {
    MainWindowFixture f;
    f.c->RestZeitAnzeigeaus1->trigger();
    QCOMPARE(f.c->RestZeitAnzeigeaus1->text(), QString("Rest-Zeit-Anzeige ein"));
    f.setTime("30");
    f.start();
    f.run.tick();
    QCOMPARE(f.c->Panel_Grenze->text(), QString());
    f.stop();
    f.c->RestZeitAnzeigeaus1->trigger();
    QCOMPARE(f.c->RestZeitAnzeigeaus1->text(), QString("Rest-Zeit-Anzeige aus"));
    QCOMPARE(f.c->Panel_Grenze->text(),
             QString("   Rest-Zeit (min:sec):                           0 : 30"));
}

void TestRunFlow::closeQueryWithPendingData() {
    MainWindowFixture f;
    // Nothing pending: the window closes at once.
    QVERIFY(f.form->close());
    QVERIFY(f.platform.messages.isEmpty());

    f.form->show();
    f.start();
    f.answerRight();
    f.stop();
    f.platform.answers.enqueue(MessageAnswer::Cancel);
    QVERIFY(!f.form->close());
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Warning);
    QCOMPARE(f.platform.messages[0].buttons, MessageButtons::OkCancel);
    QVERIFY(f.platform.messages[0].text.startsWith(
        "Wenn du das Programm verlassen willst, ohne vorher Dein letztes Ergebnis zu speichern, "
        "so wähle bitte 'OK' an.\n"));
    f.platform.answers.enqueue(MessageAnswer::Ok);
    f.c->beenden1->trigger();
    QVERIFY(!f.form->isVisible());
}

void TestRunFlow::startIgnoredWithPendingData() {
    MainWindowFixture f;
    f.start();
    f.answerRight();
    f.stop();
    f.start();
    QVERIFY(!f.c->But_Stop->isVisible()); // ignored without a word
    QVERIFY(f.platform.messages.isEmpty());
    f.c->wenigerSpeichernHinweise1->trigger();
    f.start();
    QVERIFY(f.c->But_Stop->isVisible());
}

void TestRunFlow::scalingHintOnActivation() {
    MainWindowFixture f;
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(f.form.get(), &activate);
    QVERIFY(f.platform.messages.isEmpty());

    // A settings panel wider than the window: the hint, with the activation that follows its
    // own closing not opening it again at once.
    f.c->Panel_Einstellungen->resize(f.form->frameGeometry().width() * 102 / 100 + 1,
                                     f.c->Panel_Einstellungen->height());
    f.platform.whileMessageOpen = [&](const FakePlatform::Message&) {
        QEvent again(QEvent::WindowActivate);
        QApplication::sendEvent(f.form.get(), &again);
    };
    QApplication::sendEvent(f.form.get(), &activate);
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.messages[0].kind, MessageKind::Warning);
    QVERIFY(f.platform.messages[0].text.startsWith(
        "Falls Karten oder Buttons nicht sinnvoll plaziert\nzu sein scheinen"));
    QVERIFY(f.platform.messages[0].text.endsWith("auf 100%!"));
    // Later activations show it again for as long as the condition holds.
    f.platform.whileMessageOpen = nullptr;
    QCoreApplication::processEvents();
    QApplication::sendEvent(f.form.get(), &activate);
    QCOMPARE(f.platform.messages.size(), 2);
}

QTEST_MAIN(TestRunFlow)
#include "tst_run_flow.moc"
