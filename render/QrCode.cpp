#include "QrCode.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <deque>
#include <exception>
#include <mutex>
#include <utility>

namespace pelkano {

namespace {

// MultiFormatWriter's scale 0..8 for the QR code's levels L, M, Q, H: 4 is M (15 % of the code
// words restored), 0 is L (7 %).
constexpr int kLevelM = 4;
constexpr int kLevelL = 0;

ZXing::BitMatrix encoded(const std::string& text, int level)
{
    // Width and height 0 ask for one pixel per module.
    return ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(0).setEccLevel(level).encode(text, 0, 0);
}

QrModules encodedModules(const std::string& text)
{
    QrModules out;
    try {
        // Level M, unless level L fits the text in fewer modules (a code of 21 to 25 characters
        // in the smallest QR code): larger modules on the same space read better from a scan.
        ZXing::BitMatrix m = encoded(text, kLevelM);
        if (ZXing::BitMatrix low = encoded(text, kLevelL); low.width() < m.width())
            m = std::move(low);
        if (m.width() <= 0 || m.width() != m.height())
            return out;
        out.size = m.width();
        out.dark.resize(static_cast<std::size_t>(out.size * out.size));
        for (int y = 0; y < out.size; ++y)
            for (int x = 0; x < out.size; ++x)
                out.dark[static_cast<std::size_t>(y * out.size + x)] = m.get(x, y) ? 1 : 0;
    } catch (const std::exception&) {
        return {};  // too long for any QR code
    }
    return out;
}

}  // namespace

QrModules qrModules(const std::string& text)
{
    if (text.empty())
        return {};
    // A page's code is encoded again whenever its geometry is made (to draw it, to read its scan,
    // to mark it): the last few codes are kept, as encoding one takes milliseconds.
    constexpr std::size_t kKept = 16;
    static std::mutex lock;
    static std::deque<std::pair<std::string, QrModules>> kept;
    {
        const std::lock_guard<std::mutex> hold(lock);
        for (const auto& [code, modules] : kept)
            if (code == text)
                return modules;
    }
    QrModules out = encodedModules(text);
    const std::lock_guard<std::mutex> hold(lock);
    kept.emplace_front(text, out);
    if (kept.size() > kKept)
        kept.pop_back();
    return out;
}

}  // namespace pelkano
