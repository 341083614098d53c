#include "storage/task_set_file.h"

#include "common/clock.h"
#include "common/file_access.h"
#include "common/text_codec.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>

namespace {

// Field offsets and text capacities inside the 72-byte record.
constexpr int nameOffset = 0;
constexpr int dateOffset = 9;
constexpr int timeOffset = 20;
constexpr int pointsOffset = 31;
constexpr int operand1Offset = 32;
constexpr int operand2Offset = 36;
constexpr int remainderOffset = 40;
constexpr int givenRemainderOffset = 44;
constexpr int operationOffset = 48;
constexpr int tagOffset = 53;
constexpr int resultOffset = 56;
constexpr int givenAnswerOffset = 60;
constexpr int timeLimitOffset = 64;

constexpr int nameCapacity = 8;
constexpr int dateCapacity = 10;
constexpr int timeCapacity = 10;
constexpr int operationCapacity = 4;
constexpr int tagCapacity = 2;
constexpr int timeLimitCapacity = 4;

void writeInt(char* at, qint32 value) {
    qToLittleEndian<qint32>(value, at);
}

qint32 readInt(const char* at) {
    return qFromLittleEndian<qint32>(at);
}

} // namespace

QByteArray encodeTaskRecord(const TaskRecord& record) {
    QByteArray bytes(taskRecordSize, '\0');
    char* out = bytes.data();
    writeCappedText(out + nameOffset, nameCapacity, record.name);
    writeCappedText(out + dateOffset, dateCapacity, record.date);
    writeCappedText(out + timeOffset, timeCapacity, record.time);
    out[pointsOffset] = char(record.points);
    writeInt(out + operand1Offset, record.operand1);
    writeInt(out + operand2Offset, record.operand2);
    writeInt(out + remainderOffset, record.remainder);
    writeInt(out + givenRemainderOffset, record.givenRemainder);
    writeCappedText(out + operationOffset, operationCapacity, record.operation);
    writeCappedText(out + tagOffset, tagCapacity, record.competitionTag);
    writeInt(out + resultOffset, record.result);
    writeInt(out + givenAnswerOffset, record.givenAnswer);
    writeCappedText(out + timeLimitOffset, timeLimitCapacity, record.timeLimitText);
    return bytes;
}

std::optional<TaskRecord> decodeTaskRecord(QByteArrayView bytes) {
    if (bytes.size() != taskRecordSize)
        return std::nullopt;
    const char* in = bytes.data();
    TaskRecord record;
    record.name = readCappedText(in + nameOffset, nameCapacity);
    record.date = readCappedText(in + dateOffset, dateCapacity);
    record.time = readCappedText(in + timeOffset, timeCapacity);
    record.points = quint8(in[pointsOffset]);
    record.operand1 = readInt(in + operand1Offset);
    record.operand2 = readInt(in + operand2Offset);
    record.remainder = readInt(in + remainderOffset);
    record.givenRemainder = readInt(in + givenRemainderOffset);
    record.operation = readCappedText(in + operationOffset, operationCapacity);
    record.competitionTag = readCappedText(in + tagOffset, tagCapacity);
    record.result = readInt(in + resultOffset);
    record.givenAnswer = readInt(in + givenAnswerOffset);
    record.timeLimitText = readCappedText(in + timeLimitOffset, timeLimitCapacity);
    return record;
}

QList<TaskRecord> taskSetToSave(const RunResult& result, const Clock& clock) {
    QList<TaskRecord> records = result.tasks;
    if (records.isEmpty())
        return records;
    TaskRecord& header = records.first();
    header.name = capped(result.participantName, nameCapacity);
    header.date = capped(shortDateText(clock), dateCapacity);
    header.time = capped(longTimeText(clock.localTime()), timeCapacity);
    header.points = quint8(result.points & 0xFF);
    header.competitionTag = capped(result.competitionTag, tagCapacity);
    header.timeLimitText = capped(timeLimitText(result.timeFieldText), timeLimitCapacity);
    return records;
}

QString automaticTaskSetName(const QString& participantName) {
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|");
    QString name = participantName;
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || unsafe.contains(c))
            c = QLatin1Char('_');
    }
    // Leading dots would hide the file, and ".." names the folder above; an empty name would
    // leave only the hidden ".AGB".
    for (qsizetype i = 0; i < name.size() && name[i] == QLatin1Char('.'); ++i)
        name[i] = QLatin1Char('_');
    for (qsizetype i = name.indexOf(QStringLiteral("..")); i >= 0;
         i = name.indexOf(QStringLiteral(".."), i))
        name.replace(i, 2, QStringLiteral("__"));
    if (name.isEmpty())
        name = QStringLiteral("_");
    return name + QStringLiteral(".AGB");
}

Outcome writeTaskSet(const QString& path, const QList<TaskRecord>& records, FileOrigin origin) {
    if (records.isEmpty() || records.size() > taskSetLimit)
        return Failure{Failure::Kind::Refused,
                       QStringLiteral("Ein Aufgabensatz hat 1 bis 160 Aufgaben.")};
    QByteArray data;
    data.reserve(records.size() * taskRecordSize);
    for (const TaskRecord& record : records)
        data += encodeTaskRecord(record);
    return replaceContents(path, data, origin);
}

Result<QList<TaskRecord>> loadTaskSet(QIODevice& device) {
    const std::optional<QByteArray> data =
        readAtMost(device, qint64(taskSetLimit) * taskRecordSize);
    if (!data)
        return failureOfError(EIO, false);
    QList<TaskRecord> records;
    for (qsizetype at = 0; at + taskRecordSize <= data->size(); at += taskRecordSize)
        records.append(*decodeTaskRecord(QByteArrayView(*data).sliced(at, taskRecordSize)));
    return records;
}

Result<QList<TaskRecord>> loadTaskSet(const QString& path) {
    QFile file;
    if (const Outcome refused = openToRead(file, path, FileOrigin::Chosen))
        return *refused;
    return loadTaskSet(file);
}
