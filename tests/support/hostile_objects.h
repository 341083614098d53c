#pragma once

// What anybody who shares the data folder can put where the program expects one of its files,
// and a file system that is full.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
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

// Every entry of a folder with its content, to show that nothing in it changed.
inline QMap<QString, QByteArray> folderContents(const QString& folder) {
    QMap<QString, QByteArray> contents;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile file(dir.filePath(name));
        contents[name] = objectType(file.fileName()) == S_IFREG && file.open(QIODevice::ReadOnly)
                             ? file.readAll()
                             : QByteArray("(no file)");
    }
    return contents;
}

// A small file system of its own, mounted in a temporary folder (the tests run as root); fill()
// uses up its space and its file entries, so that writes and new files fail as on a full disk.
class FullDisk {
public:
    FullDisk() {
        mounted_ = dir_.isValid() && ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(),
                                             "tmpfs", 0, "size=128k,nr_inodes=64") == 0;
    }
    ~FullDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }

    void fill() {
        const QByteArray block(4096, 'x');
        for (int i = 0;; ++i) {
            const QByteArray name = QFile::encodeName(dir_.filePath(".fill%1").arg(i));
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            if (fd < 0)
                return; // no file entry left
            while (::write(fd, block.constData(), size_t(block.size())) > 0) {
            }
            // The last bytes of a nearly full disk.
            while (::write(fd, block.constData(), 1) > 0) {
            }
            ::close(fd);
        }
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};
