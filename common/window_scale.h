#pragma once

// Percentage by which a window and its controls are scaled for a screen of the given width in
// pixels and density in pixels per inch. Designs are made for 640 pixels at 96 pixels per inch;
// wider screens get larger windows. Rounded to the nearest whole number, halves to even.
int scalePercent(int screenWidth, int dotsPerInch);

// Integer a / b rounded to the nearest whole number, halves to the even neighbour (b != 0).
long long roundHalfEven(long long numerator, long long denominator);

// The largest percentage, at most the given one, at which a window of the given size still fits
// into the available area of the screen. A design made for a 4:3 screen would otherwise run off
// a wide screen at the bottom.
int percentToFit(int percent, int windowWidth, int windowHeight, int availableWidth,
                 int availableHeight);
