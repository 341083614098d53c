#include "common/random.h"
#include "practice/practice_history.h"
#include "practice/practice_model.h"
#include "practice/practice_pool.h"

#include <QTest>

#include <cmath>
#include <optional>
#include <set>

namespace {

// The density ∝ exp(2Δs) on [-1, 1] integrated numerically (Simpson), apart from the closed
// forms the model uses: the mean of S, and the mass above 0.
struct Integrated {
    double mean;
    double aboveZero;
};
Integrated integrateScore(double delta) {
    const int n = 20000; // a multiple of 4: s = 0 ends a panel, so [0, 1] is a Simpson sum too
    double mass = 0, moment = 0, upper = 0;
    for (int i = 0; i <= n; ++i) {
        const double s = -1 + i * 2.0 / n;
        const double w = (i == 0 || i == n) ? 1 : (i % 2 ? 4 : 2);
        const double f = std::exp(2 * delta * s);
        mass += w * f;
        moment += w * s * f;
        upper += i > n / 2 ? w * f : i == n / 2 ? f : 0;
    }
    return {moment / mass, upper / mass};
}

// A child's rating after answers that settle it: forty tasks of the 1x1, right and quick or
// wrong and slow by turns.
void settle(PracticeRatings& r, const QString& child, Operation op = Operation::Multiply) {
    for (int i = 0; i < 40; ++i)
        r.update({child, op, i % 10 + 1, i / 10 + 3, i % 3 != 0, i % 3 != 0 ? 3000 : 15000});
}

} // namespace

class TestPractice : public QObject {
    Q_OBJECT
private slots:
    void scoreAnswer_data();
    void scoreAnswer();
    void expectationMatchesTheDensity_data();
    void expectationMatchesTheDensity();
    void updateDirection_data();
    void updateDirection();
    void stepsShrink();
    void priorOrder_data();
    void priorOrder();
    void stufeMeansBandAt75();
    void poolHoldsWhatItSays_data();
    void poolHoldsWhatItSays();
    void choice_data();
    void choice();
    void replayEqualsLiveUpdates();
};

void TestPractice::scoreAnswer_data() {
    QTest::addColumn<bool>("correct");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<double>("score");
    QTest::newRow("right at once") << true << qint64(0) << 1.0;
    QTest::newRow("wrong at once") << false << qint64(0) << -1.0;
    QTest::newRow("right halfway") << true << taskTimeLimitMs / 2 << 0.5;
    QTest::newRow("wrong at a quarter") << false << taskTimeLimitMs / 4 << -0.75;
    QTest::newRow("right at the limit") << true << taskTimeLimitMs << 0.0;
    QTest::newRow("wrong at the limit") << false << taskTimeLimitMs << 0.0;
    QTest::newRow("right past the limit") << true << 3 * taskTimeLimitMs << 0.0;
    QTest::newRow("wrong past the limit") << false << 3 * taskTimeLimitMs << 0.0;
    QTest::newRow("negative time as 0") << true << qint64(-40) << 1.0;
}

void TestPractice::scoreAnswer() {
    QFETCH(bool, correct);
    QFETCH(qint64, ms);
    QFETCH(double, score);
    QCOMPARE(::scoreAnswer(correct, ms) + 1, score + 1); // + 1: compared near 0 too
}

void TestPractice::expectationMatchesTheDensity_data() {
    QTest::addColumn<double>("delta");
    for (double d : {-3.0, -0.7, -0.004, 0.0, 0.001, 0.25, 0.55, 1.1, 4.0})
        QTest::addRow("delta %g", d) << d;
}

void TestPractice::expectationMatchesTheDensity() {
    QFETCH(double, delta);
    const Integrated numeric = integrateScore(delta);
    QVERIFY2(std::abs(expectedScore(delta) - numeric.mean) < 1e-7,
             qPrintable(QString::number(expectedScore(delta) - numeric.mean)));
    QVERIFY(std::abs(successProbability(delta) - numeric.aboveZero) < 1e-7);
    // The two agree in sign and direction: above the task, a right answer is likelier and the
    // expected score positive.
    QCOMPARE(expectedScore(delta) > 0, delta > 0);
    const double p = successProbability(delta);
    QVERIFY(std::abs(deltaForSuccess(p) - delta) < 1e-9);
}

void TestPractice::updateDirection_data() {
    QTest::addColumn<bool>("correct");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<int>("childMoves"); // +1 up, -1 down; the task moves the other way
    // The task is easy for the settled child (2 x 2): the model expects a good score.
    QTest::newRow("right and fast") << true << qint64(800) << 1;
    QTest::newRow("wrong and fast") << false << qint64(800) << -1;
    QTest::newRow("right but slow") << true << qint64(18000) << -1;
    QTest::newRow("wrong and slow") << false << qint64(18000) << -1;
    QTest::newRow("right past the limit") << true << qint64(25000) << -1;
}

void TestPractice::updateDirection() {
    QFETCH(bool, correct);
    QFETCH(qint64, ms);
    QFETCH(int, childMoves);
    PracticeRatings r;
    settle(r, "Ada");
    const double child = r.ability("Ada", Operation::Multiply);
    const double task = r.difficulty(Operation::Multiply, 2, 2);
    QVERIFY(expectedScore(child - task) > 0.1);
    r.update({"Ada", Operation::Multiply, 2, 2, correct, ms});
    const double childStep = r.ability("Ada", Operation::Multiply) - child;
    const double taskStep = r.difficulty(Operation::Multiply, 2, 2) - task;
    QCOMPARE(childStep > 0 ? 1 : -1, childMoves);
    QCOMPARE(taskStep > 0 ? 1 : -1, -childMoves);
    // Both move by the same surprise: the child by its step, the task by a smaller one.
    QVERIFY(std::abs(taskStep) < std::abs(childStep));
    QCOMPARE(r.answersOf("Ada", Operation::Multiply), 41);
    QCOMPARE(r.answersOf(Operation::Multiply, 2, 2), 1);
    // A task beyond what the program poses is not mistaken for one it rated.
    QCOMPARE(r.answersOf(Operation::Multiply, 65536 + 2, 2), 0);
    QCOMPARE(r.difficulty(Operation::Multiply, 65536 + 2, 2),
             priorDifficulty(Operation::Multiply, 65536 + 2, 2));
    // Other children and operations are left alone.
    QCOMPARE(r.answersOf("Ben", Operation::Multiply), 0);
    QCOMPARE(r.ability("Ada", Operation::Add), PracticeRatings().ability("Ada", Operation::Add));
}

// The same surprise moves a rating less the more is known: the child after more of its own
// answers, the task after more children answered it. A child's very first answer moves only the
// child.
void TestPractice::stepsShrink() {
    double lastChildStep = 1e9, lastTaskStep = 1e9;
    PracticeRatings r;
    for (int n : {0, 5, 20, 60, 150}) {
        while (r.answersOf(Operation::Add, 40, 40) < n) {
            const QString other = QStringLiteral("K%1").arg(r.answersOf(Operation::Add, 40, 40));
            settle(r, other, Operation::Add);
            r.update({other, Operation::Add, 40, 40, true, 4000});
        }
        // A wrong quick answer to 40 + 40 by a child with n answers of its own...
        PracticeRatings probe = r;
        for (int i = 0; i < n; ++i)
            probe.update({"Ada", Operation::Add, 1 + i % 9, 3, i % 2 == 0, 2000});
        double a = probe.ability("Ada", Operation::Add);
        double d = probe.difficulty(Operation::Add, 40, 40);
        double surprise = ::scoreAnswer(false, 1000) - expectedScore(a - d);
        probe.update({"Ada", Operation::Add, 40, 40, false, 1000});
        const double childStep = (probe.ability("Ada", Operation::Add) - a) / surprise;
        QVERIFY2(childStep > 0 && childStep < lastChildStep, qPrintable(QString::number(n)));
        lastChildStep = childStep;
        if (n == 0)
            QCOMPARE(probe.difficulty(Operation::Add, 40, 40), d);

        // ...and by a settled child, to a task n children answered before.
        PracticeRatings settled = r;
        settle(settled, "Ben", Operation::Add);
        a = settled.ability("Ben", Operation::Add);
        surprise = ::scoreAnswer(false, 1000) - expectedScore(a - d);
        settled.update({"Ben", Operation::Add, 40, 40, false, 1000});
        const double taskStep = -(settled.difficulty(Operation::Add, 40, 40) - d) / surprise;
        QVERIFY2(taskStep > 0 && taskStep < lastTaskStep, qPrintable(QString::number(n)));
        lastTaskStep = taskStep;
    }
}

void TestPractice::priorOrder_data() {
    QTest::addColumn<Operation>("op");
    QTest::addColumn<QList<int>>("easier"); // operand1, operand2
    QTest::addColumn<QList<int>>("harder");
    QTest::addColumn<Operation>("harderOp");
    auto row = [](const char* name, Operation op, QList<int> easier, QList<int> harder,
                  std::optional<Operation> harderOp = {}) {
        QTest::newRow(name) << op << easier << harder << harderOp.value_or(op);
    };
    row("2+3 before 47+38", Operation::Add, {2, 3}, {47, 38});
    row("47+38 before 478+356", Operation::Add, {47, 38}, {478, 356});
    row("crossing the ten", Operation::Add, {12, 5}, {7, 8});
    row("whole hundreds before carries", Operation::Add, {300, 400}, {345, 236});
    row("borrowing", Operation::Subtract, {17, 5}, {12, 7});
    row("plus before minus", Operation::Add, {5, 7}, {12, 7}, Operation::Subtract);
    row("2*5 before 7*8", Operation::Multiply, {2, 5}, {7, 8});
    row("x10 before x7", Operation::Multiply, {10, 6}, {7, 6});
    row("x0 before x2", Operation::Multiply, {0, 9}, {2, 9});
    row("2*7 before 20*7", Operation::Multiply, {2, 7}, {20, 7});
    row("4*7 before 14*7", Operation::Multiply, {4, 7}, {14, 7});
    row("the x10 row before tens times a digit", Operation::Multiply, {10, 2}, {20, 2});
    row("15*4 before 25*4, which carries", Operation::Multiply, {4, 15}, {25, 4});
    row("20:10 before 56:8", Operation::Divide, {20, 10}, {56, 8});
    row("21:7 before 210:7", Operation::Divide, {21, 7}, {210, 7});
    row("remainder 0 before 2", Operation::DivideWithRemainder, {15, 5}, {17, 5});
    row("beyond the 1x1", Operation::DivideWithRemainder, {40, 4}, {100, 2});
}

void TestPractice::priorOrder() {
    QFETCH(Operation, op);
    QFETCH(QList<int>, easier);
    QFETCH(QList<int>, harder);
    QFETCH(Operation, harderOp);
    QVERIFY(priorDifficulty(op, easier[0], easier[1]) <
            priorDifficulty(harderOp, harder[0], harder[1]));
}

// A child of Stufe k solves a task of band k three times in four: for every band of every
// operation, and the Stufe is read back from the ability.
void TestPractice::stufeMeansBandAt75() {
    for (Operation op : allOperations) {
        for (const PoolTask& t : practicePool(op)) {
            const double band = taskBand(op, t.operand1, t.operand2);
            const double p = successProbability(abilityOfStufe(band) -
                                                priorDifficulty(op, t.operand1, t.operand2));
            QVERIFY(std::abs(p - 0.75) < 1e-9);
            QVERIFY(std::abs(stufeOf(abilityOfStufe(band)) - band) < 1e-9);
            QCOMPARE(roundedStufe(abilityOfStufe(band)), int(std::lround(band)));
        }
    }
    QCOMPARE(stufeOf(abilityOfStufe(-4)), 1.0);
    QCOMPARE(stufeOf(abilityOfStufe(25)), 10.0);
}

void TestPractice::poolHoldsWhatItSays_data() {
    QTest::addColumn<Operation>("op");
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<int>("operand1Max"); // a grid that covers the pool and more
    QTest::addColumn<int>("operand2Max");
    QTest::newRow("+") << Operation::Add << qsizetype(1001 * 1002 / 2) << 1010 << 1010;
    QTest::newRow("-") << Operation::Subtract << qsizetype(1001 * 1002 / 2) << 1010 << 1010;
    // Past the 1x1: 20..90 and 11..25, 22 numbers, times 2..9; * either way round.
    QTest::newRow("*") << Operation::Multiply << qsizetype(11 * 11 + 2 * 22 * 8) << 100 << 100;
    QTest::newRow(":") << Operation::Divide << qsizetype(11 * 10 + 22 * 8) << 1000 << 30;
    QTest::newRow(":R") << Operation::DivideWithRemainder << qsizetype(9 * 101 - (2 + 10) * 9 / 2)
                        << 110 << 12;
}

void TestPractice::poolHoldsWhatItSays() {
    QFETCH(Operation, op);
    QFETCH(qsizetype, size);
    QFETCH(int, operand1Max);
    QFETCH(int, operand2Max);
    const QList<PoolTask> pool = practicePool(op);
    QCOMPARE(pool.size(), size);
    QCOMPARE(practicePoolSize(op), size);
    std::set<std::pair<int, int>> tasks;
    double lastPrior = -1e9;
    for (const PoolTask& t : pool) {
        QVERIFY(taskPosable(op, t.operand1, t.operand2));
        tasks.insert({t.operand1, t.operand2});
        const double prior = priorDifficulty(op, t.operand1, t.operand2);
        QVERIFY(prior >= lastPrior - 1e-6); // easiest first
        lastPrior = prior;
    }
    QCOMPARE(qsizetype(tasks.size()), size); // no task twice
    for (int a = -1; a <= operand1Max; ++a)
        for (int b = -1; b <= operand2Max; ++b)
            QCOMPARE(inPracticePool(op, a, b), tasks.count({a, b}) == 1);
}

void TestPractice::choice_data() {
    QTest::addColumn<Operation>("op");
    QTest::addColumn<Target>("target");
    QTest::addColumn<double>("stufe");     // right and quick answers lift the child this far first
    QTest::addColumn<double>("nearShare"); // of choices within 5 % of the target, at least
    QTest::addColumn<int>("factorMax");    // of * and : the largest factor met, or -1: not checked
    QTest::newRow("+ new child mittel") << Operation::Add << Target::Medium << 2.0 << 0.95 << -1;
    QTest::newRow("+ Stufe 5 leicht") << Operation::Add << Target::Easy << 5.0 << 0.95 << -1;
    QTest::newRow("+ Stufe 7 schwer") << Operation::Add << Target::Hard << 7.0 << 0.95 << -1;
    QTest::newRow("- Stufe 6 mittel") << Operation::Subtract << Target::Medium << 6.0 << 0.95 << -1;
    // A new child meets the 1x1 first, not what is worked out from it. (The few easiest facts
    // cannot all lie near the target, so here only the factors are checked.)
    QTest::newRow("* new child mittel")
        << Operation::Multiply << Target::Medium << 2.0 << 0.0 << 10;
    QTest::newRow(": new child schwer") << Operation::Divide << Target::Hard << 2.0 << 0.0 << 10;
    QTest::newRow("* Stufe 5 mittel") << Operation::Multiply << Target::Medium << 5.0 << 0.7 << -1;
    QTest::newRow("* Stufe 9 mittel") << Operation::Multiply << Target::Medium << 9.0 << 0.8 << -1;
    QTest::newRow(":R Stufe 4 schwer")
        << Operation::DivideWithRemainder << Target::Hard << 4.0 << 0.8 << -1;
    QTest::newRow("* far beyond the pool")
        << Operation::Multiply << Target::Hard << 16.0 << 0.0 << -1;
}

void TestPractice::choice() {
    QFETCH(Operation, op);
    QFETCH(Target, target);
    QFETCH(double, stufe);
    QFETCH(double, nearShare);
    QFETCH(int, factorMax);
    PracticeRatings r;
    for (int i = 0; i < 5000 && r.ability("Ada", op) < abilityOfStufe(stufe); ++i)
        r.update({"Ada", op, op == Operation::Subtract ? 90 : 9, 8, true, i % 2 ? 0 : 500});
    const double ability = r.ability("Ada", op);
    int near = 0, choices = 0;
    for (quint32 seed = 1; seed <= 60; ++seed) {
        Lcg random{seed * 2654435761u};
        QList<PoolTask> recent;
        for (int i = 0; i < 30; ++i) {
            const std::optional<PoolTask> task = chooseTask(r, "Ada", op, target, recent, random);
            QVERIFY(task);
            QVERIFY(!recent.mid(std::max<qsizetype>(0, recent.size() - 10)).contains(*task));
            QVERIFY(inPracticePool(op, task->operand1, task->operand2)); // the pool's own test
            if (factorMax >= 0) {
                const int factor =
                    op == Operation::Divide ? task->operand1 / task->operand2 : task->operand1;
                QVERIFY(std::max(factor, int(task->operand2)) <= factorMax);
            }
            const double p =
                successProbability(ability - r.difficulty(op, task->operand1, task->operand2));
            near += std::abs(p - targetSuccess(target)) <= 0.05 ? 1 : 0;
            ++choices;
            recent.append(*task);
        }
    }
    QVERIFY2(near >= nearShare * choices, qPrintable(QString::number(double(near) / choices)));
    // A seed gives the same choices again.
    Lcg first{99}, second{99};
    QCOMPARE(chooseTask(r, "Ada", op, target, {}, first),
             chooseTask(r, "Ada", op, target, {}, second));
}

// The ratings read from the history, run by run, are those of answers taken in live one at a
// time.
void TestPractice::replayEqualsLiveUpdates() {
    Lcg random{2024};
    QList<HistoryRun> runs;
    const QStringList children{"Ada", "Ben", "Cem"};
    for (int r = 0; r < 24; ++r) {
        HistoryRun run;
        run.participant = children[r % 3];
        run.operation = r % 4 == 3 ? Operation::Subtract : Operation::Multiply;
        run.startedAt = QDateTime(QDate(2026, 11, 2 + r), QTime(9, 0));
        for (int i = 0; i < 15; ++i) {
            AnsweredTask a;
            a.operand1 = random.random(11) + (run.operation == Operation::Subtract ? 10 : 0);
            a.operand2 = random.random(11);
            a.correct = random.random(4) != 0;
            a.answerMs = random.random(26000);
            run.answers.append(a);
        }
        runs.append(run);
    }
    runs[5].answers[2].operand1 = largestOperand + 1; // not posable: left out

    PracticeRatings live;
    PracticeRatings fromRuns;
    for (const HistoryRun& run : runs) {
        for (const AnsweredTask& a : run.answers) {
            if (taskPosable(run.operation, a.operand1, a.operand2))
                live.update({run.participant, run.operation, a.operand1, a.operand2, a.correct,
                             a.answerMs});
        }
        replayRun(fromRuns, run);
    }
    for (const QString& child : children)
        for (Operation op : {Operation::Multiply, Operation::Subtract}) {
            QVERIFY(fromRuns.ability(child, op) == live.ability(child, op));
            QCOMPARE(fromRuns.answersOf(child, op), live.answersOf(child, op));
        }
    for (int a = 0; a <= 20; ++a)
        for (int b = 0; b <= 10; ++b)
            for (Operation op : {Operation::Multiply, Operation::Subtract}) {
                QVERIFY(fromRuns.difficulty(op, a, b) == live.difficulty(op, a, b));
                QCOMPARE(fromRuns.answersOf(op, a, b), live.answersOf(op, a, b));
            }
    qint32 cemsAnswers = 0;
    for (const HistoryRun& run : runs)
        if (run.participant == "Cem" && run.operation == runs[5].operation)
            cemsAnswers += qint32(run.answers.size());
    QCOMPARE(fromRuns.answersOf("Cem", runs[5].operation), cemsAnswers - 1);
}

QTEST_GUILESS_MAIN(TestPractice)
#include "tst_practice.moc"
