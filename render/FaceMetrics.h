#pragma once
// The metrics of the two faces the sheets are drawn in (IPAMincho, IPAGothic), taken from the
// font files when building (tools/face_metrics.py), so that a surface without a font engine
// places text exactly as the desktop's does. Units are the face's own (unitsPerEm to the em).
#include <span>
#include <string_view>

namespace pelkano {

// Characters first..last advance alike.
struct AdvanceRun {
    char32_t first;
    char32_t last;
    int advance;
};

struct FaceMetrics {
    int unitsPerEm;
    int ascender;            // typographic ascender: the baseline lies this far below the em's top
    int underlinePosition;   // the underline's centre, above the baseline (negative: below)
    int underlineThickness;
    std::span<const AdvanceRun> runs;  // ascending; a character between two runs takes the next one's

    // The advance of one character in font units.
    int advance(char32_t code) const;
    // The advance of a UTF-8 text in font units; a byte that is not UTF-8 counts as U+FFFD.
    long long advance(std::string_view text) const;
};

const FaceMetrics& minchoMetrics();
const FaceMetrics& gothicMetrics();

}  // namespace pelkano

