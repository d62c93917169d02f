#pragma once
// One problem's figure: the optional dotted frame, then the written division or the expression,
// with the worked answer when showAnswers is set. x, y: top-left corner of the figure's first
// row of cells, in device pixels.
#include "DrawingSurface.h"
#include "RenderSettings.h"

#include <string>

namespace pelkano {

void Hissan(DrawingSurface& surface, const Scale& scale, int x, int y, const std::string& dividend,
            const std::string& divisor, const std::string& bracket, const RenderSettings& settings,
            bool showAnswers);

}  // namespace pelkano
