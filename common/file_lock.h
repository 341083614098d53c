#pragma once

#include "common/failure.h"

#include <QString>

// A classroom shares one data folder between several computers. An update that reads a file,
// changes it and writes it back (a best list, an appended results file) holds a lock file next
// to it meanwhile, so that two children finishing at the same moment never lose each other's
// entry.

// How long an update waits for another computer's update of the same file. An update takes
// milliseconds; three seconds leave room for a slow network folder and still keep the child
// waiting only briefly.
inline constexpr int fileLockTimeoutMs = 3000;
// A lock older than this counts as left behind by a program that ended without removing it
// (a crash, a computer switched off). A lock of a program on this computer that no longer runs
// is taken over at once; one from another computer only by its age. A lock dated in the future
// (a computer whose clock runs fast, or a date set by hand) has no age to go by: unless its owner
// on this computer has ended, it is taken over once it has outlasted one whole wait unchanged,
// which an update that takes milliseconds never does.
inline constexpr int staleFileLockMs = 10000;

// The lock file holds the process id, the program's name and the computer's name, one a line.
// It is created only where nothing is (never through a link), and an existing one is read
// without blocking and only when it is a regular file: anything else in its place (a pipe, a
// folder, a link) is reported at once instead of being waited for as a lock that never ends.
class FileLock {
public:
    FileLock(const QString& lockPath, int timeoutMs);
    ~FileLock();
    // Whether this update may go on.
    bool held() const { return !failure_; }
    // Why it may not: Busy when another program held the lock for the whole timeout; otherwise
    // the lock file could not be created, or something else is in its place, and the reason
    // names the lock file.
    const Outcome& failure() const { return failure_; }

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    enum class Existing { Gone, Live, Undated, Stale, Foreign };
    // Which lock file was looked at: the same one while its file and date stay the same.
    struct Seen {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 modifiedNs = 0;
        bool operator==(const Seen&) const = default;
    };
    Existing inspectExisting(Seen& seen);

    QString path_;
    // Not held until the lock file is written.
    Outcome failure_ = Failure{};
};
