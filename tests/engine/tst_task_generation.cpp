#include "engine/task_generation.h"
#include "main_window/settings_items.h"
#include "support/fixed_clock.h"
#include "support/operations.h"

#include <QSet>
#include <QTest>

#include <algorithm>

namespace {

struct Range {
    qint32 min;
    qint32 max;
};

// The bounds of the 14 range items of the operand lists, as the settings panel offers them.
QList<Range> rangeBounds() {
    QList<Range> ranges;
    for (const RangeItem& item : rangeItems())
        ranges.append({item.lowerBound, item.upperBound});
    return ranges;
}

const int msPerDay = 24 * 60 * 60 * 1000;

void setUp(RunState& s, const QString& sign, bool withRemainder, Range r1, Range r2) {
    s = RunState{};
    s.settings.operation = operationOf(sign, withRemainder);
    s.settings.range1Min = r1.min;
    s.settings.range1Max = r1.max;
    s.settings.range2Min = r2.min;
    s.settings.range2Max = r2.max;
}

// Drives a run with a clock that starts at startMs and moves on by stepMs before every task
// (0 keeps it standing, so every call reseeds with the same value).
class Driver {
public:
    Driver(RunState& state, int startMs, int stepMs) : s(state), step(stepMs) {
        clock.setUtcMilliseconds(startMs % msPerDay);
        next = startMs % msPerDay;
    }
    Generation generate() {
        clock.setUtcMilliseconds(next);
        next = (next + step) % msPerDay;
        return generateTask(s, clock);
    }

private:
    RunState& s;
    FixedClock clock;
    int step;
    int next;
};

QSet<QPair<int, int>> posedPairs(const RunState& s) {
    QSet<QPair<int, int>> pairs;
    for (int k = 1; k <= s.taskCounter; ++k)
        pairs.insert({s.taskList[k].operand1, s.taskList[k].operand2});
    return pairs;
}

} // namespace

class TestTaskGeneration : public QObject {
    Q_OBJECT
private slots:
    void exhaustsEveryPairOnce_data();
    void exhaustsEveryPairOnce();
    void firstTasksFromKnownSeeds_data();
    void firstTasksFromKnownSeeds();
    void searchOrderAtStandingClock_data();
    void searchOrderAtStandingClock();
    void divisionAlwaysExact();
    void divisionSmallRanges();
    void divisionWithRemainder_data();
    void divisionWithRemainder();
    void rangeCheckMessages_data();
    void rangeCheckMessages();
    void rangeFlagsNeverSetBack();
    void posableTasks_data();
    void posableTasks();
};

void TestTaskGeneration::exhaustsEveryPairOnce_data() {
    QTest::addColumn<QString>("sign");
    QTest::addColumn<int>("startMs");
    QTest::addColumn<int>("stepMs");
    // Every row runs 200 clocks, each started 7919 ms after the previous one.
    QTest::newRow("+ standing clock") << "+" << 0 << 0;
    QTest::newRow("+ standing clock near midnight") << "+" << msPerDay - 200 * 7919 << 0;
    QTest::newRow("+ clock moving 1 ms") << "+" << 123456 << 1;
    QTest::newRow("+ clock moving 1 s") << "+" << 40000000 << 1000;
    QTest::newRow("* clock moving 13 ms") << "*" << 777 << 13;
    QTest::newRow("- standing clock") << "-" << 5000 << 0;
    QTest::newRow("- clock moving 1 ms") << "-" << 60000000 << 1;
    QTest::newRow("- clock moving 250 ms") << "-" << 31 << 250;
}

// Both ranges "0 .. 5": addition and multiplication have 36 distinct pairs, subtraction the 21
// with q <= p. Each is posed exactly once, then the run has no more tasks.
void TestTaskGeneration::exhaustsEveryPairOnce() {
    QFETCH(QString, sign);
    QFETCH(int, startMs);
    QFETCH(int, stepMs);
    const bool difference = sign == "-";
    QSet<QPair<int, int>> allPairs;
    for (int p = 0; p <= 5; ++p)
        for (int q = 0; q <= (difference ? p : 5); ++q)
            allPairs.insert({p, q});
    QCOMPARE(allPairs.size(), difference ? 21 : 36);

    // The caller shows this text when a generation reports no more tasks.
    QCOMPARE(noMoreTasksMessage, "Bei dieser Rechenart und den gewählten Rechenbereichen habe ich "
                                 "\nkeine weiteren Aufgaben für Dich !\nWähle bitte neu !");
    for (int run = 0; run < 200; ++run) {
        RunState s;
        setUp(s, sign, false, {0, 5}, {0, 5});
        Driver driver(s, startMs + run * 7919, stepMs);
        for (int k = 1; k <= allPairs.size(); ++k) {
            QCOMPARE(driver.generate(), Generation::TaskPosed);
            QCOMPARE(s.taskCounter, k);
            QVERIFY(!s.noMoreTasks);
            const TaskRecord& task = s.taskList[k];
            QCOMPARE(task.operand1, s.operand1);
            QCOMPARE(task.operand2, s.operand2);
            QVERIFY2(allPairs.contains({s.operand1, s.operand2}),
                     qPrintable(QString("%1 %2 %3").arg(s.operand1).arg(sign).arg(s.operand2)));
            QCOMPARE(task.operation, sign);
            QCOMPARE(task.result, sign == "+"   ? s.operand1 + s.operand2
                                  : sign == "*" ? s.operand1 * s.operand2
                                                : s.operand1 - s.operand2);
            QVERIFY(task.result >= 0);
            QCOMPARE(task.remainder, -1);
            QVERIFY(taskPosable(sign, task.operand1, task.operand2));
        }
        QCOMPARE(posedPairs(s), allPairs);

        QCOMPARE(driver.generate(), Generation::NoMoreTasks);
        QCOMPARE(s.taskCounter, allPairs.size());
        QVERIFY(s.noMoreTasks);
        QCOMPARE(posedPairs(s), allPairs);
        QCOMPARE(workedTasks(s, RunEnd::AllTasksAnswered), allPairs.size());
    }
}

void TestTaskGeneration::firstTasksFromKnownSeeds_data() {
    QTest::addColumn<QString>("sign");
    QTest::addColumn<bool>("withRemainder");
    QTest::addColumn<int>("range1Max");
    QTest::addColumn<int>("range2Max");
    QTest::addColumn<QList<QTime>>("times");  // UTC time of day at each task
    QTest::addColumn<QList<int>>("expected"); // operand1, operand2, result, remainder per task
    // Worked out from seed = ms of the UTC day, seed <- seed * 134775813 + 1 (mod 2^32),
    // random(n) = (seed * n) >> 32. At a standing clock each later task is the first draw of the
    // same sequence that is not posed yet: at 16:06:29.000 the draws for 0 .. 10 + 0 .. 10 are
    // (3, 3), (9, 10), (10, 7), (4, 1); at 08:15:42.317 they are (1, 4), (7, 8), (0, 9), (5, 4).
    const QTime a(16, 6, 29, 0);   // seed 57989000
    const QTime b(8, 15, 42, 317); // seed 29742317
    QTest::newRow("+ standing at A")
        << "+" << false << 10 << 10 << QList<QTime>{a, a, a, a}
        << QList<int>{3, 3, 6, -1, 9, 10, 19, -1, 10, 7, 17, -1, 4, 1, 5, -1};
    QTest::newRow("+ standing at B")
        << "+" << false << 10 << 10 << QList<QTime>{b, b, b, b}
        << QList<int>{1, 4, 5, -1, 7, 8, 15, -1, 0, 9, 9, -1, 5, 4, 9, -1};
    // Every task reseeds: the second task is the first draw at B, not the second at A.
    QTest::newRow("+ A then B") << "+" << false << 10 << 10 << QList<QTime>{a, b}
                                << QList<int>{3, 3, 6, -1, 1, 4, 5, -1};
    // 0 .. 20 - 0 .. 10: a minuend below 10 limits the subtrahend to random(minuend + 1).
    QTest::newRow("- at A") << "-" << false << 20 << 10 << QList<QTime>{a}
                            << QList<int>{6, 1, 5, -1};
    QTest::newRow("- at B") << "-" << false << 20 << 10 << QList<QTime>{b}
                            << QList<int>{2, 1, 1, -1};
    // Minuend 0 draws random(1), which still moves the seed on: the draws are (0, 0), (2, 2),
    // (4, 4).
    const QTime c(1, 0, 0, 7);
    QTest::newRow("- standing at 01:00:00.007")
        << "-" << false << 10 << 10 << QList<QTime>{c, c, c}
        << QList<int>{0, 0, 0, -1, 2, 2, 0, -1, 4, 4, 0, -1};
    // 0 .. 100 : 0 .. 10: divisor first, then the multiplier from random(100 div divisor).
    QTest::newRow(": at A") << ":" << false << 100 << 10 << QList<QTime>{a}
                            << QList<int>{27, 3, 9, -1};
    QTest::newRow(": at B") << ":" << false << 100 << 10 << QList<QTime>{b}
                            << QList<int>{38, 1, 38, -1};
    // At 16:06:29.023 the divisor is drawn as 0 and drawn again plus 1.
    QTest::newRow(": divisor 0 drawn again")
        << ":" << false << 100 << 10 << QList<QTime>{QTime(16, 6, 29, 23)}
        << QList<int>{70, 5, 14, -1};
    // 0 .. 10 : 0 .. 5 at 01:00:00.011: 0 redrawn as 5 + 1 = 6, multiplier random(1); the draws
    // are (0, 6), (4, 1), (4, 4).
    const QTime d(1, 0, 0, 11);
    QTest::newRow(": standing at 01:00:00.011")
        << ":" << false << 10 << 5 << QList<QTime>{d, d, d}
        << QList<int>{0, 6, 0, -1, 4, 1, 4, -1, 4, 4, 1, -1};
    // With remainder the divisor range starts at 1.
    QTest::newRow(": R at A") << ":" << true << 100 << 10 << QList<QTime>{a}
                              << QList<int>{30, 3, 10, 0};
    QTest::newRow(": R at B") << ":" << true << 100 << 10 << QList<QTime>{b}
                              << QList<int>{10, 4, 2, 2};
}

void TestTaskGeneration::firstTasksFromKnownSeeds() {
    QFETCH(QString, sign);
    QFETCH(bool, withRemainder);
    QFETCH(int, range1Max);
    QFETCH(int, range2Max);
    QFETCH(QList<QTime>, times);
    QFETCH(QList<int>, expected);
    RunState s;
    setUp(s, sign, withRemainder, {0, range1Max}, {0, range2Max});
    FixedClock clock;
    for (int k = 1; k <= times.size(); ++k) {
        clock.utc = times[k - 1];
        QCOMPARE(generateTask(s, clock), Generation::TaskPosed);
        const TaskRecord& task = s.taskList[k];
        const QList<int> got{task.operand1, task.operand2, task.result, task.remainder};
        QCOMPARE(got, expected.mid((k - 1) * 4, 4));
        QCOMPARE(s.operand1, task.operand1);
        QCOMPARE(s.operand2, task.operand2);
    }
}

void TestTaskGeneration::searchOrderAtStandingClock_data() {
    QTest::addColumn<QString>("sign");
    QTest::newRow("+") << "+";
    QTest::newRow("-") << "-";
}

// At a standing clock every call makes the same 110 draws. Once all of them are posed, the search
// takes over: first for the last drawn first operand, then from the lowest first operand upwards,
// each time with the smallest free second operand (for subtraction at most the first operand).
void TestTaskGeneration::searchOrderAtStandingClock() {
    QFETCH(QString, sign);
    const bool difference = sign == "-";
    int searched = 0;
    for (int run = 0; run < 100; ++run) {
        const int ms = 17 + run * 86413;
        RunState s;
        setUp(s, sign, false, {0, 5}, {0, 5});
        FixedClock clock;
        clock.setUtcMilliseconds(ms);

        Lcg g;
        g.seed = quint32(ms);
        QList<QPair<int, int>> draws;
        for (int d = 0; d < randomDrawLimit; ++d) {
            const int p = g.random(6);
            draws.append({p, difference && p < 5 ? g.random(p + 1) : g.random(6)});
        }
        QSet<QPair<int, int>> posed;
        auto firstFree = [&](int p) {
            for (int q = 0; q <= (difference ? p : 5); ++q)
                if (!posed.contains({p, q}))
                    return q;
            return -1;
        };
        while (true) {
            QPair<int, int> expected{-1, -1};
            for (const auto& draw : draws) {
                if (!posed.contains(draw)) {
                    expected = draw;
                    break;
                }
            }
            if (expected.first < 0) {
                ++searched;
                for (int p : QList<int>{draws.last().first, 0, 1, 2, 3, 4, 5}) {
                    if (firstFree(p) >= 0) {
                        expected = {p, firstFree(p)};
                        break;
                    }
                }
            }
            const Generation outcome = generateTask(s, clock);
            if (expected.first < 0) {
                QCOMPARE(outcome, Generation::NoMoreTasks);
                break;
            }
            QCOMPARE(outcome, Generation::TaskPosed);
            QCOMPARE(qMakePair(int(s.operand1), int(s.operand2)), expected);
            posed.insert(expected);
        }
        QCOMPARE(posed.size(), difference ? 21 : 36);
    }
    QVERIFY(searched > 100); // the search was reached, not only the draws
}

// Every combination of range items that the division check accepts, over several clocks: the
// dividend is always a multiple of a divisor that is never 0, and no pair repeats.
void TestTaskGeneration::divisionAlwaysExact() {
    int accepted = 0;
    for (const Range r1 : rangeBounds()) {
        for (const Range r2 : rangeBounds()) {
            RunState s;
            setUp(s, ":", false, r1, r2);
            checkDivisionRanges(s);
            if (!s.divisionRangesOk)
                continue;
            ++accepted;
            for (int run = 0; run < 4; ++run) {
                setUp(s, ":", false, r1, r2);
                Driver driver(s, 1000 + run * 3600017, run == 0 ? 0 : run * 7);
                QSet<QPair<int, int>> seen;
                while (s.taskCounter < taskLimit && driver.generate() == Generation::TaskPosed) {
                    const TaskRecord& task = s.taskList[s.taskCounter];
                    const QString what = QString("%1 : %2 in %3..%4 : %5..%6")
                                             .arg(task.operand1)
                                             .arg(task.operand2)
                                             .arg(r1.min)
                                             .arg(r1.max)
                                             .arg(r2.min)
                                             .arg(r2.max);
                    QVERIFY2(task.operand2 > 0, qPrintable(what));
                    QVERIFY2(task.operand2 <= r2.max + 1, qPrintable(what));
                    QVERIFY2(task.operand1 >= 0 && task.operand1 <= r1.max, qPrintable(what));
                    QVERIFY2(task.operand1 % task.operand2 == 0, qPrintable(what));
                    QVERIFY2(taskPosable(":", task.operand1, task.operand2), qPrintable(what));
                    QCOMPARE(task.result, task.operand1 / task.operand2);
                    QCOMPARE(task.remainder, -1);
                    QCOMPARE(task.operation, QString(":"));
                    QVERIFY2(!seen.contains({task.operand1, task.operand2}), qPrintable(what));
                    seen.insert({task.operand1, task.operand2});
                }
                QVERIFY(s.taskCounter >= 1);
            }
        }
    }
    QVERIFY(accepted > 50); // the loop really ran over the accepted combinations
}

// "0 .. 10" : "0 .. 5". A divisor of 6 comes only from a redrawn 0 and then only with dividend 0.
// The multiplier for divisor 5 is random(2), so dividend 10 is left to the search, which reaches
// it only after every dividend 0 .. 9 is used up with every divisor 1 .. 5 it fits. The search
// finds 27 pairs; (0, 6) is a 28th that only the random draws can give.
void TestTaskGeneration::divisionSmallRanges() {
    QSet<QPair<int, int>> belowTen;
    for (int p = 0; p <= 9; ++p)
        for (int q = 1; q <= 5; ++q)
            if (p % q == 0 && (q <= p || p == 0))
                belowTen.insert({p, q});
    QCOMPARE(belowTen.size(), 24);

    int runsWithSix = 0;
    for (int run = 0; run < 400; ++run) {
        RunState s;
        setUp(s, ":", false, {0, 10}, {0, 5});
        Driver driver(s, run * 215983, run % 4 == 0 ? 0 : run % 17);
        bool seenTen = false;
        bool seenSix = false;
        while (driver.generate() == Generation::TaskPosed) {
            const int p = s.operand1;
            const int q = s.operand2;
            if (q == 6) {
                QCOMPARE(p, 0);
                seenSix = true;
            }
            if (p == 10 && !seenTen) {
                seenTen = true;
                QSet<QPair<int, int>> before = posedPairs(s);
                before.remove({10, q});
                before.remove({0, 6});
                QCOMPARE(before, belowTen);
            }
        }
        QVERIFY(s.noMoreTasks);
        QVERIFY(seenTen);
        QCOMPARE(s.taskCounter, 27 + (seenSix ? 1 : 0));
        runsWithSix += seenSix ? 1 : 0;
    }
    QVERIFY(runsWithSix > 0);
}

void TestTaskGeneration::divisionWithRemainder_data() {
    QTest::addColumn<int>("range1Max");
    QTest::addColumn<int>("range2Min");
    QTest::addColumn<int>("range2Max");
    QTest::addColumn<int>("pairCount"); // tasks the ranges allow, or taskLimit when more
    QTest::addColumn<int>("divisorMin");
    QTest::newRow("0 .. 20 : 0 .. 10") << 20 << 0 << 10 << taskLimit << 1;
    QTest::newRow("0 .. 5 : 0 .. 5") << 5 << 0 << 5 << 30 << 1;
    QTest::newRow("0 .. 100 : 5 .. 10") << 100 << 5 << 10 << taskLimit << 5;
}

// The divisor range never includes 0; a raised lower bound stays in the settings, also for a
// following addition run, and each task records its correct remainder.
void TestTaskGeneration::divisionWithRemainder() {
    QFETCH(int, range1Max);
    QFETCH(int, range2Min);
    QFETCH(int, range2Max);
    QFETCH(int, pairCount);
    QFETCH(int, divisorMin);
    for (int run = 0; run < 20; ++run) {
        RunState s;
        setUp(s, ":", true, {0, range1Max}, {range2Min, range2Max});
        Driver driver(s, run * 4000037, run % 3);
        while (s.taskCounter < taskLimit && driver.generate() == Generation::TaskPosed) {
            QCOMPARE(s.settings.range2Min, divisorMin);
            const TaskRecord& task = s.taskList[s.taskCounter];
            QVERIFY(task.operand2 >= divisorMin && task.operand2 <= range2Max);
            QVERIFY(task.operand1 >= 0 && task.operand1 <= range1Max);
            QCOMPARE(task.operation, QString(": R"));
            QCOMPARE(task.result, task.operand1 / task.operand2);
            QCOMPARE(task.remainder, task.operand1 % task.operand2);
            QVERIFY(taskPosable(": R", task.operand1, task.operand2));
        }
        QCOMPARE(s.taskCounter, pairCount);
        QCOMPARE(s.noMoreTasks, pairCount < taskLimit);
        QCOMPARE(posedPairs(s).size(), pairCount);

        // The next run adds, with the second range left as the division run left it.
        s.settings.operation = Operation::Add;
        s.taskCounter = 0;
        s.noMoreTasks = false;
        clearUsedPairs(s);
        for (int k = 0; k < 60 && driver.generate() == Generation::TaskPosed; ++k) {
            QVERIFY(s.operand2 >= divisorMin);
            QCOMPARE(s.taskList[s.taskCounter].remainder, -1);
        }
        QCOMPARE(s.settings.range2Min, divisorMin);
    }
}

void TestTaskGeneration::rangeCheckMessages_data() {
    const QString sub =
        "Wähle einen Bereich mit kleineren Werten für die \n2. Zahl (den Subtrahenden) "
        "oder einen mit größeren Werten für die erste Zahl (den Minuenden) !";
    const QString div1 =
        "    Wähle einen Bereich mit größeren Werten für die      \n    1. Zahl (den Dividenden)!";
    const QString div2 =
        "Wähle einen Bereich mit kleineren Werten für die 2. Zahl (den Divisor) !   ";
    const QString div3 =
        "Wähle einen Bereich mit größeren Werten für die\n1. Zahl (den Dividenden) "
        "oder mit kleineren Werten \nfür die 2. Zahl (den Divisor) !";
    QTest::addColumn<QString>("sign");
    QTest::addColumn<bool>("withRemainder");
    QTest::addColumn<QList<int>>("ranges");
    QTest::addColumn<QStringList>("warnings");
    auto row = [](const char* name, const char* sign, bool rem, QList<int> ranges,
                  QStringList warnings) {
        QTest::newRow(name) << QString(sign) << rem << ranges << warnings;
    };
    row("- 0..10 - 5..10: subtrahend minimum", "-", false, {0, 10, 5, 10}, {sub});
    row("- 0..10 - 0..20: subtrahend maximum", "-", false, {0, 10, 0, 20}, {sub});
    row("- 10..20 - 0..10", "-", false, {10, 20, 0, 10}, {});
    row("- 5..10 - 5..10: equal ranges", "-", false, {5, 10, 5, 10}, {});
    row("+ 0..10 + 5..10: no check", "+", false, {0, 10, 5, 10}, {});
    row("* 0..5 * 1000..30000: no check", "*", false, {0, 5, 1000, 30000}, {});
    row(": R 0..5 : 1000..30000: no check", ":", true, {0, 5, 1000, 30000}, {});
    row(": 0..5 : 0..5", ":", false, {0, 5, 0, 5}, {div1});
    row(": 0..5 : 0..10", ":", false, {0, 5, 0, 10}, {div1});
    row(": 0..5 : 1000..10000: tests 1 and 2", ":", false, {0, 5, 1000, 10000}, {div1, div2});
    row(": 0..10 : 0..5", ":", false, {0, 10, 0, 5}, {});
    row(": 5..10 : 5..10", ":", false, {5, 10, 5, 10}, {div3});
    row(": 0..20 : 5..10", ":", false, {0, 20, 5, 10}, {});
    row(": 10..20 : 10..20", ":", false, {10, 20, 10, 20}, {div3});
    row(": 20..50 : 0..100: lower bound 0", ":", false, {20, 50, 0, 100}, {});
    row(": 0..50 : 10..20: lower bound 10", ":", false, {0, 50, 10, 20}, {});
    row(": 20..50 : 20..50: lower bound 20", ":", false, {20, 50, 20, 50}, {div3});
    row(": 0..50 : 1000..30000: tests 2 and 3", ":", false, {0, 50, 1000, 30000}, {div2, div3});
    row(": 0..100 : 0..20", ":", false, {0, 100, 0, 20}, {});
    row(": 20..100 : 20..50", ":", false, {20, 100, 20, 50}, {div3});
    row(": 100..200 : 10..20", ":", false, {100, 200, 10, 20}, {});
    row(": 100..200 : 20..50", ":", false, {100, 200, 20, 50}, {div3});
    row(": 100..500 : 20..50", ":", false, {100, 500, 20, 50}, {});
    row(": 100..500 : 0..100", ":", false, {100, 500, 0, 100}, {div3});
    row(": 100..1000 : 50..100", ":", false, {100, 1000, 50, 100}, {});
    row(": 100..1000 : 100..200", ":", false, {100, 1000, 100, 200}, {div3});
    row(": 100..1000 : 100..1000: 1000 is not above", ":", false, {100, 1000, 100, 1000}, {div3});
    row(": 100..1000 : 1000..10000: tests 2 and 3", ":", false, {100, 1000, 1000, 10000},
        {div2, div3});
    row(": 1000..10000 : 100..1000", ":", false, {1000, 10000, 100, 1000}, {});
    row(": 1000..10000 : 1000..10000: test 2 only", ":", false, {1000, 10000, 1000, 10000}, {div2});
    row(": 1000..30000 : 1000..30000: test 2 only", ":", false, {1000, 30000, 1000, 30000}, {div2});
    row(": 1000..30000 : 0..5", ":", false, {1000, 30000, 0, 5}, {});
}

// The warnings a settings change shows: the subtraction check, then the division tests in order.
void TestTaskGeneration::rangeCheckMessages() {
    QFETCH(QString, sign);
    QFETCH(bool, withRemainder);
    QFETCH(QList<int>, ranges);
    QFETCH(QStringList, warnings);
    RunState s;
    setUp(s, sign, withRemainder, {ranges[0], ranges[1]}, {ranges[2], ranges[3]});
    const QStringList got = checkSubtractionRanges(s) + checkDivisionRanges(s);
    QCOMPARE(got, warnings);
    const bool subtractionFailed = sign == "-" && !warnings.isEmpty();
    QCOMPARE(s.subtractionRangesOk, !subtractionFailed);
    QCOMPARE(s.divisionRangesOk, !(sign == ":" && !warnings.isEmpty()));
}

// Only the run start sets the flags back; a later check with fit ranges leaves them cleared.
void TestTaskGeneration::rangeFlagsNeverSetBack() {
    RunState s;
    setUp(s, "-", false, {0, 10}, {5, 10});
    QCOMPARE(checkSubtractionRanges(s).size(), 1);
    s.settings.range2Min = 0;
    QVERIFY(checkSubtractionRanges(s).isEmpty());
    QVERIFY(!s.subtractionRangesOk);

    setUp(s, ":", false, {0, 5}, {0, 5});
    QCOMPARE(checkDivisionRanges(s).size(), 1);
    s.settings.range1Max = 100;
    QVERIFY(checkDivisionRanges(s).isEmpty());
    QVERIFY(!s.divisionRangesOk);
    QVERIFY(s.subtractionRangesOk);
}

void TestTaskGeneration::posableTasks_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<qint64>("operand1");
    QTest::addColumn<qint64>("operand2");
    QTest::addColumn<bool>("posable");
    QTest::newRow("0 + 0") << "+" << 0LL << 0LL << true;
    QTest::newRow("largest product") << "*" << 30000LL << 30000LL << true;
    QTest::newRow("operand above every range") << "+" << 30001LL << 1LL << false;
    QTest::newRow("negative operand") << "*" << -1LL << 5LL << false;
    QTest::newRow("operand past 32 bits") << "+" << 4294967302LL << 1LL << false;
    QTest::newRow("difference 0") << "-" << 7LL << 7LL << true;
    QTest::newRow("negative difference") << "-" << 3LL << 5LL << false;
    QTest::newRow("exact quotient") << ":" << 30000LL << 1LL << true;
    QTest::newRow("dividend 0") << ":" << 0LL << 7LL << true;
    QTest::newRow("inexact quotient") << ":" << 7LL << 2LL << false;
    QTest::newRow("divisor 0") << ":" << 0LL << 0LL << false;
    QTest::newRow("smallest int : -1") << ":" << -2147483648LL << -1LL << false;
    QTest::newRow("remainder") << ": R" << 3LL << 5LL << true;
    QTest::newRow("remainder, divisor 0") << ": R" << 17LL << 0LL << false;
    QTest::newRow("unknown operation") << "/" << 6LL << 3LL << false;
    QTest::newRow("no operation") << "" << 6LL << 3LL << false;
}

// What a file may hand the engine. The range lists and the limit must agree: a larger range
// would make real tasks fail the check.
void TestTaskGeneration::posableTasks() {
    QFETCH(QString, operation);
    QFETCH(qint64, operand1);
    QFETCH(qint64, operand2);
    QTEST(taskPosable(operation, operand1, operand2), "posable");
    qint32 lowest = largestOperand;
    qint32 highest = 0;
    for (const Range r : rangeBounds()) {
        lowest = std::min(lowest, r.min);
        highest = std::max(highest, r.max);
    }
    QCOMPARE(lowest, 0);
    QCOMPARE(highest, largestOperand);
}

QTEST_GUILESS_MAIN(TestTaskGeneration)
#include "tst_task_generation.moc"
