#pragma once

#include "common/failure.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QFile;
class QIODevice;

// A classroom shares one data folder, and anybody who can write to it can put a link, a pipe, a
// device or a folder where the program expects one of its files. The files the program names
// itself there (the best lists, the automatic results files and task sets, the learning history
// and every lock file) are therefore opened only as regular files of the folder, never through a
// link. A file the user picked in a dialog is the user's own choice and may be a link. Either
// way nothing is opened that could block (a pipe waits for its other end) or that is not a
// regular file (replacing a device would remove it).
enum class FileOrigin {
    Own,    // named by the program in its data folder
    Chosen, // picked by the user in a dialog
};

// Why the operation failed, as a short German sentence for a message that names the file. err
// is the errno of the failed call; writing tells whether the file was to be written or read.
QString reasonForError(int err, bool writing);
// The same as a failure: Busy when another program has locked the file, Io otherwise.
Failure failureOfError(int err, bool writing);

// Why the object at path must not be used as a data file (a link for the program's own files, a
// folder, a pipe, a device). Nothing when it is a regular file or nothing is there. Only a first
// look for a message before a dialog: the opens below check again on what they opened.
Outcome notAFile(const QString& path, FileOrigin origin = FileOrigin::Chosen);

// Opens path for reading into file (which takes over the descriptor). The open never blocks and
// succeeds only on a regular file (for FileOrigin::Own, one that is not a link).
Outcome openToRead(QFile& file, const QString& path, FileOrigin origin);

// Replaces the file at path by data as a whole: the data go to a new file beside it, which is
// synced and then renamed over the old one, and the folder is synced after the rename; a failure
// at any step leaves the old file as it was. A link chosen by the user is replaced through (its
// target gets the data); a link among the program's own files is refused. The file keeps the
// permissions it had; a new one gets the usual ones for new files.
Outcome replaceContents(const QString& path, const QByteArray& data, FileOrigin origin);

// Appends data to the file at path, creating it when it is missing, and syncs it before it
// reports success. A failed append takes back what part of data reached the file (and removes a
// file it created).
Outcome appendToFile(const QString& path, const QByteArray& data, FileOrigin origin);

// Whether the file system that holds the folder has no block or no file entry left. A library
// that retries a failed create differently reports the retry's error, not the full disk.
bool noRoomIn(const QString& folder);

// Creates an empty regular file at path unless something is already there, which counts as
// success: another computer may have created it a moment ago. Never follows a link.
Outcome createIfMissing(const QString& path);

// A write past the process's file-size limit would end the program (SIGXFSZ); with the signal
// ignored the write fails like one onto a full disk, and the child's run is reported, not lost.
void ignoreFileSizeSignal();

// The current folder's name as the bytes the file system holds.
QByteArray currentFolderBytes();
// Qt reads file names as UTF-8. A name with other bytes cannot be named again from what was read,
// so no file below it could be opened; for such a name this gives a readable form with each
// such byte as \xHH, for a message. Empty when the name is fine.
QString undecodableName(const QByteArray& name);

// Removes what a replace left behind when the program was ended in the middle of it: files
// named like the temporary files of the program's own files ("Ben.AGB.x7Gq2c", "W3.bli.Ab3dEf")
// that are older than an hour, so that no replace still running on another computer loses its
// file. Only regular files of this user are removed, never a link or what it leads to. Returns
// how many were removed.
int removeStaleTemporaryFiles(const QString& folder);

// For tests: the system calls of this file layer that a test can make fail, to see what a
// failure at that step does to the files and what the user is told.
enum class SystemCall { Write, Fsync, Rename, Close };
// While it lives, every such call of the file layer fails with err instead of being made (a
// failing close still releases the descriptor).
class FailingSystemCall {
public:
    FailingSystemCall(SystemCall call, int err);
    ~FailingSystemCall();
    FailingSystemCall(const FailingSystemCall&) = delete;
    FailingSystemCall& operator=(const FailingSystemCall&) = delete;
};

// At most limit bytes from the device, so that a huge or endless source is never read whole.
// Nothing when the device reports a read error.
std::optional<QByteArray> readAtMost(QIODevice& device, qint64 limit);
