#include "history/model/history.h"
#include "history/model/history_stats.h"
#include "storage/run_result.h"
#include "support/operations.h"

#include <QRegularExpression>
#include <QTest>

#include <limits>

namespace {

AnsweredTask answer(qint32 a, qint32 b, bool correct, qint64 ms, qint32 taskNo = 1) {
    AnsweredTask t;
    t.taskNo = taskNo;
    t.operand1 = a;
    t.operand2 = b;
    t.correct = correct;
    t.answerMs = ms;
    return t;
}

HistoryRun run(const QList<AnsweredTask>& answers, Operation operation = Operation::Multiply,
               int day = 1) {
    HistoryRun r;
    r.participant = "Anna";
    r.startedAt = QDateTime(QDate(2026, 12, day), QTime(10, 0));
    r.operation = operation;
    r.answers = answers;
    return r;
}

// Runs in a short notation, one string per run, a day apart in list order: "3x4=900" is 3 and 4
// answered right in 900 ms, "3x4!900" answered wrongly.
QList<HistoryRun> runsOf(const QStringList& notation) {
    static const QRegularExpression token(R"((-?\d+)x(-?\d+)([=!])(-?\d+))");
    QList<HistoryRun> runs;
    for (const QString& text : notation) {
        QList<AnsweredTask> answers;
        for (auto it = token.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            answers << answer(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3) == "=",
                              m.captured(4).toLongLong(), qint32(answers.size() + 1));
        }
        runs << run(answers, Operation::Multiply, int(runs.size() + 1));
    }
    return runs;
}

QString pairsText(const QList<OperandPair>& pairs) {
    QStringList texts;
    for (const OperandPair& p : pairs)
        texts << QStringLiteral("%1x%2").arg(p.first).arg(p.second);
    return texts.join(' ');
}

QString figuresText(const QList<TaskFigures>& tasks) {
    QStringList texts;
    for (const TaskFigures& t : tasks)
        texts << QStringLiteral("%1x%2:%3/%4/%5")
                     .arg(t.operand1)
                     .arg(t.operand2)
                     .arg(t.misses)
                     .arg(t.attempts)
                     .arg(t.meanMs);
    return texts.join(' ');
}

} // namespace

class TestHistoryStats : public QObject {
    Q_OBJECT
private slots:
    void historyRunOf_data();
    void historyRunOf();
    void runFigures();
    void taskFiguresAndRankings();
    void timesTable();
    void practiceSelection_data();
    void practiceSelection();
    void practiceSelectionOrdersRunsByStart();
    void answersCsv();
};

void TestHistoryStats::historyRunOf_data() {
    QTest::addColumn<QString>("sign");
    QTest::addColumn<bool>("withRemainder");
    QTest::addColumn<QString>("timeField");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("timeLimit");
    QTest::addColumn<int>("competition");
    QTest::newRow("free, no limit") << "+" << false << "0" << false << -1 << "+" << 0 << 0;
    QTest::newRow("number not chosen") << "-" << false << "60" << false << 5 << "-" << 60 << 0;
    QTest::newRow("zeros") << "*" << false << "000" << true << 3 << "*" << 0 << 3;
    QTest::newRow("empty field") << ":" << false << "" << true << 16 << ":" << 0 << 16;
    QTest::newRow("remainder") << ":" << true << "1200" << false << -1 << ": R" << 1200 << 0;
    QTest::newRow("unreadable time") << "+" << false << "x" << true << -1 << "+" << 0 << 0;
}

void TestHistoryStats::historyRunOf() {
    QFETCH(QString, sign);
    QFETCH(bool, withRemainder);
    QFETCH(QString, timeField);
    QFETCH(bool, chosen);
    QFETCH(int, number);
    RunResult result;
    result.participantName = "Lea";
    result.startedAt = QDateTime(QDate(2026, 12, 6), QTime(17, 6, 29));
    result.operation = operationOf(sign, withRemainder);
    result.timeFieldText = timeField;
    result.competitionChosen = chosen;
    result.competitionNumber = number;
    result.range1Min = 0;
    result.range1Max = 10;
    result.range2Min = 1;
    result.range2Max = 30000;
    result.workedTaskCount = 7;
    result.points = 5;
    result.answers = {answer(3, 4, true, 800), answer(5, 6, false, 1200, 2)};

    const HistoryRun run = ::historyRunOf(result);
    QCOMPARE(run.id, qint64(0));
    QCOMPARE(run.participant, QString("Lea"));
    QCOMPARE(run.startedAt, result.startedAt);
    QTEST(operationText(run.operation), "operation");
    QCOMPARE(run.range1, QString("0 .. 10"));
    QCOMPARE(run.range2, QString("1 .. 30000"));
    QTEST(run.timeLimit, "timeLimit");
    QTEST(run.competition, "competition");
    QCOMPARE(run.tasksWorked, 7);
    QCOMPARE(run.points, 5);
    QCOMPARE(run.answers.size(), 2);
    QCOMPARE(run.answers[1].answerMs, qint64(1200));
}

void TestHistoryStats::runFigures() {
    const qint64 huge = std::numeric_limits<qint64>::max();
    const QList<HistoryRun> runs{
        run({}),
        run({answer(1, 2, true, 10000), answer(2, 2, false, 20000), answer(3, 2, true, 10000)}),
        run({answer(1, 1, true, 0), answer(1, 1, false, -50)}),
        run({answer(1, 1, true, huge), answer(1, 2, true, huge)}),
    };
    const QList<RunFigures> figures = ::runFigures(runs);
    QCOMPARE(figures.size(), 4);
    QCOMPARE(figures[0].startedAt, runs[0].startedAt);
    QCOMPARE(figures[0].answers, 0);
    QCOMPARE(figures[0].solvedPerMinute, 0.0);
    QCOMPARE(figures[0].rightShare, 0.0);
    QCOMPARE(figures[1].answers, 3);
    QCOMPARE(figures[1].rightAnswers, 2);
    QCOMPARE(figures[1].solvedPerMinute, 3.0); // 2 right in 40 s
    QCOMPARE(figures[1].rightShare, 2.0 / 3);
    QCOMPARE(figures[2].solvedPerMinute, 0.0); // no time at all (a negative one counts as 0)
    QCOMPARE(figures[2].rightShare, 0.5);
    QVERIFY(figures[3].solvedPerMinute > 0 && figures[3].solvedPerMinute < 1e-12);
    QVERIFY(::runFigures({}).isEmpty());

    // Ten runs on a chart of at most four points: neighbours share a point, figured from their
    // answers together and dated by the later run; the latest run keeps its own figures.
    HistoryTally tally(4);
    for (int day = 1; day <= 10; ++day)
        tally.add(run({answer(1, 1, day % 2 == 1, 1000)}, Operation::Multiply, day));
    const QList<RunFigures> shared = tally.points();
    QCOMPARE(shared.size(), 3);
    QCOMPARE(shared[0].startedAt.date().day(), 4);
    QCOMPARE(shared[0].answers, 4);
    QCOMPARE(shared[0].solvedPerMinute, 30.0); // 2 right in 4 s
    QCOMPARE(shared[1].startedAt.date().day(), 8);
    QCOMPARE(shared[2].startedAt.date().day(), 10);
    QCOMPARE(shared[2].rightShare, 0.5);
    QCOMPARE(tally.latest()->rightShare, 0.0);
    QCOMPARE(tally.runCount(), qint64(10));
}

void TestHistoryStats::taskFiguresAndRankings() {
    const QList<HistoryRun> runs = runsOf(
        {"3x4!3000 2x5=1000 7x8!5000 1x1=400", "3x4=1000 7x8!1000 9x9!8000 2x5=3000 6x6=-20"});
    const QList<TaskFigures> tasks = ::taskFigures(runs);
    // Ordered by operands; misses/attempts/mean time.
    QCOMPARE(figuresText(tasks), QString("1x1:0/1/400 2x5:0/2/2000 3x4:1/2/2000 6x6:0/1/0 "
                                         "7x8:2/2/3000 9x9:1/1/8000"));
    QCOMPARE(tasks[2].errorRate(), 0.5);
    QCOMPARE(TaskFigures{}.errorRate(), 0.0);
    // 7x8 missed twice; 9x9 (rate 1) before 3x4 (rate 0.5).
    QCOMPARE(figuresText(mostMissed(tasks)), QString("7x8:2/2/3000 9x9:1/1/8000 3x4:1/2/2000"));
    QCOMPARE(figuresText(mostMissed(tasks, 1)), QString("7x8:2/2/3000"));
    // Equal means: more attempts first, then by operands.
    QCOMPARE(figuresText(slowest(tasks, 4)),
             QString("9x9:1/1/8000 7x8:2/2/3000 2x5:0/2/2000 3x4:1/2/2000"));
    QVERIFY(mostMissed(tasks, 0).isEmpty());
    QVERIFY(slowest(tasks, -3).isEmpty());
    QCOMPARE(slowest(tasks, 100).size(), 6);
    QVERIFY(::taskFigures({run({})}).isEmpty());
    // Figures made elsewhere: never asked, or with a NaN time.
    TaskFigures odd;
    odd.attempts = 1;
    odd.meanMs = std::numeric_limits<double>::quiet_NaN();
    QCOMPARE(slowest({TaskFigures{}, odd, tasks[0]}).size(), 2);
}

void TestHistoryStats::timesTable() {
    const QList<HistoryRun> runs{
        run({answer(3, 4, true, 1000), answer(3, 4, false, 3000), answer(10, 10, true, 500),
             answer(0, 4, true, 100), answer(11, 2, true, 100)}),
        run({answer(3, 4, false, 100)}, Operation::Add),
    };
    const TimesTable table = ::timesTable(runs);
    QCOMPARE(figuresText({table[2][3]}), QString("3x4:1/2/2000"));
    QCOMPARE(figuresText({table[9][9]}), QString("10x10:0/1/500"));
    QCOMPARE(figuresText({table[3][2]}), QString("4x3:0/0/0"));
    int attempts = 0;
    for (const auto& row : table)
        for (const TaskFigures& cell : row)
            attempts += cell.attempts;
    QCOMPARE(attempts, 3);
}

void TestHistoryStats::practiceSelection_data() {
    QTest::addColumn<QStringList>("runs");
    QTest::addColumn<int>("cap");
    QTest::addColumn<QString>("expected");
    QTest::newRow("no runs") << QStringList{} << 160 << "";
    QTest::newRow("no answers") << QStringList{"", ""} << 160 << "";
    QTest::newRow("missed, latest first")
        << QStringList{"1x1!9 2x2!9", "3x3!9 4x4!9"} << 160 << "4x4 3x3 2x2 1x1";
    QTest::newRow("each task once") << QStringList{"1x1!9 2x2!9", "1x1!9"} << 160 << "1x1 2x2";
    // Median of the right times 1000: only those over 1500 are slow, slowest first.
    QTest::newRow("then slow ones")
        << QStringList{"1x1=1000 2x2=1000 3x3=1000 4x4=1600 5x5=2000 6x6!100"} << 160
        << "6x6 5x5 4x4";
    QTest::newRow("1.5 times the median is not slow")
        << QStringList{"1x1=1000 2x2=1000 3x3=1500"} << 160 << "";
    // An even count: the median 2500 lies between the middle times.
    QTest::newRow("even count") << QStringList{"1x1=1000 2x2=2000 3x3=3000 4x4=5000"} << 160
                                << "4x4";
    QTest::newRow("slow and missed once")
        << QStringList{"4x4!100", "1x1=100 2x2=100 3x3=100 4x4=900 4x4=800"} << 160 << "4x4";
    QTest::newRow("slow task once, equal times newest first")
        << QStringList{"1x1=100 2x2=900", "3x3=100 5x5=900 2x2=700 4x4=100"} << 160 << "5x5 2x2";
    QTest::newRow("wrong times do not count for the median")
        << QStringList{"1x1!99999 2x2=100 3x3=100 4x4=160"} << 160 << "1x1 4x4";
    QTest::newRow("cap among the missed") << QStringList{"1x1!9 2x2!9 3x3!9"} << 2 << "3x3 2x2";
    QTest::newRow("cap among the slow")
        << QStringList{"9x9!9 1x1=10 1x2=10 1x3=10 1x4=90 1x5=80"} << 2 << "9x9 1x4";
    QTest::newRow("cap 0") << QStringList{"1x1!9"} << 0 << "";
    QTest::newRow("zero times") << QStringList{"1x1=0 2x2=0 3x3=0 4x4=1"} << 160 << "4x4";
}

void TestHistoryStats::practiceSelection() {
    QFETCH(QStringList, runs);
    QFETCH(int, cap);
    QTEST(pairsText(::practiceSelection(runsOf(runs), cap)), "expected");
}

// Newest run first means by start time, whatever the order of the list.
void TestHistoryStats::practiceSelectionOrdersRunsByStart() {
    QList<HistoryRun> runs = runsOf({"1x1!9", "2x2!9", "3x3!9"});
    runs[0].startedAt = runs[2].startedAt.addDays(1);
    runs[1].startedAt = QDateTime();
    QCOMPARE(pairsText(::practiceSelection(runs)), QString("1x1 3x3 2x2"));
    QCOMPARE(::practiceSelection(runs).size(), 3);
}

void TestHistoryStats::answersCsv() {
    HistoryRun a = run({}, Operation::DivideWithRemainder, 6);
    a.participant = "=Lea \"X\"";
    a.startedAt = QDateTime(QDate(2026, 12, 6), QTime(17, 6, 29));
    AnsweredTask a1{1, 17, 5, 3, 2, "3", "2", true, 4200};
    AnsweredTask a2{2, 9, 4, 2, 1, "2", "0", false, -5};
    a.answers = {a1, a2};
    HistoryRun b = run({AnsweredTask{1, -3, 2, -5, -1, "-5", "", true, 1500}}, Operation::Subtract);
    b.participant = "Jörg;\nMo";
    b.startedAt = QDateTime(QDate(2027, 1, 7), QTime(8, 5));
    HistoryRun c = run({}, Operation::Add);
    HistoryRun d =
        run({AnsweredTask{1, 2, 3, 5, -1, "5", "", true, std::numeric_limits<qint64>::max()}},
            Operation::Add);
    d.participant = "@x";
    d.startedAt = QDateTime();

    const QByteArray expected =
        "Name;Datum;Uhrzeit;Rechenart;Aufgabe_Nr;Zahl_1;Zahl_2;Ergebnis;Rest;Antwort;"
        "Antwort_Rest;richtig;Zeit_ms\r\n"
        "\"'=Lea \"\"X\"\"\";06.12.2026;17:06:29;Dividieren (:) m. Rest;1;17;5;3;2;3;2;ja;4200\r\n"
        "\"'=Lea \"\"X\"\"\";06.12.2026;17:06:29;Dividieren (:) m. Rest;2;9;4;2;1;2;0;nein;0\r\n"
        "\"J\xc3\xb6rg;\nMo\";07.01.2027;08:05:00;Subtrahieren (-);1;-3;2;-5;;'-5;;ja;1500\r\n"
        "'@x;;;Addieren (+);1;2;3;5;;5;;ja;9223372036854775807\r\n";
    QCOMPARE(::answersCsv({a, b, c, d}), expected);
    QCOMPARE(::answersCsv({}), expected.left(expected.indexOf('\n') + 1));
}

QTEST_GUILESS_MAIN(TestHistoryStats)
#include "tst_history_stats.moc"
