#include "storage/results_file.h"

#include "common/file_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>

namespace {

const QString automaticExtension = QStringLiteral(".Erg");
constexpr int automaticBaseLength = 8;
// The digit counter of the automatic names is one byte wide.
constexpr int lastNumberedCounter = 255;

FileOutcome failure(const QString& reason) {
    return FileOutcome{false, reason};
}

bool usableForStoring(const ResultsFileState& state) {
    return !state.exists || (state.wholeRecords && !state.full());
}

FileOutcome outcomeOf(const QString& reason) {
    return FileOutcome{reason.isEmpty(), reason};
}

} // namespace

ResultsFileState inspectResultsFile(const QString& path, FileOrigin origin) {
    ResultsFileState state;
    const QFileInfo info(path);
    state.exists = info.exists() || info.isSymLink();
    if (!state.exists)
        return state;
    if (!notAFileReason(path, origin).isEmpty()) {
        // A folder, a device or a link among the program's own files holds no records and must
        // never be stored into.
        state.wholeRecords = false;
        return state;
    }
    state.records = info.size() / resultRecordSize;
    state.wholeRecords = info.size() % resultRecordSize == 0;
    return state;
}

namespace {

const QString busyReason =
    QStringLiteral("Die Datei wird gerade von einem anderen Computer bearbeitet. Versuche es "
                   "gleich noch einmal.");

// The store itself; the caller holds the lock.
FileOutcome storeLocked(const QString& path, const ResultRecord& record, bool emptyFirst,
                        FileOrigin origin) {
    if (const QString refusal = notAFileReason(path, origin); !refusal.isEmpty())
        return failure(refusal);
    const QByteArray bytes = encodeResultRecord(record);
    if (emptyFirst)
        return outcomeOf(replaceFile(path, bytes, origin));
    // Checked again here, under the lock: another computer may have filled the file since the
    // child chose it.
    if (!usableForStoring(inspectResultsFile(path, origin)))
        return failure(QStringLiteral("Die Datei ist voll oder keine Leistungs-Datei."));
    return outcomeOf(appendToFile(path, bytes, origin));
}

} // namespace

QString resultsLockPath(const QString& path) {
    // The names of the automatic series share one lock, also when a child picks one of them in
    // the save dialog.
    static const QRegularExpression automaticName(
        QStringLiteral("^W(a{0,7}|[1-9][0-9]{0,2}a{1,6})\\.Erg$"),
        QRegularExpression::CaseInsensitiveOption);
    const QFileInfo info(path);
    if (automaticName.match(info.fileName()).hasMatch())
        return info.dir().filePath(QStringLiteral("W.Erg.lock"));
    return path + QStringLiteral(".lock");
}

FileOutcome storeResultRecord(const QString& path, const ResultRecord& record, bool emptyFirst,
                              int lockTimeoutMs) {
    if (const QString refusal = notAFileReason(path); !refusal.isEmpty())
        return failure(refusal);
    const FileLock lock(resultsLockPath(path), lockTimeoutMs);
    if (lock.state() == FileLock::State::Busy)
        return failure(busyReason);
    if (lock.state() == FileLock::State::Failed)
        return failure(lock.reason());
    return storeLocked(path, record, emptyFirst, FileOrigin::Chosen);
}

AutomaticStore storeAutomaticResultRecord(const QString& folder, const ResultRecord& record,
                                          int lockTimeoutMs) {
    AutomaticStore store;
    const QString first = QDir(folder).filePath(QStringLiteral("W.Erg"));
    const FileLock lock(resultsLockPath(first), lockTimeoutMs);
    if (lock.state() != FileLock::State::Held) {
        store.outcome = failure(lock.state() == FileLock::State::Busy
                                    ? QStringLiteral("Die Leistungs-Dateien W*.Erg werden gerade "
                                                     "von einem anderen Computer bearbeitet.")
                                    : lock.reason());
        return store;
    }
    const AutomaticResultsName name = automaticResultsName(folder);
    if (name.path.isEmpty()) {
        store.outcome = failure(name.reason);
        return store;
    }
    store.path = name.path;
    store.numberedCounter = name.numberedCounter;
    store.outcome = storeLocked(name.path, record, false, FileOrigin::Own);
    return store;
}

QString nextAutomaticBase(const QString& base, int& numberedCounter) {
    QString next = base;
    if (next.size() >= automaticBaseLength) {
        if (numberedCounter >= lastNumberedCounter)
            return QString();
        ++numberedCounter;
        next = QLatin1Char('W') + QString::number(numberedCounter);
    }
    if (next.size() < automaticBaseLength)
        next += QLatin1Char('a');
    return next;
}

AutomaticResultsName automaticResultsName(const QString& folder) {
    const QDir dir(folder);
    AutomaticResultsName found;
    QString base = QStringLiteral("W");
    QString path = dir.filePath(base + automaticExtension);
    if (usableForStoring(inspectResultsFile(path, FileOrigin::Own))) {
        found.path = path;
        return found;
    }
    int counter = 0;
    for (;;) {
        base = nextAutomaticBase(base, counter);
        if (base.isEmpty()) {
            found.reason = QStringLiteral("Im Ordner %1 ist keine freie Leistungs-Datei W*.Erg "
                                          "mehr zu finden.")
                               .arg(QDir::toNativeSeparators(dir.absolutePath()));
            return found;
        }
        path = dir.filePath(base + automaticExtension);
        ResultsFileState state = inspectResultsFile(path, FileOrigin::Own);
        if (!state.exists) {
            if (const QString reason = createIfMissing(path); !reason.isEmpty()) {
                found.reason = reason;
                return found;
            }
            // Whatever is there now, made by this program or not, is judged like any other name.
            state = inspectResultsFile(path, FileOrigin::Own);
        }
        if (usableForStoring(state)) {
            found.path = path;
            found.numberedCounter = counter;
            return found;
        }
    }
}

std::optional<QList<ResultRecord>> loadResults(QIODevice& device) {
    const std::optional<QByteArray> data =
        readAtMost(device, qint64(fullFileLimit) * resultRecordSize);
    if (!data)
        return std::nullopt;
    QList<ResultRecord> records;
    for (qsizetype at = 0; at + resultRecordSize <= data->size(); at += resultRecordSize)
        records.append(*decodeResultRecord(QByteArrayView(*data).sliced(at, resultRecordSize)));
    return records;
}

std::optional<QList<ResultRecord>> loadResults(const QString& path, QString* reason) {
    QFile file;
    if (const QString refusal = openForReading(file, path, FileOrigin::Chosen);
        !refusal.isEmpty()) {
        if (reason)
            *reason = refusal;
        return std::nullopt;
    }
    std::optional<QList<ResultRecord>> records = loadResults(file);
    if (!records && reason)
        *reason = reasonForError(EIO, false);
    return records;
}
