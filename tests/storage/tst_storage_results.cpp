#include "storage/result_record.h"
#include "storage/results_file.h"
#include "storage/run_result.h"
#include "support/file_size_limit.h"
#include "support/fixed_clock.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// A text field as the layout has it: length byte, characters, zeros up to the capacity.
QByteArray field(const QByteArray& text, int capacity) {
    return char(text.size()) + text + QByteArray(capacity - text.size(), '\0');
}

// A record saved on 06.12.2026 at 17:06:29 (the fixed clock).
QByteArray savedRecord(const QByteArray& name, const QByteArray& limit, const QByteArray& op,
                       const QByteArray& range1, const QByteArray& range2, int tasks, int points) {
    return '\x01' + field(name, 20) + field("06.12.26", 20) + field("17:06:29", 20) +
           field(limit, 5) + field(op, 7) + field(range1, 20) + field(range2, 20) + char(tasks) +
           char(points);
}

ResultRecord recordWithPoints(int points) {
    ResultRecord record;
    record.name = QStringLiteral("Anna");
    record.points = quint8(points);
    return record;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QByteArray records(int count) {
    QByteArray data;
    for (int i = 0; i < count; ++i)
        data += encodeResultRecord(recordWithPoints(i));
    return data;
}

} // namespace

class TestStorageResults : public QObject {
    Q_OBJECT
private slots:
    void recordBytes_data();
    void recordBytes();
    void damagedRecord();
    void timeLimit_data();
    void timeLimit();
    void inspect_data();
    void inspect();
    void storeAppendsAndEmpties();
    void failedStore_data();
    void failedStore();
    void automaticNames_data();
    void automaticNames();
    void nameSequence_data();
    void nameSequence();
    void searchEnds();
    void load_data();
    void load();
};

void TestStorageResults::recordBytes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("timeField");
    QTest::addColumn<QString>("sign");
    QTest::addColumn<bool>("withRemainder");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QList<int>>("ranges");
    QTest::addColumn<QList<int>>("workedAndPoints");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("addition, 3 tasks, 2 points, no limit")
        << "Anna"
        << "0"
        << "+" << false << "-" << QList{0, 10, 5, 10} << QList{3, 2}
        << savedRecord("Anna", "...", "+ / -", "0 .. 10", "5 .. 10", 3, 2);
    QTest::newRow("division with remainder in W 12")
        << "Maximilian12"
        << "120"
        << ":" << true << "12" << QList{10, 100, 1, 10} << QList{160, 300}
        << savedRecord("Maximilian12", "120", ":R / 12", "10 .. 100", "1 .. 10", 160, 44);
    QTest::newRow("zeros, umlaut, long tag cut")
        << QString::fromUtf8("Jürgen") << "00"
        << "*" << false << "1234" << QList{100, 1000, 1000, 30000} << QList{256, 0}
        << savedRecord("J\xFCrgen", "...", "* / 123", "100 .. 1000", "1000 .. 30000", 0, 0);
    QTest::newRow("empty time field") << "Ben"
                                      << ""
                                      << "-" << false << "-" << QList{0, 5, 0, 5} << QList{1, 1}
                                      << savedRecord("Ben", "", "- / -", "0 .. 5", "0 .. 5", 1, 1);
}

void TestStorageResults::recordBytes() {
    QFETCH(QString, name);
    QFETCH(QString, timeField);
    QFETCH(QString, sign);
    QFETCH(bool, withRemainder);
    QFETCH(QString, tag);
    QFETCH(QList<int>, ranges);
    QFETCH(QList<int>, workedAndPoints);
    QFETCH(QByteArray, bytes);

    RunState state;
    state.participantName = name;
    state.operationSign = sign;
    state.withRemainder = withRemainder;
    state.competitionTag = tag;
    state.range1Min = ranges[0];
    state.range1Max = ranges[1];
    state.range2Min = ranges[2];
    state.range2Max = ranges[3];
    state.workedTaskCount = workedAndPoints[0];
    state.points = workedAndPoints[1];
    const ResultRecord record =
        buildResultRecord(makeRunResult(state, timeField, 0, 0), FixedClock());
    QCOMPARE(bytes.size(), resultRecordSize);
    QCOMPARE(encodeResultRecord(record), bytes);
    QCOMPARE(decodeResultRecord(bytes), std::optional<ResultRecord>(record));
}

void TestStorageResults::damagedRecord() {
    QByteArray bytes = savedRecord("Anna", "60", "+ / -", "0 .. 10", "5 .. 10", 3, 2);
    bytes.replace(1, 21, '\xFF' + QByteArray(20, 'N')); // length 255 in a 20-byte field
    bytes[70] = 9;                                      // length 9 in a 7-byte field
    const std::optional<ResultRecord> record = decodeResultRecord(bytes);
    QVERIFY(record);
    QCOMPARE(record->name, QString(20, QLatin1Char('N')));
    QCOMPARE(record->operation, QString::fromLatin1("+ / -\0\0", 7));
    QCOMPARE(record->range1Text, QStringLiteral("0 .. 10"));
    QVERIFY(!decodeResultRecord(bytes.left(121)));
    QVERIFY(!decodeResultRecord(bytes + '\0'));

    ResultsTable table;
    clearResultsTable(table);
    QCOMPARE(table[0].slotNumber, quint8(0));
    QCOMPARE(table[21].slotNumber, quint8(21));
    const QByteArray dashes = field("---", 20);
    QCOMPARE(encodeResultRecord(table[7]), '\x07' + dashes + dashes + dashes + field("---", 5) +
                                               field("-", 7) + dashes + dashes + '\0' + '\0');
}

void TestStorageResults::timeLimit_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    for (const char* none : {"0", "00", "0000"})
        QTest::newRow(none) << none << "...";
    for (const char* kept : {"", "60", "100", "007", "1200"})
        QTest::addRow("'%s'", kept) << kept << kept;
}

void TestStorageResults::timeLimit() {
    QFETCH(QString, field);
    QFETCH(QString, text);
    QCOMPARE(timeLimitText(field), text);
}

void TestStorageResults::inspect_data() {
    QTest::addColumn<int>("size"); // -1: no file, -2: a folder
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("whole");
    QTest::addColumn<bool>("full");

    QTest::newRow("missing") << -1 << false << 0 << true << false;
    QTest::newRow("folder") << -2 << true << 0 << false << false;
    QTest::newRow("empty") << 0 << true << 0 << true << false;
    QTest::newRow("121 bytes") << 121 << true << 0 << false << false;
    QTest::newRow("245 bytes") << 245 << true << 2 << false << false;
    QTest::newRow("19 records") << 19 * 122 << true << 19 << true << false;
    QTest::newRow("20 records") << 20 * 122 << true << 20 << true << true;
    QTest::newRow("21 records") << 21 * 122 << true << 21 << true << true;
}

void TestStorageResults::inspect() {
    QFETCH(int, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ERG"));
    QVERIFY(size == -1 || (size == -2 ? QDir(dir.path()).mkdir("a.ERG")
                                      : writeFile(path, QByteArray(size, 'x'))));
    const ResultsFileState state = inspectResultsFile(path);
    QTEST(state.exists, "exists");
    QTEST(int(state.records), "records");
    QTEST(state.wholeRecords, "whole");
    QTEST(state.full(), "full");
}

void TestStorageResults::storeAppendsAndEmpties() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Klasse 3b.ERG"));
    const QByteArray first = encodeResultRecord(recordWithPoints(7));
    QVERIFY(storeResultRecord(path, recordWithPoints(7)).ok);
    QCOMPARE(readFile(path), first);
    for (int i = 0; i < 19; ++i)
        QVERIFY(storeResultRecord(path, recordWithPoints(i)).ok);
    QCOMPARE(readFile(path), first + records(19));
    QVERIFY(inspectResultsFile(path).full());
    QVERIFY(storeResultRecord(path, recordWithPoints(9), true).ok);
    QCOMPARE(readFile(path), encodeResultRecord(recordWithPoints(9)));
}

void TestStorageResults::failedStore_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("emptyFirst");
    QTest::addColumn<QString>("reason");
    for (bool emptyFirst : {false, true}) {
        const char* how = emptyFirst ? "replace" : "append";
        QTest::addRow("folder, %s", how) << "folder" << emptyFirst << "Die Datei ist ein Ordner.";
        QTest::addRow("missing folder, %s", how)
            << "missing" << emptyFirst << "Den Ordner der Datei gibt es nicht.";
        QTest::addRow("pipe, %s", how)
            << "pipe" << emptyFirst << QString::fromUtf8("Die Datei ist keine gewöhnliche Datei.");
        QTest::addRow("record cut short, %s", how)
            << "short" << emptyFirst
            << (emptyFirst
                    ? QString::fromUtf8("Die Datei konnte nicht geschrieben werden.")
                    : QString::fromUtf8("Die Datei konnte nicht vollständig geschrieben werden."));
    }
}

void TestStorageResults::failedStore() {
    QFETCH(QString, kind);
    QFETCH(bool, emptyFirst);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("a.ERG"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("a.ERG")));
    else if (kind == QLatin1String("pipe"))
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == QLatin1String("short"))
        QVERIFY(writeFile(path, records(3)));
    else
        path = dir.filePath(QStringLiteral("nowhere/a.ERG"));

    FileOutcome outcome;
    {
        const FileSizeLimit limit(emptyFirst ? 50 : 3 * 122 + 50);
        outcome = storeResultRecord(path, recordWithPoints(1), emptyFirst);
    }
    QVERIFY(!outcome.ok);
    QTEST(outcome.reason, "reason");
    if (kind == QLatin1String("short")) {
        QCOMPARE(readFile(path), records(3));
        return;
    }
    const QStringList left =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    QCOMPARE(left, kind == QLatin1String("missing") ? QStringList() : QStringList{"a.ERG"});
    QVERIFY(!QFileInfo(path).isFile());
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
    const bool existed = QFileInfo::exists(dir.filePath(found));
    const AutomaticResultsName name = automaticResultsName(dir.path());
    QCOMPARE(name.path, dir.filePath(found));
    QTEST(name.numberedCounter, "counter");
    QVERIFY(name.reason.isEmpty());
    // Names after W.Erg are created empty when found missing; W.Erg itself only when stored.
    QCOMPARE(QFileInfo::exists(name.path), existed || found != "W.Erg");
}

void TestStorageResults::nameSequence_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("next");
    QTest::addColumn<int>("nextCounter");
    QTest::newRow("W") << "W" << 0 << "Wa" << 0;
    QTest::newRow("Waaaaaa") << "Waaaaaa" << 0 << "Waaaaaaa" << 0;
    QTest::newRow("Waaaaaaa") << "Waaaaaaa" << 0 << "W1a" << 1;
    QTest::newRow("W1aaaaaa") << "W1aaaaaa" << 1 << "W2a" << 2;
    QTest::newRow("W9aaaaaa") << "W9aaaaaa" << 9 << "W10a" << 10;
    QTest::newRow("W10aaaa") << "W10aaaa" << 10 << "W10aaaaa" << 10;
    QTest::newRow("W10aaaaa") << "W10aaaaa" << 10 << "W11a" << 11;
    QTest::newRow("W254aaaa") << "W254aaaa" << 254 << "W255a" << 255;
    QTest::newRow("W255aaaa ends") << "W255aaaa" << 255 << "" << 255;
}

void TestStorageResults::nameSequence() {
    QFETCH(QString, base);
    QFETCH(int, counter);
    QTEST(nextAutomaticBase(base, counter), "next");
    QTEST(counter, "nextCounter");
}

void TestStorageResults::searchEnds() {
    QTemporaryDir dir;
    // Every name taken by a damaged file: the search tries them all and gives up.
    QSet<QString> names{"W"};
    int counter = 0;
    for (QString base = "W"; !(base = nextAutomaticBase(base, counter)).isEmpty();) {
        QVERIFY2(!names.contains(base) && names.size() < 2000, qPrintable(base));
        names.insert(base);
    }
    QCOMPARE(names.size(), 1 + 7 + 9 * 6 + 90 * 5 + 156 * 4);
    for (const QString& base : names)
        QVERIFY(writeFile(dir.filePath(base + ".Erg"), "x"));
    const AutomaticResultsName none = automaticResultsName(dir.path());
    QVERIFY(none.path.isEmpty());
    QVERIFY(none.reason.contains(QStringLiteral("keine freie Leistungs-Datei")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), names.size());

    // A name that cannot be created ends the search as well.
    QTemporaryDir other;
    QVERIFY(writeFile(other.filePath("W.Erg"), records(20)));
    QVERIFY(QFile::link(other.filePath("gone/x"), other.filePath("Wa.Erg")));
    const AutomaticResultsName failed = automaticResultsName(other.path());
    QVERIFY(failed.path.isEmpty());
    QVERIFY(!failed.reason.isEmpty());
}

void TestStorageResults::load_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("count");
    QTest::newRow("empty") << QByteArray() << 0;
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
    const std::optional<QList<ResultRecord>> fromDevice = loadResults(buffer);
    QVERIFY(fromDevice);
    QVERIFY(buffer.pos() <= 20 * 122);

    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("a.ERG"), data));
    const std::optional<QList<ResultRecord>> loaded = loadResults(dir.filePath("a.ERG"));
    QVERIFY(loaded);
    QCOMPARE(*loaded, *fromDevice);
    QCOMPARE(loaded->size(), count);
    for (int i = 0; i < count; ++i)
        QCOMPARE(loaded->at(i), recordWithPoints(i));

    QString reason;
    QVERIFY(!loadResults(dir.filePath("b.ERG"), &reason));
    QCOMPARE(reason, QStringLiteral("Die Datei gibt es nicht."));
    QVERIFY(!loadResults(dir.path(), &reason));
    QCOMPARE(reason, QStringLiteral("Die Datei ist ein Ordner."));
}

QTEST_GUILESS_MAIN(TestStorageResults)
#include "tst_storage_results.moc"
