#pragma once

#include "appearance/colours.h"

// Contrast of text against its background as accessibility guidelines measure it: the relative
// luminance of each colour (0 for black, 1 for white) and their ratio (1:1 up to 21:1).
double relativeLuminance(Rgb colour);
double contrastRatio(Rgb a, Rgb b);

// A caption a child must read reaches this ratio; a dimmed one of a switched-off control and the
// mark around a chosen control reach at least the lower one.
inline constexpr double readableContrast = 4.5;
inline constexpr double dimmedContrast = 3.0;

enum class CaptionState : quint8 {
    Enabled,  // can be chosen now
    Disabled, // switched off: dimmed, a grey
    Chosen,   // the chosen competition: red where red is readable on the panel
};

// The colour of a caption drawn on a panel of the given colour. Enabled: black or white,
// whichever stands out more (always at least 4.5:1). Chosen: red where red reaches 4.5:1, else
// as enabled; the mark around the panel shows the choice then. Disabled: the grey nearest to
// mid-grey that still reaches 3:1, on the side of the readable colour.
Rgb captionColour(CaptionState state, Rgb panel);

// The mark around a chosen panel: a ring in the readable caption colour, which stands out from
// the panel, and inside it a red ring, which stands out from that ring.
struct ChosenMark {
    Rgb outer;
    Rgb inner;
};
ChosenMark chosenMark(Rgb panel);
