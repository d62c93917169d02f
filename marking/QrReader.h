#pragma once
// The QR code of a scanned page: its text and where its corners stand (ZXing-C++).
#include "GreyImage.h"
#include "Marking.h"

#include <optional>
#include <string>

namespace pelkano::marking {

struct QrFound {
    std::string text;
    Quad corners;  // the symbol's top-left, top-right, bottom-right, bottom-left on the scan
};

// The first QR code found, looked for on a copy of at most about six million pixels first.
std::optional<QrFound> readQr(const GreyImage& scan);

}  // namespace pelkano::marking
