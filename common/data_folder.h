#pragma once

#include <QString>
#include <QStringList>

// Where the program keeps its files. A school sets one class folder for every machine in the
// program's settings (key "Datenordner"): an administrator in the system-wide file, a user in
// their own, which wins. "--ordner PFAD" on the command line wins over both. Without either the
// files stay in the folder the program was started in.
struct DataFolderChoice {
    enum class Source { CommandLine, Settings, StartFolder };
    QString folder; // absolute and clean; empty when the command line is faulty
    Source source = Source::StartFolder;
    QString fault; // German, for a message; empty when the choice is usable
};

// arguments as the program got them (the program's own name first); setting is the settings'
// value (empty when unset); relative paths count from startFolder, "~/" from home.
DataFolderChoice chooseDataFolder(const QStringList& arguments, const QString& setting,
                                  const QString& startFolder, const QString& home);

// The value of "Datenordner" in the program's settings, empty when it is not set.
QString dataFolderSetting();

// How a message says where the folder came from, e.g. "(eingestellt mit --ordner)".
QString dataFolderOrigin(DataFolderChoice::Source source);

// The value of "Lernverlauf" in the program's settings: empty for the history file in the data
// folder, otherwise the database server that keeps the history of a whole school.
QString historyServerSetting();
