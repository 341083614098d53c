#include "common/program_settings.h"

#include "common/file_access.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <sys/stat.h>

namespace {

const QString name = QStringLiteral("Kalumbrixtor");

// Larger than any settings file a person writes, small enough to read at once.
constexpr qint64 settingsFileLimit = 16 * 1024 * 1024;

bool isUtf8(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// The folder part of the files: the user's own first, then the system-wide ones.
QStringList userFiles() {
    const QDir user(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    return {user.filePath(name + QLatin1Char('/') + name + QStringLiteral(".conf")),
            user.filePath(name + QStringLiteral(".conf"))};
}

} // namespace

QStringList settingsFiles() {
    QStringList files = userFiles();
    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    folders.removeAll(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    // Qt's settings read every folder's file of the program before any folder's common one.
    for (const QString& folder : folders)
        files << QDir(folder).filePath(name + QLatin1Char('/') + name + QStringLiteral(".conf"));
    for (const QString& folder : folders)
        files << QDir(folder).filePath(name + QStringLiteral(".conf"));
    return files;
}

std::optional<QByteArray> writtenSettingValue(const QByteArray& text, const QByteArray& key) {
    std::optional<QByteArray> found;
    bool general = true; // before any group, and in [General]
    qsizetype at = 0;
    while (at < text.size()) {
        // One line, with the lines a trailing backslash continues it by.
        QByteArray line;
        for (;;) {
            qsizetype end = text.indexOf('\n', at);
            if (end < 0)
                end = text.size();
            QByteArray piece = text.mid(at, end - at);
            at = end + 1;
            if (piece.endsWith('\r'))
                piece.chop(1);
            const bool continued = piece.endsWith('\\') && at < text.size();
            line += continued ? piece.chopped(1) : piece;
            if (!continued)
                break;
        }
        const QByteArray trimmed = line.trimmed();
        if (trimmed.startsWith('[')) {
            const qsizetype close = trimmed.indexOf(']');
            general = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed().toLower() == "general";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!general || trimmed.startsWith(';') || equals < 0 || line.left(equals).trimmed() != key)
            continue;
        // The value ends at a comment outside quotes; an escaped character never ends it.
        bool quoted = false;
        qsizetype end = equals + 1;
        for (; end < line.size(); ++end) {
            const char c = line[end];
            if (c == '\\')
                ++end;
            else if (c == '"')
                quoted = !quoted;
            else if (c == ';' && !quoted)
                break;
        }
        found = line.mid(equals + 1, end - equals - 1).trimmed();
    }
    return found;
}

SettingValue settingValue(const QString& key, const QStringList& files) {
    for (const QString& path : files) {
        QFile file;
        if (openToRead(file, path, FileOrigin::Chosen))
            continue;
        const std::optional<QByteArray> text = readAtMost(file, settingsFileLimit);
        const std::optional<QByteArray> written =
            text ? writtenSettingValue(*text, key.toUtf8()) : std::nullopt;
        if (!written)
            continue;
        // Qt's reading resolves quotes and escapes; a value it makes a list of is taken as
        // written, and one that is not UTF-8 keeps its bytes for the message that names it.
        const QVariant read = QSettings(path, QSettings::IniFormat).value(key);
        if (read.typeId() == QMetaType::QStringList || !isUtf8(*written))
            return {*written, path};
        return {read.toString().toUtf8(), path};
    }
    return {};
}

void keepSettingsFromBlocking() {
    for (const QString& path : userFiles()) {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode) &&
            !S_ISDIR(info.st_mode)) {
            // A place below a file, where nothing can be read or created.
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                               QStringLiteral("/dev/null"));
            QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                               QStringLiteral("/dev/null"));
            return;
        }
    }
}
