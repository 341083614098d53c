#pragma once

#include "storage/run_result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

class Clock;

inline constexpr int resultRecordSize = 122;
// A results file holds at most this many records; one that holds this many or more is full.
inline constexpr int fullFileLimit = 20;

// One saved run in a results file, 122 bytes:
//   0 slotNumber (1)   1 name (1 + 20)   22 date (1 + 20)   43 time (1 + 20)
//   64 timeLimitText (1 + 5)   70 operation (1 + 7)   78 range1Text (1 + 20)
//   99 range2Text (1 + 20)   120 taskCount (1)   121 points (1)
struct ResultRecord {
    quint8 slotNumber = 1;
    QString name = QStringLiteral("---");
    QString date = QStringLiteral("---");
    QString time = QStringLiteral("---");
    QString timeLimitText = QStringLiteral("---");
    QString operation = QStringLiteral("-");
    QString range1Text = QStringLiteral("---");
    QString range2Text = QStringLiteral("---");
    quint8 taskCount = 0;
    quint8 points = 0;

    friend bool operator==(const ResultRecord&, const ResultRecord&) = default;
};

// Texts longer than their field are cut; unused bytes of a text field are zero.
QByteArray encodeResultRecord(const ResultRecord& record);
// Nothing unless the record is exactly 122 bytes. A length byte larger than its field is read
// as the field's capacity.
std::optional<ResultRecord> decodeResultRecord(QByteArrayView record);

// Slots 0..21; slot i of a cleared table has slotNumber i and the filler texts.
using ResultsTable = std::array<ResultRecord, 22>;
void clearResultsTable(ResultsTable& table);

// The record of a finished run, dated by the clock at the moment of saving.
ResultRecord buildResultRecord(const RunResult& result, const Clock& clock);
