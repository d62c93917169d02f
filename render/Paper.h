#pragma once
// The paper a page is printed on, without Qt: the sizes the tools offer, and where a page of
// device pixels lies on a sheet of paper at a resolution.
#include <span>
#include <string>
#include <string_view>

namespace pelkano {

// Portrait, in millimetres. B sizes are the Japanese ones.
struct Paper {
    const char* name;
    double widthMm;
    double heightMm;
};

// A3, A4, A5, B4, B5, Letter, Legal.
std::span<const Paper> papers();
// The paper of that name in any letter case, or null.
const Paper* paperByName(std::string_view name);
// "A3, A4, A5, B4, B5, Letter, Legal", for messages.
std::string paperNames();

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The paper in device pixels: each side at dpi, rounded to the nearest even number of pixels
// (A4 at 600 dpi is 4960 by 7016).
PixelRect paperPixels(double widthMm, double heightMm, int dpi);
// Where the page is drawn on that paper: the paper less the margin (millimetres, rounded to whole
// pixels) on every side.
PixelRect printableArea(double widthMm, double heightMm, int dpi, int marginMm);

}  // namespace pelkano
