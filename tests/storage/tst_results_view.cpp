#include "storage/results_view.h"

#include <QTest>

namespace {

ResultRecord record(const QString& name, quint8 tasks, quint8 points, const QString& timeLimit) {
    ResultRecord r;
    r.name = name;
    r.date = QStringLiteral("06.12.26");
    r.time = QStringLiteral("17:06:29");
    r.timeLimitText = timeLimit;
    r.operation = QStringLiteral("+ / -");
    r.range1Text = QStringLiteral("0 .. 10");
    r.range2Text = QStringLiteral("5 .. 10");
    r.taskCount = tasks;
    r.points = points;
    return r;
}

QList<PrintLine> lines(const Printout& p) {
    QList<PrintLine> found;
    for (const PrintOperation& op : p.operations)
        if (const auto* line = std::get_if<PrintLine>(&op))
            found.append(*line);
    return found;
}

QList<PrintText> texts(const Printout& p) {
    QList<PrintText> found;
    for (const PrintOperation& op : p.operations)
        if (const auto* text = std::get_if<PrintText>(&op))
            found.append(*text);
    return found;
}

QList<PrintLine> verticals(const Printout& p) {
    QList<PrintLine> found;
    for (const PrintLine& l : lines(p))
        if (l.x1 == l.x2)
            found.append(l);
    return found;
}

} // namespace

class TestResultsView : public QObject {
    Q_OBJECT
private slots:
    void dataCells_data();
    void dataCells();
    void gridShowsAtMostTwentyRecords();
    void printoutOfThreeRecords();
    void printoutOfEmptyFile();
};

void TestResultsView::dataCells_data() {
    QTest::addColumn<int>("tasks");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("timeLimit");
    QTest::addColumn<QStringList>("shown"); // columns 7, 8 and 9

    QTest::newRow("1 point") << 1 << 1 << "60" << QStringList{"      1", "      1", "     60"};
    QTest::newRow("0 points") << 2 << 0 << "60" << QStringList{"      2", "      0", "     60"};
    QTest::newRow("12 tasks, 7 points")
        << 12 << 7 << "60" << QStringList{"    12", "      7", "     60"};
    QTest::newRow("three digits") << 160 << 255 << "60" << QStringList{"  160", "  255", "     60"};
    QTest::newRow("90 seconds") << 3 << 2 << "90" << QStringList{"      3", "      2", "     90"};
    QTest::newRow("120 seconds") << 3 << 2 << "120" << QStringList{"      3", "      2", "   120"};
    QTest::newRow("no time limit")
        << 3 << 2 << "..." << QStringList{"      3", "      2", "   ..."};
    QTest::newRow("one character")
        << 3 << 2 << "5" << QStringList{"      3", "      2", "       5"};
    QTest::newRow("four characters")
        << 3 << 2 << "1000" << QStringList{"      3", "      2", " 1000"};
    QTest::newRow("five characters leave the cell empty")
        << 3 << 2 << "10000" << QStringList{"      3", "      2", ""};
    QTest::newRow("an empty text leaves it empty")
        << 3 << 2 << "" << QStringList{"      3", "      2", ""};
}

void TestResultsView::dataCells() {
    QFETCH(int, tasks);
    QFETCH(int, points);
    QFETCH(QString, timeLimit);
    QFETCH(QStringList, shown);
    const QStringList cells =
        resultsDataCells(record(QStringLiteral("Ben"), quint8(tasks), quint8(points), timeLimit));
    QCOMPARE(cells.size(), 9);
    QCOMPARE(cells.mid(0, 6),
             (QStringList{" Ben", " 06.12.26", " 17:06:29", " + / -", " 0 .. 10", " 5 .. 10"}));
    QCOMPARE(cells.mid(6), shown);
}

void TestResultsView::gridShowsAtMostTwentyRecords() {
    QList<ResultRecord> records;
    for (int i = 1; i <= 25; ++i)
        records.append(record(QStringLiteral("K%1").arg(i), 10, quint8(i), QStringLiteral("60")));
    const GridTexts grid = resultsGrid(records);
    QCOMPARE(grid.size(), 22);
    QCOMPARE(grid[21][1], QStringLiteral(" K20"));
    QCOMPARE(grid[21][0], QStringLiteral(" 20"));
    QCOMPARE(grid[10][0], QStringLiteral("   9"));
    QCOMPARE(grid[11][0], QStringLiteral(" 10"));

    const GridTexts three = resultsGrid(records.mid(0, 3));
    QCOMPARE(three[4][1], QStringLiteral(" K3"));
    for (int row = 5; row < 22; ++row)
        QCOMPARE(three[row].mid(1), QStringList(9));
    QCOMPARE(three[0][8], QStringLiteral(" Pkte.   "));
    QCOMPARE(three[1][4], QStringLiteral(" Art/ W"));
}

void TestResultsView::printoutOfThreeRecords() {
    QList<ResultRecord> records;
    for (int i = 1; i <= 3; ++i)
        records.append(record(QStringLiteral("K%1").arg(i), 12, 7, QStringLiteral("90")));
    const GridTexts grid = resultsGrid(records);
    const Printout p =
        resultsPrintout(grid, 3, QStringLiteral("06.12.2026"), QStringLiteral("17:06:29"));
    QCOMPARE(p.pageCount(), 1);
    QCOMPARE(p.fontHeight, 50);

    const QList<PrintLine> v = verticals(p);
    QCOMPARE(v.size(), 11);
    for (const PrintLine& l : v) {
        QCOMPARE(l.y1, 360);
        QCOMPARE(l.y2, 860);
    }
    QCOMPARE(v.first().penWidth, 3);
    QCOMPARE(v.last().x1, 2296);
    QCOMPARE(v.last().penWidth, 3);

    // Under the heads and under each row; the last row is underlined with the thick pen.
    QList<QPair<int, int>> rules;
    for (const PrintLine& l : lines(p))
        if (l.y1 == l.y2)
            rules.append({l.y1, l.penWidth});
    QCOMPARE(rules, (QList<QPair<int, int>>{{280, 3}, {560, 3}, {660, 1}, {760, 1}, {860, 3}}));

    const QList<PrintText> t = texts(p);
    QCOMPARE(t.first(), (PrintText{280, 200,
                                   "Kalumbrixtor             gedruckt am    06.12.2026 um    "
                                   "17:06:29 Uhr"}));
    // The last row, from the grid as it stands: number, name ... points, time limit.
    QVERIFY(t.contains(PrintText{270, 790, "   3"}));
    QVERIFY(t.contains(PrintText{390, 790, " K3"}));
    QVERIFY(t.contains(PrintText{1878, 790, "    12"}));
    QVERIFY(t.contains(PrintText{2166, 790, "     90"}));
    QVERIFY(t.contains(PrintText{1880, 470, " Aufg."}));
    // Three heads of the second row, ten of the first, ten texts per data row and the title.
    QCOMPARE(t.size(), 1 + 10 + 3 + 3 * 10);
}

void TestResultsView::printoutOfEmptyFile() {
    const Printout p = resultsPrintout(resultsGrid({}), 0, QStringLiteral("06.12.2026"),
                                       QStringLiteral("17:06:29"));
    for (const PrintLine& l : verticals(p))
        QCOMPARE(l.y2, 560);
    QCOMPARE(verticals(p).size(), 11);
    QCOMPARE(texts(p).size(), 1 + 10 + 3);
    for (const PrintText& t : texts(p))
        QVERIFY(t.y <= 470);
}

QTEST_GUILESS_MAIN(TestResultsView)
#include "tst_results_view.moc"
