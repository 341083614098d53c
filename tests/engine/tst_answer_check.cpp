#include "engine/answer_check.h"
#include "engine/answer_timing.h"
#include "engine/run_state.h"
#include "engine/task_generation.h"

#include "support/fixed_clock.h"
#include "support/operations.h"

#include <QTest>

#include <limits>

namespace {

void poseTask(RunState& s, const QString& sign, bool withRemainder, qint32 a, qint32 b) {
    s.settings.operation = operationOf(sign, withRemainder);
    s.operand1 = a;
    s.operand2 = b;
    s.taskCounter = 1;
    s.usedPairs[1] = {a, b};
    s.taskList[1].operand1 = a;
    s.taskList[1].operand2 = b;
}

// The parts of the state an answer check could touch.
QList<qint64> snapshot(const RunState& s) {
    QList<qint64> v{s.points,   s.taskSolved,     s.taskCounter,        s.operand1,
                    s.operand2, s.givenRemainder, s.settings.range2Min, s.noMoreTasks};
    for (const OperandPair& pair : s.usedPairs)
        v << pair.first << pair.second;
    for (const TaskRecord& t : s.taskList)
        v << t.operand1 << t.operand2 << t.result << t.remainder << t.givenAnswer
          << t.givenRemainder;
    return v;
}

} // namespace

class TestAnswerCheck : public QObject {
    Q_OBJECT
private slots:
    void checkAnswer_data();
    void checkAnswer();
    void pointsCountUpAndWord();
    void pairsKeepTheirOrder();
    void clearTaskListKeepsGivenValues();
    void workedTaskCount();
    void answerTimes_data();
    void answerTimes();
    void operationTraits_data();
    void operationTraits();
};

void TestAnswerCheck::checkAnswer_data() {
    QTest::addColumn<QString>("sign");
    QTest::addColumn<bool>("withRemainder");
    QTest::addColumn<int>("operand1");
    QTest::addColumn<int>("operand2");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("givenRemainder");
    QTest::addColumn<bool>("right");
    QTest::newRow("7 + 5 = 12") << "+" << false << 7 << 5 << "12" << 0 << true;
    QTest::newRow("7 + 5 = 012") << "+" << false << 7 << 5 << "012" << 0 << false;
    QTest::newRow("7 + 5 = 13") << "+" << false << 7 << 5 << "13" << 0 << false;
    QTest::newRow("7 + 5, empty") << "+" << false << 7 << 5 << "" << 0 << false;
    QTest::newRow("9 - 9 = 0") << "-" << false << 9 << 9 << "0" << 0 << true;
    QTest::newRow("9 - 9 = 00") << "-" << false << 9 << 9 << "00" << 0 << false;
    QTest::newRow("30000 * 30000") << "*" << false << 30000 << 30000 << "900000000" << 0 << true;
    QTest::newRow("12 * 3 = 15 (the sum)") << "*" << false << 12 << 3 << "15" << 0 << false;
    QTest::newRow("17 : 5 = 3, no remainder asked") << ":" << false << 17 << 5 << "3" << 7 << true;
    // The remainder field's text "02" arrives as the number 2, so it scores like "2".
    QTest::newRow("17 : 5 = 3 R 2") << ":" << true << 17 << 5 << "3" << 2 << true;
    QTest::newRow("17 : 5 = 3 R 1") << ":" << true << 17 << 5 << "3" << 1 << false;
    QTest::newRow("17 : 5 = 03 R 2") << ":" << true << 17 << 5 << "03" << 2 << false;
    QTest::newRow("17 : 5 = 2 R 7") << ":" << true << 17 << 5 << "2" << 7 << false;
    QTest::newRow("0 : 6 = 0 R 0") << ":" << true << 0 << 6 << "0" << 0 << true;
}

// A right answer raises points by one and marks the task solved; a wrong one changes nothing.
void TestAnswerCheck::checkAnswer() {
    QFETCH(QString, sign);
    QFETCH(bool, withRemainder);
    QFETCH(int, operand1);
    QFETCH(int, operand2);
    QFETCH(QString, answer);
    QFETCH(int, givenRemainder);
    QFETCH(bool, right);
    RunState s;
    poseTask(s, sign, withRemainder, operand1, operand2);
    s.points = 4;
    s.answerText = answer;
    s.givenRemainder = givenRemainder;
    const QList<qint64> before = snapshot(s);
    QCOMPARE(::checkAnswer(s), right);
    if (right) {
        QCOMPARE(s.points, 5);
        QVERIFY(s.taskSolved);
    } else {
        QCOMPARE(snapshot(s), before);
    }
}

void TestAnswerCheck::pointsCountUpAndWord() {
    QCOMPARE(pointsWord(0), QString("Punkte"));
    RunState s;
    poseTask(s, "+", false, 7, 5);
    s.answerText = "12";
    QVERIFY(::checkAnswer(s));
    QCOMPARE(s.points, 1);
    QCOMPARE(pointsWord(s.points), QString("Punkt"));
    s.taskSolved = false;
    poseTask(s, "-", false, 7, 5);
    s.answerText = "2";
    QVERIFY(::checkAnswer(s));
    QCOMPARE(s.points, 2);
    QCOMPARE(pointsWord(s.points), QString("Punkte"));
    s.answerText = "3";
    QVERIFY(!::checkAnswer(s));
    QCOMPARE(s.points, 2);
    QCOMPARE(pointsWord(21), QString("Punkte"));
}

void TestAnswerCheck::pairsKeepTheirOrder() {
    RunState s;
    clearUsedPairs(s);
    QVERIFY(!pairUsed(s, 7, 3));
    s.usedPairs[taskLimit] = {7, 3};
    QVERIFY(pairUsed(s, 7, 3));
    QVERIFY(!pairUsed(s, 3, 7));
    s.usedPairs[1] = {3, 7};
    QVERIFY(pairUsed(s, 3, 7));
    clearUsedPairs(s);
    QVERIFY(!pairUsed(s, 7, 3));
    QVERIFY(!pairUsed(s, 3, 7));
}

// Resetting the list rewrites the task and header fields in all 161 elements and keeps what the
// child gave, the remainders and the time-limit text.
void TestAnswerCheck::clearTaskListKeepsGivenValues() {
    RunState s;
    for (int k = 0; k <= taskLimit; ++k) {
        TaskRecord& t = s.taskList[k];
        t = {k,
             k + 1,
             ": R",
             k + 2,
             k + 3,
             k + 4,
             k + 5,
             "Anna",
             "06.12.26",
             "17:06:29",
             quint8(k % 200),
             "W 3",
             QString("%1 s").arg(k)};
    }
    clearTaskList(s);
    for (int k = 0; k <= taskLimit; ++k) {
        const TaskRecord& t = s.taskList[k];
        QCOMPARE(QList<int>({t.operand1, t.operand2, t.result, t.points}),
                 QList<int>({-1, -1, -1, 0}));
        QCOMPARE(QStringList({t.operation, t.competitionTag, t.name, t.date, t.time}),
                 QStringList({"--", "--", "---", "---", "---"}));
        QCOMPARE(QList<int>({t.remainder, t.givenAnswer, t.givenRemainder}),
                 QList<int>({k + 3, k + 4, k + 5}));
        QCOMPARE(t.timeLimitText, QString("%1 s").arg(k));
    }
}

void TestAnswerCheck::workedTaskCount() {
    RunState s;
    s.taskCounter = 5;
    QCOMPARE(workedTasks(s, RunEnd::StopOrTimeOut), 4);
    QCOMPARE(workedTasks(s, RunEnd::AllTasksAnswered), 5);
    s.taskCounter = taskLimit;
    QCOMPARE(workedTasks(s, RunEnd::AllTasksAnswered), 160);
    s.taskCounter = 1;
    QCOMPARE(workedTasks(s, RunEnd::StopOrTimeOut), 0);
}

void TestAnswerCheck::answerTimes_data() {
    QTest::addColumn<bool>("withRemainder");
    QTest::addColumn<qint64>("shownAt");
    QTest::addColumn<qint64>("answeredAt");
    QTest::addColumn<qint64>("answerMs");
    QTest::addColumn<int>("correctRemainder");
    QTest::addColumn<QString>("givenRemainder");
    QTest::newRow("plain") << false << qint64(1000) << qint64(3500) << qint64(2500) << -1 << "";
    QTest::newRow("remainder") << true << qint64(0) << qint64(900) << qint64(900) << 2 << "02";
    QTest::newRow("clock behind") << false << qint64(500) << qint64(400) << qint64(0) << -1 << "";
    QTest::newRow("extremes") << false << std::numeric_limits<qint64>::min()
                              << std::numeric_limits<qint64>::max()
                              << std::numeric_limits<qint64>::max() << -1 << "";
}

// A run starts its history afresh; each answer keeps its task, as typed, and its time.
void TestAnswerCheck::answerTimes() {
    QFETCH(bool, withRemainder);
    QFETCH(qint64, shownAt);
    QFETCH(qint64, answeredAt);
    RunState s;
    s.answeredTasks = {AnsweredTask{}};
    FixedClock clock;
    beginRunHistory(s, clock);
    QVERIFY(s.answeredTasks.isEmpty());
    QCOMPARE(s.runStartedAt, QDateTime(QDate(2026, 12, 6), QTime(17, 6, 29)));
    poseTask(s, ":", withRemainder, 17, 5);
    s.answerText = "3";
    clock.monotonic = shownAt;
    markTaskShown(s, clock);
    clock.monotonic = answeredAt;
    recordAnswer(s, clock, false, "02");
    QCOMPARE(s.answeredTasks.size(), 1);
    const AnsweredTask& a = s.answeredTasks[0];
    QCOMPARE(a.taskNo, 1);
    QCOMPARE(a.operand1, 17);
    QCOMPARE(a.operand2, 5);
    QCOMPARE(a.correctResult, 3);
    QTEST(a.correctRemainder, "correctRemainder");
    QCOMPARE(a.givenAnswer, QString("3"));
    QTEST(a.givenRemainder, "givenRemainder");
    QVERIFY(!a.correct);
    QTEST(a.answerMs, "answerMs");
}

void TestAnswerCheck::operationTraits_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QList<int>>("task"); // operand1, operand2, result, remainder
    QTest::addColumn<bool>("posable");
    QTest::newRow("+") << Operation::Add << QList<int>{30000, 30000, 60000, -1} << true;
    QTest::newRow("- below 0") << Operation::Subtract << QList<int>{5, 7, -2, -1} << false;
    QTest::newRow("*") << Operation::Multiply << QList<int>{12, 3, 36, -1} << true;
    QTest::newRow(": not exact") << Operation::Divide << QList<int>{17, 5, 3, -1} << false;
    QTest::newRow(": by 0") << Operation::Divide << QList<int>{17, 0, 0, -1} << false;
    QTest::newRow(": R") << Operation::DivideWithRemainder << QList<int>{17, 5, 3, 2} << true;
    QTest::newRow(": R by 0") << Operation::DivideWithRemainder << QList<int>{17, 0, 0, 0} << false;
}

// Each text of an operation names it back, and its tasks have one result and one rule of what
// the generator could pose.
void TestAnswerCheck::operationTraits() {
    QFETCH(Operation, operation);
    QFETCH(QList<int>, task);
    QCOMPARE(operationFromText(operationText(operation)), std::optional(operation));
    QCOMPARE(operationFromName(operationName(operation)), std::optional(operation));
    QCOMPARE(operationFromIndex(operationIndex(operation)), std::optional(operation));
    QCOMPARE(correctResult(operation, task[0], task[1]), task[2]);
    QCOMPARE(taskRemainder(operation, task[0], task[1]), task[3]);
    QTEST(taskPosable(operation, task[0], task[1]), "posable");
    // Past the largest operand no operation poses a task.
    QVERIFY(!taskPosable(operation, largestOperand + 1, 1));
    QVERIFY(!taskPosable(operation, 1, -1));
}

QTEST_GUILESS_MAIN(TestAnswerCheck)
#include "tst_answer_check.moc"
