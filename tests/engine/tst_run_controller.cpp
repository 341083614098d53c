#include "engine/answer_check.h"
#include "engine/answer_timing.h"
#include "engine/run_controller.h"
#include "engine/task_generation.h"

#include "support/fixed_clock.h"

#include <QSet>
#include <QSignalSpy>
#include <QTest>

namespace {

// A screen that accepts every start and counts what it was asked.
struct Frontend : RunFrontend {
    bool ready = true;
    int starts = 0;
    QString practiceParticipant;
    std::optional<Operation> practiceOperation;
    const RunSettings* held = nullptr;

    std::optional<RunFields> readyToStart() override {
        ++starts;
        if (!ready)
            return std::nullopt;
        return RunFields{QStringLiteral("5"), 1, 1};
    }
    std::optional<PracticeStart> readyToPractise(const QString& participant,
                                                 Operation operation) override {
        practiceParticipant = participant;
        practiceOperation = operation;
        if (!ready)
            return std::nullopt;
        PracticeStart practice{*held, RunFields{QStringLiteral("0"), 1, 1}};
        practice.settings.participantName = participant;
        practice.settings.operation = operation;
        return practice;
    }
};

// A controller with a clock that stands still, and every signal it sends.
struct Run {
    // The settings every start is given.
    RunSettings settings;
    FixedClock clock;
    Frontend frontend;
    RunController run{clock};
    const RunState& state = run.state();
    PendingSaves& pending = run.pendingSaves();
    QStringList notices;
    QList<RunResult> results;
    QList<qint32> remaining;
    QList<RunController::Phase> phases;
    // Called while a notice "is open", as a modal message lets the countdown tick meanwhile.
    std::function<void()> whileNoticeOpen;

    Run() {
        frontend.held = &settings;
        run.setFrontend(&frontend);
        QObject::connect(&run, &RunController::notice, [this](NoticeKind, const QString& text) {
            notices << text;
            if (whileNoticeOpen)
                whileNoticeOpen();
        });
        QObject::connect(&run, &RunController::runEnded,
                         [this](const RunResult& result) { results << result; });
        QObject::connect(&run, &RunController::remainingTime,
                         [this](qint32 seconds) { remaining << seconds; });
        QObject::connect(&run, &RunController::phaseChanged,
                         [this](RunController::Phase phase) { phases << phase; });
    }
    void ranges(qint32 min1, qint32 max1, qint32 min2, qint32 max2) {
        settings.range1Min = min1;
        settings.range1Max = max1;
        settings.range2Min = min2;
        settings.range2Max = max2;
    }
    bool start() { return run.start(settings); }
    qint32 right() const {
        return correctResult(state.settings.operation, state.operand1, state.operand2);
    }
    RunController::AfterAnswer answer(qint32 value) {
        return run.submitAnswer(QString::number(value));
    }
};

} // namespace

class TestRunController : public QObject {
    Q_OBJECT
private slots:
    void taskOrderForAFrozenClock_data();
    void taskOrderForAFrozenClock();
    void scoring_data();
    void scoring();
    void countdown();
    void theLimitEndsTheRun();
    void exhaustion_data();
    void exhaustion();
    void stop_data();
    void stop();
    void timeOutWhileANoticeIsOpen_data();
    void timeOutWhileANoticeIsOpen();
    void startIsRefused_data();
    void startIsRefused();
    void practiceLists();
};

void TestRunController::taskOrderForAFrozenClock_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<QList<int>>("bounds");
    QTest::newRow("+ 0..10") << int(Operation::Add) << QList<int>{0, 10, 0, 10};
    QTest::newRow("- 20..100, 0..20") << int(Operation::Subtract) << QList<int>{20, 100, 0, 20};
    QTest::newRow(": R 50..100, 5..10")
        << int(Operation::DivideWithRemainder) << QList<int>{50, 100, 5, 10};
}

// The controller draws its tasks exactly as the generator alone does: one reading of the clock
// per task and nothing else in between, so a frozen clock gives the same run every time.
void TestRunController::taskOrderForAFrozenClock() {
    QFETCH(int, operation);
    QFETCH(QList<int>, bounds);
    const Operation op = *operationFromIndex(operation);
    Run r;
    r.settings.operation = op;
    r.ranges(bounds[0], bounds[1], bounds[2], bounds[3]);
    RunState reference = r.state;
    reference.settings = r.settings;
    clearUsedPairs(reference);

    QVERIFY(r.start());
    for (int task = 1; task <= 20; ++task) {
        QCOMPARE(generateTask(reference, r.clock), Generation::TaskPosed);
        QCOMPARE(r.state.taskCounter, task);
        QCOMPARE(OperandPair(r.state.operand1, r.state.operand2),
                 OperandPair(reference.operand1, reference.operand2));
        QCOMPARE(r.state.taskList[size_t(task)].operation, operationText(op));
        r.answer(r.right());
        if (hasRemainder(r.state.settings.operation))
            r.run.submitRemainder(QString::number(r.state.operand1 % r.state.operand2));
    }
}

void TestRunController::scoring_data() {
    QTest::addColumn<bool>("withRemainder");
    QTest::addColumn<QString>("answer");    // R: the right result, W: a wrong one
    QTest::addColumn<QString>("remainder"); // the same for the remainder
    QTest::addColumn<int>("points");
    QTest::newRow("right") << false << "R"
                           << "" << 1;
    QTest::newRow("wrong") << false << "W"
                           << "" << 0;
    QTest::newRow("leading zero is wrong") << false << "0R"
                                           << "" << 0;
    QTest::newRow("right with remainder") << true << "R"
                                          << "R" << 1;
    QTest::newRow("leading zero in the remainder") << true << "R"
                                                   << "0R" << 1;
    QTest::newRow("wrong remainder") << true << "R"
                                     << "W" << 0;
    QTest::newRow("wrong quotient") << true << "W"
                                    << "R" << 0;
}

void TestRunController::scoring() {
    QFETCH(bool, withRemainder);
    QFETCH(QString, answer);
    QFETCH(QString, remainder);
    QFETCH(int, points);
    Run r;
    r.settings.operation = withRemainder ? Operation::DivideWithRemainder : Operation::Add;
    r.ranges(50, 100, 5, 10);
    QSignalSpy scored(&r.run, &RunController::scored);
    QVERIFY(r.start());
    const qint32 rightRemainder = withRemainder ? r.state.operand1 % r.state.operand2 : 0;
    auto text = [](const QString& pattern, qint32 right) {
        QString t = pattern;
        return t.replace("R", QString::number(right)).replace("W", QString::number(right + 1));
    };

    const RunController::AfterAnswer first = r.run.submitAnswer(text(answer, r.right()));
    QVERIFY(r.pending.results && r.pending.tasks);
    if (withRemainder) {
        QCOMPARE(first, RunController::AfterAnswer::RemainderAwaited);
        QCOMPARE(r.run.phase(), RunController::Phase::AwaitingRemainder);
        QCOMPARE(r.state.taskCounter, 1);
        QCOMPARE(r.run.submitRemainder(QString()), RunController::AfterAnswer::Ignored);
        QCOMPARE(r.run.submitRemainder(text(remainder, rightRemainder)),
                 RunController::AfterAnswer::NextTaskTried);
        QCOMPARE(r.state.taskList[1].givenRemainder, text(remainder, rightRemainder).toInt());
    } else {
        QCOMPARE(first, RunController::AfterAnswer::NextTaskTried);
    }
    QCOMPARE(r.run.phase(), RunController::Phase::AwaitingAnswer);
    QCOMPARE(r.state.points, points);
    QCOMPARE(scored.size(), points);
    QCOMPARE(r.state.taskCounter, 2);
    QCOMPARE(r.state.answeredTasks.size(), 1);
    QCOMPARE(r.state.answeredTasks[0].correct, points == 1);
    QCOMPARE(r.state.answeredTasks[0].givenRemainder,
             withRemainder ? text(remainder, rightRemainder) : QString());
    // An empty answer changes nothing.
    QCOMPARE(r.run.submitAnswer(QString()), RunController::AfterAnswer::Ignored);
}

void TestRunController::countdown() {
    Run r;
    r.settings.timeLimit = 5;
    QVERIFY(r.start());
    QVERIFY(r.run.countdown()->isActive());
    QCOMPARE(r.run.countdown()->interval(), 1000);
    for (int i = 0; i < 5; ++i)
        r.run.tick();
    QCOMPARE(r.remaining, (QList<qint32>{5, 4, 3, 2, 1}));
    r.answer(r.right());
    r.answer(r.right());
    r.run.tick(); // the sixth second ends the run
    QCOMPARE(r.remaining.last(), 0);
    QVERIFY(r.state.timeUp);
    QVERIFY(!r.run.countdown()->isActive());
    QVERIFY(!r.run.active());
    QCOMPARE(r.results.size(), 1);
    QCOMPARE(r.results[0].workedTaskCount, 2); // the task on display was not answered
    QCOMPARE(r.results[0].timeFieldText, QString("5"));

    // Without a limit nothing counts down.
    r.pending.results = r.pending.tasks = false;
    r.settings.timeLimit = 0;
    QVERIFY(r.start());
    QVERIFY(!r.run.countdown()->isActive());
}

void TestRunController::theLimitEndsTheRun() {
    Run r;
    r.ranges(1000, 30000, 1000, 30000);
    QVERIFY(r.start());
    for (int task = 1; task <= taskLimit; ++task) {
        QCOMPARE(r.state.taskCounter, task);
        const auto after = r.answer(task % 4 == 0 ? r.right() + 1 : r.right());
        QCOMPARE(after, task == taskLimit ? RunController::AfterAnswer::LimitReached
                                          : RunController::AfterAnswer::NextTaskTried);
    }
    QCOMPARE(r.notices, QStringList{"Jetzt kann ich nicht mehr! Das war zuviel !\nWenn Du aber "
                                    "noch Kondition hast, wähle bitte \nneue Einstellungen !"});
    QVERIFY(r.state.limitReached);
    QCOMPARE(r.results.size(), 1);
    QCOMPARE(r.results[0].workedTaskCount, 160);
    QCOMPARE(r.results[0].points, 120);
    QCOMPARE(r.results[0].tasks.size(), 160);
    QCOMPARE(r.state.taskCounter, 0);
    QCOMPARE(r.state.points, 0);
    // Typing in the next run takes the mark back.
    r.run.answerTyped(QStringLiteral("1"));
    QVERIFY(!r.state.limitReached);
}

void TestRunController::exhaustion_data() {
    QTest::addColumn<QList<OperandPair>>("practice");
    QTest::addColumn<int>("tasks");
    QTest::addColumn<QString>("message");
    QTest::newRow("0..5 + 0..5") << QList<OperandPair>{} << 36 << noMoreTasksMessage;
    QTest::newRow("practice of three") << QList<OperandPair>{{3, 4}, {5, 6}, {7, 8}} << 3
                                       << "Das waren alle Aufgaben zum Üben. Gut gemacht !";
    QTest::newRow("practice of one")
        << QList<OperandPair>{{3, 4}} << 1 << "Das waren alle Aufgaben zum Üben. Gut gemacht !";
}

void TestRunController::exhaustion() {
    QFETCH(QList<OperandPair>, practice);
    QFETCH(int, tasks);
    QFETCH(QString, message);
    Run r;
    r.ranges(0, 5, 0, 5);
    if (practice.isEmpty())
        QVERIFY(r.start());
    else
        QVERIFY(r.run.startPractice("Mia", Operation::Add, practice));
    QSet<QPair<int, int>> posed;
    for (int task = 1; task <= tasks; ++task) {
        posed.insert({r.state.operand1, r.state.operand2});
        if (!practice.isEmpty())
            QCOMPARE(OperandPair(r.state.operand1, r.state.operand2), practice[task - 1]);
        QCOMPARE(r.answer(r.right()), RunController::AfterAnswer::NextTaskTried);
    }
    QCOMPARE(posed.size(), tasks);
    QCOMPARE(r.notices, QStringList{message});
    QVERIFY(r.state.noMoreTasks);
    QVERIFY(!r.run.active());
    // Every posed task was answered, a practice of one included.
    QCOMPARE(r.results.size(), 1);
    QCOMPARE(r.results[0].workedTaskCount, tasks);
    QCOMPARE(r.results[0].answers.size(), tasks);
    QCOMPARE(r.run.taskSource(), nullptr);
}

void TestRunController::stop_data() {
    QTest::addColumn<int>("answers");
    QTest::addColumn<int>("worked"); // -1: no result
    QTest::newRow("right after start") << 0 << -1;
    QTest::newRow("after three answers") << 3 << 3;
}

void TestRunController::stop() {
    QFETCH(int, answers);
    QFETCH(int, worked);
    Run r;
    QVERIFY(r.start());
    for (int i = 0; i < answers; ++i)
        r.answer(i == 1 ? 999 : r.right());
    r.run.stop();
    QVERIFY(!r.run.active());
    QCOMPARE(r.phases.last(), RunController::Phase::Idle);
    QCOMPARE(r.results.size(), worked < 0 ? 0 : 1);
    QCOMPARE(r.pending.results, worked >= 0);
    QCOMPARE(r.pending.tasks, worked >= 0);
    QCOMPARE(r.run.savesPending(), worked >= 0);
    if (worked > 0) {
        QCOMPARE(r.results[0].workedTaskCount, worked);
        QCOMPARE(r.results[0].points, 2);
        QCOMPARE(r.results[0].tasks[1].givenAnswer, 999);
    }
}

void TestRunController::timeOutWhileANoticeIsOpen_data() {
    QTest::addColumn<bool>("limit");
    QTest::newRow("limit message") << true;
    QTest::newRow("no more tasks") << false;
}

// The time runs out while the run's closing message is on screen: the run ends then, once, and
// the last task, answered before, counts as worked; the data the child has not saved yet stay
// waiting to be saved.
void TestRunController::timeOutWhileANoticeIsOpen() {
    QFETCH(bool, limit);
    Run r;
    limit ? r.ranges(1000, 30000, 1000, 30000) : r.ranges(0, 5, 0, 5);
    r.settings.timeLimit = 1200;
    QVERIFY(r.start());
    const int tasks = limit ? taskLimit : 36;
    for (int task = 1; task < tasks; ++task)
        r.answer(r.right());
    while (r.run.remainingSeconds() > 1)
        r.run.tick();
    bool activeAtNotice = false;
    r.whileNoticeOpen = [&] {
        activeAtNotice = r.run.active();
        r.run.tick();
    };
    r.answer(r.right());
    QVERIFY(activeAtNotice);
    QCOMPARE(r.notices.size(), 1);
    QVERIFY(r.state.timeUp);
    QCOMPARE(r.results.size(), 1);
    QCOMPARE(r.results[0].workedTaskCount, tasks);
    QCOMPARE(r.state.taskCounter, 0);
    QVERIFY(!r.run.active());
    QVERIFY(r.pending.results && r.pending.tasks);
}

void TestRunController::startIsRefused_data() {
    QTest::addColumn<QString>("why");
    QTest::addColumn<QStringList>("notices");
    QTest::newRow("frontend") << "frontend" << QStringList{};
    QTest::newRow("subtraction ranges") << "subtraction" << QStringList{subtractionRangeWarning};
    QTest::newRow("pending saves") << "pending" << QStringList{};
}

void TestRunController::startIsRefused() {
    QFETCH(QString, why);
    QFETCH(QStringList, notices);
    Run r;
    if (why == "frontend")
        r.frontend.ready = false;
    if (why == "subtraction") {
        r.settings.operation = Operation::Subtract;
        r.ranges(0, 5, 10, 20);
    }
    if (why == "pending")
        r.run.pendingSaves().results = true;
    QVERIFY(!r.start());
    QVERIFY(!r.run.active());
    QCOMPARE(r.state.taskCounter, 0);
    QCOMPARE(r.notices, notices);
    QVERIFY(r.phases.isEmpty());
    QCOMPARE(r.frontend.starts, why == "pending" ? 0 : 1);

    // Fewer save hints let a run start over unsaved data; in competition mode the ranges are
    // the preset's and are not checked.
    r.run.setFewerSaveHints(true);
    r.frontend.ready = true;
    r.settings.competitionMode = true;
    r.settings.competitionNumber = 7;
    QVERIFY(r.start());
    QCOMPARE(r.state.competitionTag, QString("7"));
}

void TestRunController::practiceLists() {
    Run r;
    // Refused: no tasks; while a run is on; while the last run's data wait to be saved.
    QVERIFY(!r.run.startPractice("Mia", Operation::Multiply, {}));
    QVERIFY(r.start());
    QVERIFY(!r.run.startPractice("Mia", Operation::Multiply, {{1, 2}}));
    r.answer(r.right());
    r.answer(r.right());
    r.run.stop();
    QVERIFY(!r.run.startPractice("Mia", Operation::Multiply, {{1, 2}}));
    QVERIFY(r.frontend.practiceParticipant.isEmpty());
    r.pending.results = r.pending.tasks = false;

    // A practice run takes its tasks from the list even where the ranges forbid them.
    r.ranges(0, 5, 10, 20);
    QVERIFY(r.run.startPractice("Mia", Operation::DivideWithRemainder, {{17, 5}, {9, 4}}));
    QCOMPARE(r.frontend.practiceParticipant, QString("Mia"));
    QCOMPARE(r.frontend.practiceOperation, std::optional(Operation::DivideWithRemainder));
    QVERIFY(r.notices.isEmpty());
    QCOMPARE(r.state.taskList[1].operation, QString(": R"));
    QCOMPARE(r.answer(3), RunController::AfterAnswer::RemainderAwaited);
    QCOMPARE(r.run.submitRemainder("2"), RunController::AfterAnswer::NextTaskTried);
    QCOMPARE(r.state.points, 1);
    r.run.stop();
    // The next Start draws again.
    QCOMPARE(r.run.taskSource(), nullptr);
    QCOMPARE(r.results.size(), 2);
    QCOMPARE(r.results[1].workedTaskCount, 1);

    // A list the frontend does not take is dropped.
    r.pending.results = r.pending.tasks = false;
    r.frontend.ready = false;
    QVERIFY(!r.run.startPractice("Mia", Operation::Add, {{1, 2}}));
    QCOMPARE(r.run.taskSource(), nullptr);

    // A list of 160 ends with its own message, not the limit's.
    r.frontend.ready = true;
    QList<OperandPair> many;
    for (int i = 0; i < taskLimit; ++i)
        many.append({i, 1});
    r.notices.clear();
    QVERIFY(r.run.startPractice("Mia", Operation::Add, many));
    for (int i = 0; i < taskLimit; ++i)
        r.answer(r.right());
    QCOMPARE(r.notices, QStringList{"Das waren alle Aufgaben zum Üben. Gut gemacht !"});
    QCOMPARE(r.results.last().workedTaskCount, taskLimit);
}

QTEST_GUILESS_MAIN(TestRunController)
#include "tst_run_controller.moc"
