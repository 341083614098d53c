#include "common/clock.h"

#include <QDateTime>
#include <QElapsedTimer>

QDate SystemClock::today() const {
    return QDate::currentDate();
}

QTime SystemClock::localTime() const {
    return QTime::currentTime();
}

QTime SystemClock::utcTime() const {
    return QDateTime::currentDateTimeUtc().time();
}

qint64 SystemClock::monotonicMs() const {
    static const QElapsedTimer sinceStart = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return sinceStart.elapsed();
}

QString germanDateText(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString longTimeText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString shortenDateText(const QString& dateText) {
    if (dateText.size() <= 8)
        return dateText;
    // A 9-character text has no 10th character: only its 9th is taken.
    return dateText.left(6) + dateText.mid(8, 2);
}

QString shortDateText(const Clock& clock) {
    return shortenDateText(germanDateText(clock.today()));
}
