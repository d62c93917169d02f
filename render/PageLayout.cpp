#include "PageLayout.h"

#include "SheetCode.h"

#include <algorithm>
#include <string>
#include <vector>

namespace pelkano {

namespace {

// The preview area is 320 by 441 layout units; the background covers it less one on each side.
constexpr int kBackgroundRight = 319;
constexpr int kBackgroundBottom = 440;
// The rows share out the surface height less this many layout units (the grid itself starts at
// the settings' top offset, two units higher).
constexpr int kGridHeightAllowance = 52;
// "こたえ" on answer pages: its height, left edge and top in layout units (its baseline on the title's).
constexpr const char* kAnswerMark = "こたえ";
constexpr int kAnswerMarkHeight = 7;
constexpr int kAnswerMarkLeft = 114;
constexpr int kAnswerMarkTop = 8;

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

    // An answer page says so, in the gap between the print number at its longest
    // ("問題No.-2147483648" ends at 109) and the name field (from 140), above the sentence (from 25).
    if (sheet.showAnswers) {
        surface.setFontName(kGothicFace);
        surface.setFontHeight(scale.S(kAnswerMarkHeight));
        surface.textOut(scale.S(kAnswerMarkLeft), scale.S(kAnswerMarkTop), kAnswerMark);
        surface.setFontName(kMinchoFace);
    }
}

// The code at the foot of a sheet built from a recipe: its cell height, how far the top of its
// cell stands above the page's bottom, how far its end stands from the page's right edge, and
// the gap above it that the figures leave, in layout units.
constexpr int kFootHeight = 5;
constexpr int kFootTop = 9;
constexpr int kFootRight = 14;
constexpr int kFootGap = 2;

std::string footText(const ProblemSheet& sheet)
{
    if (!sheet.origin)
        return {};
    const std::string code = encodeSheetCode({*sheet.origin, sheet.printNumber});
    return code.empty() ? code : "コード " + code;
}

// The lowest pixel row the figures of the last row may reach.
int figureFloor(const Scale& scale, int height, const ProblemSheet& sheet)
{
    return footText(sheet).empty() ? height - 1 : height - scale.S(kFootTop + kFootGap) - 1;
}

void drawFoot(DrawingSurface& surface, const Scale& scale, int width, int height, const ProblemSheet& sheet)
{
    const std::string text = footText(sheet);
    if (text.empty())
        return;
    surface.setFontName(kGothicFace);
    surface.setFontHeight(scale.S(kFootHeight));
    surface.setFontUnderline(false);
    surface.textOut(width - scale.S(kFootRight) - surface.textWidth(text), height - scale.S(kFootTop), text);
}

// Where the grid's figures stand, in device pixels.
struct Grid {
    int columns = 0;
    int rows = 0;  // 0: the page has the header only
    int left = 0;
    int top = 0;
    int columnWidth = 0;
    int rowHeight = 0;
};

Grid gridOf(const Scale& scale, int width, int height, const ProblemSheet& sheet, const RenderSettings& settings)
{
    Grid g;
    g.columns = columnCount(settings.pattern);
    const int count = std::clamp(sheet.count, 0, kSheetCapacity);
    g.rows = drawnProblemCount(count, settings.pattern) / g.columns;
    if (g.rows == 0)
        return g;
    // Column width and row height share out the whole surface in device pixels; only the
    // margin, the offsets and the figures themselves follow DrawScale.
    g.left = scale.S(settings.leftMargin);
    g.top = scale.S(settings.topOffset);
    g.columnWidth = (width - g.left) / g.columns;
    g.rowHeight = (height - scale.S(kGridHeightAllowance)) / g.rows;
    return g;
}

}  // namespace

FigureCells fitFigureCells(const Scale& scale, int width, int height, const ProblemSheet& sheet,
                           const RenderSettings& settings)
{
    const FigureCells own = figureCells(scale, settings.pattern);
    const Grid g = gridOf(scale, width, height, sheet, settings);
    // The next row's expression stands in the band of this height above its figures.
    const int band = settings.style == QuestionStyle::Expression ? scale.S(kExpressionHeight) : 0;

    // Every figure gets the rows the longest working needs, so that no frame tells how long its
    // problem's working is; and as many tentative rows as the figure with the most tries.
    std::vector<FigureSize> sizes;
    int longest = 0, tentativeRows = 0;
    for (int k = 0; k < g.rows * g.columns; ++k) {
        const auto i = static_cast<std::size_t>(k);
        sizes.push_back(workedFigureSize(sheet.dividends[i], sheet.divisors[i], ")", settings));
        longest = std::max(longest, sizes.back().rows);
        tentativeRows = std::max(tentativeRows, sizes.back().tentativeRows);
    }
    const int patternRows = patternFrameRows(settings.pattern);
    const int frameRows = settings.frame ? std::max(patternRows, longest) : 0;

    int fitting = own.cell;
    // The expression (with its answer) keeps its own height while it stays within its column.
    int expression = band;
    const int lastRowFloor = figureFloor(scale, height, sheet);
    for (int r = 0; r < g.rows; ++r) {
        for (int c = 0; c < g.columns; ++c) {
            const auto k = static_cast<std::size_t>(r * g.columns + c);
            const FigureSize& size = sizes[k];
            const int rows = tentativeRows + std::max(frameRows, size.rows);
            const int x = g.left + c * g.columnWidth;
            const int y = g.top + r * g.rowHeight;
            // The last line of a figure may meet the next figure's first; it must stay on the
            // surface's pixels.
            const int right = c + 1 < g.columns ? x + g.columnWidth : width - 1;
            const int bottom = r + 1 < g.rows ? y + g.rowHeight - band : lastRowFloor;
            if (size.columns > 0)
                fitting = std::min(fitting, (right - x) / size.columns);
            fitting = std::min(fitting, (bottom - y) / rows);
            if (band > 0) {
                const int halves = expressionHalves(expressionText(sheet.dividends[k], sheet.divisors[k], true));
                // The text is halves × height / 2 wide, rounded up.
                if ((halves * expression + 1) / 2 > right - x)
                    expression = std::max(1, 2 * (right - x) / halves);
            }
        }
    }
    FigureCells cells = fitting >= own.cell ? own : figureCellsOf(fitting);
    if (expression < band)
        cells.expression = expression;
    if (frameRows > patternRows)
        cells.frameRows = frameRows;
    cells.tentativeRows = tentativeRows;
    return cells;
}

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
    drawFoot(surface, scale, width, height, sheet);

    const Grid g = gridOf(scale, width, height, sheet, settings);
    if (g.rows == 0)
        return scale;

    const FigureCells cells = fitFigureCells(scale, width, height, sheet, settings);
    for (int r = 0; r < g.rows; ++r) {
        for (int c = 0; c < g.columns; ++c) {
            const auto k = static_cast<std::size_t>(r * g.columns + c);
            Hissan(surface, scale, g.left + c * g.columnWidth, g.top + r * g.rowHeight, sheet.dividends[k],
                   sheet.divisors[k], ")", settings, sheet.showAnswers, cells);
        }
    }
    return scale;
}

}  // namespace pelkano
