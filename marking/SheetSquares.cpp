#include "SheetSquares.h"

#include "PageGeometry.h"

namespace pelkano::marking {

namespace {

PageRect rectOf(const PixelRect& r)
{
    return {static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
            static_cast<double>(r.height)};
}

}  // namespace

PageSquares pageSquares(const ProblemSheet& sheet, const RenderSettings& settings, int width, int height)
{
    const PageGeometry g = pageGeometry(width, height, sheet, settings);
    PageSquares out;
    out.answerMark = rectOf(g.answerMark);
    out.qr = rectOf(g.qr);
    out.hasMarks = g.marked;
    out.marks = {rectOf(g.marks[static_cast<std::size_t>(MarkCorner::TopLeft)]),
                 rectOf(g.marks[static_cast<std::size_t>(MarkCorner::TopRight)]),
                 rectOf(g.marks[static_cast<std::size_t>(MarkCorner::BottomRight)]),
                 rectOf(g.marks[static_cast<std::size_t>(MarkCorner::BottomLeft)])};
    for (const FigureGeometry& f : g.figures) {
        FigureSquares s;
        s.slot = f.slot;
        s.left = f.x;
        s.top = f.y + f.quotientRow * f.cell;
        s.cell = f.cell;
        s.divisorColumns = f.divisorDigits;
        s.dividendColumns = f.dividendDigits;
        s.rows = f.rows - f.quotientRow;
        out.figures.push_back(s);
    }
    return out;
}

}  // namespace pelkano::marking
