#include "history/model/class_overview.h"
#include "history/model/practice_levels.h"
#include "practice/practice_history.h"

#include <QRegularExpression>
#include <QTest>

#include <limits>
#include <optional>

namespace {

const QDate today(2026, 12, 8);

// Runs in a short notation, one string per run: "3 * 7x8=5000 2x2!4000" is a run of "*" three
// days before today, 7 * 8 answered right in 5000 ms and 2 * 2 wrongly in 4000 ms. ":R" stands
// for ": R".
QList<HistoryRun> runsOf(const QString& name, const QStringList& notation) {
    static const QRegularExpression answerToken(R"((\d+)x(\d+)([=!])(\d+))");
    QList<HistoryRun> runs;
    int minute = 0;
    for (const QString& text : notation) {
        const QStringList parts = text.split(' ', Qt::SkipEmptyParts);
        HistoryRun run;
        run.participant = name;
        run.operation =
            operationFromText(parts[1] == ":R" ? QStringLiteral(": R") : parts[1]).value();
        // Runs of one day keep the order they are written in.
        run.startedAt =
            QDateTime(today.addDays(-parts[0].toInt()), QTime(8, 0).addSecs(60 * minute++));
        for (auto it = answerToken.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            AnsweredTask a;
            a.taskNo = qint32(run.answers.size() + 1);
            a.operand1 = m.captured(1).toInt();
            a.operand2 = m.captured(2).toInt();
            a.correct = m.captured(3) == "=";
            a.answerMs = m.captured(4).toLongLong();
            run.answers << a;
        }
        runs << run;
    }
    return runs;
}

} // namespace

class TestClassOverview : public QObject {
    Q_OBJECT
private slots:
    void figures_data();
    void figures();
    void levels_data();
    void levels();
    void rowOrder_data();
    void rowOrder();
    void namesInASentence();
};

void TestClassOverview::figures_data() {
    QTest::addColumn<QStringList>("mia");
    QTest::addColumn<int>("period");
    // Name, runs, minutes, last run, speed, change, right, Stufe (none without levels), most
    // missed, as paper shows them.
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("shownChange");
    QTest::addColumn<QString>("spokenChange");
    QTest::addColumn<double>("mostMissedOrder"); // what "Häufigste Fehler" sorts by
    const int week = int(OverviewPeriod::Week);
    const int month = int(OverviewPeriod::Month);
    const int all = int(OverviewPeriod::Everything);

    QTest::newRow("no runs: a row without figures")
        << QStringList{} << all << QStringList{"Mia", "0", "0", "–", "–", "–", "–", "–", ""} << "–"
        << "keine Angabe" << 0.0;
    // One right answer in 60000 / s ms is s tasks a minute. Before: 10 10 12 6 6 (median 10);
    // latest five: 12 12 15 12 20 (median 12). The oldest run is not among the ten.
    QTest::newRow("median of the last five against the five before")
        << QStringList{"20 + 1x1=1000",  "19 + 1x1=6000",  "18 + 1x1=6000", "17 + 1x1=5000",
                       "16 + 1x1=10000", "15 + 1x1=10000", "5 + 1x1=5000",  "4 + 1x1=5000",
                       "3 + 1x1=4000",   "2 + 1x1=5000",   "1 + 1x1=3000"}
        << month
        << QStringList{"Mia", "11", "1", "07.12.2026", "12,0", "schneller um 2,0", "100 %", "–", ""}
        << "↑ +2,0"
        << "schneller um 2,0" << 0.0;
    // In the last 7 days: two runs (speeds 4 and 3, median 3,5), half of the answers right in
    // 35 s; the five before lie outside the period (median 12) and still count for the change.
    QTest::newRow("the period limits all but the last run and the change")
        << QStringList{"12 + 1x1=5000",         "11 + 1x1=5000",          "10 + 1x1=5000",
                       "9 + 1x1=5000",          "8 + 1x1=5000 9x9!60000", "6 + 2x2=10000 3x3!5000",
                       "0 + 2x2=6000 3x3!14000"}
        << week << QStringList{"Mia",  "2", "1",    "08.12.2026", "3,5", "langsamer um 8,5",
                               "50 %", "–", "3 + 3"}
        << "↓ −8,5"
        << "langsamer um 8,5" << 2.0;
    QTest::newRow("a change below a twentieth is the same speed")
        << QStringList{"9 * 1x1=6000", "5 * 1x1=5990", "4 * 1x1=5990",
                       "3 * 1x1=5990", "2 * 1x1=5990", "1 * 1x1=5990"}
        << all << QStringList{"Mia", "6", "1", "07.12.2026", "10,0", "gleich", "100 %", "–", ""}
        << "→ 0,0"
        << "gleich" << 0.0;
    // 7 * 8 and 7 + 8, missed twice each, are two tasks; the slower of the two comes first, as
    // of the tasks missed once the one with the higher error rate, then the slower. 102 s of
    // answering are 2 minutes; without runs before these there is no change.
    QTest::newRow("the three tasks missed most often over all operations")
        << QStringList{"2 + 7x8!10000 7x8!10000 6x6!20000", "1 * 7x8!10000 7x8!12000 2x2=10000",
                       "1 :R 17x5!30000"}
        << all << QStringList{"Mia",        "3",   "2",
                              "07.12.2026", "0,0", "–",
                              "14 %",       "–",   "7 * 8, 7 + 8, 17 : 5 R"}
        << "–"
        << "keine Angabe" << 2.0;
    QTest::newRow("the last run counts whenever it was")
        << QStringList{"40 - 9x3=2000"} << month
        << QStringList{"Mia", "0", "0", "29.10.2026", "–", "–", "–", "–", ""} << "–"
        << "keine Angabe" << 0.0;
    // The first day of each period and the day before it.
    QTest::newRow("a run exactly 7 days back is before the 7 days")
        << QStringList{"7 + 1x1=60000", "6 + 1x1!60000"} << week
        << QStringList{"Mia", "1", "1",    "02.12.2026", "0,0", "langsamer um 1,0",
                       "0 %", "–", "1 + 1"}
        << "↓ −1,0"
        << "langsamer um 1,0" << 1.0;
    QTest::newRow("a run exactly 30 days back is before the 30 days")
        << QStringList{"30 + 1x1=60000", "29 + 1x1=60000"} << month
        << QStringList{"Mia", "1", "1", "09.11.2026", "1,0", "gleich", "100 %", "–", ""} << "→ 0,0"
        << "gleich" << 0.0;
    QTest::newRow("answer times near the limit fill the minutes, never wrap them")
        << QStringList{"1 + 1x1=9223372036854775000 1x1=9223372036854775000"} << all
        << QStringList{"Mia", "1", "2147483647", "07.12.2026", "0,0", "–", "100 %", "–", ""} << "–"
        << "keine Angabe" << 0.0;
}

// Every figure of a child's row, in all three forms where they differ; another child's runs
// never count for Mia.
void TestClassOverview::figures() {
    QFETCH(QStringList, mia);
    QFETCH(int, period);
    QFETCH(QStringList, written);
    QFETCH(QString, shownChange);
    QFETCH(QString, spokenChange);
    QFETCH(double, mostMissedOrder);
    QList<HistoryRun> runs = runsOf("Ben", {"0 + 4x4!1000", "0 + 4x4=1000"});
    runs += runsOf("Mia", mia);
    std::reverse(runs.begin(), runs.end());

    const QList<ChildFigures> rows =
        classFigures(runs, {"Ben", "Mia"}, OverviewPeriod(period), today);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].name, QStringLiteral("Ben"));
    QStringList cells;
    for (int column = 0; column < overviewColumnCount; ++column)
        cells << overviewCell(rows[1], OverviewColumn(column), CellForm::Written);
    QCOMPARE(cells, written);
    QCOMPARE(overviewCell(rows[1], OverviewColumn::Change, CellForm::Shown), shownChange);
    QCOMPARE(overviewCell(rows[1], OverviewColumn::Change, CellForm::Spoken), spokenChange);
    QCOMPARE(overviewNumber(rows[1], OverviewColumn::MostMissed), mostMissedOrder);
}

void TestClassOverview::levels_data() {
    QTest::addColumn<QStringList>("mia");
    QTest::addColumn<QStringList>("ben");
    QTest::addColumn<QList<int>>("days");  // back from today, one per day of the line
    QTest::addColumn<int>("direction");    // up 1, down -1, either 0
    QTest::addColumn<bool>("classCounts"); // whether Ben's answers move Mia's Stufe
    QTest::newRow("right and quick: up each day")
        << QStringList{"3 + 2x3=1500 4x5=1500 3x6=2000", "2 + 5x4=1500 6x3=1500 2x7=1500",
                       "1 + 7x2=1500 8x3=1200"}
        << QStringList{} << QList<int>{3, 2, 1} << 1 << false;
    QTest::newRow("wrong and quick: down") << QStringList{"2 + 2x3!1500 4x5!1500", "1 + 3x3!1500"}
                                           << QStringList{} << QList<int>{2, 1} << -1 << false;
    QTest::newRow("two runs on a day: the later one counts")
        << QStringList{"2 + 2x3=1500 5x4=1500", "2 + 4x4!1500 5x5!1500", "1 + 3x3=1500"}
        << QStringList{} << QList<int>{2, 1} << 0 << false;
    QTest::newRow("no answers of the operation: no Stufe")
        << QStringList{"2 + ", "1 * 2x3=1500"} << QStringList{"1 + 2x3=1500"} << QList<int>{} << 0
        << false;
    QTest::newRow("the class's answers move the tasks")
        << QStringList{"1 + 2x3=1500 4x5=1500"}
        << QStringList{"5 + 2x3=1000 4x5=1000 2x3=1000 4x5=1000 2x3=1000 4x5=1000",
                       "4 + 2x3=1000 4x5=1000 2x3=1000 4x5=1000 2x3=1000 4x5=1000"}
        << QList<int>{1} << 1 << true;
}

// Mia's Stufe in "+", day by day and now, from everyone's runs oldest first; the class column
// shows the Stufe now.
void TestClassOverview::levels() {
    QFETCH(QStringList, mia);
    QFETCH(QStringList, ben);
    QFETCH(QList<int>, days);
    QFETCH(int, direction);
    QFETCH(bool, classCounts);
    const QList<HistoryRun> own = runsOf("Mia", mia);
    QList<HistoryRun> runs = runsOf("Ben", ben) + own;
    std::stable_sort(runs.begin(), runs.end(), [](const HistoryRun& a, const HistoryRun& b) {
        return a.startedAt < b.startedAt;
    });

    const QList<LevelPoint> line = dailyLevels(runs, "Mia", Operation::Add);
    // Each day's point is where the model had Mia after her last run of that day.
    PracticeRatings ratings;
    QHash<QDate, LevelPoint> lastOfDay;
    for (const HistoryRun& run : runs) {
        replayRun(ratings, run);
        if (run.participant == "Mia")
            lastOfDay.insert(run.startedAt.date(),
                             {run.startedAt, stufeOf(ratings.ability("Mia", Operation::Add))});
    }
    QList<int> lineDays;
    for (const LevelPoint& point : line) {
        lineDays << int(point.at.date().daysTo(today));
        QVERIFY(lastOfDay.contains(point.at.date()));
        QCOMPARE(point.at, lastOfDay.value(point.at.date()).at);
        QCOMPARE(point.stufe, lastOfDay.value(point.at.date()).stufe);
    }
    QCOMPARE(lineDays, days);
    for (qsizetype k = 1; k < line.size(); ++k)
        QVERIFY(direction * (line[k].stufe - line[k - 1].stufe) >= 0);
    if (direction != 0)
        QVERIFY(direction * (line.last().stufe - PracticeRatings::startStufe) > 0);

    const QHash<QString, double> levels = currentLevels(runs, Operation::Add);
    QCOMPARE(levels.contains("Mia"), !line.isEmpty());
    if (!line.isEmpty())
        QCOMPARE(levels.value("Mia"), line.last().stufe);
    if (classCounts)
        QVERIFY(currentLevels(own, Operation::Add).value("Mia") != levels.value("Mia"));
    // Handed in child by child, as a store reads them, the runs are replayed in the same order.
    LevelReplay byChild(Operation::Add);
    for (const QString name : {"Mia", "Ben"})
        for (const HistoryRun& run : std::as_const(runs))
            if (run.participant == name)
                byChild.add(run);
    QCOMPARE(byChild.currentLevels(), levels);
    QCOMPARE(byChild.dailyLevels("Mia").size(), line.size());
    if (!line.isEmpty())
        QCOMPARE(byChild.dailyLevels("Mia").last().stufe, line.last().stufe);

    const QList<ChildFigures> rows =
        classFigures(classTotalsOf(runs, periodOf(OverviewPeriod::Everything, today)), {"Mia"},
                     OverviewPeriod::Everything, today, levels);
    const QString now = line.isEmpty() ? QString() : QString::number(qRound(line.last().stufe));
    QCOMPARE(overviewCell(rows[0], OverviewColumn::Stufe, CellForm::Written),
             line.isEmpty() ? QString("–") : now);
    QCOMPARE(overviewCell(rows[0], OverviewColumn::Stufe, CellForm::Spoken),
             line.isEmpty() ? QString("keine Angabe") : now);
}

using Figure = std::optional<double>;
constexpr double missing = std::numeric_limits<double>::lowest();

void TestClassOverview::rowOrder_data() {
    QTest::addColumn<OverviewColumn>("column");
    QTest::addColumn<Figure>("mine");
    QTest::addColumn<QString>("myName");
    QTest::addColumn<Figure>("theirs");
    QTest::addColumn<QString>("theirName");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<bool>("before");
    const auto none = Figure();
    QTest::newRow("fewer runs first")
        << OverviewColumn::Runs << Figure(2) << "Zoe" << Figure(5) << "Ali" << false << true;
    QTest::newRow("a missing figure below every figure")
        << OverviewColumn::Speed << Figure(missing) << "Ali" << Figure(-3.5) << "Zoe" << false
        << true;
    QTest::newRow("alike: names A to Z")
        << OverviewColumn::Runs << Figure(2) << "Ben" << Figure(2) << "Ali" << false << false;
    QTest::newRow("alike downwards: the names do not turn")
        << OverviewColumn::Runs << Figure(2) << "Ben" << Figure(2) << "Ali" << true << true;
    QTest::newRow("names: Ä beside A, case aside")
        << OverviewColumn::Name << none << "Änne" << none << "berta" << false << true;
    QTest::newRow("names downwards turn with the table")
        << OverviewColumn::Name << none << "Änne" << none << "berta" << true << true;
    QTest::newRow("most missed: by the misses of the first")
        << OverviewColumn::MostMissed << Figure(1) << "Zoe" << Figure(3) << "Ali" << false << true;
}

// The order of the overview's rows when the table sorts by a column, either way round.
void TestClassOverview::rowOrder() {
    QFETCH(OverviewColumn, column);
    QFETCH(Figure, mine);
    QFETCH(QString, myName);
    QFETCH(Figure, theirs);
    QFETCH(QString, theirName);
    QFETCH(bool, descending);
    QFETCH(bool, before);
    QCOMPARE(overviewRowBefore(column, mine, myName, theirs, theirName, descending), before);
}

// The children left out of the worksheets, named in a sentence.
void TestClassOverview::namesInASentence() {
    QCOMPARE(namesText({}), QString());
    QCOMPARE(namesText({"Ben"}), QString("Ben"));
    QCOMPARE(namesText({"Ben", "Lea"}), QString("Ben und Lea"));
    QCOMPARE(namesText({"Ben", "Lea", "Mia"}), QString("Ben, Lea und Mia"));
}

QTEST_GUILESS_MAIN(TestClassOverview)
#include "tst_class_overview.moc"
