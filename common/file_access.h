#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QFileDevice;
class QIODevice;

// Why an operation on the file failed, as a short German sentence for the message that names
// the file. writing tells whether the file was to be written or read.
QString fileFailureReason(const QFileDevice& file, bool writing);

// Why the path must not be read or written as a data file: a folder, or a device, pipe or socket
// (opening a pipe waits for the other end; replacing a device would remove it). Empty when the
// path is a regular file or does not exist yet.
QString notAFileReason(const QString& path);

// At most limit bytes from the device, so that a huge or endless source is never read whole.
// Nothing when the device reports a read error.
std::optional<QByteArray> readAtMost(QIODevice& device, qint64 limit);
