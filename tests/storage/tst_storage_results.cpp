#include "storage/result_record.h"
#include "storage/results_file.h"
#include "storage/run_result.h"
#include "support/failures.h"
#include "support/file_size_limit.h"
#include "support/fixed_clock.h"
#include "support/operations.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// A text field as the layout has it: length byte, characters, zeros up to the capacity.
QByteArray field(const QByteArray& text, int capacity) {
    return char(text.size()) + text + QByteArray(capacity - text.size(), '\0');
}

// A record saved at the fixed clock's moment, 06.12.2026 17:06:29.
QByteArray saved(const QByteArray& name, const QByteArray& limit, const QByteArray& op,
                 const QByteArray& range1, const QByteArray& range2, char tasks, char points) {
    return '\x01' + field(name, 20) + field("06.12.26", 20) + field("17:06:29", 20) +
           field(limit, 5) + field(op, 7) + field(range1, 20) + field(range2, 20) + tasks + points;
}

QByteArray records(int count) { // record i has i points
    QByteArray data;
    for (int i = 0; i < count; ++i)
        data += saved("Anna", "60", "+ / -", "0 .. 5", "0 .. 5", 1, char(i));
    return data;
}

ResultRecord record(int points) {
    return *decodeResultRecord(records(points + 1).right(resultRecordSize));
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestStorageResults : public QObject {
    Q_OBJECT
private slots:
    void recordBytes_data();
    void recordBytes();
    void damagedRecordAndClearedTable();
    void inspect_data();
    void inspect();
    void storeAppendsAndEmpties();
    void failedStore_data();
    void failedStore();
    void automaticNames_data();
    void automaticNames();
    void nameSequenceEnds();
    void load_data();
    void load();
};

void TestStorageResults::recordBytes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("timeField");
    QTest::addColumn<QString>("sign"); // a trailing R: division with remainder
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QList<int>>("numbers"); // the four range bounds, worked tasks, points
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("addition, 3 tasks, 2 points, no limit")
        << "Anna"
        << "0"
        << "+"
        << "-" << QList{0, 10, 5, 10, 3, 2}
        << saved("Anna", "...", "+ / -", "0 .. 10", "5 .. 10", 3, 2);
    QTest::newRow("remainder in W 12")
        << "Maximilian12"
        << "120"
        << ":R"
        << "12" << QList{10, 100, 1, 10, 160, 300}
        << saved("Maximilian12", "120", ":R / 12", "10 .. 100", "1 .. 10", char(160), 44);
    QTest::newRow("zeros, umlaut, long tag cut")
        << QString::fromUtf8("Jürgen") << "00"
        << "*"
        << "1234" << QList{-3, 1000, 0, 30000, 256, 0}
        << saved("J\xFCrgen", "...", "* / 123", "-3 .. 1000", "0 .. 30000", 0, 0);
    QTest::newRow("empty time field")
        << "Ben"
        << ""
        << "-"
        << "-" << QList{0, 5, 0, 5, 1, 1} << saved("Ben", "", "- / -", "0 .. 5", "0 .. 5", 1, 1);
}

void TestStorageResults::recordBytes() {
    QFETCH(QString, sign);
    QFETCH(QList<int>, numbers);
    QFETCH(QByteArray, bytes);
    RunState state;
    QFETCH(QString, name);
    state.settings.participantName = name;
    state.settings.operation = operationOf(sign.left(1), sign.endsWith('R'));
    QFETCH(QString, tag);
    state.competitionTag = tag;
    state.settings.range1Min = numbers[0];
    state.settings.range1Max = numbers[1];
    state.settings.range2Min = numbers[2];
    state.settings.range2Max = numbers[3];
    state.workedTaskCount = numbers[4];
    state.points = numbers[5];
    QFETCH(QString, timeField);
    const ResultRecord built =
        buildResultRecord(makeRunResult(state, timeField, 0, 0), FixedClock());
    QCOMPARE(encodeResultRecord(built), bytes);
    QCOMPARE(decodeResultRecord(bytes), std::optional<ResultRecord>(built));
}

void TestStorageResults::damagedRecordAndClearedTable() {
    QByteArray bytes = records(1);
    bytes.replace(1, 21, '\xFF' + QByteArray(20, 'N')); // length 255 in a 20-byte field
    bytes[70] = 9;                                      // length 9 in a 7-byte field
    const std::optional<ResultRecord> read = decodeResultRecord(bytes);
    QVERIFY(read);
    QCOMPARE(read->name, QString(20, 'N'));
    QCOMPARE(read->operation, QString::fromLatin1("+ / -\0\0", 7));
    QCOMPARE(read->range1Text, QStringLiteral("0 .. 5"));
    QVERIFY(!decodeResultRecord(bytes.left(121)) && !decodeResultRecord(bytes + '\0'));

    ResultsTable table;
    clearResultsTable(table);
    const QByteArray dashes = field("---", 20);
    QCOMPARE(encodeResultRecord(table[7]), '\x07' + dashes + dashes + dashes + field("---", 5) +
                                               field("-", 7) + dashes + dashes + '\0' + '\0');
    QCOMPARE(table[21].slotNumber, quint8(21));
}

void TestStorageResults::inspect_data() {
    QTest::addColumn<int>("size");         // -1: no file, -2: a folder
    QTest::addColumn<QList<int>>("state"); // exists, records, whole records, full
    QTest::newRow("missing") << -1 << QList{0, 0, 1, 0};
    QTest::newRow("folder") << -2 << QList{1, 0, 0, 0};
    QTest::newRow("121 bytes") << 121 << QList{1, 0, 0, 0};
    QTest::newRow("245 bytes") << 245 << QList{1, 2, 0, 0};
    QTest::newRow("19 records") << 19 * 122 << QList{1, 19, 1, 0};
    QTest::newRow("20 records") << 20 * 122 << QList{1, 20, 1, 1};
    QTest::newRow("21 records") << 21 * 122 << QList{1, 21, 1, 1};
}

void TestStorageResults::inspect() {
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ERG");
    QVERIFY(size == -1 || (size == -2 ? QDir(dir.path()).mkdir("a.ERG")
                                      : writeFile(path, QByteArray(size, 'x'))));
    const ResultsFileState s = inspectResultsFile(path);
    QTEST(QList<int>({s.exists, int(s.records), s.wholeRecords, s.full()}), "state");
}

void TestStorageResults::storeAppendsAndEmpties() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Klasse 3b.ERG");
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(storeResultRecord(path, record(i)), Outcome());
        QCOMPARE(readFile(path), records(i + 1)); // the first one makes a file of 122 bytes
    }
    QVERIFY(inspectResultsFile(path).full());
    QCOMPARE(storeResultRecord(path, record(9), true), Outcome());
    QCOMPARE(readFile(path), records(10).right(122));
}

void TestStorageResults::failedStore_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("emptyFirst");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<Failure::Kind>("failure");
    // A file the child chose that is no results file, or full, is not appended to.
    const QString notAppendable = QStringLiteral("Die Datei ist voll oder keine Leistungs-Datei.");
    QTest::newRow("full, append") << "full" << false << notAppendable << Failure::Kind::Refused;
    QTest::newRow("partial record, append")
        << "partial" << false << notAppendable << Failure::Kind::Damaged;
    for (bool emptyFirst : {false, true}) {
        const char* how = emptyFirst ? "replace" : "append";
        QTest::addRow("folder, %s", how)
            << "folder" << emptyFirst << "Die Datei ist ein Ordner." << Failure::Kind::Io;
        QTest::addRow("missing folder, %s", how)
            << "missing" << emptyFirst << "Den Ordner der Datei gibt es nicht."
            << Failure::Kind::Io;
        QTest::addRow("pipe, %s", how)
            << "pipe" << emptyFirst << QString::fromUtf8("Die Datei ist keine gewöhnliche Datei.")
            << Failure::Kind::Io;
        QTest::addRow("cut short, %s", how)
            << "short" << emptyFirst
            << QString::fromUtf8("Der Datenträger ist voll, oder die Datei darf nicht größer "
                                 "werden.")
            << Failure::Kind::Io;
    }
}

void TestStorageResults::failedStore() {
    QFETCH(QString, kind);
    QFETCH(bool, emptyFirst);
    QTemporaryDir dir;
    const QString path = dir.filePath(kind == "missing" ? "nowhere/a.ERG" : "a.ERG");
    QVERIFY(kind != "folder" || QDir(dir.path()).mkdir("a.ERG"));
    QVERIFY(kind != "pipe" || mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    QVERIFY(kind != "short" || writeFile(path, records(3)));
    const QByteArray untouched =
        kind == "full" ? records(20) : records(3) + QByteArray(kind == "partial" ? 17 : 0, 'x');
    QVERIFY((kind != "full" && kind != "partial") || writeFile(path, untouched));
    Outcome outcome;
    {
        // Writes stop short there; the small lock file next to the file still fits.
        const FileSizeLimit limit(emptyFirst ? 100 : 3 * 122 + 50);
        outcome = storeResultRecord(path, record(1), emptyFirst);
    }
    QVERIFY(outcome);
    QTEST(outcome->reason, "reason");
    QTEST(outcome->kind, "failure");
    if (kind == "short" || kind == "full" || kind == "partial")
        QCOMPARE(readFile(path), untouched);
    else
        QVERIFY(!QFileInfo(path).isFile());
    const auto left =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    QCOMPARE(left, kind == "missing" ? QStringList() : QStringList{"a.ERG"});
}

void TestStorageResults::automaticNames_data() {
    QTest::addColumn<QStringList>("files"); // base=records, "p" for a partial record
    QTest::addColumn<QString>("found");
    QTest::addColumn<int>("counter");
    QStringList allFull;
    for (QString base = "W"; base.size() <= 8; base += 'a')
        allFull << base + "=20";
    QTest::newRow("empty folder") << QStringList() << "W.Erg" << 0;
    QTest::newRow("W.Erg with 19") << QStringList{"W=19"} << "W.Erg" << 0;
    QTest::newRow("W.Erg full") << QStringList{"W=20"} << "Wa.Erg" << 0;
    QTest::newRow("W, Wa full") << QStringList{"W=20", "Wa=20"} << "Waa.Erg" << 0;
    QTest::newRow("more than 20") << QStringList{"W=21", "Wa=25", "Waa=4"} << "Waa.Erg" << 0;
    QTest::newRow("partial passed over") << QStringList{"W=p", "Wa=p", "Waa=3"} << "Waa.Erg" << 0;
    QTest::newRow("W to Waaaaaaa full") << allFull << "W1a.Erg" << 1;
}

void TestStorageResults::automaticNames() {
    QFETCH(QStringList, files);
    QFETCH(QString, found);
    QTemporaryDir dir;
    for (const QString& file : files) {
        const QStringList parts = file.split('=');
        QVERIFY(writeFile(dir.filePath(parts[0] + ".Erg"),
                          parts[1] == "p" ? QByteArray(130, 'x') : records(parts[1].toInt())));
    }
    const qint64 before = QFileInfo(dir.filePath(found)).size();
    const Result<AutomaticResultsName> name = automaticResultsName(dir.path());
    QCOMPARE(name.outcome(), Outcome());
    QCOMPARE(name->path, dir.filePath(found));
    QTEST(name->numberedCounter, "counter");
    // A missing name after W.Erg is created empty; W.Erg itself only when the record is stored.
    QCOMPARE(QFileInfo::exists(name->path), files.size() > 0);
    QCOMPARE(QFileInfo(name->path).size(), before);
}

void TestStorageResults::nameSequenceEnds() {
    QStringList names{"W"};
    int counter = 0;
    for (QString base = "W"; !(base = nextAutomaticBase(base, counter)).isEmpty();) {
        QVERIFY2(!names.contains(base) && names.size() < 2000, qPrintable(base));
        names << base;
    }
    QCOMPARE(names.size(), 1 + 7 + 9 * 6 + 90 * 5 + 156 * 4);
    QCOMPARE(names.last(), QStringLiteral("W255aaaa"));
    for (const char* pair : {"Waaaaaaa W1a", "W1aaaaaa W2a", "W9aaaaaa W10a", "W10aaaaa W11a"}) {
        const QStringList two = QString(pair).split(' ');
        QCOMPARE(names.at(names.indexOf(two[0]) + 1), two[1]);
    }

    // Every name taken by a damaged file: the search tries them all and gives up.
    QTemporaryDir dir;
    for (const QString& base : names)
        QVERIFY(writeFile(dir.filePath(base + ".Erg"), "x"));
    const Result<AutomaticResultsName> none = automaticResultsName(dir.path());
    QVERIFY(!none && none.failure().reason.contains("keine freie Leistungs-Datei"));
    QCOMPARE(none.failure().kind, Failure::Kind::Refused);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), names.size());
}

void TestStorageResults::load_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("count");
    QTest::newRow("121 bytes") << QByteArray(121, 'x') << 0;
    QTest::newRow("3 and a partial record") << records(3) + QByteArray(17, 'x') << 3;
    QTest::newRow("25 records") << records(25) << 20;
    QTest::newRow("1 MB") << records(20) + QByteArray(1 << 20, 'x') << 20;
}

void TestStorageResults::load() {
    QFETCH(QByteArray, data);
    QFETCH(int, count);
    QBuffer buffer(&data);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(loadResults(buffer)->size(), count);
    QVERIFY(buffer.pos() <= 20 * 122); // never more than it can use

    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("a.ERG"), data));
    const Result<QList<ResultRecord>> loaded = loadResults(dir.filePath("a.ERG"));
    QVERIFY(loaded && loaded->size() == count);
    for (int i = 0; i < count; ++i)
        QCOMPARE(loaded->at(i), record(i));
    QCOMPARE(loadResults(dir.filePath("b.ERG")).outcome(),
             Outcome(Failure{Failure::Kind::Io, QStringLiteral("Die Datei gibt es nicht.")}));
}

QTEST_GUILESS_MAIN(TestStorageResults)
#include "tst_storage_results.moc"
