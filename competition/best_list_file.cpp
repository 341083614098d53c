#include "competition/best_list_file.h"

#include "common/file_access.h"
#include "competition/competition_presets.h"
#include "storage/run_result.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <array>

namespace {

// Slot 0 holds the new entry, slots 1..16 the list as read: 1..12 the places, 13 the reserve,
// 14..16 what a longer file held beyond that.
using BestListTable = std::array<BestListEntry, bestListReadLimit + 1>;

Outcome writeRecords(const QString& path, const BestListEntry* first, int count) {
    QByteArray data;
    data.reserve(count * bestListRecordSize);
    for (int i = 0; i < count; ++i)
        data += encodeBestListEntry(first[i]);
    return replaceContents(path, data, FileOrigin::Own);
}

// The place the score reaches among the 12 places and the reserve: below every entry with at
// least as many points, so it must beat an entry to take its place. 13 means it would only
// replace the reserve; 0 that it beats none of the 13.
int placeFor(const BestListTable& table, quint8 score) {
    if (score > table[1].points)
        return 1;
    int place = 0;
    for (int k = 1; k <= bestListPlaces; ++k) {
        if (table[k].points >= score && score > table[k + 1].points)
            place = k + 1;
    }
    return place;
}

} // namespace

QString bestListFileName(int competitionNumber) {
    return QStringLiteral("W%1.bli").arg(competitionNumber);
}

QString bestListPath(const QString& folder, int competitionNumber) {
    return QDir(folder).filePath(bestListFileName(competitionNumber));
}

Outcome ensureBestListFiles(const QString& folder) {
    for (int n = 1; n <= competitionCount; ++n) {
        if (Outcome failed = createIfMissing(bestListPath(folder, n)))
            return failed;
    }
    return std::nullopt;
}

Result<QList<BestListEntry>> readBestList(QIODevice& device) {
    // A longer file is read no further than the records the program can use, so even a huge
    // foreign file is read quickly and in bounded memory.
    const std::optional<QByteArray> data =
        readAtMost(device, qint64(bestListReadLimit) * bestListRecordSize);
    if (!data)
        return failureOfError(EIO, false);
    QList<BestListEntry> records;
    const qsizetype whole = data->size() / bestListRecordSize;
    for (qsizetype i = 0; i < whole; ++i) {
        const QByteArrayView record(data->constData() + i * bestListRecordSize, bestListRecordSize);
        records.append(*decodeBestListEntry(record));
    }
    return records;
}

Result<QList<BestListEntry>> readBestList(const QString& path, FileOrigin origin) {
    QFile file;
    if (const Outcome refused = openToRead(file, path, origin))
        return *refused;
    return readBestList(file);
}

BestListUpdate updateBestList(const QString& folder, int competitionNumber,
                              const BestListEntry& entry, int lockTimeoutMs) {
    constexpr quint8 notEntered = 0;
    if (competitionNumber < 1 || competitionNumber > competitionCount)
        return notEntered;
    const QString path = bestListPath(folder, competitionNumber);
    // A folder, a pipe or a link in the list's place is neither read nor replaced.
    if (const Outcome refused = notAFile(path, FileOrigin::Own))
        return *refused;
    const FileLock lock(path + QStringLiteral(".lock"), lockTimeoutMs);
    if (!lock.held())
        return *lock.failure();

    BestListTable table{};
    table[0] = entry;

    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        // A list deleted while the program ran starts again with this entry alone.
        if (const Outcome failed = writeRecords(path, &table[0], 1))
            return *failed;
        return notEntered;
    }

    const Result<QList<BestListEntry>> read = readBestList(path, FileOrigin::Own);
    if (!read)
        return read.failure();
    for (qsizetype i = 0; i < read->size(); ++i)
        table[size_t(i + 1)] = read->at(i);

    // An entry that does not beat the participant's own, wherever it stands, changes nothing.
    for (const BestListEntry& listed : *read) {
        if (sameParticipant(listed, entry) && listed.points >= entry.points)
            return notEntered;
    }

    const int place = placeFor(table, entry.points);
    if (place == bestListStoredRecords)
        return bestListRankBelowPlaces;
    if (place >= 1 && place <= bestListPlaces) {
        for (int k = bestListStoredRecords; k > place; --k)
            table[k] = table[k - 1];
        table[place] = entry;

        // One place per name: the participant's older, lower entry leaves the twelve places and
        // the places below move up. The reserve stays, so it now equals place 12.
        int seen = 0;
        for (int k = 1; k <= bestListPlaces; ++k) {
            if (!sameParticipant(table[k], entry))
                continue;
            if (++seen == 2) {
                for (int j = k; j < bestListStoredRecords; ++j)
                    table[j] = table[j + 1];
                break;
            }
        }
    }

    if (const Outcome failed = writeRecords(path, &table[1], bestListStoredRecords))
        return *failed;
    if (place >= 1 && place <= bestListPlaces)
        return quint8(place);
    return notEntered;
}

BestListUpdate rankCompetitionRun(const QString& folder, const RunResult& result,
                                  const Clock& clock, int lockTimeoutMs) {
    if (!result.competitionChosen || result.points <= 0)
        return quint8(0);
    const std::optional<BestListEntry> entry = buildBestListEntry(result, clock);
    if (!entry)
        return quint8(0);
    return updateBestList(folder, result.competitionNumber, *entry, lockTimeoutMs);
}
