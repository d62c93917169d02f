#pragma once
// One problem's figure: the optional dotted frame, then the written division or the expression,
// with the worked answer when showAnswers is set. x, y: top-left corner of the figure's first
// row of cells, in device pixels.
#include "DrawingSurface.h"
#include "RenderSettings.h"

#include <string>

namespace pelkano {

// The figure's squares in device pixels: the side of a cell (also the figure's font height) and
// the quarter and three quarters of a cell that place its texts inside the cells; and, in cells,
// how many rows the frame has and how many rows above the quotient hold tentative quotients.
struct FigureCells {
    int cell = 0;
    int quarter = 0;
    int threeQuarters = 0;
    // The expression's font height in device pixels; 0 for its own, S(kExpressionHeight).
    int expression = 0;
    // Rows of the frame from the quotient's row down; 0 for the pattern's own.
    int frameRows = 0;
    // Rows at the top of the figure, above the quotient's row, that hold the tentative quotients;
    // the frame covers them too, and the question starts this many rows lower.
    int tentativeRows = 0;
    friend bool operator==(const FigureCells&, const FigureCells&) = default;
};

// The pattern's own cells at a DrawScale: 16 or 12 layout units, each part scaled on its own.
FigureCells figureCells(const Scale& scale, LayoutPattern pattern);
// Cells of a side chosen in device pixels (at least 1), the quarters rounded from that side, and
// the expression's height (0: its own).
FigureCells figureCellsOf(int cell, int expression = 0);

// The rows of the pattern's own frame: 10, or 7 in the 4段 patterns.
int patternFrameRows(LayoutPattern pattern);

// What a figure drawn with its answers needs, in cells: `columns` wide (divisor, bracket and
// dividend), `rows` of text from the quotient down (the quotient, the dividend line and the written
// working), and `tentativeRows` above the quotient for the digits tried before each quotient digit
// (0 unless settings.tentative asks for them, two digits to a row). The frame is not counted; in
// the expression style the expression stands above it all.
struct FigureSize {
    int columns = 0;
    int rows = 0;
    int tentativeRows = 0;
};
FigureSize workedFigureSize(const std::string& dividend, const std::string& divisor, const std::string& bracket,
                            const RenderSettings& settings);

// Expression font height in layout units, the same for every pattern.
inline constexpr int kExpressionHeight = 10;

// The expression of the style 式: "8765÷43", with its answer "8765÷43=203･･･36" when worked.
std::string expressionText(const std::string& dividend, const std::string& divisor, bool showAnswers);
// Its width in half-width characters: a digit, "=" or "･" is one, "÷" two.
int expressionHalves(const std::string& expression);

// On the pattern's own cells and frame, with no rows for tentative quotients.
void Hissan(DrawingSurface& surface, const Scale& scale, int x, int y, const std::string& dividend,
            const std::string& divisor, const std::string& bracket, const RenderSettings& settings,
            bool showAnswers);
// The same figure drawn on the given cells and rows. With its answers and settings.tentative, the
// digits tried before each quotient digit stand in its column in the tentative rows, half a cell
// high each, struck through, the first tried highest; the rows hold two of them each.
void Hissan(DrawingSurface& surface, const Scale& scale, int x, int y, const std::string& dividend,
            const std::string& divisor, const std::string& bracket, const RenderSettings& settings,
            bool showAnswers, const FigureCells& cells);

}  // namespace pelkano
