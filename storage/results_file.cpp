#include "storage/results_file.h"

#include "common/file_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

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

FileOutcome replaceWithRecord(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(fileFailureReason(file, true));
    // Flushed before the commit: a commit can report success even when buffered bytes never
    // reached the disk, and would then put a cut-short file in place of the old one.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = fileFailureReason(file, true);
        file.cancelWriting();
        return failure(reason);
    }
    if (!file.commit())
        return failure(fileFailureReason(file, true));
    return FileOutcome{};
}

} // namespace

ResultsFileState inspectResultsFile(const QString& path) {
    ResultsFileState state;
    const QFileInfo info(path);
    state.exists = info.exists();
    if (!state.exists)
        return state;
    if (!info.isFile()) {
        // A folder or a device holds no records and must never be stored into.
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

QString lockFailureReason(const QString& path) {
    if (!QFileInfo(path).absoluteDir().exists())
        return QStringLiteral("Den Ordner der Datei gibt es nicht.");
    return QStringLiteral("Der Ordner ist schreibgeschützt oder die Datei ist gesperrt.");
}

// The store itself; the caller holds the lock.
FileOutcome storeLocked(const QString& path, const ResultRecord& record, bool emptyFirst) {
    if (const QString refusal = notAFileReason(path); !refusal.isEmpty())
        return failure(refusal);
    const QByteArray bytes = encodeResultRecord(record);
    if (emptyFirst)
        return replaceWithRecord(path, bytes);
    // Checked again here, under the lock: another computer may have filled the file since the
    // child chose it.
    if (!usableForStoring(inspectResultsFile(path)))
        return failure(QStringLiteral("Die Datei ist voll oder keine Leistungs-Datei."));

    const bool existed = QFileInfo::exists(path);
    // Unbuffered, so that a failed write leaves nothing behind in a buffer that a later flush
    // or the truncation below could still push into the file.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return failure(fileFailureReason(file, true));
    const qint64 oldSize = file.size();
    const qint64 written = file.write(bytes);
    if (written == bytes.size()) {
        file.close();
        return FileOutcome{};
    }
    QString reason = fileFailureReason(file, true);
    if (written > 0 && file.error() == QFileDevice::NoError)
        reason = QStringLiteral("Die Datei konnte nicht vollständig geschrieben werden.");
    // Take back whatever part of the record reached the file.
    if (existed)
        file.resize(oldSize);
    else
        file.remove();
    return failure(reason);
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
        return failure(lockFailureReason(path));
    return storeLocked(path, record, emptyFirst);
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
                                    : lockFailureReason(first));
        return store;
    }
    const AutomaticResultsName name = automaticResultsName(folder);
    if (name.path.isEmpty()) {
        store.outcome = failure(name.reason);
        return store;
    }
    store.path = name.path;
    store.numberedCounter = name.numberedCounter;
    store.outcome = storeLocked(name.path, record, false);
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
    if (usableForStoring(inspectResultsFile(path))) {
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
        const ResultsFileState state = inspectResultsFile(path);
        if (!state.exists) {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                found.reason = fileFailureReason(file, true);
                return found;
            }
            file.close();
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
    if (const QString refusal = notAFileReason(path); !refusal.isEmpty()) {
        if (reason)
            *reason = refusal;
        return std::nullopt;
    }
    QFile file(path);
    std::optional<QList<ResultRecord>> records;
    if (file.open(QIODevice::ReadOnly))
        records = loadResults(file);
    if (!records && reason)
        *reason = fileFailureReason(file, false);
    return records;
}
