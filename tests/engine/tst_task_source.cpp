#include "engine/task_source.h"

#include "support/fixed_clock.h"

#include <QTest>

#include <algorithm>
#include <memory>

// What the run controller relies on from each source of tasks: the order of the tasks, how they
// are recorded, the message and the moment at which none is left, and the settings left alone.
class TestTaskSource : public QObject {
    Q_OBJECT
private slots:
    void tasksInTurn_data();
    void tasksInTurn();
};

void TestTaskSource::tasksInTurn_data() {
    QTest::addColumn<bool>("practice");
    QTest::addColumn<QList<OperandPair>>("list");
    QTest::addColumn<QList<int>>("bounds"); // range1Min, range1Max, range2Min, range2Max
    QTest::addColumn<QList<OperandPair>>("posed");
    QTest::addColumn<QString>("done");
    QTest::addColumn<int>("range2MinAfter");
    // A practice list poses its tasks as they come, repeated ones and ones the ranges would not
    // give included, and leaves the divisor range where it was.
    QTest::newRow("practice list")
        << true << QList<OperandPair>{{17, 5}, {40, 7}, {17, 5}} << QList<int>{0, 5, 0, 5}
        << QList<OperandPair>{{17, 5}, {40, 7}, {17, 5}} << practiceDoneMessage << 0;
    // Ranges of one pair each: the draw poses it once, then has nothing left; its divisor range
    // starts at 1.
    QTest::newRow("ranges of one pair")
        << false << QList<OperandPair>{} << QList<int>{17, 17, 0, 5}
        << QList<OperandPair>{{17, 1}, {17, 2}, {17, 3}, {17, 4}, {17, 5}} << noMoreTasksMessage
        << 1;
}

void TestTaskSource::tasksInTurn() {
    QFETCH(bool, practice);
    QFETCH(QList<OperandPair>, list);
    QFETCH(QList<int>, bounds);
    QFETCH(QList<OperandPair>, posed);
    RunState s;
    s.settings.operation = Operation::DivideWithRemainder;
    s.settings.range1Min = bounds[0];
    s.settings.range1Max = bounds[1];
    s.settings.range2Min = bounds[2];
    s.settings.range2Max = bounds[3];
    std::unique_ptr<TaskSource> source;
    if (practice)
        source = std::make_unique<PracticeList>(list);
    else
        source = std::make_unique<RangeDraw>();
    QCOMPARE(source->singleTaskCounts(), practice);
    FixedClock clock;
    QList<OperandPair> got;
    for (int k = 1; k <= posed.size(); ++k) {
        QVERIFY(!source->usedUp(s));
        QCOMPARE(source->poseNext(s, clock), Generation::TaskPosed);
        QCOMPARE(s.taskCounter, k);
        got << OperandPair{s.operand1, s.operand2};
        QCOMPARE(s.usedPairs[k], got.last());
        const TaskRecord& task = s.taskList[k];
        QCOMPARE(OperandPair(task.operand1, task.operand2), got.last());
        QCOMPARE(task.operation, QString(": R"));
        QCOMPARE(task.result, task.operand1 / task.operand2);
        QCOMPARE(task.remainder, task.operand1 % task.operand2);
    }
    // The draw's order follows the clock; which pairs it gives is what counts.
    auto sorted = [](QList<OperandPair> pairs) {
        std::sort(pairs.begin(), pairs.end(), [](const OperandPair& a, const OperandPair& b) {
            return std::pair(a.first, a.second) < std::pair(b.first, b.second);
        });
        return pairs;
    };
    QCOMPARE(practice ? got : sorted(got), practice ? posed : sorted(posed));
    QVERIFY(!s.noMoreTasks);
    QCOMPARE(source->usedUp(s), practice);
    QCOMPARE(source->poseNext(s, clock), Generation::NoMoreTasks);
    QVERIFY(s.noMoreTasks);
    QCOMPARE(s.taskCounter, posed.size());
    // A used-up list records nothing past its last task.
    if (practice)
        QCOMPARE(s.taskList[size_t(posed.size() + 1)].operand1, -1);
    QTEST(source->doneMessage(), "done");
    QTEST(s.settings.range2Min, "range2MinAfter");
    QCOMPARE(source->startWarnings(s), QStringList());
}

QTEST_GUILESS_MAIN(TestTaskSource)
#include "tst_task_source.moc"
