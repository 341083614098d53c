#include "competition/best_list_entry.h"
#include "competition/best_list_file.h"
#include "competition/competition_presets.h"
#include "engine/run_state.h"
#include "storage/run_result.h"
#include "support/failures.h"
#include "support/file_size_limit.h"
#include "support/fixed_clock.h"
#include "support/operations.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

BestListEntry entryOf(const QString& name, int points) {
    BestListEntry entry;
    entry.number = 1;
    entry.name = name;
    entry.date = QStringLiteral("06.12.26");
    entry.time = QStringLiteral("17:06:29");
    entry.settingCode = QStringLiteral("+9043");
    entry.points = quint8(points);
    return entry;
}

// "Anna 20|Ben 15" <-> records; "- 0" is an empty place. Trailing empty places are left out of
// the description so that expectations stay short; the record count is checked on its own.
QList<BestListEntry> listOf(const QString& text) {
    QList<BestListEntry> list;
    for (const QString& item : text.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const qsizetype space = item.lastIndexOf(QLatin1Char(' '));
        const QString name = item.left(space);
        list.append(name == QLatin1String("-") ? placeholderBestListEntry()
                                               : entryOf(name, item.mid(space + 1).toInt()));
    }
    return list;
}

QString describe(QList<BestListEntry> list) {
    while (!list.isEmpty() && list.last() == placeholderBestListEntry())
        list.removeLast();
    QStringList items;
    for (const BestListEntry& e : list)
        items.append(e.name + QLatin1Char(' ') + QString::number(e.points));
    return items.join(QLatin1Char('|'));
}

QByteArray bytesOf(const QList<BestListEntry>& list) {
    QByteArray data;
    for (const BestListEntry& e : list)
        data += encodeBestListEntry(e);
    return data;
}

// Fills the bytes after each text's length, which readers ignore and writers may leave as they
// found them. An update that should leave a file alone must then keep these bytes too.
QByteArray withJunk(QByteArray data) {
    const int fields[][2] = {{1, 8}, {10, 10}, {21, 10}, {32, 6}};
    for (qsizetype r = 0; r + bestListRecordSize <= data.size(); r += bestListRecordSize) {
        for (const auto& field : fields) {
            const qsizetype start = r + field[0];
            for (int i = quint8(data[start]) + 1; i <= field[1]; ++i)
                data[start + i] = 'x';
        }
    }
    return data;
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Places 1..12 and the reserve (M 4); Ben holds place 5.
const QString fullList =
    QStringLiteral("A 30|B 28|C 26|D 24|Ben 12|F 11|G 10|H 9|I 8|J 7|K 6|L 5|M 4");

class FailingDevice : public QIODevice {
protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64) override { return -1; }
};

} // namespace

class TestBestList : public QObject {
    Q_OBJECT
private slots:
    void recordBytes();
    void decodeToleratesDamagedFields();
    void settingCodes_data();
    void settingCodes();
    void buildEntry();
    void ranking_data();
    void ranking();
    void firstEntryIntoEmptyList();
    void repeatedUpdateChangesNothing();
    void missingListIsRecreated();
    void damagedFiles_data();
    void damagedFiles();
    void ioErrors();
    void ensureFiles();
    void onlyScoringCompetitionRunsTouchTheList_data();
    void onlyScoringCompetitionRunsTouchTheList();
};

void TestBestList::recordBytes() {
    // Ben, 7 points, competition 1, on 06.12.2026 at 17:06:29.
    const BestListEntry ben = entryOf(QStringLiteral("Ben"), 7);
    const QByteArray expected = QByteArray::fromHex("01"
                                                    "03 42 65 6E 00 00 00 00 00 "
                                                    "08 30 36 2E 31 32 2E 32 36 00 00 "
                                                    "08 31 37 3A 30 36 3A 32 39 00 00 "
                                                    "05 2B 39 30 34 33 00 "
                                                    "07");
    QCOMPARE(expected.size(), bestListRecordSize);
    QCOMPARE(encodeBestListEntry(ben), expected);
    QCOMPARE(decodeBestListEntry(expected), std::optional<BestListEntry>(ben));

    QCOMPARE(encodeBestListEntry(placeholderBestListEntry()),
             QByteArray::fromHex("00 012D00000000000000 012D000000000000000000 "
                                 "012D000000000000000000 012D0000000000 00"));

    // Names keep 8 characters; what Windows-1252 cannot hold is stored as '?'.
    const QByteArray long1252 = encodeBestListEntry(entryOf(QString::fromUtf8("Jürgen-Ωx9"), 1));
    QCOMPARE(long1252.size(), bestListRecordSize);
    QCOMPARE(long1252.mid(1, 9), QByteArray("\x08J\xFCrgen-?", 9));
    QCOMPARE(decodeBestListEntry(long1252)->name, QString::fromUtf8("Jürgen-?"));
}

void TestBestList::decodeToleratesDamagedFields() {
    QByteArray record = encodeBestListEntry(entryOf(QStringLiteral("Ben"), 7));
    record[6] = 'x';         // past the name's length: not significant
    record[10] = char(0xFF); // a date length beyond the field is read as the whole field
    const std::optional<BestListEntry> read = decodeBestListEntry(record);
    QVERIFY(read);
    QCOMPARE(read->name, QStringLiteral("Ben"));
    QCOMPARE(read->date.size(), bestListDateCapacity);
    QCOMPARE(read->time, QStringLiteral("17:06:29"));
    QVERIFY(!decodeBestListEntry(record.left(39)));
    QVERIFY(!decodeBestListEntry(record + 'x'));
}

void TestBestList::settingCodes_data() {
    QTest::addColumn<QString>("sign");
    QTest::addColumn<bool>("withRemainder");
    QTest::addColumn<QString>("timeText");
    QTest::addColumn<int>("range1");
    QTest::addColumn<int>("range2");
    QTest::addColumn<QString>("code");

    // The operation items in the order of the settings panel: sign and remainder flag.
    const char* const signs[] = {"+", "-", "*", ":", ":"};
    const char* const codes[] = {"+9043",  "-9041",  "*9021",  ":9051", "+9043", "-9055",
                                 "*9014",  ":9084",  "+9058",  "-9085", "*9028", ":9084",
                                 "+12010", "-12011", "*12025", ":R1208"};
    for (int n = 1; n <= competitionCount; ++n) {
        const CompetitionPreset p = *competitionPreset(n);
        QTest::addRow("W %d", n) << QString::fromLatin1(signs[p.operationItem])
                                 << (p.operationItem == 4) << QString::fromLatin1(p.timeText)
                                 << p.range1Item << p.range2Item
                                 << QString::fromLatin1(codes[n - 1]);
    }
    QTest::newRow("range item 13") << "+" << false << "0" << 13 << 13 << "+01313";
    QTest::newRow("empty time field") << "-" << false << "" << 0 << 12 << "-012";
    QTest::newRow("long time cuts both ranges") << ":" << true << "1200" << 4 << 3 << ":R1200";
    QTest::newRow("no item selected") << "*" << false << "60" << -1 << 2 << "*602";
}

void TestBestList::settingCodes() {
    QFETCH(QString, sign);
    QFETCH(bool, withRemainder);
    QFETCH(QString, timeText);
    QFETCH(int, range1);
    QFETCH(int, range2);
    QFETCH(QString, code);
    QCOMPARE(settingCode(operationOf(sign, withRemainder), timeText, range1, range2), code);
}

void TestBestList::buildEntry() {
    RunResult result;
    result.competitionChosen = true;
    result.competitionNumber = 16;
    result.participantName = QStringLiteral("Maximilian12");
    result.points = 23;
    result.operation = Operation::DivideWithRemainder;
    result.timeFieldText = "120";
    result.range1Item = 8;
    result.range2Item = 2;
    FixedClock clock;
    clock.local = QTime(9, 5, 3);

    const std::optional<BestListEntry> entry = buildBestListEntry(result, clock);
    QVERIFY(entry);
    QCOMPARE(entry->number, quint8(16));
    QCOMPARE(entry->name, QStringLiteral("Maximili"));
    QCOMPARE(entry->date, QStringLiteral("06.12.26"));
    QCOMPARE(entry->time, QStringLiteral("09:05:03"));
    QCOMPARE(entry->settingCode, QStringLiteral(":R1208"));
    QCOMPARE(entry->points, quint8(23));

    result.competitionChosen = false;
    QVERIFY(!buildBestListEntry(result, clock));
}

void TestBestList::ranking_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("rank");
    QTest::addColumn<QString>("after"); // empty: the file must stay byte for byte as it was

    const QString list3 = QStringLiteral("Anna 20|Ben 12|Carl 10");
    QTest::newRow("equal score of the same name") << list3 << "Ben" << 12 << 0 << "";
    QTest::newRow("lower score of the same name") << list3 << "Ben" << 5 << 0 << "";
    QTest::newRow("own entry in the reserve counts") << fullList << "M" << 4 << 0 << "";
    QTest::newRow("higher score replaces own entry at its place")
        << fullList << "Ben" << 13 << 5
        << "A 30|B 28|C 26|D 24|Ben 13|F 11|G 10|H 9|I 8|J 7|K 6|L 5|L 5";
    QTest::newRow("higher score above own place")
        << fullList << "Ben" << 25 << 4
        << "A 30|B 28|C 26|Ben 25|D 24|F 11|G 10|H 9|I 8|J 7|K 6|L 5|L 5";
    QTest::newRow("new best pushes the reserve out")
        << fullList << "Zoe" << 31 << 1
        << "Zoe 31|A 30|B 28|C 26|D 24|Ben 12|F 11|G 10|H 9|I 8|J 7|K 6|L 5";
    QTest::newRow("equal to place 12, above the reserve") << fullList << "Zoe" << 5 << 15 << "";
    QTest::newRow("equal to the reserve") << fullList << "Zoe" << 4 << 0 << fullList;
    QTest::newRow("below all 13") << fullList << "Zoe" << 3 << 0 << fullList;
    QTest::newRow("own entry at place 12 becomes the reserve")
        << "A 30|B 28|C 26|D 24|E 12|F 11|G 10|H 9|I 8|J 7|K 6|Ben 5|M 4"
        << "Ben" << 6 << 12 << "A 30|B 28|C 26|D 24|E 12|F 11|G 10|H 9|I 8|J 7|K 6|Ben 6|Ben 5";
    QTest::newRow("ties go below") << "Anna 20|Ben 15|Carl 15"
                                   << "Dora" << 15 << 4 << "Anna 20|Ben 15|Carl 15|Dora 15";
    QTest::newRow("one point more passes both ties")
        << "Anna 20|Ben 15|Carl 15"
        << "Dora" << 16 << 2 << "Anna 20|Dora 16|Ben 15|Carl 15";
    QTest::newRow("beats only empty places") << "Anna 20"
                                             << "Ben" << 1 << 2 << "Anna 20|Ben 1";
    QTest::newRow("first 8 characters name the participant") << "Anna 20|Annabell1 9"
                                                             << "Annabell2" << 9 << 0 << "";
    QTest::newRow("first 8 characters, better score")
        << "Anna 20|Annabell1 9|Carl 5"
        << "Annabell2" << 10 << 2 << "Anna 20|Annabell 10|Carl 5";
    QTest::newRow("case matters") << "Anna 9"
                                  << "anna" << 9 << 2 << "Anna 9|anna 9";
    QTest::newRow("name stored with '?' is still recognised")
        << QString::fromUtf8("Ωmega 9") << QString::fromUtf8("Ωmega") << 9 << 0 << "";
}

void TestBestList::ranking() {
    QFETCH(QString, before);
    QFETCH(QString, name);
    QFETCH(int, points);
    QFETCH(int, rank);
    QFETCH(QString, after);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = bestListPath(dir.path(), 7);
    const QByteArray old = withJunk(bytesOf(listOf(before)));
    writeFile(path, old);

    const BestListUpdate update = updateBestList(dir.path(), 7, entryOf(name, points));
    QCOMPARE(update.outcome(), Outcome());
    QCOMPARE(int(*update), rank);
    if (after.isEmpty()) {
        QCOMPARE(readFile(path), old);
        return;
    }
    const Result<QList<BestListEntry>> list = readBestList(path);
    QVERIFY(list);
    QCOMPARE(list->size(), bestListStoredRecords);
    QCOMPARE(describe(*list), after);
}

void TestBestList::firstEntryIntoEmptyList() {
    QTemporaryDir dir;
    QCOMPARE(ensureBestListFiles(dir.path()), Outcome());
    const BestListEntry ben = entryOf(QStringLiteral("Ben"), 7);
    const BestListUpdate update = updateBestList(dir.path(), 1, ben);
    QCOMPARE(update.outcome(), Outcome());
    QCOMPARE(*update, quint8(1));
    QList<BestListEntry> expected(bestListStoredRecords, placeholderBestListEntry());
    expected[0] = ben;
    QCOMPARE(readFile(bestListPath(dir.path(), 1)), bytesOf(expected));
}

void TestBestList::repeatedUpdateChangesNothing() {
    QTemporaryDir dir;
    const QString path = bestListPath(dir.path(), 3);
    writeFile(path, bytesOf(listOf(fullList)));
    const BestListEntry zoe = entryOf(QStringLiteral("Zoe"), 25);
    const BestListUpdate first = updateBestList(dir.path(), 3, zoe);
    QVERIFY(first && *first == 4);
    const QByteArray once = withJunk(readFile(path));
    writeFile(path, once);
    const BestListUpdate again = updateBestList(dir.path(), 3, zoe);
    QCOMPARE(again.outcome(), Outcome());
    QCOMPARE(*again, quint8(0));
    QCOMPARE(readFile(path), once);
}

void TestBestList::missingListIsRecreated() {
    QTemporaryDir dir;
    const BestListEntry ben = entryOf(QStringLiteral("Ben"), 7);
    const BestListUpdate update = updateBestList(dir.path(), 12, ben);
    QCOMPARE(update.outcome(), Outcome());
    QCOMPARE(*update, quint8(0));
    QCOMPARE(readFile(bestListPath(dir.path(), 12)), encodeBestListEntry(ben));
    // The next update ranks into that one-record list.
    const BestListUpdate next = updateBestList(dir.path(), 12, entryOf(QStringLiteral("Ann"), 9));
    QVERIFY(next && *next == 1);
    QCOMPARE(describe(*readBestList(bestListPath(dir.path(), 12))), QStringLiteral("Ann 9|Ben 7"));
}

void TestBestList::damagedFiles_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("recordsRead");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("rank");
    QTest::addColumn<QString>("after");

    QStringList twenty;
    for (int i = 0; i < 20; ++i)
        twenty.append(QStringLiteral("P%1 %2").arg(i + 1).arg(40 - i));
    const QByteArray three = bytesOf(listOf("Anna 20|Ben 15|Carl 10"));

    QTest::newRow("partial record at the end")
        << three + QByteArray(17, 'x') << 3 << 12 << 3 << "Anna 20|Ben 15|Zoe 12|Carl 10";
    QTest::newRow("shorter than one record") << QByteArray(39, '\1') << 0 << 12 << 1 << "Zoe 12";
    QTest::newRow("20 records, low score")
        << bytesOf(listOf(twenty.join('|'))) << 16 << 12 << 0 << twenty.mid(0, 13).join('|');
    QTest::newRow("20 records, new best") << bytesOf(listOf(twenty.join('|'))) << 16 << 41 << 1
                                          << "Zoe 41|" + twenty.mid(0, 12).join('|');
}

void TestBestList::damagedFiles() {
    QFETCH(QByteArray, data);
    QFETCH(int, recordsRead);
    QFETCH(int, points);
    QFETCH(int, rank);
    QFETCH(QString, after);

    QTemporaryDir dir;
    const QString path = bestListPath(dir.path(), 5);
    writeFile(path, data);
    const Result<QList<BestListEntry>> read = readBestList(path);
    QVERIFY(read);
    QCOMPARE(read->size(), recordsRead);

    const BestListUpdate update = updateBestList(dir.path(), 5, entryOf("Zoe", points));
    QCOMPARE(update.outcome(), Outcome());
    QCOMPARE(int(*update), rank);
    const QByteArray written = readFile(path);
    QCOMPARE(written.size(), bestListStoredRecords * bestListRecordSize);
    QCOMPARE(describe(*readBestList(path)), after);
}

void TestBestList::ioErrors() {
    QTemporaryDir dir;
    // A list that exists but cannot be read as a file.
    QVERIFY(QDir(dir.path()).mkdir(bestListFileName(2)));
    QCOMPARE(readBestList(bestListPath(dir.path(), 2)).outcome(),
             Outcome(Failure{Failure::Kind::Io, "Die Datei ist ein Ordner."}));
    const BestListUpdate unreadable = updateBestList(dir.path(), 2, entryOf("Ben", 7));
    QCOMPARE(unreadable.outcome(),
             Outcome(Failure{Failure::Kind::Io, "Die Datei ist ein Ordner."})); // no rank

    // A folder that does not exist: the list can be neither created nor recreated.
    const QString nowhere = dir.filePath(QStringLiteral("missing"));
    QCOMPARE(ensureBestListFiles(nowhere),
             Outcome(Failure{Failure::Kind::Io, "Den Ordner der Datei gibt es nicht."}));
    const BestListUpdate uncreatable = updateBestList(nowhere, 1, entryOf("Ben", 7));
    QVERIFY(!uncreatable); // no rank
    QCOMPARE(uncreatable.failure().kind, Failure::Kind::Io);

    FailingDevice device;
    QVERIFY(device.open(QIODevice::ReadOnly));
    QCOMPARE(
        readBestList(device).outcome(),
        Outcome(Failure{Failure::Kind::Io, "Der Datenträger meldet einen Fehler beim Lesen."}));

    // A disk that fills up during the rewrite keeps the old list whole.
    const QByteArray old = bytesOf(listOf("Ada 9"));
    writeFile(bestListPath(dir.path(), 3), old);
    {
        FileSizeLimit full(100);
        const BestListUpdate failed = updateBestList(dir.path(), 3, entryOf("Ben", 7));
        QVERIFY(!failed);
        QCOMPARE(failed.failure().kind, Failure::Kind::Io);
    }
    QFile kept(bestListPath(dir.path(), 3));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), old);
}

void TestBestList::ensureFiles() {
    QTemporaryDir dir;
    const QByteArray kept = bytesOf(listOf("Anna 20|Ben 15"));
    writeFile(bestListPath(dir.path(), 3), kept);
    QCOMPARE(ensureBestListFiles(dir.path()), Outcome());
    for (int n = 1; n <= competitionCount; ++n) {
        QFile file(dir.filePath(QStringLiteral("W%1.bli").arg(n)));
        QVERIFY2(file.exists(), qPrintable(file.fileName()));
        QCOMPARE(file.size(), n == 3 ? kept.size() : 0);
    }
    QCOMPARE(readFile(bestListPath(dir.path(), 3)), kept);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), competitionCount);
}

void TestBestList::onlyScoringCompetitionRunsTouchTheList_data() {
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("listExists");
    QTest::addColumn<int>("rank");

    QTest::newRow("0 points, no list") << true << 0 << false << 0;
    QTest::newRow("0 points, list") << true << 0 << true << 0;
    QTest::newRow("free run, no list") << false << 9 << false << 0;
    QTest::newRow("free run, list") << false << 9 << true << 0;
    QTest::newRow("competition run with points") << true << 9 << true << 2;
}

void TestBestList::onlyScoringCompetitionRunsTouchTheList() {
    QFETCH(bool, chosen);
    QFETCH(int, points);
    QFETCH(bool, listExists);
    QFETCH(int, rank);

    QTemporaryDir dir;
    const QString path = bestListPath(dir.path(), 4);
    const QByteArray old = withJunk(bytesOf(listOf("Anna 20|Ben 5")));
    if (listExists)
        writeFile(path, old);

    RunResult result;
    result.competitionChosen = chosen;
    result.competitionNumber = 4;
    result.participantName = QStringLiteral("Carl");
    result.points = points;
    result.operation = Operation::Divide;
    result.timeFieldText = "90";
    result.range1Item = 5;
    result.range2Item = 1;
    FixedClock clock;
    const BestListUpdate update = rankCompetitionRun(dir.path(), result, clock);
    QCOMPARE(update.outcome(), Outcome());
    QCOMPARE(int(*update), rank);

    if (rank == 0) {
        QCOMPARE(QFileInfo::exists(path), listExists);
        if (listExists)
            QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                 listExists ? 1 : 0);
        return;
    }
    const Result<QList<BestListEntry>> list = readBestList(path);
    QVERIFY(list);
    QCOMPARE(list->at(1).name, QStringLiteral("Carl"));
    QCOMPARE(list->at(1).settingCode, QStringLiteral(":9051"));
    QCOMPARE(list->at(1).number, quint8(4));
}

QTEST_GUILESS_MAIN(TestBestList)
#include "tst_best_list.moc"
