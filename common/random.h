#pragma once

#include <QtGlobal>

class Clock;

// The program's random generator: a 32-bit linear congruential generator whose value for a
// range n is the upper half of the 64-bit product of the new seed and n. Keeping it exact keeps
// the sequence of tasks for a given seed reproducible.
class Lcg {
public:
    quint32 seed = 0;

    // A uniform number 0..n-1; 0 for n <= 0.
    qint32 random(qint32 n);
    void reseed(const Clock& clock);
};

// ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds of the UTC time of day.
quint32 seedFromClock(const Clock& clock);
