#include "common/clock.h"
#include "common/data_folder.h"
#include "common/printout.h"
#include "common/random.h"
#include "common/text_codec.h"
#include "common/window_scale.h"
#include "support/fixed_clock.h"

#include <QTest>

class TestCommon : public QObject {
    Q_OBJECT
private slots:
    void scalePercent_data();
    void scalePercent();
    void roundHalfEvenOnNegatives();
    void scaledWindowsFitTheScreen();
    void shortDate();
    void windows1252_data();
    void windows1252();
    void cappedTextInRecords();
    void generatorSequences();
    void generatorRangeLimits();
    void printedPages_data();
    void printedPages();
    void pagesOfThePrintout();
    void printFileNames_data();
    void printFileNames();
    void dataFolderChoice_data();
    void dataFolderChoice();
};

void TestCommon::scalePercent_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("percent");
    // w > 640 on a normal screen: w / 640 * 100.
    QTest::newRow("1280 at 96") << 1280 << 96 << 200;
    QTest::newRow("800 at 96") << 800 << 96 << 125;
    QTest::newRow("1000 at 72") << 1000 << 72 << 156; // 156.25
    QTest::newRow("656: 102.5 rounds to even") << 656 << 96 << 102;
    QTest::newRow("688: 107.5 rounds to even") << 688 << 96 << 108;
    // w > 640 on a dense screen: w / 640 * 96 / d * 100.
    QTest::newRow("1280 at 120") << 1280 << 120 << 160;
    QTest::newRow("1920 at 144") << 1920 << 144 << 200;
    QTest::newRow("1024 at 120") << 1024 << 120 << 128;
    QTest::newRow("800 at 192: 62.5 to even") << 800 << 192 << 62;
    // w = 640: 100 - (d - 96).
    QTest::newRow("640 at 96") << 640 << 96 << 100;
    QTest::newRow("640 at 120") << 640 << 120 << 76;
    QTest::newRow("640 at 72") << 640 << 72 << 124;
    // w < 640: 100 - (640 / w - 1) * 100, twice the shrink above 96 dpi.
    QTest::newRow("512 at 96") << 512 << 96 << 75;
    QTest::newRow("600 at 96") << 600 << 96 << 93; // 93.33
    QTest::newRow("512 at 120") << 512 << 120 << 50;
    QTest::newRow("600 at 120") << 600 << 120 << 87; // 86.67
    QTest::newRow("500 at 96") << 500 << 96 << 72;
    QTest::newRow("400 at 96: 40 exactly") << 400 << 96 << 40;
}

void TestCommon::scalePercent() {
    QFETCH(int, width);
    QFETCH(int, dpi);
    QFETCH(int, percent);
    QCOMPARE(::scalePercent(width, dpi), percent);
}

void TestCommon::roundHalfEvenOnNegatives() {
    QCOMPARE(roundHalfEven(-5, 2), -2); // -2.5
    QCOMPARE(roundHalfEven(-7, 2), -4); // -3.5
    QCOMPARE(roundHalfEven(-4, 3), -1); // -1.33
    QCOMPARE(roundHalfEven(5, -2), -2);
    QCOMPARE(roundHalfEven(15, 10), 2);
    QCOMPARE(roundHalfEven(25, 10), 2);
}

void TestCommon::scaledWindowsFitTheScreen() {
    // 1920 x 1080 gives 300 %: a 643 x 464 box would be 1929 x 1392.
    QCOMPARE(percentToFit(300, 643, 464, 1920, 1032), 222);
    QCOMPARE(percentToFit(200, 632, 460, 1280, 976), 200); // fits as it is
    QCOMPARE(percentToFit(200, 640, 480, 1280, 960), 200); // exactly
    QCOMPARE(percentToFit(200, 641, 480, 1280, 960), 199); // one pixel too wide
    QCOMPARE(percentToFit(125, 0, 480, 800, 800), 125);    // nothing to fit
}

void TestCommon::shortDate() {
    QCOMPARE(shortenDateText("06.12.2026"), QString("06.12.26"));
    QCOMPARE(shortenDateText("6.12.2026"), QString("6.12.26"));
    QCOMPARE(shortenDateText("06.12.26"), QString("06.12.26"));
    QCOMPARE(shortenDateText("1.1.2026"), QString("1.1.2026"));
    FixedClock clock;
    clock.date = QDate(2026, 3, 5);
    QCOMPARE(shortDateText(clock), QString("05.03.26"));
    QCOMPARE(germanDateText(QDate(2026, 12, 6)), QString("06.12.2026"));
    QCOMPARE(longTimeText(QTime(7, 6, 9)), QString("07:06:09"));
}

void TestCommon::windows1252_data() {
    QTest::addColumn<QString>("text");       // in memory
    QTest::addColumn<QByteArray>("written"); // toWindows1252(text)
    QTest::addColumn<QByteArray>("bytes");   // in a file
    QTest::addColumn<QString>("read");       // fromWindows1252(bytes)

    const QString german = QString::fromUtf8("äöüß€ÄÖÜ„“–");
    const QByteArray germanBytes = QByteArray::fromHex("e4f6fcdf80c4d6dc849396");
    QTest::newRow("German letters, euro, quotes, dash")
        << german << germanBytes << germanBytes << german;
    // Characters outside the code page become one '?' each, also outside the BMP.
    QTest::newRow("outside the code page") << QString::fromUtf8("A✓B😀C") << QByteArray("A?B?C")
                                           << QByteArray("A?B?C") << QString("A?B?C");
    // The five bytes the code page leaves undefined read as '?', never as control characters,
    // and the control characters some converters make of them are not written back.
    for (const char* hex : {"81", "8d", "8f", "90", "9d"}) {
        const QByteArray undefined = QByteArray::fromHex(hex);
        QTest::newRow(qPrintable(QStringLiteral("undefined byte %1").arg(hex)))
            << QString(QChar(quint8(undefined.at(0)))) << QByteArray("?") << undefined
            << QString("?");
    }
    QTest::newRow("undefined bytes among letters")
        << QString::fromUtf8("B\u0081n\u009dö") << QByteArray::fromHex("423f6e3ff6")
        << QByteArray::fromHex("42816e9df6") << QString::fromUtf8("B?n?ö");
}

void TestCommon::windows1252() {
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, read);
    QCOMPARE(fromWindows1252(bytes), read);
    QCOMPARE(toWindows1252(text).toHex(' '), written.toHex(' '));
}

void TestCommon::cappedTextInRecords() {
    QCOMPARE(capped("Annabell123", 8), QString("Annabell"));
    char field[9];
    std::memset(field, 'x', sizeof field);
    writeCappedText(field, 8, QString::fromUtf8("Jürgen-Maximilian"));
    QCOMPARE(QByteArray(field, 9).toHex(' '), QByteArray("08 4a fc 72 67 65 6e 2d 4d"));
    QCOMPARE(readCappedText(field, 8), QString::fromUtf8("Jürgen-M"));
    writeCappedText(field, 8, "Ben");
    QCOMPARE(QByteArray(field, 9).toHex(' '), QByteArray("03 42 65 6e 00 00 00 00 00"));
    // A damaged length byte is read as the capacity and never beyond the field.
    field[0] = char(200);
    QCOMPARE(readCappedText(field, 8).size(), 8);
}

void TestCommon::generatorSequences() {
    // Worked by hand: seed <- seed * 134775813 + 1 (mod 2^32), value = (seed * n) >> 32.
    // From seed 0: seed 1 gives 0; seed 134775814 gives 13477581400 >> 32 = 3; ...
    Lcg a;
    a.seed = 0;
    QList<int> values;
    for (int n : {100, 100, 100, 10, 6})
        values.append(a.random(n));
    QCOMPARE(values, QList<int>({0, 3, 86, 2, 1}));
    QCOMPARE(a.seed, 1172187917u);

    // 16:06:29.000 UTC gives the seed ((16 * 60 + 6) * 60 + 29) * 1000.
    FixedClock clock;
    Lcg b;
    b.reseed(clock);
    QCOMPARE(b.seed, 57989000u);
    values.clear();
    for (int n : {11, 11, 6, 6, 4})
        values.append(b.random(n));
    QCOMPARE(values, QList<int>({3, 3, 5, 5, 3}));
    QCOMPARE(b.seed, 4244228661u);
}

void TestCommon::generatorRangeLimits() {
    Lcg g;
    g.seed = 12345;
    QCOMPARE(g.random(0), 0);
    QCOMPARE(g.random(-3), 0);
    for (int i = 0; i < 10000; ++i) {
        const int v = g.random(7);
        QVERIFY(v >= 0 && v < 7);
    }
    FixedClock clock;
    clock.utc = QTime(23, 59, 59, 999);
    QCOMPARE(seedFromClock(clock), 86399999u);
}

void TestCommon::printedPages_data() {
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<QList<PageSpan>>("spans");
    QTest::addColumn<bool>("lastPageFirst");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<QList<int>>("printed");

    using Spans = QList<PageSpan>;
    QTest::newRow("every page") << 7 << Spans{} << false << 1 << true
                                << QList<int>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("from 2 to 3") << 7 << Spans{{2, 3}} << false << 1 << true << QList<int>{2, 3};
    QTest::newRow("a list") << 7 << Spans{{1, 1}, {3, 4}, {7, 7}} << false << 1 << true
                            << QList<int>{1, 3, 4, 7};
    QTest::newRow("overlapping spans print a page once")
        << 7 << Spans{{4, 5}, {2, 4}} << false << 1 << true << QList<int>{2, 3, 4, 5};
    QTest::newRow("past the last page")
        << 2 << Spans{{2, 9}} << false << 1 << true << QList<int>{2};
    QTest::newRow("no chosen page exists")
        << 1 << Spans{{2, 3}} << false << 1 << true << QList<int>{};
    QTest::newRow("last page first")
        << 7 << Spans{{2, 4}} << true << 1 << true << QList<int>{4, 3, 2};
    QTest::newRow("3 copies, collated")
        << 2 << Spans{} << false << 3 << true << QList<int>{1, 2, 1, 2, 1, 2};
    QTest::newRow("2 copies, not collated, reversed")
        << 3 << Spans{} << true << 2 << false << QList<int>{3, 3, 2, 2, 1, 1};
    QTest::newRow("no copies count as one")
        << 2 << Spans{} << false << 0 << true << QList<int>{1, 2};
}

void TestCommon::printedPages() {
    QFETCH(int, pageCount);
    QFETCH(QList<PageSpan>, spans);
    QFETCH(bool, lastPageFirst);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(QList<int>, printed);
    QCOMPARE(::printedPages(pageCount, PageSelection{spans, lastPageFirst, copies, collate}),
             printed);
}

// The chosen pages keep their own operations, in the order given, one page each.
void TestCommon::pagesOfThePrintout() {
    Printout printout;
    printout.fontHeight = 60;
    printout.operations = {PrintText{1, 1, "eins"}, PrintLine{0, 0, 9, 9, 3}, PrintNewPage{},
                           PrintNewPage{}, PrintText{3, 3, "drei"}};
    QCOMPARE(printout.pageCount(), 3);

    const Printout chosen = withPages(printout, {3, 2, 1});
    QCOMPARE(chosen.fontHeight, 60);
    QCOMPARE(chosen.pageCount(), 3);
    const QList<PrintOperation> expected{PrintText{3, 3, "drei"}, PrintNewPage{}, PrintNewPage{},
                                         PrintText{1, 1, "eins"}, PrintLine{0, 0, 9, 9, 3}};
    QCOMPARE(chosen.operations, expected);
}

void TestCommon::printFileNames_data() {
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QString>("name");

    QTest::newRow("worksheet") << QStringList{"Aufgaben", "Ben", "07.12.26", "Übungsblatt"}
                               << QString::fromUtf8("Aufgaben Ben 07.12.26 Übungsblatt.pdf");
    QTest::newRow("empty parts are left out") << QStringList{"Aufgaben", "", " ", "Lösungsblatt"}
                                              << QString::fromUtf8("Aufgaben Lösungsblatt.pdf");
    QTest::newRow("a name that would leave the folder")
        << QStringList{"Aufgaben", "../x/y", "a\\b:c"} << QString("Aufgaben .._x_y a_b_c.pdf");
    QTest::newRow("characters no file name holds")
        << QStringList{"Leistungen", "A*B?\"<>|", QString("C") + QChar(0x01)}
        << QString("Leistungen A_B_____ C_.pdf");
    QTest::newRow("a leading dot would hide the file")
        << QStringList{".hidden"} << QString("_hidden.pdf");
}

void TestCommon::printFileNames() {
    QFETCH(QStringList, parts);
    QFETCH(QString, name);
    QCOMPARE(printFileName(parts), name);
}

void TestCommon::dataFolderChoice_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("faulty");
    const QString me = QStringLiteral("kalumbrixtor");
    QTest::newRow("nothing set: start folder") << QStringList{me} << ""
                                               << "/home/lea/start" << false;
    QTest::newRow("blank setting: start folder") << QStringList{me} << "  "
                                                 << "/home/lea/start" << false;
    QTest::newRow("setting") << QStringList{me} << "/srv/klasse/4b"
                             << "/srv/klasse/4b" << false;
    QTest::newRow("relative setting") << QStringList{me} << "../4b/"
                                      << "/home/lea/4b" << false;
    QTest::newRow("setting below home") << QStringList{me} << "~/4b"
                                        << "/home/lea/4b" << false;
    QTest::newRow("option wins") << QStringList{me, "--ordner", "/tmp/x"} << "/srv/klasse/4b"
                                 << "/tmp/x" << false;
    QTest::newRow("option with =") << QStringList{me, "--ordner=4c"} << ""
                                   << "/home/lea/start/4c" << false;
    QTest::newRow("last option wins") << QStringList{me, "--ordner", "/a", "--ordner=/b"} << ""
                                      << "/b" << false;
    QTest::newRow("option without folder") << QStringList{me, "--ordner"} << "/srv/klasse/4b"
                                           << "" << true;
    QTest::newRow("option with empty folder") << QStringList{me, "--ordner="} << "/srv/klasse/4b"
                                              << "" << true;
}

// The command line wins over the settings, the settings over the start folder; every folder
// comes out absolute.
void TestCommon::dataFolderChoice() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, setting);
    QFETCH(QString, folder);
    QFETCH(bool, faulty);
    QByteArrayList bytes;
    for (const QString& argument : arguments)
        bytes << QFile::encodeName(argument);
    const DataFolderChoice choice =
        chooseDataFolder(bytes, {setting.toUtf8(), "/x.conf"}, "/home/lea/start", "/home/lea");
    QCOMPARE(choice.folder, folder);
    QCOMPARE(choice.fault.isEmpty(), !faulty);
}

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
