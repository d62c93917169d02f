#pragma once
// A scanned page or a part of it as plain grey pixels: the front ends decode PDF and image files
// (Qt, or the browser) and hand the layer this.
#include <cstdint>
#include <vector>

namespace pelkano::marking {

// Row-major, one byte a pixel: 0 black, 255 white.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;

    std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace pelkano::marking
