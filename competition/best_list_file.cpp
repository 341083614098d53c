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

QString writeRecords(const QString& path, const BestListEntry* first, int count) {
    QByteArray data;
    data.reserve(count * bestListRecordSize);
    for (int i = 0; i < count; ++i)
        data += encodeBestListEntry(first[i]);
    return replaceFile(path, data, FileOrigin::Own);
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

bool ensureBestListFiles(const QString& folder, QString* reason) {
    for (int n = 1; n <= competitionCount; ++n) {
        if (const QString failed = createIfMissing(bestListPath(folder, n)); !failed.isEmpty()) {
            if (reason)
                *reason = failed;
            return false;
        }
    }
    return true;
}

std::optional<QList<BestListEntry>> readBestList(QIODevice& device) {
    // A longer file is read no further than the records the program can use, so even a huge
    // foreign file is read quickly and in bounded memory.
    const std::optional<QByteArray> data =
        readAtMost(device, qint64(bestListReadLimit) * bestListRecordSize);
    if (!data)
        return std::nullopt;
    QList<BestListEntry> records;
    const qsizetype whole = data->size() / bestListRecordSize;
    for (qsizetype i = 0; i < whole; ++i) {
        const QByteArrayView record(data->constData() + i * bestListRecordSize, bestListRecordSize);
        records.append(*decodeBestListEntry(record));
    }
    return records;
}

std::optional<QList<BestListEntry>> readBestList(const QString& path, FileOrigin origin,
                                                 QString* reason) {
    QFile file;
    if (const QString refusal = openForReading(file, path, origin); !refusal.isEmpty()) {
        if (reason)
            *reason = refusal;
        return std::nullopt;
    }
    std::optional<QList<BestListEntry>> entries = readBestList(file);
    if (!entries && reason)
        *reason = reasonForError(EIO, false);
    return entries;
}

BestListUpdate updateBestList(const QString& folder, int competitionNumber,
                              const BestListEntry& entry, int lockTimeoutMs) {
    BestListUpdate update;
    if (competitionNumber < 1 || competitionNumber > competitionCount)
        return update;
    const QString path = bestListPath(folder, competitionNumber);
    // A folder, a pipe or a link in the list's place is neither read nor replaced.
    if (const QString refusal = notAFileReason(path, FileOrigin::Own); !refusal.isEmpty()) {
        update.ioError = true;
        update.reason = refusal;
        return update;
    }
    const FileLock lock(path + QStringLiteral(".lock"), lockTimeoutMs);
    if (lock.state() != FileLock::State::Held) {
        update.busy = lock.state() == FileLock::State::Busy;
        update.ioError = !update.busy;
        update.reason = lock.reason();
        return update;
    }

    BestListTable table{};
    table[0] = entry;

    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        // A list deleted while the program ran starts again with this entry alone.
        update.reason = writeRecords(path, &table[0], 1);
        update.ioError = !update.reason.isEmpty();
        return update;
    }

    const std::optional<QList<BestListEntry>> read =
        readBestList(path, FileOrigin::Own, &update.reason);
    if (!read) {
        update.ioError = true;
        return update;
    }
    for (qsizetype i = 0; i < read->size(); ++i)
        table[size_t(i + 1)] = read->at(i);

    // An entry that does not beat the participant's own, wherever it stands, changes nothing.
    for (const BestListEntry& listed : *read) {
        if (sameParticipant(listed, entry) && listed.points >= entry.points)
            return update;
    }

    const int place = placeFor(table, entry.points);
    if (place == bestListStoredRecords) {
        update.bestListRank = bestListRankBelowPlaces;
        return update;
    }
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

    update.reason = writeRecords(path, &table[1], bestListStoredRecords);
    if (!update.reason.isEmpty()) {
        update.ioError = true;
        return update;
    }
    if (place >= 1 && place <= bestListPlaces)
        update.bestListRank = quint8(place);
    return update;
}

BestListUpdate rankCompetitionRun(const QString& folder, const RunResult& result,
                                  const Clock& clock, int lockTimeoutMs) {
    if (!result.competitionChosen || result.points <= 0)
        return BestListUpdate{};
    const std::optional<BestListEntry> entry = buildBestListEntry(result, clock);
    if (!entry)
        return BestListUpdate{};
    return updateBestList(folder, result.competitionNumber, *entry, lockTimeoutMs);
}
