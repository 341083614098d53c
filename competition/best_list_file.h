#pragma once

#include "common/failure.h"
#include "common/file_access.h"
#include "common/file_lock.h"
#include "competition/best_list_entry.h"

#include <QList>
#include <QString>

#include <optional>

class Clock;
class QIODevice;
struct RunResult;

inline constexpr int bestListPlaces = 12;
// The places and, after them, one reserve entry that is never shown.
inline constexpr int bestListStoredRecords = 13;
// At most this many records are read from a file; anything after them is ignored.
inline constexpr int bestListReadLimit = 16;
// The rank reported when a score would have reached place 13 and was not entered.
inline constexpr quint8 bestListRankBelowPlaces = 15;

// "W1.bli" .. "W16.bli", and that name inside a folder.
QString bestListFileName(int competitionNumber);
QString bestListPath(const QString& folder, int competitionNumber);

// Creates each of W1.bli .. W16.bli in the folder that does not exist yet, empty. Whatever is
// already there (also one another computer created a moment ago) is not touched. Stops at the
// first one that cannot be created.
Outcome ensureBestListFiles(const QString& folder);

// The records of a best list in file order: as many whole 40-byte records as the data hold, at
// most 16; a partial record at the end and everything past the 16th record are ignored.
Result<QList<BestListEntry>> readBestList(QIODevice& device);
Result<QList<BestListEntry>> readBestList(const QString& path,
                                          FileOrigin origin = FileOrigin::Chosen);

// The rank an entry reached: 0 = not entered, 1..12 = place reached, 15 = would have been place
// 13, not entered. A failure leaves the list as it was: Busy when another computer was updating
// it for longer than the lock timeout, otherwise the list could not be read or written.
using BestListUpdate = Result<quint8>;

// Ranks the entry into the best list of the competition in the folder and rewrites the list as
// its 12 places and the reserve. A participant keeps at most one place: an entry that does not
// beat the participant's own entry changes nothing, and one that does replaces it. A score
// equal to a listed one goes below it. A missing list is created with the entry as its only
// record (rank 0). The rewrite replaces the old file only once the new one is complete, so a
// failed write leaves the old list intact. Competition numbers outside 1..16 change nothing.
// Read, ranking and rewrite happen under the lock file "W<n>.bli.lock" next to the list; when
// another program holds it for longer than lockTimeoutMs, the list is left alone (Busy).
BestListUpdate updateBestList(const QString& folder, int competitionNumber,
                              const BestListEntry& entry, int lockTimeoutMs = fileLockTimeoutMs);

// What the end of a competition run does with the best list: build the entry and rank it, but
// only for a run in a chosen competition that scored points. Any other run touches no file and
// gives rank 0.
BestListUpdate rankCompetitionRun(const QString& folder, const RunResult& result,
                                  const Clock& clock, int lockTimeoutMs = fileLockTimeoutMs);
