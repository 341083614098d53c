#include "storage/result_record.h"

#include "common/clock.h"
#include "common/text_codec.h"

namespace {

// Field offsets and text capacities inside the 122-byte record.
constexpr int slotOffset = 0;
constexpr int nameOffset = 1;
constexpr int dateOffset = 22;
constexpr int timeOffset = 43;
constexpr int timeLimitOffset = 64;
constexpr int operationOffset = 70;
constexpr int range1Offset = 78;
constexpr int range2Offset = 99;
constexpr int taskCountOffset = 120;
constexpr int pointsOffset = 121;

constexpr int longTextCapacity = 20;
constexpr int timeLimitCapacity = 5;
constexpr int operationCapacity = 7;

QString rangeText(qint32 min, qint32 max) {
    return QString::number(min) + QStringLiteral(" .. ") + QString::number(max);
}

} // namespace

QByteArray encodeResultRecord(const ResultRecord& record) {
    QByteArray bytes(resultRecordSize, '\0');
    char* out = bytes.data();
    out[slotOffset] = char(record.slotNumber);
    writeCappedText(out + nameOffset, longTextCapacity, record.name);
    writeCappedText(out + dateOffset, longTextCapacity, record.date);
    writeCappedText(out + timeOffset, longTextCapacity, record.time);
    writeCappedText(out + timeLimitOffset, timeLimitCapacity, record.timeLimitText);
    writeCappedText(out + operationOffset, operationCapacity, record.operation);
    writeCappedText(out + range1Offset, longTextCapacity, record.range1Text);
    writeCappedText(out + range2Offset, longTextCapacity, record.range2Text);
    out[taskCountOffset] = char(record.taskCount);
    out[pointsOffset] = char(record.points);
    return bytes;
}

std::optional<ResultRecord> decodeResultRecord(QByteArrayView bytes) {
    if (bytes.size() != resultRecordSize)
        return std::nullopt;
    const char* in = bytes.data();
    ResultRecord record;
    record.slotNumber = quint8(in[slotOffset]);
    record.name = readCappedText(in + nameOffset, longTextCapacity);
    record.date = readCappedText(in + dateOffset, longTextCapacity);
    record.time = readCappedText(in + timeOffset, longTextCapacity);
    record.timeLimitText = readCappedText(in + timeLimitOffset, timeLimitCapacity);
    record.operation = readCappedText(in + operationOffset, operationCapacity);
    record.range1Text = readCappedText(in + range1Offset, longTextCapacity);
    record.range2Text = readCappedText(in + range2Offset, longTextCapacity);
    record.taskCount = quint8(in[taskCountOffset]);
    record.points = quint8(in[pointsOffset]);
    return record;
}

void clearResultsTable(ResultsTable& table) {
    for (size_t i = 0; i < table.size(); ++i) {
        table[i] = ResultRecord{};
        table[i].slotNumber = quint8(i);
    }
}

ResultRecord buildResultRecord(const RunResult& result, const Clock& clock) {
    ResultRecord record;
    record.slotNumber = 1;
    record.name = capped(result.participantName, longTextCapacity);
    record.date = capped(shortDateText(clock), longTextCapacity);
    record.time = capped(longTimeText(clock.localTime()), longTextCapacity);
    record.timeLimitText = capped(timeLimitText(result.timeFieldText), timeLimitCapacity);
    record.operation =
        capped(operationCode(result.operation) + QStringLiteral(" / ") + result.competitionTag,
               operationCapacity);
    record.range1Text = capped(rangeText(result.range1Min, result.range1Max), longTextCapacity);
    record.range2Text = capped(rangeText(result.range2Min, result.range2Max), longTextCapacity);
    record.taskCount = quint8(result.workedTaskCount & 0xFF);
    record.points = quint8(result.points & 0xFF);
    return record;
}
