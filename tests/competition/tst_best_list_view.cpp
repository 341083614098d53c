#include "competition/best_list_file.h"
#include "competition/best_list_view.h"
#include "support/failures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

BestListEntry entry(const QString& name, quint8 points) {
    BestListEntry e;
    e.number = 3;
    e.name = name;
    e.date = QStringLiteral("06.12.26");
    e.time = QStringLiteral("17:06:29");
    e.settingCode = QStringLiteral("*9021");
    e.points = points;
    return e;
}

// A list as a ranking update writes it: twelve places and the reserve.
QList<BestListEntry> fullList(const QString& prefix) {
    QList<BestListEntry> list;
    for (int i = 1; i <= 13; ++i)
        list.append(entry(prefix + QString::number(i), quint8(200 - i)));
    return list;
}

QStringList placeRow(const BestListGrid& grid, int place) {
    return grid[bestListFirstPlaceRow + place - 1].mid(1);
}

const QStringList missing{"-", "-", "-", "-"};

} // namespace

class TestBestListView : public QObject {
    Q_OBJECT
private slots:
    void placeCells_data();
    void placeCells();
    void gridShowsExactlyTwelvePlaces_data();
    void gridShowsExactlyTwelvePlaces();
    void headingOfTheShownList();
    void printoutOfFullList();
    void unreadableFilesSayWhy();
};

void TestBestListView::placeCells_data() {
    QTest::addColumn<BestListEntry>("shown");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("125 points") << entry("Annabell", 125)
                                << QStringList{" Annabell", "     125", " 06.12.26", " 17:06:29"};
    QTest::newRow("7 points") << entry("Ben", 7)
                              << QStringList{" Ben", "         7", " 06.12.26", " 17:06:29"};
    QTest::newRow("42 points") << entry("Ben", 42)
                               << QStringList{" Ben", "       42", " 06.12.26", " 17:06:29"};
    QTest::newRow("placeholder") << placeholderBestListEntry()
                                 << QStringList{" -", "         0", " -", " -"};
}

void TestBestListView::placeCells() {
    QFETCH(BestListEntry, shown);
    QTEST(bestListPlaceCells(shown), "cells");
}

void TestBestListView::gridShowsExactlyTwelvePlaces_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("filledPlaces");
    QTest::newRow("fresh list") << 0 << 0;
    QTest::newRow("one record") << 1 << 1;
    QTest::newRow("twelve places and the reserve") << 13 << 12;
    QTest::newRow("a longer foreign file") << 16 << 12;
}

void TestBestListView::gridShowsExactlyTwelvePlaces() {
    QFETCH(int, records);
    QFETCH(int, filledPlaces);
    // Another list was shown before: none of its rows may remain.
    const BestListGrid before =
        bestListGrid(initialBestListGrid(), 1, fullList("Alt"), "06.12.2026", "17:06:29");
    QList<BestListEntry> list = fullList("Neu");
    while (list.size() < records)
        list.append(entry("Mehr", 1));
    const BestListGrid grid =
        bestListGrid(before, 2, list.mid(0, records), "07.12.2026", "08:00:00");
    QCOMPARE(grid.size(), bestListGridRows);
    for (int place = 1; place <= 12; ++place) {
        if (place <= filledPlaces)
            QCOMPARE(placeRow(grid, place)[0], " Neu" + QString::number(place));
        else
            QCOMPARE(placeRow(grid, place), missing);
    }
    QCOMPARE(grid[15][0], QStringLiteral("     12"));
}

void TestBestListView::headingOfTheShownList() {
    const BestListGrid initial = initialBestListGrid();
    for (int place = 1; place <= 12; ++place)
        QCOMPARE(placeRow(initial, place), QStringList(4, " "));
    QCOMPARE(initial[12][0], QStringLiteral("       9"));
    QCOMPARE(initial[13][0], QStringLiteral("     10"));

    const BestListGrid grid =
        bestListGrid(initial, 13, {entry("Ben", 7)}, "06.12.2026", "17:06:29");
    QCOMPARE(grid[0].mid(1), (QStringList{" Kalumbrixtor", "", " 06.12.2026", " 17:06:29"}));
    QCOMPARE(grid[1], (QStringList{"   ", " Bestenliste", " zum", " Wettbewerb ", " W 13"}));
    QCOMPARE(grid[3][2], QStringLiteral(" Punkte"));
}

void TestBestListView::printoutOfFullList() {
    const BestListGrid grid =
        bestListGrid(initialBestListGrid(), 3, fullList("P"), "06.12.2026", "17:06:29");
    const Printout p = bestListPrintout(grid, "06.12.2026", "17:06:29");
    QCOMPARE(p.pageCount(), 1);

    QList<int> thinRules;
    QList<PrintLine> verticals;
    QList<PrintText> texts;
    for (const PrintOperation& op : p.operations) {
        if (const auto* l = std::get_if<PrintLine>(&op)) {
            if (l->x1 == l->x2)
                verticals.append(*l);
            else if (l->penWidth == 1)
                thinRules.append(l->y1);
            QCOMPARE(l->y1 == l->y2 || l->x1 == l->x2, true);
        } else if (const auto* t = std::get_if<PrintText>(&op)) {
            texts.append(*t);
        }
    }
    QList<int> every100;
    for (int y = 660; y <= 1760; y += 100)
        every100.append(y);
    QCOMPARE(thinRules, every100);
    QCOMPARE(verticals.size(), 6);
    QList<int> thick;
    for (const PrintLine& l : verticals) {
        QCOMPARE(l.y1, 460);
        QCOMPARE(l.y2, 1760);
        if (l.penWidth == 3)
            thick.append(l.x1);
    }
    QCOMPARE(thick, (QList<int>{270, 440, 870, 1660}));

    QVERIFY(texts.contains(PrintText{1100, 300, " W 3"}));
    QVERIFY(texts.contains(PrintText{450, 1680, " P12"}));
    QVERIFY(texts.contains(PrintText{880, 1680, "     188"}));
    // Neither row 0 of the grid nor the reserve is printed.
    for (const PrintText& t : texts) {
        QVERIFY(t.text != QStringLiteral(" Kalumbrixtor"));
        QVERIFY(t.text != QStringLiteral(" P13"));
    }
    // Title, heading row, column heads and twelve places of five cells.
    QCOMPARE(texts.size(), 1 + 4 + 5 + 12 * 5);
}

void TestBestListView::unreadableFilesSayWhy() {
    QTemporaryDir folder;
    QCOMPARE(loadBestListForView(folder.filePath("W3.bli")).outcome(),
             Outcome(Failure{Failure::Kind::Io, QStringLiteral("Die Datei gibt es nicht.")}));
    QVERIFY(QDir(folder.path()).mkdir("W4.bli"));
    QCOMPARE(loadBestListForView(folder.filePath("W4.bli")).outcome(),
             Outcome(Failure{Failure::Kind::Io, QStringLiteral("Die Datei ist ein Ordner.")}));

    // A partial record at the end is ignored.
    QFile file(folder.filePath("W5.bli"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(encodeBestListEntry(entry("Ben", 7)) + QByteArray(17, 'x'));
    file.close();
    const auto read = loadBestListForView(file.fileName());
    QVERIFY(read);
    QCOMPARE(*read, QList<BestListEntry>{entry("Ben", 7)});
}

QTEST_GUILESS_MAIN(TestBestListView)
#include "tst_best_list_view.moc"
