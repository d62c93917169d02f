#pragma once
// Where the templates go on the nine type pictures. The window lays a type's check box (17
// pixels high, white) over the picture at the top left of the type's template; each template is
// drawn below a band that the box covers and kept inside the room before the next box to its
// right and below. One cell size serves a whole picture: the largest that lets every template
// of the page fit.
#include <array>
#include <map>
#include <vector>

namespace pelkano::pictures {

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int right() const { return x + w; }    // exclusive
    int bottom() const { return y + h; }   // exclusive
    bool contains(const Rect& r) const
    {
        return r.x >= x && r.y >= y && r.right() <= right() && r.bottom() <= bottom();
    }
    bool intersects(const Rect& r) const
    {
        return r.x < right() && x < r.right() && r.y < bottom() && y < r.bottom();
    }
};

inline constexpr int kPageCount = 9;
inline constexpr int kPictureWidth = 376;
inline constexpr int kMinPictureHeight = 250;
inline constexpr int kMaxPictureHeight = 290;
inline constexpr int kBoxHeight = 17;     // the check box laid over the picture
inline constexpr int kBoxWidth = 36;      // about its width: the indicator and a two-digit caption
inline constexpr int kCaptionBand = 20;   // from the box's top to the template's first row
inline constexpr int kIndent = 1;         // from the box's left to the template's first cell
inline constexpr int kGap = 2;            // kept free before the next box or the picture's edge
inline constexpr int kLargestCell = 16;
inline constexpr int kSmallestCell = 8;

struct TypeBox {
    int type = 0;
    Point at;  // within the tab page
};

struct PageDesign {
    int page = 0;         // 1..9
    Point picture;        // the picture's top left within the tab page
    std::vector<TypeBox> boxes;
};

const std::array<PageDesign, kPageCount>& pageDesigns();
int pageOfType(int type);  // 1..9, or 0 for a type on no page

// The room of one type in picture coordinates: from its box's top left to the next box to the
// right (or the picture's right edge) and to the next row of boxes (or the largest picture
// height).
Rect slotOf(const PageDesign& page, const TypeBox& box);

struct TemplateSize {
    int cells = 0;
    int rows = 0;
};

struct PlacedTemplate {
    int type = 0;
    Rect box;       // where the check box will lie, in picture coordinates (width estimated)
    Rect slot;
    Point origin;   // the top left of cell 0 of row 0
    int cell = 0;
    TemplateSize size;

    Rect bounds() const { return {origin.x, origin.y, size.cells * cell, size.rows * cell}; }
    Rect cellRect(int row, int column) const
    {
        return {origin.x + column * cell, origin.y + row * cell, cell, cell};
    }
};

struct PageLayout {
    int page = 0;
    int width = kPictureWidth;
    int height = kMinPictureHeight;
    int cell = 0;
    std::vector<PlacedTemplate> placed;  // in box order; types without a template are left out
};

// Lays out one page for the templates of the given sizes (types missing from `sizes` get no
// template). Throws std::runtime_error when even the smallest cell does not fit.
PageLayout layoutPage(int page, const std::map<int, TemplateSize>& sizes);

}  // namespace pelkano::pictures
