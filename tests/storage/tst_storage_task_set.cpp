#include "storage/run_result.h"
#include "storage/task_set_file.h"
#include "support/failures.h"
#include "support/file_size_limit.h"
#include "support/fixed_clock.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Anna's first task of a division with remainder in W 12, 300 points, no time limit, saved on
// 06.12.2026 at 17:06:29: 305419896 : 5, remainder 2 (given -2), result 3 (given -123456).
const QByteArray annaFirstTask = QByteArray::fromHex("04 416E6E61 00000000"
                                                     "08 30362E31322E3236 0000"
                                                     "08 31373A30363A3239 0000"
                                                     "2C 78563412 05000000 02000000 FEFFFFFF"
                                                     "03 3A2052 00   02 3132"
                                                     "03000000 C01DFEFF 03 2E2E2E 00 000000");

// The state a run leaves: task k has operand1 k; Alexander's name has 9 letters.
RunState stateWithTasks(int taskCounter, int worked) {
    RunState state;
    clearTaskList(state);
    for (int k = 1; k <= taskLimit; ++k)
        state.taskList[k].operand1 = k;
    state.taskCounter = taskCounter;
    state.workedTaskCount = worked;
    state.settings.participantName = QStringLiteral("Alexander");
    return state;
}

QByteArray bytesOf(const QList<TaskRecord>& records) {
    QByteArray data;
    for (const TaskRecord& record : records)
        data += encodeTaskRecord(record);
    return data;
}

} // namespace

class TestStorageTaskSet : public QObject {
    Q_OBJECT
private slots:
    void recordBytes();
    void setSizes_data();
    void setSizes();
    void automaticName_data();
    void automaticName();
    void writeAndLoad_data();
    void writeAndLoad();
    void failedWrite();
};

void TestStorageTaskSet::recordBytes() {
    RunState state = stateWithTasks(1, 0);
    state.settings.participantName = QStringLiteral("Anna");
    state.points = 300;
    state.competitionTag = QStringLiteral("12");
    TaskRecord& task = state.taskList[1];
    task.operand1 = 305419896;
    task.operand2 = 5;
    task.operation = QStringLiteral(": R");
    task.result = 3;
    task.remainder = 2;
    task.givenAnswer = -123456;
    task.givenRemainder = -2;
    const QList<TaskRecord> set = taskSetToSave(makeRunResult(state, "0", 0, 0), FixedClock());
    QCOMPARE(bytesOf(set), annaFirstTask);

    // Bytes that readers ignore, and a length byte past its field.
    QByteArray damaged = annaFirstTask;
    damaged.replace(5, 4, "xxxx").replace(69, 3, "zzz")[48] = char(0xFF);
    QCOMPARE(decodeTaskRecord(damaged)->operation, QString::fromLatin1(": R\0", 4));
    damaged[48] = 3;
    QCOMPARE(encodeTaskRecord(*decodeTaskRecord(damaged)), annaFirstTask);
    QVERIFY(!decodeTaskRecord(annaFirstTask.left(71)));
}

void TestStorageTaskSet::setSizes_data() {
    QTest::addColumn<int>("taskCounter");
    QTest::addColumn<int>("worked");
    QTest::addColumn<int>("records");
    QTest::newRow("stopped after 3 answers") << 4 << 3 << 4;
    QTest::newRow("160-task limit") << 160 << 160 << 160;
    QTest::newRow("stopped on the first task") << 1 << 0 << 1;
    QTest::newRow("no more tasks after 7") << 7 << 7 << 8;
    QTest::newRow("worked count out of step") << 3 << -5 << 1;
    QTest::newRow("worked count past the limit") << 160 << 999 << 160;
    QTest::newRow("nothing posed") << 0 << -1 << 0;
}

void TestStorageTaskSet::setSizes() {
    QFETCH(int, taskCounter);
    QFETCH(int, worked);
    QFETCH(int, records);
    const RunResult result = makeRunResult(stateWithTasks(taskCounter, worked), "1200", 0, 0);
    const QList<TaskRecord> set = taskSetToSave(result, FixedClock());
    QCOMPARE(set.size(), records);
    for (int i = 0; i < records; ++i)
        QCOMPARE(set[i].operand1, i + 1);
    if (records > 1) {
        QCOMPARE(set[0].name, QStringLiteral("Alexande"));
        QCOMPARE(set[0].timeLimitText, QStringLiteral("1200"));
        QCOMPARE(set[1].name, QStringLiteral("---")); // the header goes into the first only
    }
}

void TestStorageTaskSet::automaticName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("file");
    QTest::newRow("9 letters") << "Alexander"
                               << "Alexander.AGB";
    QTest::newRow("umlaut, blank")
        << QString::fromUtf8("Max Müller") << QString::fromUtf8("Max Müller.AGB");
    QTest::newRow("hyphen, inner dot") << "Dr. Ben-Luca"
                                       << "Dr. Ben-Luca.AGB";
    QTest::newRow("up and out") << "../../x"
                                << "______x.AGB";
    QTest::newRow("dot dot") << ".."
                             << "__.AGB";
    QTest::newRow("hidden") << ".Anna"
                            << "_Anna.AGB";
    QTest::newRow("dots inside") << "Max..Mo"
                                 << "Max__Mo.AGB";
    QTest::newRow("empty") << ""
                           << "_.AGB";
    QTest::newRow("forbidden") << "a\\b:c*d?\"<>|"
                               << "a_b_c_d_____.AGB";
    QTest::newRow("control") << QString("Tab\t\x7f") + QChar(0) << "Tab___.AGB";
}

void TestStorageTaskSet::automaticName() {
    QFETCH(QString, name);
    QTEST(automaticTaskSetName(name), "file");
}

void TestStorageTaskSet::writeAndLoad_data() {
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("extraBytes");
    QTest::addColumn<int>("loaded");
    QTest::newRow("trailing partial record") << 4 << 71 << 4;
    QTest::newRow("only a partial record") << 1 << -1 << 0;
    QTest::newRow("160 records") << 160 << 0 << 160;
    QTest::newRow("more than 160") << 160 << 10 * 72 + 5 << 160;
}

void TestStorageTaskSet::writeAndLoad() {
    QFETCH(int, written);
    QFETCH(int, extraBytes);
    const QList<TaskRecord> set =
        taskSetToSave(makeRunResult(stateWithTasks(written, written - 1), "0", 0, 0), FixedClock());
    QTemporaryDir dir;
    const QString path = dir.filePath("Satz.AGB");
    QCOMPARE(writeTaskSet(path, set), Outcome());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.readAll(), bytesOf(set));
    QVERIFY(extraBytes < 0 ? file.resize(file.size() + extraBytes)
                           : file.write(QByteArray(extraBytes, 'x')) == extraBytes);
    file.close();
    QFETCH(int, loaded);
    QCOMPARE(bytesOf(*loadTaskSet(path)), bytesOf(set.mid(0, loaded)));

    QByteArray huge = bytesOf(set) + QByteArray(1 << 20, 'x');
    QBuffer buffer(&huge);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(loadTaskSet(buffer)->size(), 160);
    QVERIFY(buffer.pos() <= 160 * 72); // never more than it can use
}

void TestStorageTaskSet::failedWrite() {
    QTemporaryDir dir;
    const QList<TaskRecord> four(4);
    QVERIFY(QDir(dir.path()).mkdir("Ordner.AGB"));
    QCOMPARE(writeTaskSet(dir.filePath("Ordner.AGB"), four),
             Outcome(Failure{Failure::Kind::Io, "Die Datei ist ein Ordner."}));
    QCOMPARE(writeTaskSet(dir.filePath("fehlt/a.AGB"), four),
             Outcome(Failure{Failure::Kind::Io, "Den Ordner der Datei gibt es nicht."}));

    // An existing set stays as it was when the new one cannot be written whole.
    const QString path = dir.filePath("alt.AGB");
    QCOMPARE(writeTaskSet(path, four), Outcome());
    const Outcome wrongSize =
        Failure{Failure::Kind::Refused, "Ein Aufgabensatz hat 1 bis 160 Aufgaben."};
    QCOMPARE(writeTaskSet(path, {}), wrongSize);
    QCOMPARE(writeTaskSet(path, QList<TaskRecord>(161)), wrongSize);
    {
        const FileSizeLimit limit(100); // writes stop short there
        QCOMPARE(writeTaskSet(path, QList<TaskRecord>(5)),
                 Outcome(Failure{Failure::Kind::Io, "Der Datenträger ist voll, oder die Datei "
                                                    "darf nicht größer werden."}));
    }
    QCOMPARE(QFileInfo(path).size(), 4 * 72);
}

QTEST_GUILESS_MAIN(TestStorageTaskSet)
#include "tst_storage_task_set.moc"
