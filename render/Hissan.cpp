#include "Hissan.h"

#include "LongDivision.h"

#include <algorithm>
#include <cmath>
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

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

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

// The quotient over the bar and the written working below the dividend line, each number with
// its last digit in the cell the working gives it; products are underlined across every
// dividend cell.
void drawWorking(DrawingSurface& surface, const Frame& f, const std::string& divisor, const LongDivision& w)
{
    const int nD = digitCount(w.dividend);
    const int H = f.rowPitch;
    const int xq = f.x + surface.textWidth(spaced(divisor)) + f.threeQuarters;
    // The working's columns are found with ")" whatever bracket the page passes.
    const int xw = f.x + surface.textWidth(spaced(divisor + ")")) + f.threeQuarters;

    // Each quotient digit stands over the dividend digit whose bringing down produced it.
    surface.textOut(xq, f.y, spaced(padLeft(std::to_string(w.quotient), nD + 1)));

    for (const WorkingLine& line : w.lines) {
        std::string text = padLeft(std::to_string(line.value), line.lastDigit + 1);
        if (line.underlined()) {
            text.append(static_cast<std::size_t>(nD - 1 - line.lastDigit), ' ');
            surface.setFontUnderline(true);
            surface.textOut(xw, f.y + line.row * H, spaced(text));
            surface.setFontUnderline(false);
        } else {
            surface.textOut(xw, f.y + line.row * H, spaced(text));
        }
    }
}

// Two tried digits to a row of cells.
constexpr int kTentativePerRow = 2;

int rowsForTentatives(int tried)
{
    return (tried + kTentativePerRow - 1) / kTentativePerRow;
}

// The digits tried before each quotient digit, in its column of the tentative rows above the
// quotient: half a cell high, centred in the cell, the last tried just above the quotient digit,
// each struck through by a solid line. The frame's pen is set again afterwards.
void drawTentatives(DrawingSurface& surface, const Frame& f, int quotientTop, int cell, int divisorLength,
                    const LongDivision& w, int lineWidth)
{
    const int h = cell / kTentativePerRow;
    if (h < 1)
        return;
    surface.setFontHeight(h);
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenWidth(std::max(1, h / 12));
    for (const DivisionStep& step : w.steps) {
        const std::vector<int> tried = rejectedQuotients(step, w.divisor);
        const int k = static_cast<int>(tried.size());
        // The quotient digit's cell: after the divisor and the bracket.
        const int left = f.x + (divisorLength + 1 + step.lastDigit) * cell;
        for (int j = 0; j < k; ++j) {
            const std::string digit = std::to_string(tried[static_cast<std::size_t>(j)]);
            const int width = surface.textWidth(digit);
            const int tx = left + (cell - width) / 2;
            const int ty = quotientTop - (k - j) * h;
            surface.textOut(tx, ty, digit);
            // Through the middle of the digit's figure, which stands a little below the text cell's middle.
            const int strikeY = ty + h * 17 / 32;
            surface.moveTo(tx - h / 8, strikeY);
            surface.lineTo(tx + width + h / 8, strikeY);
        }
    }
    surface.setFontHeight(cell);
    surface.setPenWidth(lineWidth);
    surface.setPenStyle(PenStyle::Dot);
}

}  // namespace

int patternFrameRows(LayoutPattern pattern)
{
    return geometryOf(pattern).frameRows;
}

FigureCells figureCells(const Scale& scale, LayoutPattern pattern)
{
    const CellGeometry g = geometryOf(pattern);
    return {scale.S(g.cell), scale.S(g.quarter), scale.S(g.threeQuarters)};
}

FigureCells figureCellsOf(int cell, int expression)
{
    const int c = cell > 0 ? cell : 1;
    return {c, roundHalfEven(c / 4.0), roundHalfEven(c * 3 / 4.0), expression > 0 ? expression : 0};
}

std::string expressionText(const std::string& dividend, const std::string& divisor, bool showAnswers)
{
    std::string expression = dividend + "÷" + divisor;
    const std::optional<LongDivision> working =
        showAnswers ? LongDivision::ofText(dividend, divisor) : std::nullopt;
    if (working) {
        expression.append("=").append(std::to_string(working->quotient));
        if (working->remainder != 0)
            expression.append("･･･").append(std::to_string(working->remainder));
    }
    return expression;
}

int expressionHalves(const std::string& expression)
{
    // Counted by UTF-8 lead bytes: ASCII and "･" (U+FF65, EF BD A5) are half-width, the rest full.
    int halves = 0;
    for (std::size_t i = 0; i < expression.size(); ++i) {
        const auto byte = static_cast<unsigned char>(expression[i]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const bool halfWidth = byte < 0x80 || expression.compare(i, 3, "･") == 0;
        halves += halfWidth ? 1 : 2;
    }
    return halves;
}

FigureSize workedFigureSize(const std::string& dividend, const std::string& divisor, const std::string& bracket,
                            const RenderSettings& settings)
{
    const std::optional<LongDivision> working = LongDivision::ofText(dividend, divisor);
    FigureSize size;
    size.columns = length(divisor) + length(bracket) + length(dividend);
    // Without a working the figure is the question: the bar's row and the dividend line.
    size.rows = working ? working->rows() : 2;
    if (working && settings.tentative) {
        std::size_t most = 0;
        for (const DivisionStep& step : working->steps)
            most = std::max(most, rejectedQuotients(step, working->divisor).size());
        size.tentativeRows = rowsForTentatives(static_cast<int>(most));
    }
    return size;
}

void Hissan(DrawingSurface& surface, const Scale& scale, int x, int y, const std::string& dividend,
            const std::string& divisor, const std::string& bracket, const RenderSettings& settings,
            bool showAnswers)
{
    Hissan(surface, scale, x, y, dividend, divisor, bracket, settings, showAnswers,
           figureCells(scale, settings.pattern));
}

void Hissan(DrawingSurface& surface, const Scale& scale, int x, int y, const std::string& dividend,
            const std::string& divisor, const std::string& bracket, const RenderSettings& settings,
            bool showAnswers, const FigureCells& cells)
{
    const CellGeometry g = geometryOf(settings.pattern);
    const int nD = length(dividend);
    const int nd = length(divisor);
    const int N = nd + length(bracket) + nD;
    const int C = cells.cell;

    // Answers need well-formed numbers and a divisor of at least 1; anything else is drawn as
    // the bare question rather than worked.
    const std::optional<LongDivision> working =
        showAnswers ? LongDivision::ofText(dividend, divisor) : std::nullopt;
    const bool worked = working.has_value();

    surface.setFontHeight(C);
    // The frame's pen is in device pixels and never scaled; it is set whether or not a frame is drawn.
    surface.setPenWidth(settings.lineWidth);
    surface.setPenStyle(PenStyle::Dot);

    // The tentative rows stand at the top; the question and its working start below them.
    const int T = cells.tentativeRows > 0 ? cells.tentativeRows : 0;
    const int top = y + T * C;
    if (settings.frame) {
        const int M = T + (cells.frameRows > 0 ? cells.frameRows : g.frameRows);
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
        surface.setFontHeight(cells.expression > 0 ? cells.expression : scale.S(kExpressionHeight));
        const int E = surface.fontHeight();
        surface.textOut(x, y - E, expressionText(dividend, divisor, worked));
        // Without answers the question is the expression alone, above an empty frame.
        if (!worked)
            return;
        surface.setFontHeight(C);
    }

    const Frame f{x, top, surface.fontHeight(), cells.quarter, cells.threeQuarters};
    drawBar(surface, f, divisor, nD);
    if (worked)
        drawWorking(surface, f, divisor, *working);
    if (worked && settings.tentative && T > 0)
        drawTentatives(surface, f, top, C, nd, *working, settings.lineWidth);
    drawDividendLine(surface, f, dividend, divisor, bracket);
}

}  // namespace pelkano
