#include "main_window_fixture.h"

#include "engine/task_generation.h"
#include "main_window/settings_items.h"

#include <optional>

namespace {

const QString practiceDone = QStringLiteral("Das waren alle Aufgaben zum Üben. Gut gemacht !");

// The main window with the result of its last run kept.
struct HistoryFixture : MainWindowFixture {
    std::optional<RunResult> result;
    HistoryFixture() {
        QObject::connect(&run, &RunController::runEnded, form.get(),
                         [this](const RunResult& r) { result = r; });
    }
    // A practice list as the learning history hands it over, for the name in the name field.
    void practise(const QString& operation, const QList<OperandPair>& tasks) {
        if (const std::optional<Operation> known = operationFromText(operation))
            run.startPractice(c->Edit_Name->text(), *known, tasks);
    }
    // Answers the task on display, the remainder (when asked) in its own field, ms after the task
    // was shown; with a remainder, half of that passes between the two Returns.
    void answerTask(bool right, qint64 ms, const QString& remainderPrefix = "") {
        const qint32 a = state.operand1;
        const qint32 b = state.operand2;
        const qint32 value = correctResult(state.settings.operation, a, b) + (right ? 0 : 1);
        const bool withRemainder = hasRemainder(state.settings.operation);
        platform.monotonic += withRemainder ? ms / 2 : ms;
        answer(QString::number(value));
        if (withRemainder) {
            QVERIFY(c->Edit_Rest->hasFocus());
            platform.monotonic += ms - ms / 2;
            QTest::keyClicks(c->Edit_Rest,
                             remainderPrefix + QString::number(correctRemainder(a, b)));
            QTest::keyClick(c->Edit_Rest, Qt::Key_Return);
        }
    }
};

} // namespace

class TestLearningHistory : public QObject {
    Q_OBJECT
private slots:
    void answerTimes_data();
    void answerTimes();
    void practiceRun_data();
    void practiceRun();
    void practiceRunRefused();
};

void TestLearningHistory::answerTimes_data() {
    QTest::addColumn<bool>("withRemainder");
    QTest::newRow("plain") << false;
    QTest::newRow("with remainder") << true;
}

// From the task shown to the Return that submits it (with a remainder, the Return in the
// remainder field); the task left on display at Stop has no answer.
void TestLearningHistory::answerTimes() {
    QFETCH(bool, withRemainder);
    HistoryFixture f;
    if (withRemainder) {
        f.chooseOperation(4);
        f.chooseRanges(8, 2); // 50 .. 100 : 5 .. 10
    }
    f.platform.monotonic = 100000;
    f.start();
    const qint32 a = f.state.operand1;
    const qint32 b = f.state.operand2;
    f.answerTask(true, 2500, "0");
    f.answerTask(false, 800);
    f.platform.monotonic += 5000;
    f.stop();

    QVERIFY(f.result);
    QCOMPARE(f.result->startedAt, QDateTime(f.platform.date, f.platform.local));
    const QList<AnsweredTask>& answers = f.result->answers;
    QCOMPARE(answers.size(), 2);
    QCOMPARE(answers[0].taskNo, 1);
    QCOMPARE(answers[0].operand1, a);
    QCOMPARE(answers[0].operand2, b);
    QCOMPARE(answers[0].correctResult, correctResult(f.result->operation, a, b));
    QCOMPARE(answers[0].givenAnswer, QString::number(answers[0].correctResult));
    QCOMPARE(answers[0].correctRemainder, withRemainder ? correctRemainder(a, b) : -1);
    QCOMPARE(answers[0].givenRemainder,
             withRemainder ? "0" + QString::number(correctRemainder(a, b)) : QString());
    QVERIFY(answers[0].correct);
    QCOMPARE(answers[0].answerMs, qint64(2500));
    QCOMPARE(answers[1].taskNo, 2);
    QVERIFY(!answers[1].correct);
    QCOMPARE(answers[1].answerMs, qint64(800));

    // The next run starts its own history.
    f.pending.results = f.pending.tasks = false;
    f.start();
    f.answerTask(true, 300);
    f.stop();
    QCOMPARE(f.result->answers.size(), 1);
    QCOMPARE(f.result->answers[0].answerMs, qint64(300));
}

void TestLearningHistory::practiceRun_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("operationItem");
    QTest::addColumn<bool>("competitionMode");
    QTest::addColumn<QList<OperandPair>>("tasks");
    QTest::newRow("times") << "*" << 2 << false << QList<OperandPair>{{3, 4}, {7, 8}};
    // Ranges that would warn for a subtraction (0 .. 5 - 0 .. 10) are not checked.
    QTest::newRow("minus") << "-" << 1 << false << QList<OperandPair>{{9, 4}, {7, 7}};
    QTest::newRow("remainder, competition mode on")
        << ": R" << 4 << true << QList<OperandPair>{{17, 5}, {9, 4}};
    // One answered task is a worked run, kept like any other.
    QTest::newRow("one task") << "+" << 0 << false << QList<OperandPair>{{6, 7}};
}

void TestLearningHistory::practiceRun() {
    QFETCH(QString, operation);
    QFETCH(int, operationItem);
    QFETCH(bool, competitionMode);
    QFETCH(QList<OperandPair>, tasks);
    HistoryFixture f;
    f.chooseRanges(0, 1);
    if (competitionMode)
        QTest::mouseClick(f.c->Panel_Wettbewerb_ini, Qt::LeftButton);
    f.platform.clearMessages();

    f.practise(operation, tasks);
    QVERIFY(!f.settings().competitionMode);
    QCOMPARE(f.c->Verknuepfung->currentText(), operationItems()[operationItem]);
    QCOMPARE(f.c->Panel_Verknuepfung_zeigen->text(), operation.left(1));
    QVERIFY(f.c->But_Stop->isVisible());
    QVERIFY(f.c->Eingabe_aufnehmen()->hasFocus());
    QCOMPARE(f.c->Panel_Aufgaben_Nr_zeigen->text(), QString("1"));
    const int n = int(tasks.size());
    for (int k = 0; k < n; ++k) {
        QCOMPARE(f.c->Panel_Zahl_1_zeigen->text(), QString::number(tasks[k].first));
        QCOMPARE(f.c->Panel_Zahl_2_zeigen->text(), QString::number(tasks[k].second));
        f.answerTask(k == 0, 1000 * (k + 1));
    }

    QCOMPARE(f.platform.messageTexts(), QStringList{practiceDone});
    QVERIFY(f.c->But_Start->isVisible());
    QVERIFY(!f.c->Eingabe_aufnehmen()->isEnabled());
    QVERIFY(f.result);
    // What the run holds is the controller's to test; here it is the window's run.
    QCOMPARE(std::optional(f.result->operation), operationFromText(operation));
    QCOMPARE(f.result->workedTaskCount, n);
    QCOMPARE(f.result->answers.size(), n);

    // The next Start draws from the ranges again.
    QCOMPARE(f.run.taskSource(), nullptr);
    f.pending.results = f.pending.tasks = false;
    f.chooseOperation(0);
    f.start();
    QCOMPARE(f.state.taskCounter, 1);
    QVERIFY(f.state.operand1 <= 5 && f.state.operand2 <= 10);
    f.stop();
}

// Refused without a word: during a run, with unsaved data, without tasks or operation.
void TestLearningHistory::practiceRunRefused() {
    HistoryFixture f;
    f.practise("x", {{1, 2}});
    f.practise("+", {});
    QVERIFY(!f.c->But_Stop->isVisible());
    f.start();
    const OperandPair posed{f.state.operand1, f.state.operand2};
    f.practise("*", {{1, 2}, {3, 4}});
    // The run goes on drawing from the ranges.
    QVERIFY(dynamic_cast<const RangeDraw*>(f.run.taskSource()));
    QCOMPARE(f.state.usedPairs[1], posed);
    QCOMPARE(f.c->Verknuepfung->currentText(), operationItems()[0]);
    f.answerTask(true, 10);
    f.stop();
    QVERIFY(f.pending.results);
    f.practise("*", {{1, 2}, {3, 4}});
    QVERIFY(!f.c->But_Stop->isVisible());
    QCOMPARE(f.run.taskSource(), nullptr);
    QVERIFY(f.platform.messages.isEmpty());
    f.c->wenigerSpeichernHinweise1->trigger();
    f.practise("*", {{1, 2}, {3, 4}});
    QVERIFY(f.c->But_Stop->isVisible());
    QCOMPARE(f.state.operand1, 1);
}

QTEST_MAIN(TestLearningHistory)
#include "tst_learning_history.moc"
