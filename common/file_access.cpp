#include "common/file_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The call a test has made fail, or -1.
std::atomic<int> failingCall{-1};
std::atomic<int> failingError{0};

bool failsNow(SystemCall call) {
    if (failingCall.load(std::memory_order_relaxed) != int(call))
        return false;
    errno = failingError.load(std::memory_order_relaxed);
    return true;
}

ssize_t writeCall(int fd, const char* data, size_t size) {
    return failsNow(SystemCall::Write) ? -1 : ::write(fd, data, size);
}

int fsyncCall(int fd) {
    return failsNow(SystemCall::Fsync) ? -1 : ::fsync(fd);
}

int renameCall(const char* from, const char* to) {
    return failsNow(SystemCall::Rename) ? -1 : ::rename(from, to);
}

int closeCall(int fd) {
    if (failsNow(SystemCall::Close)) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return ::close(fd);
}

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

Failure linkRefused() {
    return {Failure::Kind::Io,
            QStringLiteral("Die Datei ist eine Verknüpfung. Das Programm liest und schreibt seine "
                           "eigenen Dateien nicht durch Verknüpfungen.")};
}

// What kind of object a stat result describes, when it is not one the program may use.
Outcome kindRefused(const struct stat& info) {
    if (S_ISREG(info.st_mode))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return Failure{Failure::Kind::Io, QStringLiteral("Die Datei ist ein Ordner.")};
    if (S_ISLNK(info.st_mode))
        return linkRefused();
    return Failure{Failure::Kind::Io, QStringLiteral("Die Datei ist keine gewöhnliche Datei.")};
}

// Retries a call that a signal interrupted.
template <typename Call> auto retried(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

// Opens without blocking and checks what was opened: a regular file. The descriptor is left in
// blocking mode again, so that reads and writes behave as usual.
int openChecked(const QString& path, int flags, FileOrigin origin, mode_t mode, Outcome& failed) {
    flags |= O_NONBLOCK | O_CLOEXEC;
    if (origin == FileOrigin::Own)
        flags |= O_NOFOLLOW;
    const QByteArray name = encoded(path);
    // A device is not even opened: opening some devices already does something.
    struct stat before {};
    const int looked = origin == FileOrigin::Own ? ::lstat(name.constData(), &before)
                                                 : ::stat(name.constData(), &before);
    if (looked == 0 && !S_ISREG(before.st_mode)) {
        failed = kindRefused(before);
        return -1;
    }
    const int fd = retried([&] { return ::open(name.constData(), flags, mode); });
    if (fd < 0) {
        // O_NOFOLLOW answers ELOOP when a link took the file's place since the look above.
        failed = errno == ELOOP && origin == FileOrigin::Own
                     ? linkRefused()
                     : failureOfError(errno, (flags & O_ACCMODE) != O_RDONLY);
        return -1;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        failed = kindRefused(opened);
        if (!failed)
            failed = failureOfError(errno, (flags & O_ACCMODE) != O_RDONLY);
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Writes all of data; the errno of the failure otherwise.
int writeAll(int fd, const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = retried(
            [&] { return writeCall(fd, data.constData() + done, size_t(data.size() - done)); });
        if (written < 0)
            return errno;
        if (written == 0)
            return ENOSPC;
        done += written;
    }
    return 0;
}

// After a rename or a new file the folder's entry must reach the disk too, or a power cut right
// after the save can lose it. Some file systems cannot sync a folder; that loses nothing more.
void syncFolderOf(const QString& path) {
    const QByteArray folder = encoded(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The file a chosen link leads to, so that replacing it keeps the link and changes its target.
QString followedLinks(const QString& path) {
    QString target = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            return target;
        target = info.symLinkTarget();
    }
    return target;
}

} // namespace

QString reasonForError(int err, bool writing) {
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Der Datenträger ist voll.");
    case EFBIG:
        return QStringLiteral("Der Datenträger ist voll, oder die Datei darf nicht größer werden.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case EACCES:
    case EPERM:
        return writing ? QStringLiteral("Der Ordner oder die Datei ist schreibgeschützt.")
                       : QStringLiteral("Die Datei darf nicht gelesen werden.");
    case ENOENT:
        return writing ? QStringLiteral("Den Ordner der Datei gibt es nicht.")
                       : QStringLiteral("Die Datei gibt es nicht.");
    case ENOTDIR:
        return QStringLiteral("Den Ordner der Datei gibt es nicht.");
    case EISDIR:
        return QStringLiteral("Die Datei ist ein Ordner.");
    case ELOOP:
        return QStringLiteral("Die Datei ist eine Verknüpfung, die im Kreis führt.");
    case ENAMETOOLONG:
        return QStringLiteral("Der Name der Datei ist zu lang.");
    case ETXTBSY:
    case EBUSY:
    case EWOULDBLOCK:
        return QStringLiteral("Die Datei ist von einem anderen Programm gesperrt.");
    case EMFILE:
    case ENFILE:
    case ENOMEM:
        return QStringLiteral("Dem Computer fehlen gerade Mittel, um die Datei zu öffnen.");
    case EIO:
        return writing ? QStringLiteral("Der Datenträger meldet einen Fehler beim Schreiben.")
                       : QStringLiteral("Der Datenträger meldet einen Fehler beim Lesen.");
    default:
        return writing ? QStringLiteral("Die Datei konnte nicht geschrieben werden.")
                       : QStringLiteral("Die Datei konnte nicht gelesen werden.");
    }
}

Failure failureOfError(int err, bool writing) {
    const bool locked = err == ETXTBSY || err == EBUSY || err == EWOULDBLOCK;
    return {locked ? Failure::Kind::Busy : Failure::Kind::Io, reasonForError(err, writing)};
}

Outcome notAFile(const QString& path, FileOrigin origin) {
    const QByteArray name = encoded(path);
    struct stat info {};
    const int looked = origin == FileOrigin::Own ? ::lstat(name.constData(), &info)
                                                 : ::stat(name.constData(), &info);
    if (looked != 0)
        return std::nullopt;
    return kindRefused(info);
}

Outcome openToRead(QFile& file, const QString& path, FileOrigin origin) {
    Outcome failed;
    const int fd = openChecked(path, O_RDONLY, origin, 0, failed);
    if (fd < 0)
        return failed;
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failureOfError(EIO, false);
    }
    return std::nullopt;
}

Outcome replaceContents(const QString& path, const QByteArray& data, FileOrigin origin) {
    const QString target = origin == FileOrigin::Chosen ? followedLinks(path) : path;
    const QByteArray name = encoded(target);
    mode_t mode = 0;
    struct stat old {};
    if (::lstat(name.constData(), &old) == 0) {
        if (Outcome refused = kindRefused(old))
            return refused;
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        return failureOfError(errno, true);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    QByteArray temporary = name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failureOfError(errno, true);
    int err = ::fchmod(fd, mode) == 0 ? 0 : errno;
    if (err == 0)
        err = writeAll(fd, data);
    if (err == 0 && fsyncCall(fd) != 0)
        err = errno;
    if (closeCall(fd) != 0 && err == 0)
        err = errno;
    // rename() replaces a link in the file's place by the new file instead of writing through
    // it, so even a link put there since the look above cannot lead the data out of the folder.
    if (err == 0 && renameCall(temporary.constData(), name.constData()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temporary.constData());
        return failureOfError(err, true);
    }
    syncFolderOf(target);
    return std::nullopt;
}

Outcome appendToFile(const QString& path, const QByteArray& data, FileOrigin origin) {
    const QByteArray name = encoded(path);
    struct stat before {};
    const bool existed = (origin == FileOrigin::Own ? ::lstat(name.constData(), &before)
                                                    : ::stat(name.constData(), &before)) == 0;
    Outcome failed;
    const int fd = openChecked(path, O_WRONLY | O_APPEND | O_CREAT, origin, 0666, failed);
    if (fd < 0)
        return failed;
    struct stat opened {};
    ::fstat(fd, &opened);
    const off_t oldSize = opened.st_size;
    int err = writeAll(fd, data);
    if (err == 0 && fsyncCall(fd) != 0)
        err = errno;
    if (err != 0) {
        // Take back whatever part of the data reached the file.
        if (existed)
            (void)::ftruncate(fd, oldSize);
        else
            ::unlink(name.constData());
        ::close(fd);
        return failureOfError(err, true);
    }
    if (closeCall(fd) != 0)
        return failureOfError(errno, true);
    if (!existed)
        syncFolderOf(path);
    return std::nullopt;
}

bool noRoomIn(const QString& folder) {
    struct statvfs info {};
    if (::statvfs(encoded(folder).constData(), &info) != 0)
        return false;
    return info.f_bfree == 0 || (info.f_files > 0 && info.f_ffree == 0);
}

Outcome createIfMissing(const QString& path) {
    const int fd = retried([&] {
        return ::open(encoded(path).constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    });
    if (fd < 0)
        return errno == EEXIST ? Outcome{} : failureOfError(errno, true);
    ::close(fd);
    return std::nullopt;
}

void ignoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

QByteArray currentFolderBytes() {
    QByteArray name(4096, Qt::Uninitialized);
    while (::getcwd(name.data(), size_t(name.size())) == nullptr) {
        if (errno != ERANGE)
            return QByteArray();
        name.resize(name.size() * 2);
    }
    name.truncate(qsizetype(::strlen(name.constData())));
    return name;
}

QString undecodableName(const QByteArray& name) {
    if (QFile::encodeName(QFile::decodeName(name)) == name)
        return QString();
    QString shown;
    qsizetype at = 0;
    while (at < name.size()) {
        // The longest stretch from here that decodes and encodes back unchanged.
        qsizetype length = 0;
        for (qsizetype n = std::min<qsizetype>(4, name.size() - at); n >= 1; --n) {
            const QByteArray piece = name.mid(at, n);
            if (QString::fromUtf8(piece).toUtf8() == piece) {
                length = n;
                break;
            }
        }
        if (length == 0) {
            shown += QStringLiteral("\\x") +
                     QString::number(quint8(name[at]), 16).toUpper().rightJustified(2, u'0');
            at += 1;
        } else {
            shown += QString::fromUtf8(name.mid(at, length));
            at += length;
        }
    }
    return shown;
}

namespace {

// "NAME.EXT.XXXXXX": a temporary file of replaceFile beside one of the program's own files.
bool temporaryOfOwnFile(const QByteArray& name) {
    static const QList<QByteArray> ownExtensions{".bli", ".agb", ".erg", ".pdf", ".csv"};
    constexpr qsizetype suffix = 7; // the dot and mkostemp's six letters or digits
    if (name.size() <= suffix || name[name.size() - suffix] != '.')
        return false;
    for (qsizetype i = name.size() - suffix + 1; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    const QByteArray base = name.left(name.size() - suffix).toLower();
    return std::any_of(ownExtensions.begin(), ownExtensions.end(), [&](const QByteArray& ext) {
        return base.size() > ext.size() && base.endsWith(ext);
    });
}

} // namespace

int removeStaleTemporaryFiles(const QString& folder) {
    constexpr time_t staleAfterSeconds = 3600;
    const int folderFd =
        ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (folderFd < 0)
        return 0;
    DIR* entries = ::fdopendir(folderFd);
    if (!entries) {
        ::close(folderFd);
        return 0;
    }
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(entries)) {
        const QByteArray name(entry->d_name);
        if (!temporaryOfOwnFile(name))
            continue;
        struct stat info {};
        if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
            now - info.st_mtim.tv_sec < staleAfterSeconds)
            continue;
        if (::unlinkat(folderFd, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(entries);
    return removed;
}

FailingSystemCall::FailingSystemCall(SystemCall call, int err) {
    failingError.store(err);
    failingCall.store(int(call));
}

FailingSystemCall::~FailingSystemCall() {
    failingCall.store(-1);
}

std::optional<QByteArray> readAtMost(QIODevice& device, qint64 limit) {
    QByteArray data(limit, Qt::Uninitialized);
    qint64 total = 0;
    while (total < limit) {
        const qint64 got = device.read(data.data() + total, limit - total);
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        total += got;
    }
    data.truncate(total);
    return data;
}
