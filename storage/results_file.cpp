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

bool usableForStoring(const ResultsFileState& state) {
    return !state.exists || (state.wholeRecords && !state.full());
}

} // namespace

ResultsFileState inspectResultsFile(const QString& path, FileOrigin origin) {
    ResultsFileState state;
    const QFileInfo info(path);
    state.exists = info.exists() || info.isSymLink();
    if (!state.exists)
        return state;
    if (notAFile(path, origin)) {
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

// The store itself; the caller holds the lock.
Outcome storeLocked(const QString& path, const ResultRecord& record, bool emptyFirst,
                    FileOrigin origin) {
    if (Outcome refused = notAFile(path, origin))
        return refused;
    const QByteArray bytes = encodeResultRecord(record);
    if (emptyFirst)
        return replaceContents(path, bytes, origin);
    // Checked again here, under the lock: another computer may have filled the file since the
    // child chose it.
    if (const ResultsFileState state = inspectResultsFile(path, origin); !usableForStoring(state))
        return Failure{state.wholeRecords ? Failure::Kind::Refused : Failure::Kind::Damaged,
                       QStringLiteral("Die Datei ist voll oder keine Leistungs-Datei.")};
    return appendToFile(path, bytes, origin);
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

Outcome storeResultRecord(const QString& path, const ResultRecord& record, bool emptyFirst,
                          int lockTimeoutMs) {
    if (Outcome refused = notAFile(path))
        return refused;
    const FileLock lock(resultsLockPath(path), lockTimeoutMs);
    if (!lock.held())
        return lock.failure();
    return storeLocked(path, record, emptyFirst, FileOrigin::Chosen);
}

AutomaticStore storeAutomaticResultRecord(const QString& folder, const ResultRecord& record,
                                          int lockTimeoutMs) {
    AutomaticStore store;
    const QString first = QDir(folder).filePath(QStringLiteral("W.Erg"));
    const FileLock lock(resultsLockPath(first), lockTimeoutMs);
    if (!lock.held()) {
        store.outcome = lock.failure();
        if (store.outcome->kind == Failure::Kind::Busy)
            store.outcome->reason = QStringLiteral("Die Leistungs-Dateien W*.Erg werden gerade "
                                                   "von einem anderen Computer bearbeitet.");
        return store;
    }
    const Result<AutomaticResultsName> name = automaticResultsName(folder);
    if (!name) {
        store.outcome = name.failure();
        return store;
    }
    store.path = name->path;
    store.numberedCounter = name->numberedCounter;
    store.outcome = storeLocked(name->path, record, false, FileOrigin::Own);
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

Result<AutomaticResultsName> automaticResultsName(const QString& folder) {
    const QDir dir(folder);
    QString base = QStringLiteral("W");
    QString path = dir.filePath(base + automaticExtension);
    if (usableForStoring(inspectResultsFile(path, FileOrigin::Own)))
        return AutomaticResultsName{path, 0};
    int counter = 0;
    for (;;) {
        base = nextAutomaticBase(base, counter);
        if (base.isEmpty())
            return Failure{Failure::Kind::Refused,
                           QStringLiteral("Im Ordner %1 ist keine freie Leistungs-Datei W*.Erg "
                                          "mehr zu finden.")
                               .arg(QDir::toNativeSeparators(dir.absolutePath()))};
        path = dir.filePath(base + automaticExtension);
        ResultsFileState state = inspectResultsFile(path, FileOrigin::Own);
        if (!state.exists) {
            if (Outcome failed = createIfMissing(path))
                return *failed;
            // Whatever is there now, made by this program or not, is judged like any other name.
            state = inspectResultsFile(path, FileOrigin::Own);
        }
        if (usableForStoring(state))
            return AutomaticResultsName{path, counter};
    }
}

Result<QList<ResultRecord>> loadResults(QIODevice& device) {
    const std::optional<QByteArray> data =
        readAtMost(device, qint64(fullFileLimit) * resultRecordSize);
    if (!data)
        return failureOfError(EIO, false);
    QList<ResultRecord> records;
    for (qsizetype at = 0; at + resultRecordSize <= data->size(); at += resultRecordSize)
        records.append(*decodeResultRecord(QByteArrayView(*data).sliced(at, resultRecordSize)));
    return records;
}

Result<QList<ResultRecord>> loadResults(const QString& path) {
    QFile file;
    if (const Outcome refused = openToRead(file, path, FileOrigin::Chosen))
        return *refused;
    return loadResults(file);
}
