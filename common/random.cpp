#include "common/random.h"

#include "common/clock.h"

qint32 Lcg::random(qint32 n) {
    seed = seed * 134775813u + 1u;
    if (n <= 0)
        return 0;
    return static_cast<qint32>((quint64(seed) * quint64(n)) >> 32);
}

void Lcg::reseed(const Clock& clock) {
    seed = seedFromClock(clock);
}

quint32 seedFromClock(const Clock& clock) {
    const QTime t = clock.utcTime();
    return quint32(((t.hour() * 60 + t.minute()) * 60 + t.second()) * 1000 + t.msec());
}
