#include "appearance/caption_contrast.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr Rgb black{0x00, 0x00, 0x00};
constexpr Rgb white{0xFF, 0xFF, 0xFF};
constexpr Rgb red{0xFF, 0x00, 0x00};
constexpr int midGrey = 0x80;

double linear(quint8 channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Rgb grey(int level) {
    return Rgb{quint8(level), quint8(level), quint8(level)};
}

Rgb readableOn(Rgb panel) {
    return contrastRatio(black, panel) >= contrastRatio(white, panel) ? black : white;
}

} // namespace

double relativeLuminance(Rgb colour) {
    return 0.2126 * linear(colour.r) + 0.7152 * linear(colour.g) + 0.0722 * linear(colour.b);
}

double contrastRatio(Rgb a, Rgb b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb captionColour(CaptionState state, Rgb panel) {
    const Rgb readable = readableOn(panel);
    switch (state) {
    case CaptionState::Enabled:
        return readable;
    case CaptionState::Chosen:
        return contrastRatio(red, panel) >= readableContrast ? red : readable;
    case CaptionState::Disabled:
        break;
    }
    // The readable end reaches more than 4.5:1, so the walk from mid-grey towards it ends there
    // at the latest.
    const int step = readable == black ? -1 : 1;
    int level = midGrey;
    while (contrastRatio(grey(level), panel) < dimmedContrast && level != readable.r)
        level += step;
    return grey(level);
}

ChosenMark chosenMark(Rgb panel) {
    return {readableOn(panel), red};
}
