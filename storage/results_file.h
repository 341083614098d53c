#pragma once

#include "common/failure.h"
#include "common/file_access.h"
#include "common/file_lock.h"
#include "storage/result_record.h"

#include <QList>
#include <QString>

class QIODevice;

// What a results file on disk is, before a record is stored into it.
struct ResultsFileState {
    bool exists = false;
    qint64 records = 0;       // whole records, counted in full width
    bool wholeRecords = true; // the length is a multiple of 122 bytes
    bool full() const { return records >= fullFileLimit; }
};
// A link among the program's own files (FileOrigin::Own) counts as a file that is not made of
// whole records, like a folder or a device: it is never stored into.
ResultsFileState inspectResultsFile(const QString& path, FileOrigin origin = FileOrigin::Chosen);

// Appends the record to the file, creating it when it does not exist. A failed append leaves
// the file as long as it was, and the record is synced to the disk before success is reported.
// The path is the child's choice and may be a link. With emptyFirst the file is replaced by one
// holding only this record (the answer Yes to the full-file question). A file that meanwhile became
// full or is not made of whole records is not appended to. The store runs under the file's lock
// (the lock of the automatic files for their names, otherwise "<name>.lock"); a lock that another
// program holds for longer than lockTimeoutMs makes it fail as Busy. A file that is full fails as
// Refused, one that is not made of whole records as Damaged.
Outcome storeResultRecord(const QString& path, const ResultRecord& record, bool emptyFirst = false,
                          int lockTimeoutMs = fileLockTimeoutMs);

// The automatic results file of competition runs in the folder: W.Erg, then Wa.Erg, Waa.Erg,
// ... Waaaaaaa.Erg, W1a.Erg ... W1aaaaaa.Erg, W2a.Erg, ... Files that are full or not made of
// whole records are passed over; a missing file along the way is created empty. Refused when
// every name of the series is taken.
struct AutomaticResultsName {
    QString path;
    int numberedCounter = 0; // the digit counter of the name found (0 for W.Erg, Wa.Erg, ...)
};
Result<AutomaticResultsName> automaticResultsName(const QString& folder);
// Finds the automatic results file and appends the record to it, both under one lock
// ("W.Erg.lock" in the folder), so that two computers never pass the same full file over into
// different new ones or append past 20 records.
struct AutomaticStore {
    Outcome outcome;         // nothing when the record was stored
    QString path;            // the file stored into; empty when none was found
    int numberedCounter = 0; // as in AutomaticResultsName
};
AutomaticStore storeAutomaticResultRecord(const QString& folder, const ResultRecord& record,
                                          int lockTimeoutMs = fileLockTimeoutMs);
// The lock file that guards storing into the results file at path.
QString resultsLockPath(const QString& path);
// The base names in the order the search tries them after "W": "Wa", "Waa", ..., "W1a", ...
// Empty after the last one.
QString nextAutomaticBase(const QString& base, int& numberedCounter);

// Whole records in file order, at most 20; a partial record at the end is ignored.
Result<QList<ResultRecord>> loadResults(QIODevice& device);
Result<QList<ResultRecord>> loadResults(const QString& path);
