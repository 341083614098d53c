#include "history/model/class_printouts.h"

#include "history/model/class_overview.h"

#include <QMap>
#include <QTest>

namespace {

AnsweredTask answer(qint32 a, qint32 b, bool correct, qint64 ms) {
    AnsweredTask t;
    t.operand1 = a;
    t.operand2 = b;
    t.correct = correct;
    t.answerMs = ms;
    return t;
}

HistoryRun run(const QString& name, Operation operation, int day,
               const QList<AnsweredTask>& answers) {
    HistoryRun r;
    r.participant = name;
    r.operation = operation;
    r.startedAt = QDateTime(QDate(2026, 12, day), QTime(9, 0));
    r.answers = answers;
    return r;
}

// Each page's heading and its task rows as "7 + 8 =", read from where the worksheet puts them;
// a text in a result column would add "= ?".
struct Page {
    QString heading;
    QStringList tasks;
};

QList<Page> pagesOf(const Printout& printout) {
    QList<Page> pages(1);
    QMap<int, QStringList> rows; // by y
    auto close = [&] {
        for (const QStringList& row : std::as_const(rows))
            pages.last().tasks << row.join(' ');
        rows.clear();
    };
    for (const PrintOperation& op : printout.operations) {
        if (std::holds_alternative<PrintNewPage>(op)) {
            close();
            pages.append(Page());
        } else if (const auto* text = std::get_if<PrintText>(&op)) {
            if (text->y == 400)
                pages.last().heading = text->text;
            else if (text->y > 600 && text->x >= 500)
                rows[text->y] << (text->x >= 1190 ? QStringLiteral("= ?") : text->text.trimmed());
        }
    }
    close();
    return pages;
}

} // namespace

class TestClassPrintouts : public QObject {
    Q_OBJECT
private slots:
    void sheetsCarryEachChildsOwnTasks();
    void reportCarriesTheRowsAsShown();
};

// Mia: her missed tasks newest first, then the slow right one, over two operations; Ben has
// nothing to practise and gets no page, nor does Tom, whose mistakes lie before the 30 days;
// Lea's 30 missed tasks fill one page of 24. A store's reader gives the same sheets.
void TestClassPrintouts::sheetsCarryEachChildsOwnTasks() {
    QList<HistoryRun> runs{
        run("Mia", Operation::Add, 1, {answer(7, 8, false, 3000), answer(2, 2, true, 1000)}),
        run("Ben", Operation::Add, 1, {answer(1, 1, true, 1000), answer(1, 2, true, 1000)}),
        run("Mia", Operation::DivideWithRemainder, 2,
            {answer(17, 5, false, 4000), answer(3, 3, true, 1000), answer(9, 9, true, 9000)}),
        run("Mia", Operation::Multiply, 3, {answer(7, 8, false, 2000), answer(7, 8, false, 2000)}),
    };
    HistoryRun lea = run("Lea", Operation::Subtract, 4, {});
    for (int k = 1; k <= 30; ++k)
        lea.answers << answer(50 + k, k, false, 1000);
    runs << lea;
    HistoryRun tom = run("Tom", Operation::Add, 1, {answer(6, 6, false, 1000)});
    tom.startedAt = tom.startedAt.addDays(-30); // 01.11., a week before the 30 days
    runs.prepend(tom);
    const QStringList names{"Ben", "Lea", "Mia", "Tom"};
    const RunPeriod month = periodOf(OverviewPeriod::Month, QDate(2026, 12, 8));

    const ChildSheets sheets = mistakeSheets(runs, names, month);
    QCOMPARE(sheets.leftOut, QStringList({"Ben", "Tom"}));
    const Result<ChildSheets> readSheets = mistakeSheets(
        [&](const QString& name, const std::function<void(const HistoryRun&)>& visit) {
            for (const HistoryRun& r : std::as_const(runs))
                if (r.participant == name)
                    visit(r);
            return Outcome();
        },
        names, month);
    QVERIFY(readSheets.ok());
    const ChildSheets& read = *readSheets;
    QCOMPARE(read.leftOut, sheets.leftOut);
    QCOMPARE(read.sheets.size(), sheets.sheets.size());
    for (qsizetype k = 0; k < read.sheets.size(); ++k)
        QCOMPARE(read.sheets[k].tasks, sheets.sheets[k].tasks);
    const QList<Page> pages =
        pagesOf(mistakeSheetsPrintout(sheets.sheets, "30 Tage", "08.12.2026", "10:00:00"));
    QCOMPARE(pages.size(), 2);

    QCOMPARE(pages[0].heading, QStringLiteral("Lea     Zeitraum: 30 Tage     08.12.2026"));
    QCOMPARE(pages[0].tasks.size(), 24);
    QCOMPARE(pages[0].tasks.first(), QStringLiteral("80 - 30 ="));
    QCOMPARE(pages[0].tasks.last(), QStringLiteral("57 - 7 ="));

    QCOMPARE(pages[1].heading, QStringLiteral("Mia     Zeitraum: 30 Tage     08.12.2026"));
    QCOMPARE(pages[1].tasks, QStringList({"7 * 8 =", "17 : R 5 =", "7 + 8 =", "9 : R 9 ="}));
}

// 26 children: 25 on the first page, one on the second, each page headed with the period and
// the operation; paper shows a name as it is. (The CSV of the rows is the window's test; its
// fields are made safe as the answers' CSV is.)
void TestClassPrintouts::reportCarriesTheRowsAsShown() {
    QList<ChildFigures> rows(26);
    for (qsizetype k = 0; k < rows.size(); ++k)
        rows[k].name = QStringLiteral("Kind %1").arg(k + 1);
    rows[25].name = QStringLiteral("=Ende; \"x\"");
    rows[25].change = 0.31;
    const Printout report =
        classReportPrintout(rows, "4b", "7 Tage", "Addieren (+)", "08.12.2026", "10:00:00");
    QCOMPARE(report.pageCount(), 2);
    QStringList names;
    QStringList pageHeadings;
    for (const PrintOperation& op : report.operations) {
        if (const auto* text = std::get_if<PrintText>(&op)) {
            if (text->x == 0 && text->y >= 490)
                names << text->text;
            if (text->y == 280)
                pageHeadings << text->text;
        }
    }
    QCOMPARE(names.size(), 26);
    QCOMPARE(names.last(), QStringLiteral("=Ende; \"x\""));
    QCOMPARE(pageHeadings,
             QStringList({"Zeitraum: 7 Tage     Rechenart: Addieren (+)     Seite 1 von 2",
                          "Zeitraum: 7 Tage     Rechenart: Addieren (+)     Seite 2 von 2"}));
}

QTEST_GUILESS_MAIN(TestClassPrintouts)
#include "tst_class_printouts.moc"
