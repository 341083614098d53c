#pragma once

#include "common/failure.h"
#include "common/program_settings.h"

#include <QByteArrayList>
#include <QString>

// Where the program keeps its files. A school sets one class folder for every machine in the
// program's settings (key "Datenordner"): an administrator in the system-wide file, a user in
// their own, which wins. "--ordner PFAD" on the command line wins over both. Without either the
// files stay in the folder the program was started in.
struct DataFolderChoice {
    enum class Source { CommandLine, Settings, StartFolder };
    QString folder; // absolute and clean; empty when the choice is faulty
    Source source = Source::StartFolder;
    QString settingsFile; // the file that set the folder (Source::Settings)
    QString fault;        // the whole German message; empty when the choice is usable
};

// arguments: the command line as the program got it, as bytes (the program's own name first);
// setting: the value of "Datenordner"; startFolder: the start folder's name as the file system
// holds it. Relative paths count from the start folder, "~/" from home. A folder whose name Qt
// cannot read back (bytes that are not UTF-8) or that is too long for the system is refused here,
// whichever way it was given.
DataFolderChoice chooseDataFolder(const QByteArrayList& arguments, const SettingValue& setting,
                                  const QByteArray& startFolder, const QString& home);

// Why the object at folder cannot be the data folder: it cannot be reached (Io: nothing there, no
// permission), or it is no folder for files (Refused: a file, a pipe, a folder of the system's that
// holds no files). Nothing when it is a folder.
Outcome dataFolderFault(const QString& folder);

// The message for a data folder in which the best lists cannot be created, for reason.
QString unusableDataFolderMessage(const DataFolderChoice& choice, const QString& reason);

// How a message says where the folder came from, e.g. "(angegeben mit --ordner)" or "(eingestellt
// als Datenordner in /etc/xdg/Kalumbrixtor/Kalumbrixtor.conf)"; empty for the start folder.
QString dataFolderOrigin(const DataFolderChoice& choice);

// The value of "Lernverlauf" in the program's settings: empty for the history file in the data
// folder, otherwise the database server that keeps the history of a whole school.
QString historyServerSetting();
