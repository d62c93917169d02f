#include "PageLayout.h"

#include "Hissan.h"

#include <string>

namespace pelkano {

namespace {

// The preview area is 320 by 441 layout units; the background covers it less one on each side.
constexpr int kBackgroundRight = 319;
constexpr int kBackgroundBottom = 440;
// The rows share out the surface height less this many layout units (the grid itself starts at
// the settings' top offset, two units higher).
constexpr int kGridHeightAllowance = 52;

void drawHeader(DrawingSurface& surface, const Scale& scale, const ProblemSheet& sheet, const RenderSettings& settings)
{
    surface.setFontUnderline(false);

    surface.setFontName(kGothicFace);
    surface.setFontHeight(scale.S(5));
    surface.textOut(scale.S(14), scale.S(10), "わり算");

    surface.setFontName(kMinchoFace);
    surface.textOut(scale.S(64), scale.S(10), "問題No." + std::to_string(sheet.printNumber));

    surface.setFontHeight(scale.S(14));
    surface.textOut(scale.S(140), scale.S(10), "（　　　　　　　　　　　）");

    surface.setFontHeight(scale.S(9));
    surface.textOut(scale.S(14), scale.S(25), settings.sentence);
}

}  // namespace

Scale MakePrint(DrawingSurface& surface, int width, int height, const ProblemSheet& sheet,
                const RenderSettings& settings)
{
    const Scale scale = Scale::fromSurface(width, height);

    surface.setBrushStyle(BrushStyle::Solid);
    surface.setBrushColor(Color::White);
    surface.setPenColor(Color::White);
    surface.rectangle(0, 0, scale.S(kBackgroundRight), scale.S(kBackgroundBottom));

    // Outlines only from here on, and text on a transparent background.
    surface.setPenColor(Color::Black);
    surface.setBrushStyle(BrushStyle::Clear);

    drawHeader(surface, scale, sheet, settings);

    const int columns = columnCount(settings.pattern);
    const int count = sheet.count < 0 ? 0 : (sheet.count > kSheetCapacity ? kSheetCapacity : sheet.count);
    const int rows = count / columns;
    if (rows == 0)
        return scale;

    // Column width and row height share out the whole surface in device pixels; only the
    // margin, the offsets and the figures themselves follow DrawScale.
    const int left = scale.S(settings.leftMargin);
    const int top = scale.S(settings.topOffset);
    const int columnWidth = (width - left) / columns;
    const int rowHeight = (height - scale.S(kGridHeightAllowance)) / rows;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const auto k = static_cast<std::size_t>(r * columns + c);
            Hissan(surface, scale, left + c * columnWidth, top + r * rowHeight, sheet.dividends[k], sheet.divisors[k],
                   ")", settings, sheet.showAnswers);
        }
    }
    return scale;
}

}  // namespace pelkano
