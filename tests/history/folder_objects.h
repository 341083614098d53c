#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

// A real full disk: a small tmpfs mounted on a folder (the tests run as root) and filled up.
class FullDisk {
public:
    explicit FullDisk(const QString& folder) : folder_(folder) {
        mounted_ =
            ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=256k") == 0;
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

    // Writes a filler file until the disk refuses more; true when it ended full.
    bool fill() const {
        QFile filler(QDir(folder_).filePath(QStringLiteral("Füllung")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(512, 'f');
        while (filler.write(block) == block.size()) {
        }
        return true;
    }

private:
    QString folder_;
    bool mounted_ = false;
    int error_ = 0;
};

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
