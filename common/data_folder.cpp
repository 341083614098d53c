#include "common/data_folder.h"

#include "common/file_access.h"

#include <QDir>
#include <QFile>

#include <optional>

#include <cerrno>
#include <climits>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>

namespace {

const QByteArray option = QByteArrayLiteral("--ordner");

// The folder as a message shows it, with where it came from on a line of its own.
QString folderLines(const QString& shown, const DataFolderChoice& choice) {
    const QString origin = dataFolderOrigin(choice);
    return origin.isEmpty() ? shown : shown + QLatin1Char('\n') + origin;
}

DataFolderChoice faulty(DataFolderChoice choice, const QString& message) {
    choice.folder.clear();
    choice.fault = message;
    return choice;
}

} // namespace

DataFolderChoice chooseDataFolder(const QByteArrayList& arguments, const SettingValue& setting,
                                  const QByteArray& startFolder, const QString& home) {
    DataFolderChoice choice;
    // The last --ordner counts, as with most programs: a wrapper script may give one that the
    // user's own overrides.
    std::optional<QByteArray> given;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QByteArray& argument = arguments[i];
        if (argument == option)
            given = i + 1 < arguments.size() ? arguments[++i] : QByteArray();
        else if (argument.startsWith(option + '='))
            given = argument.mid(option.size() + 1);
        else
            continue;
        if (given->isEmpty()) {
            choice.source = DataFolderChoice::Source::CommandLine;
            return faulty(choice, QStringLiteral("Nach --ordner fehlt der Ordner."));
        }
    }
    QByteArray path = startFolder;
    if (given) {
        choice.source = DataFolderChoice::Source::CommandLine;
        path = *given;
    } else if (!setting.bytes.trimmed().isEmpty()) {
        choice.source = DataFolderChoice::Source::Settings;
        choice.settingsFile = setting.file;
        path = setting.bytes.trimmed();
    } else if (startFolder.isEmpty()) {
        return faulty(choice, QStringLiteral("Den Ordner, in dem Kalumbrixtor gestartet wurde, "
                                             "gibt es nicht mehr.\n\nBitte starte Kalumbrixtor "
                                             "in einem anderen Ordner."));
    }
    if (path == "~" || path.startsWith("~/"))
        path = QFile::encodeName(home) + path.mid(1);
    else if (!path.startsWith('/'))
        path = startFolder + '/' + path;
    const QString alternative = choice.source == DataFolderChoice::Source::StartFolder
                                    ? QStringLiteral("starte Kalumbrixtor in einem anderen Ordner")
                                    : QStringLiteral("gib einen anderen Ordner an");
    // Checked before anything else looks at the path: a huge value is refused at once, and a
    // message shows only its start.
    if (path.size() >= PATH_MAX)
        return faulty(
            choice, QStringLiteral("Der Pfad des Ordners\n%1\nist zu lang (%2 Bytes, erlaubt "
                                   "sind höchstens %3).\n\nBitte %4.")
                        .arg(folderLines(QString::fromUtf8(path.left(80)) + QChar(0x2026), choice))
                        .arg(path.size())
                        .arg(PATH_MAX - 1)
                        .arg(alternative));
    if (const QString shown = undecodableName(path); !shown.isEmpty())
        return faulty(
            choice,
            QStringLiteral("Der Name des Ordners\n%1\nenthält Zeichen, die Kalumbrixtor nicht "
                           "lesen kann (hier als \\x.. gezeigt). In diesem Ordner kann es deshalb "
                           "keine Dateien anlegen.\n\nBitte gib dem Ordner einen Namen aus "
                           "gewöhnlichen Buchstaben und Ziffern, oder %2.")
                .arg(folderLines(shown, choice), alternative));
    choice.folder = QDir::cleanPath(QFile::decodeName(path));
    return choice;
}

Outcome dataFolderFault(const QString& folder) {
    const auto io = [](const QString& reason) { return Failure{Failure::Kind::Io, reason}; };
    const auto notAFolder = [](const QString& reason) {
        return Failure{Failure::Kind::Refused, reason};
    };
    const QByteArray name = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        switch (errno) {
        case ENOENT:
            return io(QStringLiteral("Den Ordner gibt es nicht."));
        case ENOTDIR:
            return io(QStringLiteral("Ein Teil des Pfads ist eine Datei, kein Ordner."));
        case EACCES:
            return io(QStringLiteral("Kalumbrixtor darf den Ordner nicht öffnen."));
        case ELOOP:
            return io(QStringLiteral("Der Pfad führt über Verknüpfungen im Kreis."));
        default:
            return io(reasonForError(errno, false));
        }
    }
    if (S_ISREG(info.st_mode))
        return notAFolder(QStringLiteral("Der Pfad nennt eine Datei, keinen Ordner."));
    if (S_ISFIFO(info.st_mode))
        return notAFolder(QStringLiteral("Der Pfad nennt eine Pipe (FIFO), keinen Ordner."));
    if (!S_ISDIR(info.st_mode))
        return notAFolder(
            QStringLiteral("Der Pfad nennt ein Gerät oder etwas anderes, keinen Ordner."));
    // The kernel's own folders show the system's state and take no files.
    struct statfs system {};
    if (::statfs(name.constData(), &system) == 0) {
        switch (system.f_type) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case DEVPTS_SUPER_MAGIC:
            return notAFolder(
                QStringLiteral("Der Ordner gehört zum Betriebssystem (wie /proc und /sys): Er "
                               "zeigt dessen Zustand und nimmt keine Dateien auf."));
        default:
            break;
        }
    }
    return std::nullopt;
}

QString unusableDataFolderMessage(const DataFolderChoice& choice, const QString& reason) {
    const QString advice =
        choice.source == DataFolderChoice::Source::StartFolder
            ? QStringLiteral("Bitte starte Kalumbrixtor in einem Ordner, in dem es Dateien "
                             "anlegen darf.")
            : QStringLiteral("Bitte gib einen Ordner an, den es gibt und in dem Kalumbrixtor "
                             "Dateien anlegen darf.");
    return QStringLiteral("Die Bestenlisten W1.bli bis W16.bli können im Ordner\n%1\nnicht "
                          "angelegt werden.\n%2\n\n%3")
        .arg(folderLines(QDir::toNativeSeparators(choice.folder), choice), reason, advice);
}

QString dataFolderOrigin(const DataFolderChoice& choice) {
    switch (choice.source) {
    case DataFolderChoice::Source::CommandLine:
        return QStringLiteral("(angegeben mit --ordner)");
    case DataFolderChoice::Source::Settings:
        return QStringLiteral("(eingestellt als Datenordner in %1)")
            .arg(QDir::toNativeSeparators(choice.settingsFile));
    case DataFolderChoice::Source::StartFolder:
        break;
    }
    return {};
}

QString historyServerSetting() {
    return QString::fromUtf8(settingValue(QStringLiteral("Lernverlauf")).bytes).trimmed();
}
