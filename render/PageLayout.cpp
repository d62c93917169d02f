#include "PageLayout.h"

#include "PageGeometry.h"
#include "QrCode.h"
#include "LongDivision.h"
#include "SheetCode.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
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
// The name field: its left edge and top, its cell height in layout units, and its text, the
// brackets full-width, as are the blanks between them.
constexpr int kNameLeft = 140;
constexpr int kNameTop = 10;
constexpr int kNameHeight = 14;
constexpr const char* kNameField = "（　　　　　　　　　　　）";
constexpr int kNameCharacters = 13;
// The title "わり算" (three characters of 5 from 14, ending at 29), the print number's left edge and
// the sentence's top. Between the title and the print number, from kQrHeaderTop down to the
// sentence, the header leaves a gap for the QR code where the foot has too little room.
constexpr int kTitleLeft = 14;
constexpr int kTitleEnd = 29;
constexpr int kNumberLeft = 64;
constexpr int kSentenceTop = 25;
constexpr int kQrHeaderTop = 2;

// The question sentence starts at this left edge and top, at most this high, in layout units. The
// header ends two units above the grid's top (and in the expression style above the first row's
// expressions); the fields for the date and the score stand at the right end of the sentence's
// line, the score box kScoreWidth wide and kScoreHeight high.
constexpr int kSentenceLeft = 14;
constexpr int kSentenceHeight = 9;
constexpr int kHeaderGap = 2;
constexpr int kFieldHeight = 7;
constexpr int kScoreWidth = 40;
constexpr int kScoreHeight = 13;
constexpr int kFieldGap = 4;
constexpr const char* kShortNameField = "（　　　　　　　　　）";
constexpr int kShortNameCharacters = 11;
constexpr const char* kDateField = "　　月　　日";

// The lowest pixel row of the header.
int headerFloor(const Scale& scale, const RenderSettings& settings)
{
    const int band = settings.style == QuestionStyle::Expression ? scale.S(kExpressionHeight) : 0;
    return scale.S(settings.topOffset) - scale.S(kHeaderGap) - band - 1;
}

// The right edge of the header's fields: the name field's end as it has always stood, but at
// least as far from the page's right edge as the code at the foot ends, clear of the corner.
constexpr int kFieldsRightMargin = 14;
int fieldsRight(DrawingSurface& surface, const Scale& scale, int width)
{
    surface.setFontName(kMinchoFace);
    surface.setFontHeight(scale.S(14));
    return std::min(scale.S(140) + surface.textWidth(kNameField), width - scale.S(kFieldsRightMargin));
}

void drawFields(DrawingSurface& surface, const Scale& scale, int width, const RenderSettings& settings)
{
    const int right = fieldsRight(surface, scale, width);
    // The name: a shorter field ending where the long one ends, "名前" before it.
    const int nameLeft = right - surface.textWidth(kShortNameField);
    surface.textOut(nameLeft, scale.S(10), kShortNameField);
    surface.setFontHeight(scale.S(kFieldHeight));
    surface.textOut(nameLeft - surface.textWidth("名前"), scale.S(10 + 14 - kFieldHeight) - 1, "名前");

    // The score box at the right end of the sentence's line, "点" in its lower right corner; the
    // date before it, on the box's bottom line.
    const int bottom = std::min(headerFloor(scale, settings), scale.S(kSentenceTop + kScoreHeight));
    const int top = scale.S(kSentenceTop);
    const int boxLeft = right - scale.S(kScoreWidth);
    surface.setPenWidth(std::max(1, scale.S(1) / 2));
    surface.setPenStyle(PenStyle::Solid);
    surface.rectangle(boxLeft, top, right, bottom);
    const int fieldHeight = std::min(scale.S(kFieldHeight), bottom - top - 2);
    surface.setFontHeight(std::max(1, fieldHeight));
    const int textTop = bottom - surface.fontHeight() - 1;
    surface.textOut(right - surface.textWidth("点") - 1, textTop, "点");
    surface.textOut(boxLeft - scale.S(kFieldGap) - surface.textWidth(kDateField), textTop, kDateField);
}

// The start of the sentence's characters, as byte offsets, and its end.
std::vector<std::size_t> characterStarts(const std::string& text)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

void drawHeader(DrawingSurface& surface, const Scale& scale, int width, const ProblemSheet& sheet,
                const RenderSettings& settings, const PageGeometry& page)
{
    surface.setFontUnderline(false);

    surface.setFontName(kGothicFace);
    surface.setFontHeight(scale.S(5));
    surface.textOut(scale.S(kTitleLeft), scale.S(kNameTop), "わり算");

    surface.setFontName(kMinchoFace);
    surface.textOut(scale.S(kNumberLeft), scale.S(kNameTop), "問題No." + std::to_string(sheet.printNumber));

    if (settings.marks.headerFields) {
        drawFields(surface, scale, width, settings);
    } else {
        surface.setFontHeight(scale.S(kNameHeight));
        surface.textOut(page.nameField.x, page.nameField.y, kNameField);
    }

    const SentenceLines lines = sentenceLines(surface, scale, width, settings);
    if (surface.fontHeight() != lines.height)
        surface.setFontHeight(lines.height);
    for (std::size_t i = 0; i < lines.lines.size(); ++i)
        surface.textOut(scale.S(kSentenceLeft), scale.S(kSentenceTop) + static_cast<int>(i) * lines.height,
                        lines.lines[i]);

    // An answer page says so, in the gap between the print number at its longest
    // ("問題No.-2147483648" ends at 109) and the name field (from 140), above the sentence (from 25).
    if (sheet.showAnswers) {
        surface.setFontName(kGothicFace);
        surface.setFontHeight(page.answerMark.height);
        surface.textOut(page.answerMark.x, page.answerMark.y, kAnswerMark);
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

// The registration marks: their side and how far they stand in from the surface's edges, in
// layout units. The top ones stand above the header (from 8), the bottom ones in the band the
// figures leave for the code.
constexpr int kMarkSide = 5;
constexpr int kMarkInset = 2;
// The QR code: at most this side in layout units, its bottom level with the bottom marks', its
// right edge this far left of the printed code; it keeps this many modules clear of the figures.
constexpr int kQrMaxSide = 18;
constexpr int kQrCodeGap = 3;
constexpr int kQrQuietModules = 2;
// A module smaller than this (layout units; 0.4 mm on A4) is hard to scan at 150 dpi.
constexpr double kQrSmallestModule = 0.65;

std::string footText(const ProblemSheet& sheet, const RenderSettings& settings)
{
    if (!sheet.origin)
        return {};
    const std::string code = encodeSheetCode({*sheet.origin, sheet.printNumber, settings.marks});
    return code.empty() ? code : "コード " + code;
}

// The lowest pixel row the figures of the last row may reach.
int figureFloor(const Scale& scale, int height, const ProblemSheet& sheet, const RenderSettings& settings)
{
    return footText(sheet, settings).empty() ? height - 1 : height - scale.S(kFootTop + kFootGap) - 1;
}

void drawFoot(DrawingSurface& surface, const Scale& scale, int width, int height, const ProblemSheet& sheet,
              const RenderSettings& settings)
{
    const std::string text = footText(sheet, settings);
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


// The problem's number in its figure's quotient row, over the divisor and the bracket, where the
// quotient never stands: up to three quarters of a cell high, smaller where the space is narrower.
void drawNumber(DrawingSurface& surface, int x, int y, int index, const std::string& divisor,
                const RenderSettings& settings, const FigureCells& cells)
{
    const std::string text = problemNumberText(index, settings.marks.numbers);
    if (text.empty())
        return;
    const int C = cells.cell;
    surface.setFontHeight(C);
    // The quotient's bar starts here (the figure's own rule), less a quarter cell of space.
    std::string spacedDivisor;
    for (const char ch : divisor)
        spacedDivisor.append(spacedDivisor.empty() ? "" : " ").append(1, ch);
    const int room = surface.textWidth(spacedDivisor) + cells.threeQuarters - cells.quarter;
    int h = std::max(1, cells.threeQuarters);
    surface.setFontHeight(h);
    while (h > 1 && surface.textWidth(text) > room)
        surface.setFontHeight(--h);
    surface.setFontUnderline(false);
    const int top = y + std::max(0, cells.tentativeRows) * C + (C - h) / 2;
    surface.textOut(x + std::max(0, (room - surface.textWidth(text)) / 2) + cells.quarter / 2, top, text);
}

// The check under a worked figure, in the row the fit keeps for it: up to three quarters of a cell
// high, smaller where its column is narrower.
void drawCheck(DrawingSurface& surface, int x, int y, int room, const std::string& dividend,
               const std::string& divisor, const RenderSettings& settings, const FigureCells& cells)
{
    const std::string text = checkText(dividend, divisor);
    if (text.empty())
        return;
    const FigureSize size = workedFigureSize(dividend, divisor, ")", settings);
    const int frameRows = settings.frame ? (cells.frameRows > 0 ? cells.frameRows : patternFrameRows(settings.pattern)) : 0;
    const int rows = std::max(0, cells.tentativeRows) + std::max(frameRows, size.rows);
    const int C = cells.cell;
    int h = std::max(1, cells.threeQuarters);
    surface.setFontHeight(h);
    while (h > 1 && surface.textWidth(text) > room)
        surface.setFontHeight(--h);
    surface.setFontUnderline(false);
    surface.textOut(x, y + rows * C + (C - h) / 2, text);
}

// The answer list: each problem's number, quotient and remainder where its figure would stand,
// a row of the grid a line, at the sentence's height or smaller where a column is narrower.
void drawAnswerList(DrawingSurface& surface, const Scale& scale, const Grid& g, int width, const ProblemSheet& sheet,
                    const RenderSettings& settings)
{
    const NumberStyle style =
        settings.marks.numbers == NumberStyle::None ? NumberStyle::Circled : settings.marks.numbers;
    std::vector<std::string> texts;
    int h = scale.S(kSentenceHeight);
    surface.setFontName(kMinchoFace);
    surface.setFontUnderline(false);
    surface.setFontHeight(h);
    const int room = std::min(g.columnWidth, width - 1 - g.left - (g.columns - 1) * g.columnWidth) - scale.S(2);
    for (int k = 0; k < g.rows * g.columns; ++k) {
        const auto i = static_cast<std::size_t>(k);
        texts.push_back(problemNumberText(k, style) + " " + answerText(sheet.dividends[i], sheet.divisors[i]));
        while (h > 1 && surface.textWidth(texts.back()) > room)
            surface.setFontHeight(--h);
    }
    const int pitch = std::min(2 * h, g.rowHeight);
    for (int k = 0; k < g.rows * g.columns; ++k)
        surface.textOut(g.left + (k % g.columns) * g.columnWidth, g.top + (k / g.columns) * pitch,
                        texts[static_cast<std::size_t>(k)]);
}

}  // namespace

std::string problemNumberText(int index, NumberStyle style)
{
    if (index < 0)
        return {};
    // "(N)", written by appending (GCC 12 warns of a false overlap in "(" + std::string).
    const auto parenthesized = [index] { return std::string("(").append(std::to_string(index + 1)).append(")"); };
    if (style == NumberStyle::Parenthesized)
        return parenthesized();
    if (style != NumberStyle::Circled || index >= 20)
        return style == NumberStyle::Circled ? parenthesized() : std::string();
    // ① is U+2460; the twenty circled numbers follow it.
    const unsigned code = 0x2460u + static_cast<unsigned>(index);
    std::string text;
    text += static_cast<char>(0xE0 | (code >> 12));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
    return text;
}

std::string checkText(const std::string& dividend, const std::string& divisor)
{
    const std::optional<LongDivision> w = LongDivision::ofText(dividend, divisor);
    if (!w)
        return {};
    std::string text = std::to_string(w->divisor) + "×" + std::to_string(w->quotient);
    if (w->remainder != 0)
        text.append("+").append(std::to_string(w->remainder));
    return text.append("=").append(std::to_string(w->dividend));
}

std::string answerText(const std::string& dividend, const std::string& divisor)
{
    const std::optional<LongDivision> w = LongDivision::ofText(dividend, divisor);
    if (!w)
        return {};
    std::string text = std::to_string(w->quotient);
    if (w->remainder != 0)
        text += " あまり " + std::to_string(w->remainder);
    return text;
}

SentenceLines sentenceLines(DrawingSurface& surface, const Scale& scale, int width, const RenderSettings& settings)
{
    const int floor = headerFloor(scale, settings);
    const int top = scale.S(kSentenceTop);
    int right = width - scale.S(kSentenceLeft);
    if (settings.marks.headerFields) {
        right = fieldsRight(surface, scale, width) - scale.S(kScoreWidth + kFieldGap);
        surface.setFontHeight(scale.S(kFieldHeight));
        right -= surface.textWidth(kDateField) + scale.S(kFieldGap);
    }
    const int room = std::max(1, right - scale.S(kSentenceLeft));
    const std::string& text = settings.sentence;
    const std::vector<std::size_t> starts = characterStarts(text);
    SentenceLines out;
    // One line at the sentence's own height; else two lines as high as fit under each other in
    // the header (never higher than one line's), and smaller until the second line holds the rest.
    int h = scale.S(kSentenceHeight);
    surface.setFontHeight(h);
    // A text in which no character starts (stray bytes of a broken UTF-8 text) cannot be split.
    if (surface.textWidth(text) <= room || starts.size() < 2) {
        out.height = h;
        out.lines = {text};
        return out;
    }
    h = std::max(1, std::min(h, (floor - top + 1) / 2));
    for (;; --h) {
        surface.setFontHeight(h);
        // The longest start that fits the line; the rest goes on the second.
        std::size_t cut = 1;
        while (cut + 1 < starts.size() && surface.textWidth(text.substr(0, starts[cut + 1])) <= room)
            ++cut;
        const std::string first = text.substr(0, starts[cut]);
        const std::string second = text.substr(starts[cut]);
        if (h == 1 || surface.textWidth(second) <= room) {
            out.height = h;
            out.lines = {first, second};
            return out;
        }
    }
}

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
    const int lastRowFloor = figureFloor(scale, height, sheet, settings);
    const int checkRows = settings.marks.check ? 1 : 0;
    for (int r = 0; r < g.rows; ++r) {
        for (int c = 0; c < g.columns; ++c) {
            const auto k = static_cast<std::size_t>(r * g.columns + c);
            const FigureSize& size = sizes[k];
            const int rows = tentativeRows + std::max(frameRows, size.rows) + checkRows;
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

int lineWidthShown(int lineWidth, int width, int pageWidth)
{
    if (pageWidth <= 0)
        return std::max(1, lineWidth);
    const long long scaled = (2LL * lineWidth * width + pageWidth) / (2LL * pageWidth);  // rounded
    return static_cast<int>(std::max(1LL, scaled));
}

namespace {

void placeFigures(PageGeometry& page, const Grid& g, int width, int height, const ProblemSheet& sheet,
                  const RenderSettings& settings)
{
    page.cells = fitFigureCells(page.scale, width, height, sheet, settings);
    const int frameRows = page.cells.frameRows > 0 ? page.cells.frameRows : patternFrameRows(settings.pattern);
    const int tentativeRows = std::max(0, page.cells.tentativeRows);
    for (int r = 0; r < g.rows; ++r) {
        for (int c = 0; c < g.columns; ++c) {
            const int k = r * g.columns + c;
            const auto i = static_cast<std::size_t>(k);
            FigureGeometry f;
            f.slot = k;
            f.x = g.left + c * g.columnWidth;
            f.y = g.top + r * g.rowHeight;
            f.cell = page.cells.cell;
            f.tentativeRows = tentativeRows;
            f.rows = tentativeRows + frameRows;
            f.quotientRow = tentativeRows;
            f.dividendRow = tentativeRows + 1;
            f.divisorDigits = static_cast<int>(sheet.divisors[i].size());
            f.bracketColumn = f.divisorDigits;
            f.dividendColumn = f.bracketColumn + 1;
            f.dividendDigits = static_cast<int>(sheet.dividends[i].size());
            f.columns = f.dividendColumn + f.dividendDigits;
            page.figures.push_back(f);
        }
    }
}

// The four marks in the corners, and the QR code on whole pixels per module, up to kQrMaxSide:
// left of the printed code as large as the figures above it leave room for; where that is less
// than kQrSmallestModule a module, in the header's gap between the title and the print number.
// A sheet that cannot be marked (no frame, or the expression style) gets no marks, and its QR
// code always in the header's gap: a scan of it is told from a sheet whose marks were lost, and
// refused with its reason.
void placeMarks(PageGeometry& page, int width, int height, const ProblemSheet& sheet, const RenderSettings& settings,
                bool markable)
{
    const Scale& scale = page.scale;
    const int side = scale.S(kMarkSide), inset = scale.S(kMarkInset);
    // A surface too small for them (one of no size is drawn at DrawScale 1) gets none.
    if (side < 1 || width < 2 * (inset + side) || height < 2 * (inset + side))
        return;
    if (markable) {
        page.marked = true;
        const int right = width - inset - side, bottom = height - inset - side;
        page.marks[static_cast<std::size_t>(MarkCorner::TopLeft)] = {inset, inset, side, side};
        page.marks[static_cast<std::size_t>(MarkCorner::TopRight)] = {right, inset, side, side};
        page.marks[static_cast<std::size_t>(MarkCorner::BottomLeft)] = {inset, bottom, side, side};
        page.marks[static_cast<std::size_t>(MarkCorner::BottomRight)] = {right, bottom, side, side};
    }

    page.qrText = encodeSheetCode({*sheet.origin, sheet.printNumber, settings.marks});
    QrModules qr = qrModules(page.qrText);
    if (qr.size == 0)
        return;
    const int largest = std::max(1, scale.S(kQrMaxSide) / qr.size);
    const int span = qr.size * largest;
    const int qrRight = page.codeText.x - scale.S(kQrCodeGap);
    const int qrBottom = height - inset;
    // The lowest pixel row that a figure over the code's widest span reaches: its frame's bottom
    // line, as thick as the frame's pen.
    int ceiling = 0;
    for (const FigureGeometry& f : page.figures) {
        const PixelRect box = f.frame();
        if (box.x < qrRight && box.x + box.width + settings.lineWidth > qrRight - span)
            ceiling = std::max(ceiling, box.y + box.height + settings.lineWidth);
    }
    // Decided in layout units, so that the code stands in the same place at every resolution.
    const int room = qrBottom - ceiling;
    int module = std::min(largest, room / (qr.size + kQrQuietModules));
    const bool footFits = room >= kQrSmallestModule * scale.drawScale() * (qr.size + kQrQuietModules);
    if (markable && footFits && module >= 1 && qrRight - qr.size * module >= 0) {
        page.qrModule = module;
        const int qrSide = qr.size * module;
        page.qr = {qrRight - qrSide, qrBottom - qrSide, qrSide, qrSide};
        page.qrModules = std::move(qr);
        return;
    }
    const int gapLeft = scale.S(kTitleEnd), gapRight = scale.S(kNumberLeft);
    const int gapTop = scale.S(kQrHeaderTop), gapBottom = scale.S(kSentenceTop);
    module = std::min({largest, (gapRight - gapLeft) / (qr.size + 2 * kQrQuietModules),
                       (gapBottom - gapTop) / (qr.size + kQrQuietModules)});
    if (module < 1)
        return;
    page.qrModule = module;
    const int qrSide = qr.size * module;
    page.qr = {(gapLeft + gapRight - qrSide) / 2, gapTop, qrSide, qrSide};
    page.qrModules = std::move(qr);
}

// Solid black squares: the marks, and the QR code's dark modules, a row's neighbours in one.
void drawMarks(DrawingSurface& surface, const PageGeometry& page)
{
    surface.setPenStyle(PenStyle::Solid);
    surface.setPenWidth(1);
    surface.setPenColor(Color::Black);
    surface.setBrushColor(Color::Black);
    surface.setBrushStyle(BrushStyle::Solid);
    if (page.marked)
        for (const PixelRect& m : page.marks)
            surface.rectangle(m.x, m.y, m.x + m.width, m.y + m.height);
    const QrModules& qr = page.qrModules;
    const int u = page.qrModule;
    for (int row = 0; row < qr.size; ++row) {
        for (int column = 0; column < qr.size;) {
            if (!qr.isDark(row, column)) {
                ++column;
                continue;
            }
            int end = column;
            while (end < qr.size && qr.isDark(row, end))
                ++end;
            surface.rectangle(page.qr.x + column * u, page.qr.y + row * u, page.qr.x + end * u, page.qr.y + (row + 1) * u);
            column = end;
        }
    }
    surface.setBrushStyle(BrushStyle::Clear);
}

}  // namespace

PageGeometry pageGeometry(int width, int height, const ProblemSheet& sheet, const RenderSettings& settings)
{
    PageGeometry page;
    const Scale scale = Scale::fromSurface(width, height);
    page.scale = scale;
    page.frame = settings.frame;

    const int nameLeft = scale.S(kNameLeft);
    const int nameCell = scale.S(kNameHeight);
    if (settings.marks.headerFields) {
        // The shorter field of drawFields, ending where the long one ends (fieldsRight).
        const int right = std::min(nameLeft + kNameCharacters * nameCell, width - scale.S(kFieldsRightMargin));
        const int w = kShortNameCharacters * nameCell;
        page.nameField = {right - w, scale.S(kNameTop), w, nameCell};
    } else {
        page.nameField = {nameLeft, scale.S(kNameTop), std::max(0, std::min(width - nameLeft, kNameCharacters * nameCell)),
                          nameCell};
    }
    const int answerHeight = scale.S(kAnswerMarkHeight);
    page.answerMark = {scale.S(kAnswerMarkLeft), scale.S(kAnswerMarkTop),
                       (expressionHalves(kAnswerMark) * answerHeight + 1) / 2, answerHeight};

    const std::string foot = footText(sheet, settings);
    if (!foot.empty()) {
        const int h = scale.S(kFootHeight);
        const int w = (expressionHalves(foot) * h + 1) / 2;
        page.codeText = {width - scale.S(kFootRight) - w, height - scale.S(kFootTop), w, h};
    }

    const Grid g = gridOf(scale, width, height, sheet, settings);
    // An answer list has no figures: only its lines where the figures would stand.
    if (g.rows > 0 && !sheet.answerList)
        placeFigures(page, g, width, height, sheet, settings);
    if (settings.registrationMarks && !foot.empty())
        placeMarks(page, width, height, sheet, settings,
                   settings.frame && settings.style == QuestionStyle::Written);
    return page;
}

Scale MakePrint(DrawingSurface& surface, int width, int height, const ProblemSheet& sheet,
                const RenderSettings& settings)
{
    const PageGeometry page = pageGeometry(width, height, sheet, settings);
    const Scale& scale = page.scale;

    surface.setBrushStyle(BrushStyle::Solid);
    surface.setBrushColor(Color::White);
    surface.setPenColor(Color::White);
    surface.rectangle(0, 0, scale.S(kBackgroundRight), scale.S(kBackgroundBottom));

    // Outlines only from here on, and text on a transparent background.
    surface.setPenColor(Color::Black);
    surface.setBrushStyle(BrushStyle::Clear);

    drawHeader(surface, scale, width, sheet, settings, page);
    drawFoot(surface, scale, width, height, sheet, settings);

    const Grid g = gridOf(scale, width, height, sheet, settings);
    if (sheet.answerList && g.rows > 0)
        drawAnswerList(surface, scale, g, width, sheet, settings);
    for (const FigureGeometry& f : page.figures) {
        const auto k = static_cast<std::size_t>(f.slot);
        Hissan(surface, scale, f.x, f.y, sheet.dividends[k], sheet.divisors[k], ")", settings, sheet.showAnswers,
               page.cells);
        drawNumber(surface, f.x, f.y, f.slot, sheet.divisors[k], settings, page.cells);
        if (sheet.showAnswers && settings.marks.check) {
            const int right = f.slot % g.columns + 1 < g.columns ? f.x + g.columnWidth : width - 1;
            drawCheck(surface, f.x, f.y, right - f.x, sheet.dividends[k], sheet.divisors[k], settings, page.cells);
        }
    }
    if (page.marked || page.qrModules.size > 0)
        drawMarks(surface, page);
    return scale;
}

}  // namespace pelkano
