#pragma once
// Where a printed sheet's squares stand on its paper, in device pixels of the page setup: the
// page layout's own geometry, moved onto the paper's printable area.
#include "PageOutput.h"
#include "RenderSettings.h"
#include "Sheet.h"

#include <QRectF>

#include <optional>
#include <vector>

namespace pelkano {

class SquareGeometry {
public:
    SquareGeometry(const ProblemSheet& sheet, const RenderSettings& settings, const PageSetup& setup);
    // The square of figure `slot` (from 0) in text row `row` (0 the quotient, 1 the dividend
    // line, 2 and down the working) over or under dividend digit `column` (from 0 at the left);
    // nothing outside the figure's frame.
    std::optional<QRectF> square(int slot, int row, int column) const;

private:
    struct Figure {
        int slot = 0;
        double left = 0;  // the first dividend column's left edge
        double top = 0;   // the quotient row's top edge
        double cell = 0;
        int columns = 0;  // dividend digits
        int firstColumn = 0;  // columns left of the dividend (divisor and bracket), as negative columns
        int rows = 0;
    };
    std::vector<Figure> figures_;
};

}  // namespace pelkano
