#include "history/history_module.h"

#include "platform/program_modules.h"

#include <QDir>
#include <QFileInfo>

QStringList historyModuleFolders() {
    return programModuleFolders();
}

const HistoryModule* loadHistoryModule(const QStringList& folders, QString& reason) {
    QString error;
    using Entry = const HistoryModule* (*)();
    const auto entry = reinterpret_cast<Entry>(
        resolveProgramModule(historyModuleFileName, "kalumbrixtorHistoryModule", error, folders));
    if (entry) {
        reason.clear();
        return entry();
    }
    reason = error.isEmpty()
                 ? QStringLiteral("Der Programmteil für den Lernverlauf (%1) fehlt.")
                       .arg(historyModuleFileName)
                 : QStringLiteral("Der Programmteil für den Lernverlauf lässt sich nicht laden "
                                  "(%1).")
                       .arg(error);
    return nullptr;
}

QString UnavailableHistoryStore::location() const {
    return QDir::toNativeSeparators(QFileInfo(path_).absoluteFilePath());
}
