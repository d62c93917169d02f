#pragma once
// The practice's results on one printed page, over any drawing surface: the pupil's name, when,
// the totals, the stumbling points and one line a finished problem. Laid out in the sheets'
// layout units (320 by 441, DrawScale from the surface's size), so it prints through the same
// path as the worksheets. No Qt.
#include "DrawingSurface.h"
#include "PracticeModel.h"

namespace pelkano {

// width, height: the surface's size in device pixels. Every line of the run fits on the page:
// with many problems the lines and their text get smaller.
void drawResultsPage(DrawingSurface& surface, int width, int height, const PracticeSession& session,
                     int utcOffsetMinutes);

}  // namespace pelkano
