#include "CellInput.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelkano::marking {

namespace {

constexpr double kPaper = 0.15;         // ink below this (of 1 = black) is paper or noise
constexpr double kTrim = 0.01;          // share of the ink left out at each side of the box
constexpr double kBox = kInputSide - 8; // the ink's box fits this many grid pixels
constexpr double kLeastExtent = 0.35;   // the smallest box, as a share of the crop's side
constexpr double kMostShift = 0.15;     // the box is centred if at most this far off (of the side)
constexpr double kEdgeBand = 0.1;       // the band along the edges the box is found without
constexpr int kMostSamples = 4;         // samples a grid pixel averages, along each axis
constexpr double kLeastPeak = 0.3;      // a darkest pixel fainter than this is not brightened

// The first and last index of the profile inside its trimmed share, as [first, last].
void trimmedRange(const std::vector<double>& profile, double total, int& first, int& last)
{
    const int n = static_cast<int>(profile.size());
    double sum = 0.0;
    first = -1;
    last = n - 1;
    for (int i = 0; i < n; ++i) {
        sum += profile[static_cast<std::size_t>(i)];
        if (first < 0 && sum > kTrim * total)
            first = i;
        if (sum >= (1.0 - kTrim) * total) {
            last = i;
            break;
        }
    }
    if (first < 0)
        first = 0;
    last = std::max(first, last);
}

}  // namespace

CellInput cellInput(const GreyImage& crop)
{
    CellInput out{};
    const int w = crop.width;
    const int h = crop.height;
    if (crop.empty() || crop.pixels.size() < static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
        return out;

    // The ink, and its profiles along x and y: of the inside without the edge band (a line at an
    // edge, a dotted line's remains, the next square's ink), or of the whole crop when all the
    // ink is in the band.
    std::vector<double> ink(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    std::vector<double> columns(static_cast<std::size_t>(w), 0.0), rows(static_cast<std::size_t>(h), 0.0);
    std::vector<double> allColumns(static_cast<std::size_t>(w), 0.0), allRows(static_cast<std::size_t>(h), 0.0);
    const int bandX = static_cast<int>(kEdgeBand * w);
    const int bandY = static_cast<int>(kEdgeBand * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double darkness = (255.0 - crop.at(x, y)) / 255.0;
            const double v = std::max(0.0, (darkness - kPaper) / (1.0 - kPaper));
            ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] = v;
            allColumns[static_cast<std::size_t>(x)] += v;
            allRows[static_cast<std::size_t>(y)] += v;
            if (x >= bandX && x < w - bandX && y >= bandY && y < h - bandY) {
                columns[static_cast<std::size_t>(x)] += v;
                rows[static_cast<std::size_t>(y)] += v;
            }
        }
    }
    double total = 0.0;
    for (double v : rows)
        total += v;
    if (total <= 0.0) {
        columns.swap(allColumns);
        rows.swap(allRows);
        for (double v : rows)
            total += v;
    }
    if (total <= 0.0)
        return out;

    int left = 0, right = 0, top = 0, bottom = 0;
    trimmedRange(columns, total, left, right);
    trimmedRange(rows, total, top, bottom);
    // A box further off centre stays off by the rest: a line at an edge is not a 1 in the middle.
    const double cx = w / 2.0 + std::clamp((left + right + 1) / 2.0 - w / 2.0, -kMostShift * w, kMostShift * w);
    const double cy = h / 2.0 + std::clamp((top + bottom + 1) / 2.0 - h / 2.0, -kMostShift * h, kMostShift * h);
    const double extent = std::max({static_cast<double>(right - left + 1), static_cast<double>(bottom - top + 1),
                                     kLeastExtent * std::max(w, h)});
    const double scale = kBox / extent;  // grid pixels per crop pixel
    const int k = std::clamp(static_cast<int>(std::ceil(1.0 / scale - 1e-9)), 1, kMostSamples);

    // Bilinear ink at a point of the crop (pixel centres at half-integers); outside is paper.
    const auto inkAt = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return 0.0;
        return ink[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
    };
    const auto sample = [&](double px, double py) {
        const double fx = px - 0.5;
        const double fy = py - 0.5;
        const double x0 = std::floor(fx);
        const double y0 = std::floor(fy);
        const double tx = fx - x0;
        const double ty = fy - y0;
        const int ix = static_cast<int>(x0);
        const int iy = static_cast<int>(y0);
        return (1.0 - ty) * ((1.0 - tx) * inkAt(ix, iy) + tx * inkAt(ix + 1, iy)) +
               ty * ((1.0 - tx) * inkAt(ix, iy + 1) + tx * inkAt(ix + 1, iy + 1));
    };

    const double half = kInputSide / 2.0;
    double peak = 0.0;
    std::array<double, kInputSize> grid{};
    for (int v = 0; v < kInputSide; ++v) {
        for (int u = 0; u < kInputSide; ++u) {
            double sum = 0.0;
            for (int j = 0; j < k; ++j) {
                const double gy = v + (j + 0.5) / k;
                const double py = cy + (gy - half) / scale;
                for (int i = 0; i < k; ++i) {
                    const double gx = u + (i + 0.5) / k;
                    sum += sample(cx + (gx - half) / scale, py);
                }
            }
            const double value = sum / (k * k);
            grid[static_cast<std::size_t>(v * kInputSide + u)] = value;
            peak = std::max(peak, value);
        }
    }
    const double gain = 1.0 / std::max(peak, kLeastPeak);
    for (std::size_t i = 0; i < grid.size(); ++i)
        out[i] = static_cast<float>(std::min(1.0, grid[i] * gain));
    return out;
}

}  // namespace pelkano::marking
