#pragma once

#include <QByteArray>
#include <QString>

// Texts in data files are single-byte Windows-1252. This is the one place where the program
// converts between those bytes and QString.

// A character that Windows-1252 cannot hold becomes '?', so the result always has exactly one
// byte per character of the input.
QByteArray toWindows1252(const QString& text);
// One character per byte; the five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) read as '?', so that no control character reaches a grid or a screen reader.
QString fromWindows1252(const QByteArray& bytes);

// A text of capacity n keeps at most its first n characters.
QString capped(const QString& text, int capacity);

// A text of capacity n takes n + 1 bytes in a record: a length byte, then n character bytes of
// which only the first "length" count. Unused bytes are written as zero.
void writeCappedText(char* field, int capacity, const QString& text);
// A length byte above the capacity is read as the capacity, so a damaged record never reads
// outside its field.
QString readCappedText(const char* field, int capacity);
