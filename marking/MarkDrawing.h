#pragma once
// A teacher's red marks over a scanned page, in the scan's pixels: ◯ on a right problem, ✗ on a
// wrong one (the kind of its first mistake beside the row it is in) and on an unanswered one, a
// box around every 要確認 problem, and the score at the top. A page that was not marked gets its
// reason there.
// Drawn over the scan by whichever front end shows it (a PDF, the window).
#include "DrawingSurface.h"
#include "Marking.h"

#include <string>

namespace pelkano::marking {

// "10 / 12": the right problems of the sheet's count.
std::string scoreText(const PageResult& page);

// scanWidth, scanHeight: the scan's size in pixels (a page not marked has no map of its own).
void drawMarks(DrawingSurface& surface, const PageResult& page, int scanWidth, int scanHeight);

}  // namespace pelkano::marking
