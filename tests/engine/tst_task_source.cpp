#include "engine/task_source.h"

#include "support/fixed_clock.h"

#include <QTest>

// What the run controller relies on from a practice list: the order of the tasks, how they are
// recorded, the message and the moment at which none is left, and the settings left alone. The
// draw from the ranges is generateTask's, checked in tst_task_generation.
class TestTaskSource : public QObject {
    Q_OBJECT
private slots:
    void practiceListInTurn();
};

void TestTaskSource::practiceListInTurn() {
    // Repeated tasks and ones the ranges (0..5 each, no divisor 0) would not give are posed too.
    const QList<OperandPair> list{{17, 5}, {40, 7}, {17, 5}};
    RunState s;
    s.settings.operation = Operation::DivideWithRemainder;
    s.settings.range1Max = s.settings.range2Max = 5;
    PracticeList source(list);
    QVERIFY(source.singleTaskCounts());
    FixedClock clock;
    for (int k = 1; k <= list.size(); ++k) {
        QVERIFY(!source.usedUp(s));
        QCOMPARE(source.poseNext(s, clock), Generation::TaskPosed);
        QCOMPARE(s.taskCounter, k);
        QCOMPARE(OperandPair(s.operand1, s.operand2), list[k - 1]);
        QCOMPARE(s.usedPairs[k], list[k - 1]);
        const TaskRecord& task = s.taskList[k];
        QCOMPARE(OperandPair(task.operand1, task.operand2), list[k - 1]);
        QCOMPARE(task.operation, QString(": R"));
        QCOMPARE(task.result, task.operand1 / task.operand2);
        QCOMPARE(task.remainder, task.operand1 % task.operand2);
    }
    QVERIFY(!s.noMoreTasks);
    QVERIFY(source.usedUp(s));
    QCOMPARE(source.poseNext(s, clock), Generation::NoMoreTasks);
    QVERIFY(s.noMoreTasks);
    QCOMPARE(s.taskCounter, list.size());
    // A used-up list records nothing past its last task.
    QCOMPARE(s.taskList[size_t(list.size() + 1)].operand1, -1);
    QCOMPARE(source.doneMessage(), practiceDoneMessage);
    // The divisor range stays where it was, without a warning.
    QCOMPARE(source.startWarnings(s), QStringList());
    QCOMPARE(s.settings.range2Min, 0);

    // The draw is never used up, and a run of one drawn task is no worked run.
    const RangeDraw draw;
    QVERIFY(!draw.usedUp(s));
    QVERIFY(!draw.singleTaskCounts());
    QCOMPARE(draw.doneMessage(), noMoreTasksMessage);
}

QTEST_GUILESS_MAIN(TestTaskSource)
#include "tst_task_source.moc"
