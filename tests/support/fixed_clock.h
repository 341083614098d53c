#pragma once

#include "common/clock.h"

// A clock that stands still unless a test moves it.
class FixedClock : public Clock {
public:
    QDate date{2026, 12, 6};
    QTime local{17, 6, 29};
    QTime utc{16, 6, 29, 0};

    QDate today() const override { return date; }
    QTime localTime() const override { return local; }
    QTime utcTime() const override { return utc; }
    qint64 monotonic = 0;
    qint64 monotonicMs() const override { return monotonic; }

    void setUtcMilliseconds(int msOfDay) { utc = QTime::fromMSecsSinceStartOfDay(msOfDay); }
};
