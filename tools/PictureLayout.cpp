#include "PictureLayout.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace pelkano::pictures {

namespace {

PageDesign design(int page, Point picture, std::vector<TypeBox> boxes)
{
    return {page, picture, std::move(boxes)};
}

// Boxes on the same row of a page differ in top by a pixel at most.
bool sameRow(const TypeBox& a, const TypeBox& b) { return std::abs(a.at.y - b.at.y) <= 5; }

}  // namespace

const std::array<PageDesign, kPageCount>& pageDesigns()
{
    static const std::array<PageDesign, kPageCount> pages{
        design(1, {3, 22},
               {{1, {16, 32}}, {2, {100, 32}}, {3, {176, 32}}, {4, {256, 32}}, {5, {328, 32}},
                {6, {16, 148}}, {7, {100, 148}}, {8, {176, 148}}, {9, {256, 148}}, {10, {328, 148}}}),
        design(2, {3, 14},
               {{11, {13, 22}}, {12, {92, 22}}, {13, {170, 22}}, {14, {245, 22}}, {15, {325, 22}},
                {16, {13, 160}}, {17, {92, 160}}, {18, {170, 160}}, {19, {245, 160}}, {20, {325, 160}}}),
        design(3, {7, 30},
               {{21, {12, 36}}, {22, {90, 36}}, {23, {168, 36}}, {24, {248, 36}}, {25, {328, 36}},
                {26, {12, 164}}, {27, {90, 164}}, {28, {168, 164}}, {29, {248, 164}}, {30, {328, 164}}}),
        design(4, {7, 25},
               {{31, {12, 38}}, {32, {90, 38}}, {33, {168, 38}}, {34, {245, 38}}, {35, {325, 38}},
                {36, {12, 150}}, {37, {90, 150}}, {38, {168, 150}}, {39, {245, 150}}, {40, {325, 150}}}),
        design(5, {3, 22},
               {{41, {13, 30}}, {42, {103, 30}}, {43, {202, 30}}, {44, {295, 30}},
                {45, {13, 150}}, {46, {103, 150}}, {47, {202, 150}}, {48, {295, 150}}}),
        design(6, {7, 26},
               {{49, {23, 40}}, {50, {109, 40}}, {51, {209, 40}}, {52, {304, 40}},
                {53, {23, 168}}, {54, {109, 168}}, {55, {209, 168}}, {56, {304, 168}}}),
        design(7, {4, 7},
               {{57, {26, 28}}, {58, {114, 28}}, {59, {212, 28}}, {60, {304, 28}},
                {61, {26, 150}}, {62, {114, 150}}, {63, {210, 150}}, {64, {304, 150}}}),
        design(8, {4, 7},
               {{65, {12, 20}}, {66, {108, 20}}, {67, {205, 20}}, {68, {299, 20}},
                {69, {12, 171}}, {70, {108, 172}}, {71, {205, 172}}, {72, {299, 172}}}),
        design(9, {4, 7},
               {{73, {34, 12}}, {74, {142, 12}}, {75, {260, 12}},
                {76, {40, 176}}, {77, {142, 176}}, {78, {260, 176}}}),
    };
    return pages;
}

int pageOfType(int type)
{
    for (const PageDesign& page : pageDesigns())
        for (const TypeBox& box : page.boxes)
            if (box.type == type)
                return page.page;
    return 0;
}

Rect slotOf(const PageDesign& page, const TypeBox& box)
{
    int right = page.picture.x + kPictureWidth;
    int bottom = page.picture.y + kMaxPictureHeight;
    for (const TypeBox& other : page.boxes) {
        if (sameRow(other, box)) {
            if (other.at.x > box.at.x)
                right = std::min(right, other.at.x);
        } else if (other.at.y > box.at.y) {
            bottom = std::min(bottom, other.at.y);
        }
    }
    return {box.at.x - page.picture.x, box.at.y - page.picture.y, right - box.at.x, bottom - box.at.y};
}

PageLayout layoutPage(int page, const std::map<int, TemplateSize>& sizes)
{
    if (page < 1 || page > kPageCount)
        throw std::runtime_error("no type page " + std::to_string(page));
    const PageDesign& design = pageDesigns()[static_cast<std::size_t>(page - 1)];

    PageLayout layout;
    layout.page = page;
    for (int cell = kLargestCell; cell >= kSmallestCell && layout.cell == 0; --cell) {
        std::vector<PlacedTemplate> placed;
        bool fits = true;
        for (const TypeBox& box : design.boxes) {
            const auto size = sizes.find(box.type);
            if (size == sizes.end())
                continue;
            PlacedTemplate p;
            p.type = box.type;
            p.slot = slotOf(design, box);
            p.box = {p.slot.x, p.slot.y, kBoxWidth, kBoxHeight};
            p.origin = {p.slot.x + kIndent, p.slot.y + kCaptionBand};
            p.cell = cell;
            p.size = size->second;
            const Rect room{p.slot.x, p.slot.y, p.slot.w - kGap, p.slot.h - kGap};
            fits = fits && room.contains(p.bounds());
            placed.push_back(p);
        }
        if (fits) {
            layout.cell = cell;
            layout.placed = std::move(placed);
        }
    }
    if (layout.cell == 0)
        throw std::runtime_error("the templates of page " + std::to_string(page) + " do not fit");

    int bottom = 0;
    for (const PlacedTemplate& p : layout.placed)
        bottom = std::max(bottom, p.bounds().bottom() + 2 * kGap);
    layout.height = std::clamp(bottom, kMinPictureHeight, kMaxPictureHeight);
    return layout;
}

}  // namespace pelkano::pictures
