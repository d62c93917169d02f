#pragma once
// What the square reader's network sees: a square's crop centred and scaled into a small grid
// of ink values. The training script calls this same code, so reading and training agree.
#include "GreyImage.h"

#include <array>

namespace pelkano::marking {

inline constexpr int kInputSide = 28;
inline constexpr int kInputSize = kInputSide * kInputSide;

// Row-major ink values, 0 (paper) to 1 (the darkest ink of the crop or darker).
using CellInput = std::array<float, kInputSize>;

// Paper and light scanner noise count as no ink; the rest is stretched to 0..1. The ink's box
// (found without the band of 10 % of the side along the edges, unless all the ink is there, and
// without its faintest 1 % at each side: a stray mark at an edge hardly moves it) is scaled
// to fit kInputSide - 8 pixels, but never by more than a box of 35 % of the crop's side would be
// (a speck stays a speck). The box is centred when it is at most 15 % of the side off centre,
// else moved by that much (a line at an edge stays at the edge: it is not a 1). Each grid pixel
// averages the ink over its area. The result is brightened so its darkest pixel is 1, unless
// that pixel is fainter than 0.3 (a faint trace stays faint). A crop without ink gives zeros.
CellInput cellInput(const GreyImage& crop);

}  // namespace pelkano::marking
