#pragma once

#include <QLockFile>
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
// is taken over at once; one from another computer only by its age.
inline constexpr int staleFileLockMs = 10000;

class FileLock {
public:
    enum class State {
        Held,   // this update may go on
        Busy,   // another program held the lock for the whole timeout
        Failed, // the lock file could not be created (no folder, no write permission)
    };

    FileLock(const QString& lockPath, int timeoutMs);
    State state() const { return state_; }

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    QLockFile lock_;
    State state_ = State::Failed;
};
