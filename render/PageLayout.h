#pragma once
// One worksheet page: white background, header (with "こたえ" on an answer page), and the grid of
// the sheet's figures.
#include "DrawingSurface.h"
#include "Hissan.h"
#include "RenderSettings.h"
#include "Sheet.h"

#include <string>
#include <vector>

namespace pelkano {

// width, height: the surface's size in device pixels (320 by 441 for the preview). Figures carry
// their answers while sheet.showAnswers is set. Returns the DrawScale used.
Scale MakePrint(DrawingSurface& surface, int width, int height, const ProblemSheet& sheet,
                const RenderSettings& settings);

// The frame's line width (device pixels on the paper, whose page is `pageWidth` pixels wide) on a
// smaller picture of the page `width` pixels wide: the same share of the page, at least one pixel.
int lineWidthShown(int lineWidth, int width, int pageWidth);

// The cells the sheet's figures are drawn on. Decided from the figures with their answers, so a
// sheet's problem page and its answer page always match: the pattern's own cells while every
// figure stays within its column (up to the next column's origin), above the next row (and its
// expression band in the expression style) and on the surface; otherwise the largest whole-pixel
// cell, the same for every figure, at which none crosses.
FigureCells fitFigureCells(const Scale& scale, int width, int height, const ProblemSheet& sheet,
                           const RenderSettings& settings);

// "③" or "(3)" for the problem at index 2; empty for NumberStyle::None. Past ⑳ circled numbers
// are written "(21)".
std::string problemNumberText(int index, NumberStyle style);
// The check of a worked problem: "43×203+36=8765", "6×102=612"; empty when it cannot be worked.
std::string checkText(const std::string& dividend, const std::string& divisor);
// "203 あまり 36", "102": the answer as the answer list gives it; empty when it cannot be worked.
std::string answerText(const std::string& dividend, const std::string& divisor);

// The question sentence as the header draws it: one line at its own height when it fits the width
// left to it (up to the date's field with the header's fields), else two lines, each as high as
// two fit in the header's height, smaller until the rest fits on the second line. Never cut.
// Measured in the surface's current face (the header's); leaves the font height changed.
struct SentenceLines {
    int height = 0;  // device pixels
    std::vector<std::string> lines;
};
SentenceLines sentenceLines(DrawingSurface& surface, const Scale& scale, int width, const RenderSettings& settings);

}  // namespace pelkano
