#include "history/history_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QStringList historyModuleFolders() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder, QDir(programFolder).filePath(QStringLiteral("../lib/kalumbrixtor"))};
}

const HistoryModule* loadHistoryModule(const QStringList& folders, QString& reason) {
    for (const QString& folder : folders) {
        const QString file = QDir(folder).filePath(historyModuleFileName);
        if (!QFileInfo::exists(file))
            continue;
        QLibrary library(file);
        using Entry = const HistoryModule* (*)();
        const auto entry = reinterpret_cast<Entry>(library.resolve("kalumbrixtorHistoryModule"));
        if (!entry) {
            reason = QStringLiteral("Der Programmteil für den Lernverlauf lässt sich nicht laden "
                                    "(%1).")
                         .arg(library.errorString());
            return nullptr;
        }
        reason.clear();
        return entry();
    }
    reason = QStringLiteral("Der Programmteil für den Lernverlauf (%1) fehlt.")
                 .arg(historyModuleFileName);
    return nullptr;
}

QString UnavailableHistoryStore::location() const {
    return QDir::toNativeSeparators(QFileInfo(path_).absoluteFilePath());
}
