#include "engine/answer_check.h"
#include "engine/run_controller.h"
#include "history/model/history.h"
#include "practice/adaptive_choice.h"
#include "support/fixed_clock.h"

#include <QTest>

// A run "nach Maß" on the run controller alone.
class TestAdaptiveChoice : public QObject {
    Q_OBJECT
private slots:
    void liveRatingsAreTheHistorysReplay();
};

// What the choice learns from each answer while the run goes on is exactly what the learning
// history's replay of the recorded run gives afterwards, so the next run starts where this one
// left off.
void TestAdaptiveChoice::liveRatingsAreTheHistorysReplay() {
    FixedClock clock;
    RunController run(clock);
    QVERIFY(run.startPracticeFrom("Ben", Operation::Subtract,
                                  adaptiveChoiceFor({}, "Ben", Operation::Subtract, Target::Hard)));
    const auto* choice = dynamic_cast<const AdaptiveChoice*>(run.taskSource());
    QVERIFY(choice);
    for (int task = 1; task <= 30; ++task) {
        clock.monotonic += 900 * (task % 7) + 300; // quick and slow answers
        const qint32 right =
            correctResult(Operation::Subtract, run.task().first, run.task().second);
        run.submitAnswer(QString::number(task % 3 == 0 ? right + 1 : right));
    }
    // Task 31 is on display: the 30 answers before it are in the ratings.
    HistoryRun recorded;
    recorded.participant = "Ben";
    recorded.operation = Operation::Subtract;
    recorded.answers = run.state().answeredTasks;
    QCOMPARE(recorded.answers.size(), 30);
    const auto replayed = adaptiveChoiceFor({recorded}, "Ben", Operation::Subtract, Target::Hard);
    QCOMPARE(choice->ratings().ability("Ben", Operation::Subtract),
             replayed->ratings().ability("Ben", Operation::Subtract));
    QVERIFY(choice->ratings().answersOf("Ben", Operation::Subtract) == 30);
    for (const AnsweredTask& a : recorded.answers)
        QCOMPARE(choice->ratings().difficulty(Operation::Subtract, a.operand1, a.operand2),
                 replayed->ratings().difficulty(Operation::Subtract, a.operand1, a.operand2));
}

QTEST_GUILESS_MAIN(TestAdaptiveChoice)
#include "tst_adaptive_choice.moc"
