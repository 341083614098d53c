#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The program's only view of the time. Windows get it through the platform seam; tests give a
// fixed clock so that dates, times and the random seed are known in advance.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QTime localTime() const = 0;
    // Time of day in UTC with milliseconds; seeds the random generator.
    virtual QTime utcTime() const = 0;
    // Milliseconds on a clock that never jumps (no date or daylight-saving change moves it);
    // only differences of two readings mean anything. Answer times are measured with it.
    virtual qint64 monotonicMs() const = 0;
};

class SystemClock : public Clock {
public:
    QDate today() const override;
    QTime localTime() const override;
    QTime utcTime() const override;
    qint64 monotonicMs() const override;
};

// German short date (dd.MM.yyyy) and long time (HH:mm:ss), the same on every machine.
QString germanDateText(const QDate& date);
QString longTimeText(const QTime& time);

// The date as stored in files: a date text longer than 8 characters keeps its characters 1..6
// and 9..10, so 06.12.2026 becomes 06.12.26.
QString shortenDateText(const QString& dateText);
QString shortDateText(const Clock& clock);
