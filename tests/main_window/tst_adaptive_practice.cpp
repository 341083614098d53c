#include "main_window/adaptive_practice_menu.h"
#include "main_window/main_window_fixture.h"
#include "practice/adaptive_choice.h"

#include <QApplication>
#include <QMenu>

#include <algorithm>

// "Üben nach Maß" from the keyboard, wired as the program wires it (with an empty learning
// history, so every rating is at its start): the child's name and operation hold, the ranges
// give way to "nach Maß" while the run lasts, and the run ends as a free run does.
class TestAdaptivePractice : public QObject {
    Q_OBJECT
private slots:
    void menuEntryStartsARunThatFitsTheChild();
};

void TestAdaptivePractice::menuEntryStartsARunThatFitsTheChild() {
    MainWindowFixture f;
    AdaptivePracticeMenu* menu = f.form->menus().adaptivePracticeMenu();
    connect(menu, &AdaptivePracticeMenu::requested, f.form.get(), [&f](Target target) {
        const RunSettings& s = f.settings();
        f.run.startPracticeFrom(s.participantName, s.operation,
                                adaptiveChoiceFor({}, s.participantName, s.operation, target));
    });
    QList<RunResult> ended;
    connect(&f.run, &RunController::runEnded, f.form.get(),
            [&ended](const RunResult& result) { ended << result; });
    f.chooseOperation(2); // multiplication
    const QString range1 = f.c->Edit_Zahl_1->currentText();
    const auto chooseEntry = [&f] {
        QTest::keyClick(f.form.get(), Qt::Key_A, Qt::AltModifier);
        QWidget* popup = QApplication::activePopupWidget();
        QVERIFY(popup);
        QTest::keyClick(popup, Qt::Key_M);
    };

    chooseEntry();
    QVERIFY(f.run.active());
    QVERIFY(dynamic_cast<const AdaptiveChoice*>(f.run.taskSource()));
    QCOMPARE(f.c->Edit_Zahl_1->currentText(), adaptiveRangesText);
    QCOMPARE(f.c->Edit_Zahl_2->currentText(), adaptiveRangesText);
    // Which tasks the choice poses is the core's rule (tst_practice); here they are answered by
    // keys.
    QList<qint32> firstOperands;
    for (int task = 1; task <= 12; ++task) {
        QCOMPARE(f.state.taskCounter, task);
        firstOperands << f.state.operand1;
        task % 4 == 0 ? f.answerWrong() : f.answerRight();
    }
    firstOperands << f.state.operand1; // the task on display when Stop comes was posed too
    f.stop();
    QCOMPARE(ended.size(), 1);
    const RunResult& result = ended[0];
    QVERIFY(result.adaptive);
    QCOMPARE(result.operation, Operation::Multiply);
    QCOMPARE(result.points, 9);
    // The ranges of the result are those of the tasks posed.
    QCOMPARE(result.range1Min, *std::min_element(firstOperands.begin(), firstOperands.end()));
    QCOMPARE(result.range1Max, *std::max_element(firstOperands.begin(), firstOperands.end()));
    QCOMPARE(f.c->Edit_Zahl_1->currentText(), range1);

    // Closed in competition mode.
    f.pending = {};
    QTest::mouseClick(f.form->findChild<QWidget*>("Panel_Wettbewerb_ini"), Qt::LeftButton);
    QVERIFY(f.settings().competitionMode);
    chooseEntry();
    QVERIFY(!f.run.active());
}

QTEST_MAIN(TestAdaptivePractice)
#include "tst_adaptive_practice.moc"
