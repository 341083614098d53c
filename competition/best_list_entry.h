#pragma once

#include "engine/operation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

class Clock;
struct RunResult;

inline constexpr int bestListRecordSize = 40;
inline constexpr int bestListNameCapacity = 8;
inline constexpr int bestListDateCapacity = 10;
inline constexpr int bestListTimeCapacity = 10;
inline constexpr int settingCodeCapacity = 6;

// One place of a best list. In a file it takes 40 bytes:
//   0  number (1 byte)     1  name (1 + 8)     10 date (1 + 10)
//   21 time (1 + 10)       32 settingCode (1 + 6)     39 points (1 byte)
// Texts are Windows-1252 with a length byte in front; see common/text_codec.h.
struct BestListEntry {
    quint8 number = 0; // competition 1..16; 0 in an empty place
    QString name = QStringLiteral("-");
    QString date = QStringLiteral("-");
    QString time = QStringLiteral("-");
    QString settingCode = QStringLiteral("-");
    quint8 points = 0;

    friend bool operator==(const BestListEntry&, const BestListEntry&) = default;
};

// An empty place: number 0, every text "-", 0 points. A default BestListEntry is one.
inline BestListEntry placeholderBestListEntry() {
    return BestListEntry{};
}

// Texts longer than their field are cut; characters outside Windows-1252 are stored as '?'.
// Unused bytes of a text field are written as zero.
QByteArray encodeBestListEntry(const BestListEntry& entry);
// Nothing unless the record is exactly 40 bytes long. Bytes past a text's length are ignored.
std::optional<BestListEntry> decodeBestListEntry(QByteArrayView record);

// Two entries belong to the same participant when their names as stored in a record (the first
// 8 characters in Windows-1252) are the same bytes; case matters.
bool sameParticipant(const BestListEntry& a, const BestListEntry& b);

// The code of a range combo box is the decimal index of its item. Item 13 ("1 000 ... 30 000"),
// which no competition uses, follows the same rule and gives "13"; an index outside 0..13 (no
// item selected) gives an empty code.
QString rangeCode(int rangeItem);

// The settings of a run in at most 6 characters: the operation's code (its sign, with "R" for
// division with remainder), the time-field text and the two range codes. The text is cut to 6
// characters after each step, so a long time text pushes the range codes out ("+12010" for 120 s,
// ranges 10 and 5).
QString settingCode(Operation operation, const QString& timeFieldText, int range1Item,
                    int range2Item);

// The entry of a finished competition run, dated by the clock. Nothing unless a competition was
// chosen. The number and the points keep their low 8 bits, as the record holds one byte each.
std::optional<BestListEntry> buildBestListEntry(const RunResult& result, const Clock& clock);
