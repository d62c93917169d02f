#pragma once
// One worksheet page: white background, header, and the grid of the sheet's figures.
#include "DrawingSurface.h"
#include "RenderSettings.h"
#include "Sheet.h"

namespace pelkano {

// width, height: the surface's size in device pixels (320 by 441 for the preview). Figures carry
// their answers while sheet.showAnswers is set. Returns the DrawScale used.
Scale MakePrint(DrawingSurface& surface, int width, int height, const ProblemSheet& sheet,
                const RenderSettings& settings);

}  // namespace pelkano
