#include "common/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <cstring>

namespace {

// The converter gives the five bytes that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) as the control characters of the same number, and takes those back. Every character the
// code page defines in 0x80..0x9F lies elsewhere in Unicode (the euro sign, quotes, dashes), so
// any character of that control block stands for an undefined byte.
bool isUndefinedByteCharacter(QChar c) {
    return c.unicode() >= 0x80 && c.unicode() <= 0x9F;
}

} // namespace

QByteArray toWindows1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    // Characters are encoded one by one, so one that does not exist in the code page (or a
    // lone surrogate) becomes a single '?' and never shifts the characters after it.
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        QStringEncoder encoder("windows-1252", QStringConverter::Flag::Stateless);
        const QByteArray one = encoder.encode(QStringView(text).mid(i, len));
        if (encoder.hasError() || one.size() != 1 || isUndefinedByteCharacter(text[i]))
            out.append('?');
        else
            out.append(one);
        i += len - 1;
    }
    return out;
}

QString fromWindows1252(const QByteArray& bytes) {
    QStringDecoder decoder("windows-1252", QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    // Every byte must give exactly one character, whatever the converter made of the undefined
    // ones.
    if (text.size() != bytes.size()) {
        text.clear();
        for (char c : bytes) {
            QStringDecoder one("windows-1252", QStringConverter::Flag::Stateless);
            const QString ch = one.decode(QByteArray(1, c));
            text += ch.size() == 1 ? ch : QStringLiteral("?");
        }
    }
    for (QChar& c : text) {
        if (isUndefinedByteCharacter(c))
            c = QLatin1Char('?');
    }
    return text;
}

QString capped(const QString& text, int capacity) {
    return text.left(capacity);
}

void writeCappedText(char* field, int capacity, const QString& text) {
    const QByteArray bytes = toWindows1252(capped(text, capacity));
    std::memset(field, 0, size_t(capacity) + 1);
    field[0] = char(quint8(bytes.size()));
    std::memcpy(field + 1, bytes.constData(), size_t(bytes.size()));
}

QString readCappedText(const char* field, int capacity) {
    const int length = qMin(int(quint8(field[0])), capacity);
    return fromWindows1252(QByteArray(field + 1, length));
}
