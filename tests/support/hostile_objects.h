#pragma once

// What anybody who shares the data folder can put where the program expects one of its files,
// and a file system that is full.

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// Puts an object of the kind at path: "link" leads to the file outside, "broken link" to a
// missing file beside it, "fifo", "device" (the null device's numbers) and "folder" are what
// they say.
inline bool plantHostile(const QString& kind, const QString& path, const QString& outside) {
    const QByteArray name = QFile::encodeName(path);
    if (kind == "link")
        return ::symlink(QFile::encodeName(outside).constData(), name.constData()) == 0;
    if (kind == "broken link")
        return ::symlink(QFile::encodeName(outside + ".neu").constData(), name.constData()) == 0;
    if (kind == "fifo")
        return ::mkfifo(name.constData(), 0666) == 0;
    if (kind == "device")
        return ::mknod(name.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (kind == "folder")
        return QDir().mkdir(path);
    return false;
}

// The type bits of what is at path itself (a link is not followed); 0 when nothing is there.
inline mode_t objectType(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
}

// Every entry of a folder with what it is: a file with its bytes, a link with its target, or its
// kind. Special files are never opened, so describing a folder with a pipe in it cannot block.
inline QStringList folderObjects(const QString& folder) {
    QStringList entries;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList(
             QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
        QString line = info.fileName() + QStringLiteral(": ");
        if (info.isSymLink()) {
            line += QStringLiteral("link to ") + info.symLinkTarget();
        } else if (info.isDir()) {
            line += QStringLiteral("folder");
        } else if (info.isFile()) {
            QFile file(info.filePath());
            line += file.open(QIODevice::ReadOnly)
                        ? QStringLiteral("%1 bytes, sha1 %2")
                              .arg(file.size())
                              .arg(QString::fromLatin1(
                                  QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                      .toHex()))
                        : QStringLiteral("unreadable");
        } else {
            line += QStringLiteral("special");
        }
        entries << line;
    }
    return entries;
}

// A real full disk: a small file system of its own mounted on the folder (the tests run as root).
// fill() uses up its space and its file entries, so that writes and new files fail as on a full
// disk.
class FullDisk {
public:
    explicit FullDisk(const QString& folder) : folder_(folder) {
        mounted_ = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0,
                           "size=256k,nr_inodes=64") == 0;
        error_ = mounted_ ? 0 : errno;
    }
    ~FullDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return mounted_; }
    QString mountError() const { return QString::fromLocal8Bit(::strerror(error_)); }

    // True when the disk ended full.
    bool fill() const {
        const QByteArray block(4096, 'f');
        for (int i = 0;; ++i) {
            const QByteArray name =
                QFile::encodeName(QDir(folder_).filePath(QStringLiteral(".fill%1").arg(i)));
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            if (fd < 0)
                return errno == ENOSPC; // no file entry left
            while (::write(fd, block.constData(), size_t(block.size())) > 0) {
            }
            // The last bytes of a nearly full disk.
            while (::write(fd, block.constData(), 1) > 0) {
            }
            ::close(fd);
        }
    }

private:
    QString folder_;
    bool mounted_ = false;
    int error_ = 0;
};
