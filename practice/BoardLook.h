#pragma once
// How a practice board looks, wherever it is drawn: the settings of its figure and the colours
// of what the pupil types, of mistakes, of the open row, of the cursor and of the cells a hint
// points at.
#include "RenderSettings.h"

#include <cstdio>
#include <string>

namespace pelkano {

struct BoardColour {
    int red, green, blue;

    // "#rrggbb"
    std::string hex() const
    {
        char text[8];
        std::snprintf(text, sizeof text, "#%02x%02x%02x", red & 0xff, green & 0xff, blue & 0xff);
        return text;
    }
};

inline constexpr BoardColour kTypedColour{0, 70, 200};
inline constexpr BoardColour kWrongColour{220, 0, 0};
inline constexpr BoardColour kOpenRowColour{255, 248, 200};
inline constexpr BoardColour kCursorColour{255, 215, 110};
inline constexpr BoardColour kPointedColour{190, 235, 190};

// The figure is drawn as a 2段2列 question in written style, framed, with the thinnest line.
inline RenderSettings boardSettings()
{
    RenderSettings s;
    s.pattern = LayoutPattern::R2C2;
    s.frame = true;
    s.lineWidth = 1;
    s.style = QuestionStyle::Written;
    return s;
}

}  // namespace pelkano
