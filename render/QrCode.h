#pragma once
// The QR code a page carries, as modules to draw: the seam between the page and the library that
// encodes it (ZXing-C++ in native builds; none in the web build, whose pages then have no QR code).
#include <string>
#include <vector>

namespace pelkano {

struct QrModules {
    int size = 0;                     // modules on a side, the quiet zone not included; 0: none
    std::vector<unsigned char> dark;  // size * size, row by row from the top: 1 for a dark module
    bool isDark(int row, int column) const
    {
        return dark[static_cast<std::size_t>(row * size + column)] != 0;
    }
};

// The smallest QR code holding text (error correction level M, or L where that makes it smaller),
// or none when this build has no writer or the text cannot be encoded.
QrModules qrModules(const std::string& text);

}  // namespace pelkano
