#include "BoardLook.h"

#include "Hissan.h"
#include "LongDivision.h"

namespace pelkano {

namespace {

// The figure is drawn as on a sheet in the largest pattern: cells of 16 layout units, so that
// DrawScale = cell / 16 gives cells of exactly `cell` pixels; a digit starts a quarter in.
constexpr int kCellUnits = 16;
constexpr int kQuarterUnits = 4;

Scale scaleOf(const BoardSquares& squares)
{
    return Scale(static_cast<float>(squares.cell) / kCellUnits);
}

void prepare(DrawingSurface& surface)
{
    surface.setFontName(kMinchoFace);
    surface.setFontUnderline(false);
    surface.setPenColor(Color::Black);
    surface.setBrushStyle(BrushStyle::Clear);
}

}  // namespace

std::vector<std::pair<PracticeProblem::Place, BoardColour>> boardFills(const PracticeProblem& problem)
{
    std::vector<std::pair<PracticeProblem::Place, BoardColour>> fills;
    for (const PracticeProblem::Place& place : problem.openCells())
        fills.emplace_back(place, kOpenRowColour);
    for (const PracticeProblem::Place& place : problem.pointedCells())
        fills.emplace_back(place, kPointedColour);
    if (const auto cursor = problem.cursorPlace())
        fills.emplace_back(*cursor, kCursorColour);
    return fills;
}

void drawBoardFigure(DrawingSurface& surface, const PracticeProblem& problem, const BoardSquares& squares)
{
    const Scale scale = scaleOf(squares);
    prepare(surface);
    const LongDivision& w = problem.working();
    Hissan(surface, scale, squares.left, squares.top, std::to_string(w.dividend), std::to_string(w.divisor), ")",
           boardSettings(), false);
    // A product's line runs under every dividend cell, as in the answers, once the product is right.
    const int quarter = scale.S(kQuarterUnits);
    const int nD = digitCount(w.dividend);
    surface.setFontHeight(squares.cell);
    surface.setFontUnderline(true);
    for (const int row : problem.underlinedRows())
        surface.textOut(squares.left + problem.column(0) * squares.cell + quarter, squares.top + row * squares.cell,
                        std::string(static_cast<std::size_t>(2 * nD - 1), ' '));
    surface.setFontUnderline(false);
}

std::vector<BoardDigit> boardDigits(const PracticeProblem& problem, const BoardSquares& squares)
{
    const int quarter = scaleOf(squares).S(kQuarterUnits);
    std::vector<BoardDigit> digits;
    for (const PracticeProblem::Cell& c : problem.shownCells())
        digits.push_back({squares.left + c.at.column * squares.cell + quarter, squares.top + c.at.row * squares.cell,
                          c.digit, c.ink});
    return digits;
}

void prepareBoardDigits(DrawingSurface& surface, const BoardSquares& squares)
{
    prepare(surface);
    surface.setFontHeight(squares.cell);
}

}  // namespace pelkano
