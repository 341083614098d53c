#pragma once

#include "common/file_access.h"
#include "storage/results_file.h"
#include "storage/run_result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

class Clock;
class QIODevice;

inline constexpr int taskRecordSize = 72;
inline constexpr int taskSetLimit = 160;

// One task of a task-set file, 72 bytes, little-endian:
//   0 name (1 + 8)   9 date (1 + 10)   20 time (1 + 10)   31 points (1)
//   32 operand1   36 operand2   40 remainder   44 givenRemainder (int32 each)
//   48 operation (1 + 4)   53 competitionTag (1 + 2)   56 result   60 givenAnswer (int32)
//   64 timeLimitText (1 + 4)   69..71 unused (zero)
QByteArray encodeTaskRecord(const TaskRecord& record);
std::optional<TaskRecord> decodeTaskRecord(QByteArrayView record);

// The records a saved task set holds: the run's tasks with the header (name, date and time of
// saving, points, competition tag, time limit) written into the first one.
QList<TaskRecord> taskSetToSave(const RunResult& result, const Clock& clock);

// "<participant name>.AGB", the task set of a competition run. Characters that a file name
// cannot hold or that would lead out of the folder become '_'; safe names stay as they are.
QString automaticTaskSetName(const QString& participantName);

// Replaces the file with the records; the old file stays intact when writing fails. The task set
// of a competition run is the program's own file (FileOrigin::Own) and is never written through
// a link; one the child named in the save dialog may be.
// A task set of no task or of more than 160 is refused.
Outcome writeTaskSet(const QString& path, const QList<TaskRecord>& records,
                     FileOrigin origin = FileOrigin::Chosen);

// Whole records in file order, at most 160; a partial record at the end is ignored.
Result<QList<TaskRecord>> loadTaskSet(QIODevice& device);
Result<QList<TaskRecord>> loadTaskSet(const QString& path);
