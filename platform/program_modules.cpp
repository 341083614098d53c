#include "platform/program_modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

QStringList programModuleFolders() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder, QDir(programFolder).filePath(QStringLiteral("../lib/kalumbrixtor"))};
}

QFunctionPointer resolveProgramModule(const QString& fileName, const char* entry, QString& error,
                                      const QStringList& folders) {
    for (const QString& folder : folders) {
        const QString file = QDir(folder).filePath(fileName);
        if (!QFileInfo::exists(file))
            continue;
        QLibrary library(file);
        if (const QFunctionPointer function = library.resolve(entry)) {
            error.clear();
            return function;
        }
        error = library.errorString();
        return nullptr;
    }
    error.clear();
    return nullptr;
}
