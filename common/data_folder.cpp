#include "common/data_folder.h"

#include <QDir>
#include <QSettings>

#include <optional>

namespace {

const QString option = QStringLiteral("--ordner");

QString absoluteFolder(const QString& path, const QString& startFolder, const QString& home) {
    QString expanded = path;
    if (expanded == QLatin1String("~") || expanded.startsWith(QLatin1String("~/")))
        expanded = home + expanded.mid(1);
    return QDir::cleanPath(QDir(startFolder).absoluteFilePath(expanded));
}

} // namespace

DataFolderChoice chooseDataFolder(const QStringList& arguments, const QString& setting,
                                  const QString& startFolder, const QString& home) {
    DataFolderChoice choice;
    // The last --ordner counts, as with most programs: a wrapper script may give one that the
    // user's own overrides.
    std::optional<QString> given;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == option) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                choice.source = DataFolderChoice::Source::CommandLine;
                choice.fault = QStringLiteral("Nach --ordner fehlt der Ordner.");
                return choice;
            }
            given = arguments[++i];
        } else if (argument.startsWith(option + QLatin1Char('='))) {
            given = argument.mid(option.size() + 1);
            if (given->isEmpty()) {
                choice.source = DataFolderChoice::Source::CommandLine;
                choice.fault = QStringLiteral("Nach --ordner fehlt der Ordner.");
                return choice;
            }
        }
    }
    if (given) {
        choice.source = DataFolderChoice::Source::CommandLine;
        choice.folder = absoluteFolder(*given, startFolder, home);
    } else if (!setting.trimmed().isEmpty()) {
        choice.source = DataFolderChoice::Source::Settings;
        choice.folder = absoluteFolder(setting.trimmed(), startFolder, home);
    } else {
        choice.folder = QDir::cleanPath(startFolder);
    }
    return choice;
}

QString dataFolderSetting() {
    const QSettings settings(QStringLiteral("Kalumbrixtor"), QStringLiteral("Kalumbrixtor"));
    return settings.value(QStringLiteral("Datenordner")).toString();
}

QString historyServerSetting() {
    const QSettings settings(QStringLiteral("Kalumbrixtor"), QStringLiteral("Kalumbrixtor"));
    return settings.value(QStringLiteral("Lernverlauf")).toString().trimmed();
}

QString dataFolderOrigin(DataFolderChoice::Source source) {
    switch (source) {
    case DataFolderChoice::Source::CommandLine:
        return QStringLiteral("(angegeben mit --ordner)");
    case DataFolderChoice::Source::Settings:
        return QStringLiteral("(eingestellt als Datenordner in Kalumbrixtor.conf)");
    case DataFolderChoice::Source::StartFolder:
        break;
    }
    return {};
}
