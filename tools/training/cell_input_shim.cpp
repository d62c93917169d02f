// The square reader's input, built into a small shared library for tools/train_recognizer.py,
// so the training prepares every example with the program's own code.
#include "CellInput.h"

#include <cstdint>
#include <cstring>

extern "C" {

// n crops, the i-th widths[i] by heights[i] grey pixels, one after another in pixels;
// out receives n * 784 floats.
void pelkano_cell_inputs(int n, const int* widths, const int* heights, const std::uint8_t* pixels, float* out)
{
    std::size_t offset = 0;
    for (int i = 0; i < n; ++i) {
        pelkano::marking::GreyImage crop;
        crop.width = widths[i];
        crop.height = heights[i];
        const std::size_t size = static_cast<std::size_t>(crop.width) * static_cast<std::size_t>(crop.height);
        crop.pixels.assign(pixels + offset, pixels + offset + size);
        offset += size;
        const pelkano::marking::CellInput input = pelkano::marking::cellInput(crop);
        std::memcpy(out + static_cast<std::size_t>(i) * input.size(), input.data(), sizeof(float) * input.size());
    }
}

}
