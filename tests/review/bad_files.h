#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QTest>

// The damaged, foreign and odd files every reader must survive, and a way to see that nothing
// on disk changed.
namespace badfiles {

// Bytes of whole copies of the record, cut to size.
inline QByteArray repeated(const QByteArray& record, qsizetype size) {
    QByteArray bytes;
    while (bytes.size() < size)
        bytes += record;
    return bytes.left(size);
}

inline QByteArray randomBytes(qsizetype size) {
    QRandomGenerator generator(20261206);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(generator.bounded(256));
    return bytes;
}

// The text field at offset as the bytes 0x80..0x9F and 0xFF (capacity 8: the first eight).
inline QByteArray withHighBytes(QByteArray record, int offset, int capacity) {
    static const QByteArray high("\x80\x81\x8d\x8f\x90\x9d\x9f\xff", 8);
    record[offset] = char(capacity);
    for (int i = 0; i < capacity; ++i)
        record[offset + 1 + i] = high[i % high.size()];
    return record;
}

// Puts the case into place at path: "missing" (a file deleted after start-up), "directory",
// or bytes.
inline void plant(const QString& path, const QString& kind, const QByteArray& bytes) {
    QFile::remove(path);
    if (kind == QLatin1String("missing")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::remove(path));
    } else if (kind == QLatin1String("directory")) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
}

// Every file of the folder (and its subfolders) with its bytes.
inline QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (info.isDir()) {
            files.insert(info.fileName() + QLatin1Char('/'), QByteArray());
            continue;
        }
        QFile file(info.filePath());
        files.insert(info.fileName(),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable"));
    }
    return files;
}

} // namespace badfiles
