#include "storage/task_set_file.h"
#include "storage/task_set_view.h"

#include <QTest>

#include <algorithm>

namespace {

QString sp(int n) {
    return QString(n, QLatin1Char(' '));
}

TaskRecord task(qint32 operand1, qint32 operand2, qint32 result, qint32 remainder,
                qint32 givenAnswer, qint32 givenRemainder) {
    TaskRecord r;
    r.operand1 = operand1;
    r.operand2 = operand2;
    r.result = result;
    r.remainder = remainder;
    r.givenAnswer = givenAnswer;
    r.givenRemainder = givenRemainder;
    return r;
}

// A saved set of n records as a run leaves it: the header in the first record, task k with
// operand1 k, answered right.
QList<TaskRecord> savedSet(int n) {
    QList<TaskRecord> set;
    for (int k = 1; k <= n; ++k)
        set.append(task(k, 1, k + 1, -1, k + 1, 0));
    if (n > 0) {
        set[0].operation = QStringLiteral("+");
        set[0].name = QStringLiteral("Mia");
        set[0].date = QStringLiteral("06.12.26");
        set[0].time = QStringLiteral("17:06:29");
        set[0].points = 7;
        set[0].competitionTag = QStringLiteral("-");
        set[0].timeLimitText = QStringLiteral("...");
    }
    return set;
}

// One printed page, each operation as a line of text, sorted, so pages compare whatever order
// the operations come in.
using Page = QStringList;

QString describe(const PrintOperation& op) {
    if (const auto* t = std::get_if<PrintText>(&op))
        return QStringLiteral("text %1,%2 [%3]").arg(t->x).arg(t->y).arg(t->text);
    const auto& l = std::get<PrintLine>(op);
    return QStringLiteral("line %1,%2-%3,%4 w%5")
        .arg(l.x1)
        .arg(l.y1)
        .arg(l.x2)
        .arg(l.y2)
        .arg(l.penWidth);
}

QList<Page> pagesOf(const Printout& printout) {
    QList<Page> pages{Page{}};
    for (const PrintOperation& op : printout.operations) {
        if (std::holds_alternative<PrintNewPage>(op))
            pages.append(Page{});
        else
            pages.last().append(describe(op));
    }
    for (Page& page : pages)
        page.sort();
    return pages;
}

int count(const Page& page, const QString& prefix) {
    return int(std::count_if(page.begin(), page.end(),
                             [&](const QString& s) { return s.startsWith(prefix); }));
}

const QString dateLine =
    QStringLiteral("text 280,300 [Kalumbrixtor             gedruckt am    06.12.2026 um    "
                   "17:13:26 Uhr]");

// The frame every worksheet page has, from the printed layout: the date line, three thick
// rulings, the headings of number, operands and result, nine verticals.
Page sheetFrame() {
    Page frame{dateLine,
               "line 280,360-2200,360 w3",
               "line 280,460-2200,460 w3",
               "line 280,660-2200,660 w3",
               "text 270,600 [         Nr.]",
               "text 500,600 [     Zahl 1]",
               "text 830,600 [     Zahl 2]",
               "text 1220,600 [        Ergebnis]",
               "line 280,560-280,3048 w1",
               "line 480,560-480,3048 w3",
               "line 710,560-710,3048 w1",
               "line 830,560-830,3048 w1",
               "line 1050,560-1050,3048 w1",
               "line 1220,560-1220,3048 w1",
               "line 1550,560-1550,3048 w1",
               "line 1940,560-1940,3048 w1",
               "line 2200,560-2200,3048 w1"};
    return frame;
}

QList<int> thinRulings(const Page& page) {
    QList<int> ys;
    for (const QString& s : page) {
        if (s.startsWith("line 280,") && s.endsWith(" w1")) {
            const QString y1 = s.section(',', 1, 1).section('-', 0, 0);
            const QString y2 = s.section(',', 2, 2).section(' ', 0, 0);
            if (y1 == y2)
                ys.append(y1.toInt());
        }
    }
    std::sort(ys.begin(), ys.end());
    return ys;
}

Printout printed(const QList<TaskRecord>& set, const SheetOptions& options = {}) {
    return taskSheetPrintout(taskSetGrid(set), options, "06.12.2026", "17:13:26");
}

} // namespace

class TestTaskSetView : public QObject {
    Q_OBJECT
private slots:
    void taskCells_data();
    void taskCells();
    void headerCells_data();
    void headerCells();
    void rowsShown_data();
    void rowsShown();
    void pagination_data();
    void pagination();
    void switchedOffColumns_data();
    void switchedOffColumns();
    void headerModes_data();
    void headerModes();
    void emptyWorksheet();
    void sheetFileNames_data();
    void sheetFileNames();
};

// The task under test is the second task of its set; the first task decides the operation and
// whether the set's result columns are laid out for remainders.
void TestTaskSetView::taskCells_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("firstRemainder");
    QTest::addColumn<int>("operand1");
    QTest::addColumn<int>("operand2");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("remainder");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("answerRemainder");
    QTest::addColumn<QStringList>("cells"); // columns 1 to 7

    QTest::newRow("30000 + 5") << "+" << -1 << 30000 << 5 << 30005 << -1 << 30005 << 0
                               << QStringList{sp(5) + "30000", "    +",          sp(13) + "5",
                                              "    =  ",       sp(12) + "30005", sp(12) + "30005",
                                              "    w  "};
    QTest::newRow("wrong product")
        << "*" << -1 << 12 << 11 << 132 << -1 << 131 << 0
        << QStringList{sp(11) + "12",  "    *",        sp(11) + "11", "    =  ",
                       sp(16) + "132", sp(16) + "131", "    f  "};
    QTest::newRow("negative difference")
        << "-" << -1 << 3 << 10 << -7 << -1 << 7 << 0
        << QStringList{sp(13) + "3",  "    -",      sp(11) + "10", "    =  ",
                       sp(18) + "-7", sp(20) + "7", "    f  "};
    QTest::newRow("23 : R 3 = 7 R 2")
        << ": R" << 0 << 23 << 3 << 7 << 2 << 7 << 2
        << QStringList{sp(11) + "23",    "  : R",          sp(13) + "3", "    =  ",
                       sp(18) + "7 R 2", sp(18) + "7 R 2", "    w  "};
    QTest::newRow("wrong remainder alone")
        << ": R" << 0 << 23 << 3 << 7 << 2 << 7 << 1
        << QStringList{sp(11) + "23",    "  : R",          sp(13) + "3", "    =  ",
                       sp(18) + "7 R 2", sp(18) + "7 R 1", "    f  "};
    // Longer than the column: no padding, never a negative count.
    QTest::newRow("9-digit answer and remainder")
        << ": R" << 0 << 20 << 3 << 6 << 2 << 123456789 << 987654321
        << QStringList{sp(11) + "20",           "  : R",  sp(13) + "3", "    =  ", sp(18) + "6 R 2",
                       "123456789 R 987654321", "    f  "};
    QTest::newRow("operands of a foreign file")
        << "+" << -1 << 123456789 << -2147483647 - 1 << 0 << -1 << 0 << 0
        << QStringList{" 123456789", "    +",      " -2147483648", "    =  ",
                       sp(20) + "0", sp(20) + "0", "    w  "};
    // The set is laid out for remainders by its first task; a task without one keeps plain
    // texts in the wider column, and its stored remainder -1 leaves the given one out of the
    // mark.
    QTest::newRow("plain task in a remainder set")
        << ": R" << 0 << 8 << 2 << 4 << -1 << 4 << 99
        << QStringList{sp(13) + "8", "  : R",      sp(13) + "2", "    =  ",
                       sp(26) + "4", sp(26) + "4", "    w  "};
    // The mark follows the stored task whatever operation is chosen in the program now.
    QTest::newRow("remainder task in a plain set")
        << "+" << -1 << 9 << 4 << 2 << 1 << 2 << 0
        << QStringList{sp(13) + "9",     "    +",          sp(13) + "4", "    =  ",
                       sp(12) + "2 R 1", sp(12) + "2 R 0", "    f  "};
}

void TestTaskSetView::taskCells() {
    QFETCH(QString, operation);
    QFETCH(int, firstRemainder);
    QFETCH(int, operand1);
    QFETCH(int, operand2);
    QFETCH(int, result);
    QFETCH(int, remainder);
    QFETCH(int, answer);
    QFETCH(int, answerRemainder);
    QFETCH(QStringList, cells);

    QList<TaskRecord> set = savedSet(3);
    set[0].operation = operation;
    set[0].remainder = firstRemainder;
    set[1] = task(operand1, operand2, result, remainder, answer, answerRemainder);
    // Later records keep the operation their run wrote; only the first one counts.
    set[1].operation = QStringLiteral("--");
    const TaskSetGrid grid = taskSetGrid(set);
    QStringList shown;
    for (int column = 1; column <= 7; ++column)
        shown.append(grid.cell(4, column));
    QCOMPARE(shown, cells);
    QCOMPARE(grid.cell(4, 0), sp(11) + "2");
}

void TestTaskSetView::headerCells_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("date");
    QTest::addColumn<int>("points");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("timeLimit");
    QTest::addColumn<QStringList>("cells"); // row 0 columns 0, 1, 3, 5, 6; row 1 column 0

    QTest::newRow("one point, no time limit")
        << "Mia"
        << "06.12.26" << 1 << "-"
        << "..." << QStringList{"Mia",           "  06.12.26",       "  17:06:29",
                                "      1 Punkt", sp(8) + "... Sek.", "W -"};
    QTest::newRow("no points, 90 s, W 7")
        << "Jo"
        << "06.12.2026" << 0 << "7"
        << "90"
        << QStringList{"Jo", "  06.12.2026", "  17:06:29", "      0 Punkte", sp(8) + "90 Sek.",
                       "W 7"};
    QTest::newRow("255 points, 1200 s, W 16")
        << "Alexande"
        << "2026-12-06" << 255 << "16"
        << "1200" << QStringList{"Alexande",         "  2026-12-06",      "  17:06:29",
                                 "      255 Punkte", sp(8) + "1200 Sek.", "W 16"};
}

void TestTaskSetView::headerCells() {
    QFETCH(QString, name);
    QFETCH(QString, date);
    QFETCH(int, points);
    QFETCH(QString, tag);
    QFETCH(QString, timeLimit);
    QFETCH(QStringList, cells);
    QList<TaskRecord> set = savedSet(2);
    set[0].name = name;
    set[0].date = date;
    set[0].points = quint8(points);
    set[0].competitionTag = tag;
    set[0].timeLimitText = timeLimit;
    const TaskSetGrid grid = taskSetGrid(set);
    QCOMPARE((QStringList{grid.cell(0, 0), grid.cell(0, 1), grid.cell(0, 3), grid.cell(0, 5),
                          grid.cell(0, 6), grid.cell(1, 0)}),
             cells);
}

void TestTaskSetView::rowsShown_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("taskRows");
    QTest::newRow("empty file") << 0 << 0;
    QTest::newRow("one record") << 1 << 0;
    QTest::newRow("two records") << 2 << 1;
    QTest::newRow("a run stopped after 3 tasks") << 4 << 3;
    QTest::newRow("160 tasks") << 160 << 159;
}

// Rows 3.. hold the tasks, the last record stays hidden, and what is not a task row is empty
// except for its number; headings and numbers stand in every case.
void TestTaskSetView::rowsShown() {
    QFETCH(int, records);
    QFETCH(int, taskRows);
    const TaskSetGrid grid = taskSetGrid(savedSet(records));
    QCOMPARE(grid.taskRows(), taskRows);
    for (int row = 3; row < taskGridRows; ++row) {
        const bool task = row - 2 <= taskRows;
        QCOMPARE(grid.cell(row, 1), task ? operandCellText(row - 2) : QString());
        QCOMPARE(grid.cell(row, 7).isEmpty(), !task);
    }
    QCOMPARE(grid.cell(3, 0), sp(11) + "1");
    QCOMPARE(grid.cell(11, 0), sp(11) + "9");
    QCOMPARE(grid.cell(12, 0), sp(9) + "10");
    QCOMPARE(grid.cell(101, 0), sp(9) + "99");
    QCOMPARE(grid.cell(102, 0), sp(7) + "100");
    QCOMPARE(grid.cell(162, 0), sp(7) + "160");
    QCOMPARE(grid.cell(2, 0), QString("         Nr."));
    QCOMPARE(grid.cell(2, 5), QString("        Ergebnis"));
    QCOMPARE(grid.cell(2, 6), QString("        Eingabe"));
    // An empty file shows an empty header, not a made-up one.
    QCOMPARE(grid.cell(0, 0).isEmpty() && grid.cell(0, 5).isEmpty() && grid.cell(1, 0).isEmpty(),
             records == 0);
}

void TestTaskSetView::pagination_data() {
    QTest::addColumn<int>("tasks");
    QTest::addColumn<QList<int>>("tasksPerPage");
    QTest::newRow("T = 0") << 0 << QList<int>{0};
    QTest::newRow("T = 24") << 24 << QList<int>{24};
    QTest::newRow("T = 25") << 25 << QList<int>{24, 1};
    QTest::newRow("T = 48") << 48 << QList<int>{24, 24};
    QTest::newRow("T = 159") << 159 << QList<int>{24, 24, 24, 24, 24, 24, 15};
}

// Each page: one header, its tasks at places 1.. in task order, 24 ruled rows, nine verticals.
void TestTaskSetView::pagination() {
    QFETCH(int, tasks);
    QFETCH(QList<int>, tasksPerPage);
    const Printout printout = printed(savedSet(tasks + 1));
    const QList<Page> pages = pagesOf(printout);
    QCOMPARE(pages.size(), tasksPerPage.size());
    QCOMPARE(printout.pageCount(), tasksPerPage.size());
    QCOMPARE(printout.fontHeight, 50);
    int firstTask = 1;
    for (int p = 0; p < pages.size(); ++p) {
        const Page& page = pages[p];
        QCOMPARE(count(page, dateLine), 1);
        QCOMPARE(count(page, "text 280,400 [Mia]"), 1);
        QCOMPARE(count(page, "line 280,560-280,3048 w1"), 1);
        QCOMPARE(count(page, "line 480,560-480,3048 w3"), 1);
        QList<int> ruled;
        for (int place = 1; place <= 24; ++place)
            ruled.append(648 + 100 * place);
        QCOMPARE(thinRulings(page), ruled);

        for (int place = 1; place <= tasksPerPage[p]; ++place) {
            const QString number = taskNumberText(firstTask + place - 1);
            QCOMPARE(
                count(page, QStringLiteral("text 260,%1 [%2]").arg(588 + 100 * place).arg(number)),
                1);
        }
        QCOMPARE(count(page, "text 260,"), tasksPerPage[p]);
        firstTask += tasksPerPage[p];
    }
}

void TestTaskSetView::switchedOffColumns_data() {
    QTest::addColumn<bool>("operand1");
    QTest::addColumn<bool>("operation");
    QTest::addColumn<bool>("operand2");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("input");
    QTest::addColumn<QList<int>>("printedAt"); // x positions of the task row's texts
    QTest::newRow("everything") << true << true << true << true << true
                                << QList<int>{260, 500, 720, 830, 1080, 1190, 1570, 2020};
    QTest::newRow("ohne Eingabe u. Wertung")
        << true << true << true << true << false << QList<int>{260, 500, 720, 830, 1080, 1190};
    QTest::newRow("exercise sheet")
        << true << true << true << false << false << QList<int>{260, 500, 720, 830, 1080};
    QTest::newRow("find operand 1")
        << false << true << true << true << false << QList<int>{260, 720, 830, 1080, 1190};
    QTest::newRow("find operand 2") << true << true << false << true << true
                                    << QList<int>{260, 500, 720, 1080, 1190, 1570, 2020};
}

// Switched-off columns leave their cells blank; the headings of operands and result and the
// table's lines stay, only the "Eingabe" heading goes with its column.
void TestTaskSetView::switchedOffColumns() {
    SheetOptions options;
    QFETCH(bool, operand1);
    QFETCH(bool, operation);
    QFETCH(bool, operand2);
    QFETCH(bool, result);
    QFETCH(bool, input);
    QFETCH(QList<int>, printedAt);
    options.withOperand1 = operand1;
    options.withOperation = operation;
    options.withOperand2 = operand2;
    options.withResult = result;
    options.withInput = input;
    const Printout printout = printed(savedSet(2), options);

    QList<int> xs;
    for (const PrintOperation& op : printout.operations) {
        if (const auto* t = std::get_if<PrintText>(&op); t && t->y == 688)
            xs.append(t->x);
    }
    std::sort(xs.begin(), xs.end());
    QCOMPARE(xs, printedAt);

    const Page page = pagesOf(printout).constFirst();
    for (const QString& framePart : sheetFrame())
        QVERIFY2(page.contains(framePart), qPrintable(framePart));
    QCOMPARE(page.contains("text 1600,600 [        Eingabe]"), input);
    // The task's own line below it and 23 empty rulings: 24 in all.
    QCOMPARE(thinRulings(page).size(), 24);
}

void TestTaskSetView::headerModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QStringList>("between"); // texts between the thick lines at 360 and 460
    QTest::newRow("K") << int(SheetHeader::Stored) << "ignored"
                       << QStringList{"text 1220,400 [      7 Punkte]",
                                      "text 1600,400 [        ... Sek.]",
                                      "text 280,400 [Mia]",
                                      "text 280,500 [W -]",
                                      "text 500,400 [  06.12.26]",
                                      "text 830,400 [  17:06:29]"};
    QTest::newRow("U") << int(SheetHeader::Heading) << "Klasse 3b: Übung"
                       << QStringList{"text 280,400 [Klasse 3b: Übung]"};
    QTest::newRow("U, empty heading") << int(SheetHeader::Heading) << "" << QStringList{};
    QTest::newRow("O") << int(SheetHeader::None) << "ignored" << QStringList{};
}

void TestTaskSetView::headerModes() {
    QFETCH(int, mode);
    QFETCH(QString, heading);
    QFETCH(QStringList, between);
    SheetOptions options;
    options.header = SheetHeader(mode);
    options.heading = heading;
    const Page page = pagesOf(printed(savedSet(5), options)).constFirst();
    QStringList found;
    for (const QString& s : page) {
        const int y = s.section(',', 1, 1).section(' ', 0, 0).toInt();
        if (s.startsWith("text") && y > 360 && y < 600)
            found.append(s);
    }
    QCOMPARE(found, between);
    QVERIFY(page.contains(dateLine));
    QVERIFY(page.contains("text 1600,600 [        Eingabe]"));
}

// The page the main menu prints, operation by operation; an empty task-set file prints the same.
void TestTaskSetView::emptyWorksheet() {
    Page expected = sheetFrame();
    for (int y = 748; y <= 3048; y += 100)
        expected.append(QStringLiteral("line 280,%1-2200,%1 w1").arg(y));
    expected.sort();
    const Printout empty = emptyWorksheetPrintout("06.12.2026", "17:13:26");
    QCOMPARE(empty.fontHeight, 50);
    QCOMPARE(pagesOf(empty), QList<Page>{expected});
    QCOMPARE(empty.operations.size(), 41);

    SheetOptions headingOnly;
    headingOnly.header = SheetHeader::Heading;
    headingOnly.heading = QStringLiteral("Klasse 3b");
    QCOMPARE(pagesOf(printed({}, headingOnly)), QList<Page>{expected});
}

void TestTaskSetView::sheetFileNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("columns"); // the options switched off
    QTest::addColumn<QString>("fileName");

    QTest::newRow("everything: the child's sheet with marks")
        << "Ben"
        << ""
        << "Aufgaben Ben 06.12.26 Auswertung.pdf";
    QTest::newRow("without input: solutions") << "Ben"
                                              << "input"
                                              << QString::fromUtf8("Aufgaben Ben 06.12.26 "
                                                                   "Lösungsblatt.pdf");
    QTest::newRow("without results: exercises")
        << "Ben"
        << "input result" << QString::fromUtf8("Aufgaben Ben 06.12.26 Übungsblatt.pdf");
    QTest::newRow("without an operand: find it")
        << "Ben"
        << "input operand2" << QString::fromUtf8("Aufgaben Ben 06.12.26 Ergänzungsblatt.pdf");
}

// The PDF file a worksheet is offered under says whose set, of which day, and what kind of sheet.
void TestTaskSetView::sheetFileNames() {
    QFETCH(QString, name);
    QFETCH(QString, columns);
    QFETCH(QString, fileName);
    QList<TaskRecord> set = savedSet(3);
    set[0].name = name;
    SheetOptions options;
    options.withInput = !columns.contains("input");
    options.withResult = !columns.contains("result");
    options.withOperand2 = !columns.contains("operand2");
    options.withOperation = !columns.contains("operation");
    QCOMPARE(taskSheetFileName(set, options), fileName);
    QCOMPARE(taskSheetFileName({}, options), QString("Aufgabenblatt.pdf"));
}

QTEST_GUILESS_MAIN(TestTaskSetView)
#include "tst_task_set_view.moc"
