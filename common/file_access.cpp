#include "common/file_access.h"

#include <QDir>
#include <QFileDevice>
#include <QFileInfo>

QString fileFailureReason(const QFileDevice& file, bool writing) {
    const QFileInfo info(file.fileName());
    if (info.isDir())
        return QStringLiteral("Die Datei ist ein Ordner.");
    if (!info.absoluteDir().exists())
        return QStringLiteral("Den Ordner der Datei gibt es nicht.");
    switch (file.error()) {
    case QFileDevice::ResourceError:
        return QStringLiteral("Der Datenträger ist voll.");
    case QFileDevice::ReadError:
        return QStringLiteral("Die Datei konnte nicht gelesen werden.");
    case QFileDevice::WriteError:
        return QStringLiteral("Die Datei konnte nicht geschrieben werden.");
    default:
        break;
    }
    if (!writing && !info.exists())
        return QStringLiteral("Die Datei gibt es nicht.");
    if (writing)
        return QStringLiteral("Der Ordner ist schreibgeschützt oder die Datei ist gesperrt.");
    return QStringLiteral("Die Datei ist gesperrt oder darf nicht gelesen werden.");
}

QString notAFileReason(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("Die Datei ist ein Ordner.");
    if (info.exists() && !info.isFile())
        return QStringLiteral("Die Datei ist keine gewöhnliche Datei.");
    return QString();
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
