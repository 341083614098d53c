#include "common/window_scale.h"

#include <algorithm>

long long roundHalfEven(long long numerator, long long denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    long long quotient = numerator / denominator;
    long long rest = numerator % denominator;
    if (rest < 0) { // floor division
        quotient -= 1;
        rest += denominator;
    }
    const long long twice = 2 * rest;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0))
        quotient += 1;
    return quotient;
}

int scalePercent(int screenWidth, int dotsPerInch) {
    const long long w = screenWidth;
    const long long d = dotsPerInch;
    if (w <= 0 || d <= 0)
        return 100;
    if (w > 640) {
        // w / 640 * 100, or w / 640 * 96 / d * 100 on dense screens, kept exact as a fraction.
        if (d <= 96)
            return int(roundHalfEven(w * 100, 640));
        return int(roundHalfEven(w * 96 * 100, 640 * d));
    }
    if (w == 640)
        return int(100 - (d - 96));
    // 100 - (640 / w - 1) * 100 = 200 - 64000 / w; twice the shrink on dense screens.
    if (d <= 96)
        return int(roundHalfEven(200 * w - 64000, w));
    return int(roundHalfEven(300 * w - 128000, w));
}

int percentToFit(int percent, int windowWidth, int windowHeight, int availableWidth,
                 int availableHeight) {
    if (windowWidth <= 0 || windowHeight <= 0 || availableWidth <= 0 || availableHeight <= 0)
        return percent;
    // Rounded down: a window one pixel too large would still run off the screen.
    const long long byWidth = 100LL * availableWidth / windowWidth;
    const long long byHeight = 100LL * availableHeight / windowHeight;
    return int(std::min<long long>({percent, byWidth, byHeight}));
}
