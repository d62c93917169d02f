#include "Hissan.h"

#include <charconv>
#include <optional>

namespace pelkano {

namespace {

// Cell side, frame rows and the quarter and three quarters of a cell, in layout units.
struct CellGeometry {
    int cell;
    int frameRows;
    int quarter;
    int threeQuarters;
};

CellGeometry geometryOf(LayoutPattern pattern)
{
    switch (pattern) {
    case LayoutPattern::R2C2:
    case LayoutPattern::R2C3:
        return {16, 10, 4, 12};
    case LayoutPattern::R3C2:
    case LayoutPattern::R3C3:
        return {12, 10, 3, 9};
    case LayoutPattern::R4C2:
    case LayoutPattern::R4C3:
        return {12, 7, 3, 9};
    }
    return {16, 10, 4, 12};
}

// Expression font height in layout units, the same for every pattern.
constexpr int kExpressionHeight = 10;

// A decimal text without sign read as a number; nothing for anything else.
std::optional<long long> readNumber(const std::string& text)
{
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 0)
        return std::nullopt;
    return value;
}

// The characters of t with one blank between neighbours.
std::string spaced(const std::string& t)
{
    std::string out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (i > 0)
            out += ' ';
        out += t[i];
    }
    return out;
}

std::string padLeft(const std::string& t, int width)
{
    const int missing = width - static_cast<int>(t.size());
    return missing > 0 ? std::string(static_cast<std::size_t>(missing), ' ') + t : t;
}

int length(const std::string& t)
{
    return static_cast<int>(t.size());
}

// Where the figure's texts start and how far apart its text rows are, in device pixels.
struct Frame {
    int x;
    int y;
    int rowPitch;  // H: the font height read back after it was set to the cell side
    int quarter;
    int threeQuarters;
};

// The bar over the dividend: the underline of a run of blanks along the bottom of row 0.
void drawBar(DrawingSurface& surface, const Frame& f, const std::string& divisor, int nD)
{
    surface.setFontUnderline(true);
    surface.textOut(f.x + surface.textWidth(spaced(divisor)) + f.threeQuarters, f.y,
                    std::string(static_cast<std::size_t>(2 * nD + 1), ' '));
    surface.setFontUnderline(false);
}

// Divisor, bracket and dividend on row 1, each character a quarter cell into its own cell.
void drawDividendLine(DrawingSurface& surface, const Frame& f, const std::string& dividend,
                      const std::string& divisor, const std::string& bracket)
{
    surface.textOut(f.x + f.quarter, f.y + f.rowPitch, spaced(divisor + bracket + dividend));
}

// The quotient over the bar and the written working below the dividend line. Positions follow
// the digits as they are brought down; the blanks that align a number never enter the arithmetic.
void drawWorking(DrawingSurface& surface, const Frame& f, const std::string& dividend, const std::string& divisor,
                 long long d, const std::string& quotient)
{
    const int nD = length(dividend);
    const int nq = length(quotient);
    const int H = f.rowPitch;
    const int xq = f.x + surface.textWidth(spaced(divisor)) + f.threeQuarters;
    // The working's columns are found with ")" whatever bracket the page passes.
    const int xw = f.x + surface.textWidth(spaced(divisor + ")")) + f.threeQuarters;

    // Each quotient digit stands over the dividend digit whose bringing down produced it.
    surface.textOut(xq, f.y, spaced(padLeft(quotient, nD + 1)));

    long long cur = *readNumber(dividend.substr(0, static_cast<std::size_t>(nD - nq + 1)));
    long long rest = 0;  // the difference of the last product, then with the next digit brought down
    int r = 1;
    bool skip = false;
    for (int i = 1; i <= nq; ++i) {
        if (!skip) {
            const long long product = (quotient[static_cast<std::size_t>(i - 1)] - '0') * d;
            rest = cur - product;
            // The product's last digit stands under quotient digit i.
            std::string p = padLeft(std::to_string(product), nD - nq + i);
            p.append(static_cast<std::size_t>(nq - i), ' ');
            surface.setFontUnderline(true);
            surface.textOut(xw, f.y + 2 * r * H, spaced(p));
            surface.setFontUnderline(false);
        }
        const int next = nD - nq + i;  // index of the digit to bring down, from 0
        if (i < nq)
            rest = rest * 10 + (dividend[static_cast<std::size_t>(next)] - '0');
        cur = rest;
        skip = cur < d;
        if (!skip) {
            // The difference with the digit just brought down, its last digit under that digit.
            surface.textOut(xw, f.y + (2 * r + 1) * H, spaced(padLeft(std::to_string(rest), nD - nq + i + 1)));
            ++r;
        } else if (i == nq) {
            // The final remainder, drawn also when it is 0.
            surface.textOut(xw, f.y + (2 * r + 1) * H, spaced(padLeft(std::to_string(rest), nD)));
        }
        // Otherwise the next quotient digit is 0: no line, one more digit comes down onto cur.
    }
}

}  // namespace

void Hissan(DrawingSurface& surface, const Scale& scale, int x, int y, const std::string& dividend,
            const std::string& divisor, const std::string& bracket, const RenderSettings& settings,
            bool showAnswers)
{
    const CellGeometry g = geometryOf(settings.pattern);
    const int nD = length(dividend);
    const int nd = length(divisor);
    const int N = nd + length(bracket) + nD;
    const int C = scale.S(g.cell);

    // Answers need well-formed numbers and a divisor of at least 1; anything else is drawn as
    // the bare question rather than worked.
    const auto D = readNumber(dividend);
    const auto d = readNumber(divisor);
    const bool worked = showAnswers && D && d && *d > 0;
    const std::string quotient = worked ? std::to_string(*D / *d) : std::string();

    surface.setFontHeight(C);
    // The frame's pen is in device pixels and never scaled; it is set whether or not a frame is drawn.
    surface.setPenWidth(settings.lineWidth);
    surface.setPenStyle(PenStyle::Dot);

    if (settings.frame) {
        const int M = g.frameRows;
        surface.rectangle(x, y, x + N * C, y + M * C);
        for (int i = 1; i <= M; ++i) {
            surface.moveTo(x, y + i * C);
            surface.lineTo(x + N * C, y + i * C);
        }
        for (int j = 1; j <= N; ++j) {
            surface.moveTo(x + j * C, y);
            surface.lineTo(x + j * C, y + M * C);
        }
    }

    if (settings.style == QuestionStyle::Expression) {
        surface.setFontHeight(scale.S(kExpressionHeight));
        const int E = surface.fontHeight();
        std::string expression = dividend + "÷" + divisor;
        if (!worked) {
            // The question alone: the expression above an empty frame.
            surface.textOut(x, y - E, expression);
            return;
        }
        expression += "=" + quotient;
        const long long remainder = *D % *d;
        if (remainder != 0)
            expression += "･･･" + std::to_string(remainder);
        surface.textOut(x, y - E, expression);
        surface.setFontHeight(C);
    }

    const Frame f{x, y, surface.fontHeight(), scale.S(g.quarter), scale.S(g.threeQuarters)};
    drawBar(surface, f, divisor, nD);
    if (worked)
        drawWorking(surface, f, dividend, divisor, *d, quotient);
    drawDividendLine(surface, f, dividend, divisor, bracket);
}

}  // namespace pelkano
