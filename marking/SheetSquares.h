#pragma once
// Where a page's squares, marks and QR code stand, in the page's own pixels, as the page layout
// draws them.
#include "RenderSettings.h"
// (read from the page geometry that MakePrint draws by)
#include "Sheet.h"

#include <array>
#include <vector>

namespace pelkano::marking {

struct PageRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// One figure's squares: the quotient's row first, then the dividend line, then the working.
struct FigureSquares {
    int slot = 0;
    double left = 0;  // the top-left corner of the quotient row's first square
    double top = 0;
    double cell = 0;
    int divisorColumns = 0;  // the divisor's squares, then one for the bracket, then the dividend's
    int dividendColumns = 0;
    int rows = 0;  // text rows from the quotient's down, the frame's
    PageRect square(int row, int dividendDigit) const
    {
        return {left + (divisorColumns + 1 + dividendDigit) * cell, top + row * cell, cell, cell};
    }
    PageRect whole() const
    {
        return {left, top, (divisorColumns + 1 + dividendColumns) * cell, rows * cell};
    }
};

struct PageSquares {
    std::vector<FigureSquares> figures;
    std::array<PageRect, 4> marks{};  // top-left, top-right, bottom-right, bottom-left
    PageRect qr;
    PageRect answerMark;  // where an answer page says "こたえ"
    bool hasMarks = false;
};

PageSquares pageSquares(const ProblemSheet& sheet, const RenderSettings& settings, int width, int height);

}  // namespace pelkano::marking
