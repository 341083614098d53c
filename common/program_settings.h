#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The program's settings are text files of "Schlüssel=Wert" lines: the user's own
// (~/.config/Kalumbrixtor/Kalumbrixtor.conf) and the system-wide ones a school's administrator
// writes (/etc/xdg/Kalumbrixtor/Kalumbrixtor.conf); the first file that sets a key wins.

// A value as the settings file that sets it holds it.
struct SettingValue {
    // The value's bytes. A value with commas is one text exactly as written (Qt's settings would
    // make a list of it), and bytes that are not UTF-8 are kept as they are, so that a message
    // can show them.
    QByteArray bytes;
    QString file; // the full path of the file that sets the value; empty when none does
};

// The settings files in the order Qt's settings read them: the user's, then the system-wide.
QStringList settingsFiles();

// The value of key (outside any group) from the first of files that sets it. A file that is not
// a regular file is passed over without being opened for long (a pipe would block).
SettingValue settingValue(const QString& key, const QStringList& files = settingsFiles());

// The text of key's value in the general part of a settings file's text as written: from after
// "=" to the end of the line or to a comment (";"), spaces at both ends removed, a line ending in
// "\" continued. Nothing when the text does not set key.
std::optional<QByteArray> writtenSettingValue(const QByteArray& text, const QByteArray& key);

// Qt's settings read their files with a blocking read, so a pipe in the place of the user's
// settings file would stop the program before its window. With anything there that is not a
// file or a folder, the user's settings are neither read nor written in this session. Call it
// before anything reads settings.
void keepSettingsFromBlocking();
