#include "common/file_lock.h"

#include "common/file_access.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int retryPauseMs = 50;

QByteArray lockContent() {
    return QByteArray::number(qint64(::getpid())) + '\n' +
           QCoreApplication::applicationName().toUtf8() + '\n' +
           QSysInfo::machineHostName().toUtf8() + '\n';
}

// Something else in the lock file's place: the message names it, since it is not the file the
// child's data go to.
Failure foreignObject(const QString& path, const Failure& refused) {
    return {refused.kind, QStringLiteral("An der Stelle der Sperrdatei %1 liegt etwas anderes. %2")
                              .arg(QFileInfo(path).fileName(), refused.reason)};
}

Failure busy() {
    return {Failure::Kind::Busy,
            QStringLiteral("Die Datei wird gerade von einem anderen Computer bearbeitet. Versuche "
                           "es gleich noch einmal.")};
}

} // namespace

FileLock::FileLock(const QString& lockPath, int timeoutMs) : path_(lockPath) {
    const QByteArray name = QFile::encodeName(lockPath);
    const QDeadlineTimer deadline(timeoutMs);
    // The lock found first, if it was dated in the future, and whether it was taken over.
    std::optional<Seen> firstUndated;
    bool lookedOnce = false;
    bool tookOver = false;
    for (;;) {
        const int fd =
            ::open(name.constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd >= 0) {
            const QByteArray content = lockContent();
            const bool written =
                ::write(fd, content.constData(), size_t(content.size())) == ssize_t(content.size());
            const int err = errno;
            ::close(fd);
            if (written) {
                failure_.reset();
                return;
            }
            // A lock without its owner written in it would look like a foreign one to others.
            ::unlink(name.constData());
            failure_ = failureOfError(err, true);
            return;
        }
        if (errno != EEXIST) {
            // The folder's own trouble (full, read-only, missing) is the real cause.
            failure_ = failureOfError(errno, true);
            return;
        }
        Seen seen;
        const Existing existing = inspectExisting(seen);
        if (!lookedOnce && existing == Existing::Undated)
            firstUndated = seen;
        lookedOnce = true;
        switch (existing) {
        case Existing::Foreign:
            return;
        case Existing::Gone:
            continue;
        case Existing::Stale:
            ::unlink(name.constData());
            continue;
        case Existing::Live:
        case Existing::Undated:
            break;
        }
        if (deadline.hasExpired()) {
            if (existing == Existing::Undated && firstUndated == seen && !tookOver) {
                tookOver = true;
                ::unlink(name.constData());
                continue;
            }
            failure_ = busy();
            return;
        }
        QThread::msleep(retryPauseMs);
    }
}

FileLock::~FileLock() {
    if (held())
        ::unlink(QFile::encodeName(path_).constData());
}

FileLock::Existing FileLock::inspectExisting(Seen& seen) {
    // Something that is not a lock file in its place: waiting for it would never end.
    if (const Outcome refused = notAFile(path_, FileOrigin::Own)) {
        failure_ = foreignObject(path_, *refused);
        return Existing::Foreign;
    }
    // A lock this user may not read is another account's, judged by its age alone.
    QFile file;
    const bool readable = !openToRead(file, path_, FileOrigin::Own);
    struct stat info {};
    if ((readable ? ::fstat(file.handle(), &info)
                  : ::lstat(QFile::encodeName(path_).constData(), &info)) != 0)
        return Existing::Gone;
    seen = {quint64(info.st_dev), quint64(info.st_ino),
            qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
    const qint64 ageMs = QDateTime::currentMSecsSinceEpoch() -
                         (qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000);
    if (ageMs > staleFileLockMs)
        return Existing::Stale;
    // A date in the future tells nothing of the lock's age; only its owner can.
    const Existing unlessOwnerEnded = ageMs < 0 ? Existing::Undated : Existing::Live;
    if (!readable)
        return unlessOwnerEnded;
    const QList<QByteArray> lines = file.read(1024).split('\n');
    if (lines.size() < 3)
        return unlessOwnerEnded; // being written this very moment, or never written
    bool numeric = false;
    const qint64 pid = lines[0].toLongLong(&numeric);
    // A lock of a program on this computer that no longer runs is taken over at once.
    if (numeric && pid > 0 && QString::fromUtf8(lines[2]) == QSysInfo::machineHostName() &&
        ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        return Existing::Stale;
    return unlessOwnerEnded;
}
