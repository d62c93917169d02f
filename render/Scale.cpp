#include "DrawingSurface.h"

#include <cmath>

namespace pelkano {

Scale Scale::fromSurface(int width, int height)
{
    if (width <= 0)
        return Scale(1.0f);
    const double sx = static_cast<double>(width) / 320.0;
    const double sy = static_cast<double>(height) / 441.0;
    return Scale(static_cast<float>(sx < sy ? sx : sy));
}

int Scale::S(double x) const
{
    // nearbyint rounds halves to even in the default rounding mode
    return static_cast<int>(std::nearbyint(static_cast<double>(drawScale_) * x));
}

}  // namespace pelkano
