#include "ScanGeometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pelkano::marking {

Point Homography::map(Point p) const
{
    const double w = m[6] * p.x + m[7] * p.y + m[8];
    const double x = m[0] * p.x + m[1] * p.y + m[2];
    const double y = m[3] * p.x + m[4] * p.y + m[5];
    if (std::abs(w) < 1e-12)
        return {1e18, 1e18};
    return {x / w, y / w};
}

std::optional<Homography> Homography::fromPoints(const std::array<Point, 4>& from, const std::array<Point, 4>& to)
{
    // h0..h7 with h8 = 1: two equations a point pair, solved by elimination with partial pivoting.
    double a[8][9] = {};
    for (int i = 0; i < 4; ++i) {
        const double x = from[static_cast<std::size_t>(i)].x, y = from[static_cast<std::size_t>(i)].y;
        const double u = to[static_cast<std::size_t>(i)].x, v = to[static_cast<std::size_t>(i)].y;
        double* r = a[2 * i];
        r[0] = x, r[1] = y, r[2] = 1, r[6] = -u * x, r[7] = -u * y, r[8] = u;
        r = a[2 * i + 1];
        r[3] = x, r[4] = y, r[5] = 1, r[6] = -v * x, r[7] = -v * y, r[8] = v;
    }
    // Scaled so that a pivot's size says something whatever the points' units.
    double scale = 0;
    for (auto& row : a)
        for (double value : row)
            scale = std::max(scale, std::abs(value));
    if (!(scale > 0) || !std::isfinite(scale))
        return std::nullopt;
    for (int c = 0; c < 8; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 8; ++r)
            if (std::abs(a[r][c]) > std::abs(a[pivot][c]))
                pivot = r;
        if (std::abs(a[pivot][c]) < 1e-12 * scale)
            return std::nullopt;
        std::swap(a[c], a[pivot]);
        for (int r = 0; r < 8; ++r) {
            if (r == c)
                continue;
            const double f = a[r][c] / a[c][c];
            for (int k = c; k < 9; ++k)
                a[r][k] -= f * a[c][k];
        }
    }
    Homography h;
    for (int i = 0; i < 8; ++i)
        h.m[static_cast<std::size_t>(i)] = a[i][8] / a[i][i];
    h.m[8] = 1;
    for (double value : h.m)
        if (!std::isfinite(value))
            return std::nullopt;
    return h;
}

GreyImage reduced(const GreyImage& image, int factor)
{
    if (factor <= 1)
        return image;
    GreyImage out;
    out.width = image.width / factor;
    out.height = image.height / factor;
    if (out.width <= 0 || out.height <= 0)
        return GreyImage{};
    out.pixels.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 255);
    std::vector<unsigned> sums(static_cast<std::size_t>(out.width));
    const unsigned area = static_cast<unsigned>(factor * factor);
    for (int y = 0; y < out.height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int dy = 0; dy < factor; ++dy) {
            const std::uint8_t* row = &image.pixels[static_cast<std::size_t>(y * factor + dy) * static_cast<std::size_t>(image.width)];
            for (int x = 0; x < out.width; ++x)
                for (int dx = 0; dx < factor; ++dx)
                    sums[static_cast<std::size_t>(x)] += row[x * factor + dx];
        }
        for (int x = 0; x < out.width; ++x)
            out.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(out.width) + static_cast<std::size_t>(x)] =
                static_cast<std::uint8_t>(sums[static_cast<std::size_t>(x)] / area);
    }
    return out;
}

std::vector<Blob> squareBlobs(const GreyImage& image, double minSide, double maxSide)
{
    std::vector<Blob> blobs;
    if (image.empty())
        return blobs;
    const double pixels = static_cast<double>(image.width) * image.height;
    const int factor = std::max(1, static_cast<int>(std::ceil(std::sqrt(pixels / 4e6))));
    const GreyImage small = reduced(image, factor);
    if (small.empty())
        return blobs;
    const int w = small.width, h = small.height;
    std::vector<std::uint8_t> seen(small.pixels.size(), 0);
    std::vector<int> stack;
    for (int start = 0; start < w * h; ++start) {
        if (seen[static_cast<std::size_t>(start)] || small.pixels[static_cast<std::size_t>(start)] >= 128)
            continue;
        long long count = 0;
        double sx = 0, sy = 0;
        int x0 = w, y0 = h, x1 = -1, y1 = -1;
        stack.assign(1, start);
        seen[static_cast<std::size_t>(start)] = 1;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            const int x = p % w, y = p / w;
            ++count;
            sx += x, sy += y;
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            const int next[4] = {x > 0 ? p - 1 : -1, x + 1 < w ? p + 1 : -1, y > 0 ? p - w : -1, y + 1 < h ? p + w : -1};
            for (const int q : next) {
                if (q < 0 || seen[static_cast<std::size_t>(q)] || small.pixels[static_cast<std::size_t>(q)] >= 128)
                    continue;
                seen[static_cast<std::size_t>(q)] = 1;
                stack.push_back(q);
            }
        }
        const double bw = x1 - x0 + 1, bh = y1 - y0 + 1;
        const double side = std::sqrt(static_cast<double>(count)) * factor;
        // A square turned by up to 10 degrees fills three quarters of its upright box; a small one
        // less, its edges being grey.
        const double filled = bw * bh <= 64 ? 0.5 : 0.68;
        if (side < minSide || side > maxSide || bw / bh < 0.7 || bh / bw < 0.7 ||
            static_cast<double>(count) < filled * bw * bh)
            continue;
        blobs.push_back({{(sx / static_cast<double>(count) + 0.5) * factor - 0.5,
                          (sy / static_cast<double>(count) + 0.5) * factor - 0.5},
                         side});
    }
    return blobs;
}

std::optional<Point> darkCentre(const GreyImage& image, Point near, double radius)
{
    const int x0 = std::max(0, static_cast<int>(std::floor(near.x - radius)));
    const int y0 = std::max(0, static_cast<int>(std::floor(near.y - radius)));
    const int x1 = std::min(image.width - 1, static_cast<int>(std::ceil(near.x + radius)));
    const int y1 = std::min(image.height - 1, static_cast<int>(std::ceil(near.y + radius)));
    double sum = 0, sx = 0, sy = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            // Darkness above the paper's, so grey paper and soft edges weigh as they should.
            const double d = std::max(0, 200 - static_cast<int>(image.at(x, y)));
            sum += d, sx += d * x, sy += d * y;
        }
    if (sum <= 0)
        return std::nullopt;
    return Point{sx / sum, sy / sum};
}

GreyImage sampleSquare(const GreyImage& scan, const Homography& pageToScan, double x, double y, double side, int size)
{
    GreyImage out;
    out.width = out.height = size;
    out.pixels.assign(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), 255);
    const double step = side / size;
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            const Point p = pageToScan.map({x + (i + 0.5) * step, y + (j + 0.5) * step});
            const double fx = p.x - 0.5, fy = p.y - 0.5;
            if (!(fx >= 0 && fy >= 0 && fx < scan.width - 1 && fy < scan.height - 1))
                continue;
            const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
            const double ax = fx - ix, ay = fy - iy;
            const double v = (1 - ay) * ((1 - ax) * scan.at(ix, iy) + ax * scan.at(ix + 1, iy)) +
                             ay * ((1 - ax) * scan.at(ix, iy + 1) + ax * scan.at(ix + 1, iy + 1));
            out.pixels[static_cast<std::size_t>(j) * static_cast<std::size_t>(size) + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(std::lround(v));
        }
    return out;
}

void whitenEdges(GreyImage& crop, bool deepFoot)
{
    const int n = crop.width;
    const int band = std::max(1, static_cast<int>(std::lround(n * 0.08)));
    const int foot = deepFoot ? std::max(band, static_cast<int>(std::lround(n * 0.14))) : band;
    const auto at = [&](int x, int y) -> unsigned char& {
        return crop.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(n) + static_cast<std::size_t>(x)];
    };
    std::vector<bool> lineRow(static_cast<std::size_t>(n), false);
    for (int y = n - foot; y < n - band; ++y) {
        int dark = 0;
        for (int x = band; x < n - band; ++x)
            dark += at(x, y) < 128 ? 1 : 0;
        if (dark * 10 >= (n - 2 * band) * 6)
            for (int k = std::max(0, y - 1); k <= std::min(n - 1, y + 1); ++k)
                lineRow[static_cast<std::size_t>(k)] = true;
    }
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (x < band || y < band || x >= n - band || y >= n - band || lineRow[static_cast<std::size_t>(y)])
                at(x, y) = 255;
}

}  // namespace pelkano::marking
