#include "Marking.h"

#include "NumberTable.h"
#include "Paper.h"
#include "QrReader.h"
#include "Random.h"
#include "Recognizer.h"
#include "ScanGeometry.h"
#include "SheetSquares.h"
#include "WorkingReader.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace pelkano::marking {

namespace {

// The page is laid out as it is drawn on A4 at 600 dpi with the usual 5 mm border; the marks
// and the homography make any other print of it fit.
constexpr int kLayoutDpi = 600;
constexpr int kLayoutMarginMm = 5;

// A square is read from a crop of about its size on the scan, within these bounds.
constexpr int kSmallestCrop = 20;
constexpr int kLargestCrop = 64;

Quad mapped(const Homography& h, const PageRect& r)
{
    return {h.map({r.x, r.y}), h.map({r.x + r.width, r.y}), h.map({r.x + r.width, r.y + r.height}),
            h.map({r.x, r.y + r.height})};
}

Point centreOf(const PageRect& r)
{
    return {r.x + r.width / 2, r.y + r.height / 2};
}

double distance(Point a, Point b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

// How much of the page's rectangle is dark on the scan, 0 to 1.
double darkShare(const GreyImage& scan, const Homography& h, const PageRect& r)
{
    const GreyImage sample = sampleSquare(scan, h, r.x, r.y, std::max(r.width, r.height), 48);
    // The square sample covers the longer side; only the rectangle's part is counted.
    const int w = static_cast<int>(48 * r.width / std::max(r.width, r.height));
    const int hh = static_cast<int>(48 * r.height / std::max(r.width, r.height));
    int dark = 0, all = 0;
    for (int y = 0; y < hh; ++y)
        for (int x = 0; x < w; ++x, ++all)
            dark += sample.at(x, y) < 128 ? 1 : 0;
    return all > 0 ? static_cast<double>(dark) / all : 0;
}

// Darkness (0 white to 255 black) at a point of the scan: the darkest of the pixel and its
// neighbours, so a line one pixel thin is not missed between samples.
double darkAt(const GreyImage& scan, Point p)
{
    const int x = static_cast<int>(std::lround(p.x)), y = static_cast<int>(std::lround(p.y));
    int darkest = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (x + dx >= 0 && y + dy >= 0 && x + dx < scan.width && y + dy < scan.height)
                darkest = std::max(darkest, 255 - static_cast<int>(scan.at(x + dx, y + dy)));
    return darkest;
}

// How strongly the figures' frames stand where `squares` puts them: the darkness along their
// upright lines less that half a square beside them, on average (0 to 255).
double frameEvidence(const GreyImage& scan, const Homography& h, const PageSquares& squares)
{
    constexpr int kSamples = 40;
    double sum = 0;
    long long samples = 0;
    for (const FigureSquares& f : squares.figures)
        for (int j = 0; j <= f.divisorColumns + 1 + f.dividendColumns; ++j)
            for (int k = 0; k < kSamples; ++k) {
                const double x = f.left + j * f.cell;
                const double y = f.top + (k + 0.5) * f.rows * f.cell / kSamples;
                sum += darkAt(scan, h.map({x, y})) - darkAt(scan, h.map({x + f.cell / 2, y}));
                ++samples;
            }
    return samples > 0 ? sum / static_cast<double>(samples) : 0;
}

}  // namespace

struct Marker::Impl {
    NumberTables tables = NumberTables::load();
    // The sheets last made again: those of one recipe, from its first on.
    std::optional<SetRecipe> recipe;
    std::vector<ProblemSheet> sheets;

    // Sheet `index` of the recipe's set, or nothing when it cannot be made.
    std::optional<ProblemSheet> sheetOf(const SheetCode& code, std::string& why);
    PageResult mark(const GreyImage& scan);
};

namespace {

class QuietReporter final : public Reporter {
public:
    void warn(const std::string&) override {}
};

// Draws one sheet may take before it is given up as one that cannot be made.
constexpr long long kDrawBudget = 200'000'000;

}  // namespace

std::optional<ProblemSheet> Marker::Impl::sheetOf(const SheetCode& code, std::string& why)
{
    const SetRecipe& r = code.origin.recipe;
    const long long index = code.origin.index;
    if (index < 0 || index > kMaxSheetIndex) {
        why = "the code names a sheet beyond the last one a set can have";
        return std::nullopt;
    }
    if (!recipe || !(*recipe == r) || static_cast<long long>(sheets.size()) <= index) {
        sheets.clear();
        recipe = r;
        SeededRandom seeded(r.seed);
        BudgetedRandom budgeted(seeded, kDrawBudget);
        QuietReporter reporter;
        RuleContext ctx{budgeted, tables, reporter};
        try {
            buildSheets(r, 0, index + 1, 0, ctx, [this](long long, const ProblemSheet& sheet, bool) {
                sheets.push_back(sheet);
                return true;
            });
        } catch (const std::exception&) {
            sheets.clear();
            recipe.reset();
            why = "the code names a sheet this program cannot make";
            return std::nullopt;
        }
    }
    if (static_cast<long long>(sheets.size()) <= index) {
        why = "the code names a sheet this program cannot make";
        return std::nullopt;
    }
    ProblemSheet sheet = sheets[static_cast<std::size_t>(index)];
    sheet.printNumber = code.printNumber;
    sheet.previewMade = true;
    sheet.showAnswers = false;
    return sheet;
}

namespace {

// Where the mark `lost` stands on the scan, from the other three: the page's marks map onto the
// scan as the three found make them (an affine map: a flat scan, turned, shrunk and moved).
Point fourthCorner(const Quad& onPage, const Quad& onScan, int lost)
{
    std::array<std::size_t, 3> k{};
    for (std::size_t i = 0, n = 0; i < 4; ++i)
        if (static_cast<int>(i) != lost)
            k[n++] = i;
    const Point a = onPage[k[0]], b = onPage[k[1]], c = onPage[k[2]], p = onPage[static_cast<std::size_t>(lost)];
    // p = a + u (b - a) + v (c - a)
    const double bx = b.x - a.x, by = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y, px = p.x - a.x, py = p.y - a.y;
    const double det = bx * cy - by * cx;
    if (std::abs(det) < 1e-9)
        return onScan[k[0]];
    const double u = (px * cy - py * cx) / det, v = (bx * py - by * px) / det;
    const Point sa = onScan[k[0]], sb = onScan[k[1]], sc = onScan[k[2]];
    return {sa.x + u * (sb.x - sa.x) + v * (sc.x - sa.x), sa.y + u * (sb.y - sa.y) + v * (sc.y - sa.y)};
}

}  // namespace

PageResult Marker::Impl::mark(const GreyImage& scan)
{
    PageResult result;
    if (scan.empty() || static_cast<long long>(scan.width) * scan.height > kMaxPixels ||
        scan.pixels.size() != static_cast<std::size_t>(scan.width) * static_cast<std::size_t>(scan.height)) {
        result.status = PageStatus::NotPelkano;
        return result;
    }
    const std::optional<QrFound> qr = readQr(scan);
    if (!qr) {
        // A page with solid squares where a sheet has its marks is a sheet whose code cannot be
        // read; anything else is no sheet of ours.
        const double shorter = std::min(scan.width, scan.height);
        const std::vector<Blob> squares = squareBlobs(scan, shorter * 0.004, shorter * 0.03);
        int corners = 0;
        for (const Point corner : {Point{0, 0}, Point{static_cast<double>(scan.width), 0},
                                   Point{0, static_cast<double>(scan.height)},
                                   Point{static_cast<double>(scan.width), static_cast<double>(scan.height)}})
            corners += std::any_of(squares.begin(), squares.end(),
                                   [&](const Blob& b) { return distance(b.centre, corner) < shorter * 0.25; })
                           ? 1
                           : 0;
        result.status = corners >= 3 ? PageStatus::NoCode : PageStatus::NotPelkano;
        return result;
    }
    const DecodedCode decoded = decodeSheetCode(codeInQrText(qr->text));
    if (!decoded.code) {
        result.status = PageStatus::NotPelkano;
        if (decoded.error == CodeError::Newer || decoded.error == CodeError::Unreadable)
            result.detail = "its code names a sheet this program cannot make";
        return result;
    }
    result.sheetCode = decoded.code;
    result.code = encodeSheetCode(*decoded.code);
    std::optional<ProblemSheet> sheet = sheetOf(*decoded.code, result.detail);
    if (!sheet) {
        result.status = PageStatus::NotPelkano;
        return result;
    }
    result.sheet = *sheet;

    RenderSettings settings;
    settings.pattern = decoded.code->origin.recipe.pattern;
    // What the code says was printed besides the figures (a check row changes the squares' fit).
    settings.marks = decoded.code->marks;
    const PixelRect page = printableArea(210, 297, kLayoutDpi, kLayoutMarginMm);
    result.pageWidth = page.width;
    result.pageHeight = page.height;
    PageSquares squares = pageSquares(result.sheet, settings, page.width, page.height);
    if (!squares.hasMarks) {
        result.status = PageStatus::NoMarks;
        return result;
    }

    // A first map from the QR code puts each mark near where it is looked for: its centre, its
    // turn and its size. A reader gives the symbol's corners or the centres of its finder
    // patterns (3.5 modules in from each side, of 21 to 41 modules); each is tried, and the one
    // whose four marks are found nearest where it puts them is taken.
    const Point qrCentre = centreOf(squares.qr);
    const Point seenCentre = {(qr->corners[0].x + qr->corners[1].x + qr->corners[2].x + qr->corners[3].x) / 4,
                              (qr->corners[0].y + qr->corners[1].y + qr->corners[2].y + qr->corners[3].y) / 4};
    const double across = (distance(qr->corners[0], qr->corners[1]) + distance(qr->corners[3], qr->corners[2]) +
                           distance(qr->corners[0], qr->corners[3]) + distance(qr->corners[1], qr->corners[2])) / 4;
    const double turn = std::atan2(qr->corners[1].y - qr->corners[0].y + qr->corners[2].y - qr->corners[3].y,
                                   qr->corners[1].x - qr->corners[0].x + qr->corners[2].x - qr->corners[3].x);
    const double qrSide = std::max(1.0, squares.qr.width);
    constexpr std::array<double, 7> kInsets = {1.0, 14.0 / 21, 18.0 / 25, 22.0 / 29, 26.0 / 33, 30.0 / 37, 34.0 / 41};
    const double markSide = squares.marks[0].width;
    // The QR code is drawn on whole pixels a module, so its size beside the page's differs with the
    // resolution it was printed at (by up to a fifth where its modules are a few pixels): the
    // scale it gives is tried nearby too.
    // A mark not found counts as further off than any found; one may be lost, not two.
    constexpr double kLostMarkOff = 1.5;
    constexpr std::array<double, 13> kFits = {1.0, 0.95, 1.05, 0.9, 1.1, 0.85, 1.15, 0.8, 1.2, 0.75, 1.25, 0.7, 1.3};
    const std::vector<Blob> blobs = squareBlobs(scan, markSide * across / qrSide * 0.6 * kFits[11],
                                                markSide * across / (qrSide * kInsets[1]) * 1.6 * 1.3);
    Quad found{};
    double foundOff = -1;
    for (std::size_t k = 0; k < kFits.size() * kInsets.size(); ++k) {
        const double s = across / (qrSide * kInsets[k % kInsets.size()]) * kFits[k / kInsets.size()];
        const double reach = std::hypot(page.width, page.height) * s * 0.04;
        Quad here{};
        double off = 0;
        int lost = -1;  // the one mark not found (cut off by the scan's edge, covered), if any
        bool all = true;
        for (std::size_t i = 0; i < 4 && all; ++i) {
            const Point m = centreOf(squares.marks[i]);
            const double dx = (m.x - qrCentre.x) * s, dy = (m.y - qrCentre.y) * s;
            const Point expected = {seenCentre.x + dx * std::cos(turn) - dy * std::sin(turn),
                                    seenCentre.y + dx * std::sin(turn) + dy * std::cos(turn)};
            const Blob* best = nullptr;
            for (const Blob& b : blobs)
                if (distance(b.centre, expected) < reach &&
                    (!best || distance(b.centre, expected) < distance(best->centre, expected)))
                    best = &b;
            if (best) {
                here[i] = darkCentre(scan, best->centre, best->side * 0.8).value_or(best->centre);
                off += distance(best->centre, expected) / reach;
            } else if (lost < 0) {
                lost = static_cast<int>(i);
                off += kLostMarkOff;
            } else {
                all = false;
            }
        }
        if (all && lost >= 0)
            here[static_cast<std::size_t>(lost)] = fourthCorner(
                {centreOf(squares.marks[0]), centreOf(squares.marks[1]), centreOf(squares.marks[2]), centreOf(squares.marks[3])},
                here, lost);
        if (all && (foundOff < 0 || off < foundOff)) {
            found = here;
            foundOff = off;
        }
    }
    if (foundOff < 0) {
        // No marks, and the QR code in the sheet's top third, where a sheet without the frame or
        // in the expression style has it (a marked sheet has it at the foot): a sheet that cannot
        // be marked, not one whose marks were lost.
        const Point down = {-std::sin(turn), std::cos(turn)};  // the sheet's downward direction
        const double extent = std::abs(down.x) * scan.width + std::abs(down.y) * scan.height;
        const double below = (seenCentre.x - scan.width / 2.0) * down.x + (seenCentre.y - scan.height / 2.0) * down.y;
        result.status = below < -extent / 6 ? PageStatus::NotMarkable : PageStatus::NoMarks;
        return result;
    }
    // The paper and border it was printed on, from the marks' proportions: the layout of the page
    // follows the printable area's.
    const auto along = [](const Quad& q) {
        return (distance(q[0], q[3]) + distance(q[1], q[2])) / std::max(1e-9, distance(q[0], q[1]) + distance(q[3], q[2]));
    };
    const auto centresOf = [](const PageSquares& sq) {
        return Quad{centreOf(sq.marks[0]), centreOf(sq.marks[1]), centreOf(sq.marks[2]), centreOf(sq.marks[3])};
    };
    const double seen = along(found);
    PixelRect bestPage = page;
    PageSquares best = squares;
    double paperWidthMm = 210, paperHeightMm = 297;
    int marginMm = kLayoutMarginMm;
    double bestOff = std::abs(along(centresOf(squares)) - seen);
    // The usual paper stands unless another fits clearly better.
    constexpr double kClearlyBetter = 0.002;
    for (const Paper& paper : papers())
        for (int margin = 0; margin <= 20; ++margin) {
            const PixelRect other = printableArea(paper.widthMm, paper.heightMm, kLayoutDpi, margin);
            const PageSquares sq = pageSquares(result.sheet, settings, other.width, other.height);
            if (!sq.hasMarks)
                continue;
            const double off = std::abs(along(centresOf(sq)) - seen);
            if (off + kClearlyBetter < bestOff) {
                bestOff = off;
                bestPage = other;
                best = sq;
                paperWidthMm = paper.widthMm;
                paperHeightMm = paper.heightMm;
                marginMm = margin;
            }
        }
    squares = std::move(best);
    result.pageWidth = bestPage.width;
    result.pageHeight = bestPage.height;
    std::optional<Homography> map = Homography::fromPoints(centresOf(squares), found);
    if (!map) {
        result.status = PageStatus::NoMarks;
        return result;
    }
    result.pageToScan = map->m;
    // Scan pixels per page pixel.
    double scale = distance(map->map({0, 0}), map->map({static_cast<double>(result.pageWidth), 0})) /
                   std::max(1, result.pageWidth);

    // The left margin is the teacher's setting and moves the figures: the one whose frames the
    // scan shows, the usual one unless another shows them clearly, and clearly better. (Faint
    // dotted lines in a poor scan show nothing clearly: the usual margin stands.)
    constexpr double kClearFrame = 40;
    const double usual = frameEvidence(scan, *map, squares);
    double bestEvidence = usual;
    int margin = settings.leftMargin;
    for (int m = 1; m <= 70; ++m) {
        RenderSettings other = settings;
        other.leftMargin = m;
        const double evidence = frameEvidence(scan, *map, pageSquares(result.sheet, other, result.pageWidth, result.pageHeight));
        if (evidence > bestEvidence && evidence >= kClearFrame && evidence > 2 * usual) {
            bestEvidence = evidence;
            margin = m;
        }
    }
    if (margin != settings.leftMargin) {
        settings.leftMargin = margin;
        squares.figures = pageSquares(result.sheet, settings, result.pageWidth, result.pageHeight).figures;
    }
    result.leftMargin = margin;
    // The page was laid out in whole pixels of the resolution it was drawn at (a printer's, or a
    // PNG's), which moves its squares by a few pixels from the usual one's: the resolution whose
    // squares the scan's frames show clearly better is taken.
    {
        constexpr std::array<int, 6> kDrawnDpis = {300, 1200, 200, 400, 150, 720};
        const double usual = frameEvidence(scan, *map, squares);
        double bestEvidence = usual;
        for (const int dpi : kDrawnDpis) {
            const PixelRect other = printableArea(paperWidthMm, paperHeightMm, dpi, marginMm);
            PageSquares sq = pageSquares(result.sheet, settings, other.width, other.height);
            if (!sq.hasMarks)
                continue;
            const std::optional<Homography> h = Homography::fromPoints(centresOf(sq), found);
            if (!h)
                continue;
            const double evidence = frameEvidence(scan, *h, sq);
            if (evidence > bestEvidence * 1.1 && evidence >= kClearFrame) {
                bestEvidence = evidence;
                squares = std::move(sq);
                map = h;
                result.pageWidth = other.width;
                result.pageHeight = other.height;
            }
        }
    }
    result.pageToScan = map->m;
    scale = distance(map->map({0, 0}), map->map({static_cast<double>(result.pageWidth), 0})) / std::max(1, result.pageWidth);
    result.header = mapped(*map, {0, 0, static_cast<double>(result.pageWidth), squares.figures.empty() ? 0.0 : squares.figures.front().top * 0.6});

    if (darkShare(scan, *map, squares.answerMark) > 0.04) {
        result.status = PageStatus::AnswerSheet;
        return result;
    }

    for (const FigureSquares& f : squares.figures) {
        const std::size_t k = static_cast<std::size_t>(f.slot);
        const std::optional<LongDivision> working = LongDivision::ofText(result.sheet.dividends[k], result.sheet.divisors[k]);
        if (!working)
            continue;
        const int cropSize = std::clamp(static_cast<int>(std::lround(f.cell * scale)), kSmallestCrop, kLargestCrop);
        FigureReading reading(f.rows, f.dividendColumns);
        for (int r = 0; r < f.rows; ++r) {
            if (r == 1)
                continue;
            for (int c = 0; c < f.dividendColumns; ++c) {
                const PageRect sq = f.square(r, c);
                GreyImage crop = sampleSquare(scan, *map, sq.x, sq.y, sq.width, cropSize);
                whitenEdges(crop, r == 0);
                reading.at(r, c) = recognizeCell(crop);
            }
        }
        const WorkingJudgement judged = judgeWorking(*working, reading);
        ProblemMark mark;
        mark.slot = f.slot;
        mark.type = result.sheet.types[k];
        mark.dividend = result.sheet.dividends[k];
        mark.divisor = result.sheet.divisors[k];
        mark.verdict = judged.verdict;
        mark.mistake = judged.mistake;
        mark.written = judged.written;
        mark.confidence = judged.confidence;
        // What the working takes of the frame: its rows, across the whole figure.
        const PageRect whole = f.whole();
        mark.figure = mapped(*map, {whole.x, whole.y, whole.width, std::min(whole.height, working->rows() * f.cell)});
        if (judged.mistakeTextRow >= 0) {
            const PageRect w = f.whole();
            mark.mistakeRow = mapped(*map, {w.x, f.top + judged.mistakeTextRow * f.cell, w.width, f.cell});
        }
        result.problems.push_back(std::move(mark));
    }
    result.status = PageStatus::Marked;
    return result;
}

Marker::Marker() : impl_(std::make_unique<Impl>()) {}
Marker::~Marker() = default;

PageResult Marker::markPage(const GreyImage& page)
{
    return impl_->mark(page);
}

PageResult markPage(const GreyImage& page)
{
    return Marker().markPage(page);
}

std::vector<PageResult> markPages(const std::vector<GreyImage>& pages)
{
    Marker marker;
    std::vector<PageResult> results;
    for (const GreyImage& page : pages)
        results.push_back(marker.markPage(page));
    return results;
}

}  // namespace pelkano::marking
