#include "common/file_lock.h"

FileLock::FileLock(const QString& lockPath, int timeoutMs) : lock_(lockPath) {
    lock_.setStaleLockTime(staleFileLockMs);
    if (lock_.tryLock(timeoutMs))
        state_ = State::Held;
    else if (lock_.error() == QLockFile::LockFailedError)
        state_ = State::Busy;
    else
        state_ = State::Failed;
}
