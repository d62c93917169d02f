#include "SquareGeometry.h"

#include "PageGeometry.h"

namespace pelkano {

SquareGeometry::SquareGeometry(const ProblemSheet& sheet, const RenderSettings& settings, const PageSetup& setup)
{
    const QRect area = setup.printableRect();
    const PageGeometry page = pageGeometry(area.width(), area.height(), sheet, settings);
    for (const FigureGeometry& g : page.figures) {
        Figure f;
        f.slot = g.slot;
        f.cell = g.cell;
        f.left = area.left() + g.x + g.dividendColumn * g.cell;
        f.top = area.top() + g.y + g.quotientRow * g.cell;
        f.columns = g.dividendDigits;
        f.firstColumn = -g.dividendColumn;
        f.rows = g.rows - g.quotientRow;
        figures_.push_back(f);
    }
}

std::optional<QRectF> SquareGeometry::square(int slot, int row, int column) const
{
    for (const Figure& f : figures_) {
        if (f.slot != slot)
            continue;
        if (row < 0 || row >= f.rows || column < f.firstColumn || column >= f.columns)
            return std::nullopt;
        return QRectF(f.left + column * f.cell, f.top + row * f.cell, f.cell, f.cell);
    }
    return std::nullopt;
}

}  // namespace pelkano
