#pragma once
// One worksheet page: white background, header (with "こたえ" on an answer page), and the grid of
// the sheet's figures.
#include "DrawingSurface.h"
#include "Hissan.h"
#include "RenderSettings.h"
#include "Sheet.h"

namespace pelkano {

// width, height: the surface's size in device pixels (320 by 441 for the preview). Figures carry
// their answers while sheet.showAnswers is set. Returns the DrawScale used.
Scale MakePrint(DrawingSurface& surface, int width, int height, const ProblemSheet& sheet,
                const RenderSettings& settings);

// The cells the sheet's figures are drawn on. Decided from the figures with their answers, so a
// sheet's problem page and its answer page always match: the pattern's own cells while every
// figure stays within its column (up to the next column's origin), above the next row (and its
// expression band in the expression style) and on the surface; otherwise the largest whole-pixel
// cell, the same for every figure, at which none crosses.
FigureCells fitFigureCells(const Scale& scale, int width, int height, const ProblemSheet& sheet,
                           const RenderSettings& settings);

}  // namespace pelkano
