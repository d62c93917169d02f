#include "MarkDrawing.h"

#include "ScanGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pelkano::marking {

namespace {

int px(double v)
{
    return static_cast<int>(std::lround(v));
}

Point mid(const Quad& q)
{
    return {(q[0].x + q[1].x + q[2].x + q[3].x) / 4, (q[0].y + q[1].y + q[2].y + q[3].y) / 4};
}

double side(Point a, Point b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

void line(DrawingSurface& s, Point a, Point b)
{
    s.moveTo(px(a.x), px(a.y));
    s.lineTo(px(b.x), px(b.y));
}

// The quad pushed out from its centre by `by` pixels.
Quad grown(const Quad& q, double by)
{
    const Point c = mid(q);
    Quad out = q;
    for (Point& p : out) {
        const double d = std::max(1.0, side(p, c));
        p = {p.x + (p.x - c.x) * by / d, p.y + (p.y - c.y) * by / d};
    }
    return out;
}

void circle(DrawingSurface& s, Point c, double r)
{
    constexpr int kSegments = 48;
    s.moveTo(px(c.x + r), px(c.y));
    for (int i = 1; i <= kSegments; ++i) {
        const double a = 2 * std::numbers::pi * i / kSegments;
        s.lineTo(px(c.x + r * std::cos(a)), px(c.y + r * std::sin(a)));
    }
}

}  // namespace

std::string scoreText(const PageResult& page)
{
    return std::to_string(page.right()) + " / " + std::to_string(page.problems.size());
}

void drawMarks(DrawingSurface& surface, const PageResult& page, int scanWidth, int scanHeight)
{
    surface.setPenColor(Color::Red);
    surface.setPenStyle(PenStyle::Solid);
    surface.setBrushStyle(BrushStyle::Clear);
    surface.setFontUnderline(false);
    surface.setFontName(kGothicFace);
    // A layout unit of the page on the scan (the page is 320 units wide).
    const double unit = std::max(1.0, std::min(scanWidth / 320.0, scanHeight / 441.0));

    if (page.status != PageStatus::Marked) {
        surface.setPenWidth(std::max(1, px(unit * 0.5)));
        surface.setFontHeight(std::max(4, px(unit * 10)));
        // Where the score would stand, right of the sentence under the name field.
        surface.textOut(px(unit * 160), px(unit * 25), statusText(page.status));
        return;
    }
    const Homography h{page.pageToScan};
    const double pageUnit = side(h.map({0, 0}), h.map({static_cast<double>(page.pageWidth), 0})) / 320.0;
    const double u = pageUnit > 0 ? pageUnit : unit;
    surface.setPenWidth(std::max(2, px(u * 0.8)));

    for (const ProblemMark& p : page.problems) {
        const Quad& f = p.figure;
        const Point c = mid(f);
        const double w = side(f[0], f[1]), hgt = side(f[1], f[2]);
        switch (p.verdict) {
        case Verdict::Right:
            circle(surface, c, std::max(w, hgt) * 0.45);
            break;
        case Verdict::Unanswered:
        case Verdict::Wrong: {
            const double r = std::max(w, hgt) * 0.35;
            line(surface, {c.x - r, c.y - r}, {c.x + r, c.y + r});
            line(surface, {c.x + r, c.y - r}, {c.x - r, c.y + r});
            if (p.verdict == Verdict::Wrong && p.mistake) {
                // The kind, just right of the first wrong row; on the page, smaller where the
                // page's edge is near (down to half), and moved left where that is not enough.
                const Quad row = p.mistakeRow.value_or(f);
                const double rowHeight = side(row[1], row[2]);
                const std::string name = mistakeName(p.mistake->kind);
                const int height = std::max(4, px(rowHeight * 0.7));
                surface.setFontHeight(height);
                const int x = px(std::max(row[1].x, row[2].x) + u * 2);
                const int end = scanWidth - px(u * 2);
                if (x + surface.textWidth(name) > end)
                    surface.setFontHeight(std::max({4, height / 2, height * (end - x) / std::max(1, surface.textWidth(name))}));
                surface.textOut(std::max(0, std::min(x, end - surface.textWidth(name))), px(row[1].y + rowHeight * 0.15), name);
            }
            break;
        }
        case Verdict::Check: {
            const Quad box = grown(f, u * 3);
            for (std::size_t i = 0; i < 4; ++i)
                line(surface, box[i], box[(i + 1) % 4]);
            surface.setFontHeight(std::max(4, px(u * 6)));
            surface.textOut(px(box[0].x), px(box[0].y - u * 7), verdictName(Verdict::Check));
            break;
        }
        }
    }
    // The score, right of the sentence under the name field.
    const Point at = h.map({page.pageWidth * 200.0 / 320.0, page.pageWidth * 25.0 / 320.0});
    surface.setFontHeight(std::max(4, px(u * 12)));
    surface.textOut(px(at.x), px(at.y), scoreText(page));
}

}  // namespace pelkano::marking
