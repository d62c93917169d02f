#include "Recognizer.h"

#include "RecognizerWeights.h"

#include <Eigen/Core>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace pelkano::marking {

namespace {

// The networks tools/train_recognizer.py trains, alike but for their seeds: three 3x3
// convolutions (padding 1), each with ReLU and 2x2 max pooling (28 -> 14 -> 7 -> 3), then
// 432 -> 96 (ReLU) -> kClasses.
constexpr int kChannels[] = {1, 12, 24, 48};
constexpr int kHidden = 96;
constexpr int kLast = 3;  // the side after the third pooling

using RowMatrix = Eigen::Matrix<float, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;
using Vector = Eigen::VectorXf;

struct Conv {
    RowMatrix weight;  // out x (in * 9), PyTorch's (out, in, 3, 3) order
    Vector bias;
};

struct Network {
    Conv conv[3];
    RowMatrix hidden;  // kHidden x (48 * 3 * 3), over PyTorch's flattening (channel, row, column)
    Vector hiddenBias;
    RowMatrix last;  // kClasses x kHidden
    Vector lastBias;
};

// An IEEE half-precision number as a float (exactly: every half is a float).
float halfToFloat(std::uint16_t h)
{
    const std::uint32_t sign = static_cast<std::uint32_t>(h & 0x8000u) << 16;
    const int exponent = (h >> 10) & 0x1f;
    const std::uint32_t mantissa = h & 0x3ffu;
    if (exponent == 0) {  // zero or subnormal
        const float v = std::ldexp(static_cast<float>(mantissa), -24);
        return sign != 0 ? -v : v;
    }
    const std::uint32_t bits = exponent == 31 ? sign | 0x7f800000u | (mantissa << 13)
                                              : sign | (static_cast<std::uint32_t>(exponent - 15 + 127) << 23) | (mantissa << 13);
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The weights file: "PKRN", version 3, the count of numbers, the count of networks, then the
// numbers (little-endian float16) of each network in turn, in the order the training script's
// WEIGHT_ORDER names.
std::vector<Network> loadNetworks()
{
    constexpr std::size_t kHeader = 16;
    const unsigned char* bytes = kRecognizerWeights;
    std::uint32_t version = 0, count = 0, networks = 0;
    if (kRecognizerWeightsSize >= kHeader) {
        std::memcpy(&version, bytes + 4, 4);
        std::memcpy(&count, bytes + 8, 4);
        std::memcpy(&networks, bytes + 12, 4);
    }
    std::size_t each = 0;
    for (int l = 0; l < 3; ++l)
        each += static_cast<std::size_t>(kChannels[l + 1]) * (kChannels[l] * 9 + 1);
    each += static_cast<std::size_t>(kHidden) * (kChannels[3] * kLast * kLast + 1) + kClasses * (kHidden + 1);
    if (kRecognizerWeightsSize < kHeader || std::memcmp(bytes, "PKRN", 4) != 0 || version != 3 || networks < 1 ||
        networks > 8 || count != each * networks || kRecognizerWeightsSize != kHeader + 2 * static_cast<std::size_t>(count))
        throw std::logic_error("the built-in weights of the square reader do not fit its network");

    const unsigned char* at = bytes + kHeader;
    const auto take = [&at](float* out, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i, at += 2)
            out[i] = halfToFloat(static_cast<std::uint16_t>(at[0] | (at[1] << 8)));
    };
    const auto matrix = [&take](int rows, int cols) {
        RowMatrix m(rows, cols);
        take(m.data(), static_cast<std::size_t>(m.size()));
        return m;
    };
    const auto vector = [&take](int n) {
        Vector v(n);
        take(v.data(), static_cast<std::size_t>(n));
        return v;
    };
    std::vector<Network> nets(networks);
    for (Network& net : nets) {
        for (int l = 0; l < 3; ++l) {
            net.conv[l].weight = matrix(kChannels[l + 1], kChannels[l] * 9);
            net.conv[l].bias = vector(kChannels[l + 1]);
        }
        net.hidden = matrix(kHidden, kChannels[3] * kLast * kLast);
        net.hiddenBias = vector(kHidden);
        net.last = matrix(kClasses, kHidden);
        net.lastBias = vector(kClasses);
    }
    return nets;
}

const std::vector<Network>& networks()
{
    static const std::vector<Network> nets = loadNetworks();
    return nets;
}

// A 3x3 convolution with padding 1, ReLU and 2x2 max pooling of `in` (channels x side*side, each
// row one channel's image); returns channels' x (side/2)^2.
RowMatrix convolve(const Conv& conv, const RowMatrix& in, int side)
{
    const int channels = static_cast<int>(in.rows());
    const int pixels = side * side;
    RowMatrix columns = RowMatrix::Zero(channels * 9, pixels);
    for (int c = 0; c < channels; ++c) {
        for (int ky = 0; ky < 3; ++ky) {
            for (int kx = 0; kx < 3; ++kx) {
                float* row = columns.row(c * 9 + ky * 3 + kx).data();
                for (int y = 0; y < side; ++y) {
                    const int sy = y + ky - 1;
                    if (sy < 0 || sy >= side)
                        continue;
                    for (int x = 0; x < side; ++x) {
                        const int sx = x + kx - 1;
                        if (sx >= 0 && sx < side)
                            row[y * side + x] = in(c, sy * side + sx);
                    }
                }
            }
        }
    }
    RowMatrix out = conv.weight * columns;
    out.colwise() += conv.bias;
    const int half = side / 2;
    RowMatrix pooled(out.rows(), half * half);
    for (Eigen::Index o = 0; o < out.rows(); ++o) {
        for (int y = 0; y < half; ++y) {
            for (int x = 0; x < half; ++x) {
                const int p = 2 * y * side + 2 * x;
                const float m = std::max({out(o, p), out(o, p + 1), out(o, p + side), out(o, p + side + 1)});
                pooled(o, y * half + x) = std::max(m, 0.0f);  // ReLU commutes with the maximum
            }
        }
    }
    return pooled;
}

}  // namespace

int recognizerNetworks()
{
    return static_cast<int>(networks().size());
}

std::array<float, kClasses> cellLogits(const CellInput& input, int network)
{
    const Network& net = networks().at(static_cast<std::size_t>(network));
    RowMatrix x = Eigen::Map<const RowMatrix>(input.data(), 1, kInputSize);
    int side = kInputSide;
    for (const Conv& conv : net.conv) {
        x = convolve(conv, x, side);
        side /= 2;
    }
    const Eigen::Map<const Vector> flat(x.data(), x.size());
    const Vector hidden = (net.hidden * flat + net.hiddenBias).cwiseMax(0.0f);
    const Vector logits = net.last * hidden + net.lastBias;
    std::array<float, kClasses> out{};
    std::copy(logits.data(), logits.data() + kClasses, out.begin());
    return out;
}

namespace {

CellScores meanProbabilities(const CellInput& input)
{
    std::array<double, kClasses> mean{};
    const int count = recognizerNetworks();
    for (int n = 0; n < count; ++n) {
        const std::array<float, kClasses> logits = cellLogits(input, n);
        const float top = *std::max_element(logits.begin(), logits.end());
        std::array<double, kClasses> p{};
        double sum = 0.0;
        for (std::size_t i = 0; i < p.size(); ++i) {
            p[i] = std::exp(static_cast<double>(logits[i] - top));
            sum += p[i];
        }
        for (std::size_t i = 0; i < p.size(); ++i)
            mean[i] += p[i] / sum / count;
    }
    CellScores scores{};
    for (std::size_t i = 0; i < scores.size(); ++i)
        scores[i] = static_cast<float>(mean[i]);
    return scores;
}

}  // namespace

CellScores recognizeCell(const GreyImage& crop)
{
    const CellInput input = cellInput(crop);
    // Most squares of a frame are left empty, and every empty one gives the same input.
    if (std::all_of(input.begin(), input.end(), [](float v) { return v == 0.0f; })) {
        static const CellScores empty = meanProbabilities(CellInput{});
        return empty;
    }
    return meanProbabilities(input);
}

}  // namespace pelkano::marking
