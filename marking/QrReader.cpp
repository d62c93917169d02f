#define ZX_USE_UTF8 1
#include "QrReader.h"

#include "ScanGeometry.h"

#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <cmath>

namespace pelkano::marking {

namespace {

std::optional<QrFound> readAt(const GreyImage& image, int factor)
{
    const GreyImage small = reduced(image, factor);
    if (small.empty())
        return std::nullopt;
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    hints.setMaxNumberOfSymbols(1);
    const ZXing::ImageView view(small.pixels.data(), small.width, small.height, ZXing::ImageFormat::Lum);
    for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
        if (!result.isValid())
            continue;
        const auto& p = result.position();
        const auto scaled = [factor](ZXing::PointI q) {
            return Point{(q.x + 0.5) * factor - 0.5, (q.y + 0.5) * factor - 0.5};
        };
        return QrFound{result.text(), {scaled(p.topLeft()), scaled(p.topRight()), scaled(p.bottomRight()),
                                       scaled(p.bottomLeft())}};
    }
    return std::nullopt;
}

}  // namespace

std::optional<QrFound> readQr(const GreyImage& scan)
{
    if (scan.empty())
        return std::nullopt;
    const double pixels = static_cast<double>(scan.width) * scan.height;
    const int factor = std::max(1, static_cast<int>(std::ceil(std::sqrt(pixels / 6e6))));
    if (auto found = readAt(scan, factor))
        return found;
    if (factor > 1)
        return readAt(scan, std::max(1, factor / 2));
    return std::nullopt;
}

}  // namespace pelkano::marking
