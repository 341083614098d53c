#include "competition/best_list_entry.h"

#include "common/clock.h"
#include "common/text_codec.h"
#include "storage/run_result.h"

namespace {

// Field offsets inside the 40-byte record.
constexpr int numberOffset = 0;
constexpr int nameOffset = 1;
constexpr int dateOffset = 10;
constexpr int timeOffset = 21;
constexpr int codeOffset = 32;
constexpr int pointsOffset = 39;

constexpr int highestRangeItem = 13;

} // namespace

QByteArray encodeBestListEntry(const BestListEntry& entry) {
    QByteArray record(bestListRecordSize, '\0');
    char* bytes = record.data();
    bytes[numberOffset] = char(entry.number);
    writeCappedText(bytes + nameOffset, bestListNameCapacity, entry.name);
    writeCappedText(bytes + dateOffset, bestListDateCapacity, entry.date);
    writeCappedText(bytes + timeOffset, bestListTimeCapacity, entry.time);
    writeCappedText(bytes + codeOffset, settingCodeCapacity, entry.settingCode);
    bytes[pointsOffset] = char(entry.points);
    return record;
}

std::optional<BestListEntry> decodeBestListEntry(QByteArrayView record) {
    if (record.size() != bestListRecordSize)
        return std::nullopt;
    const char* bytes = record.data();
    BestListEntry entry;
    entry.number = quint8(bytes[numberOffset]);
    entry.name = readCappedText(bytes + nameOffset, bestListNameCapacity);
    entry.date = readCappedText(bytes + dateOffset, bestListDateCapacity);
    entry.time = readCappedText(bytes + timeOffset, bestListTimeCapacity);
    entry.settingCode = readCappedText(bytes + codeOffset, settingCodeCapacity);
    entry.points = quint8(bytes[pointsOffset]);
    return entry;
}

bool sameParticipant(const BestListEntry& a, const BestListEntry& b) {
    // Compared as stored: a name with a character outside Windows-1252 is held with '?' in the
    // file, and must still be recognised when the same participant ranks again.
    return toWindows1252(capped(a.name, bestListNameCapacity)) ==
           toWindows1252(capped(b.name, bestListNameCapacity));
}

QString rangeCode(int rangeItem) {
    if (rangeItem < 0 || rangeItem > highestRangeItem)
        return QString();
    return QString::number(rangeItem);
}

QString settingCode(Operation operation, const QString& timeFieldText, int range1Item,
                    int range2Item) {
    QString code = capped(operationCode(operation), settingCodeCapacity);
    code = capped(code + timeFieldText, settingCodeCapacity);
    code = capped(code + rangeCode(range1Item), settingCodeCapacity);
    code = capped(code + rangeCode(range2Item), settingCodeCapacity);
    return code;
}

std::optional<BestListEntry> buildBestListEntry(const RunResult& result, const Clock& clock) {
    if (!result.competitionChosen)
        return std::nullopt;
    BestListEntry entry;
    entry.settingCode =
        settingCode(result.operation, result.timeFieldText, result.range1Item, result.range2Item);
    entry.number = quint8(result.competitionNumber & 0xFF);
    entry.name = capped(result.participantName, bestListNameCapacity);
    entry.date = capped(shortDateText(clock), bestListDateCapacity);
    entry.time = capped(longTimeText(clock.localTime()), bestListTimeCapacity);
    entry.points = quint8(result.points & 0xFF);
    return entry;
}
