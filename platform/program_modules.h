#pragma once

#include <QFunctionPointer>
#include <QString>
#include <QStringList>

// Parts of the program that bring in large libraries are modules, loaded only when first needed.
// The program looks for them in its own folder (a build) and in lib/kalumbrixtor beside its bin
// folder (an installation).
QStringList programModuleFolders();

// The entry function of the module file in the first of the folders that has it; it stays loaded
// until the program ends. nullptr when no folder has it (error empty) or it cannot be loaded
// (error: the loader's words).
QFunctionPointer resolveProgramModule(const QString& fileName, const char* entry, QString& error,
                                      const QStringList& folders = programModuleFolders());
