#include "Paper.h"

#include <array>
#include <cmath>

namespace pelkano {

namespace {

constexpr std::array<Paper, 7> kPapers{{
    {"A3", 297, 420},
    {"A4", 210, 297},
    {"A5", 148, 210},
    {"B4", 257, 364},
    {"B5", 182, 257},
    {"Letter", 215.9, 279.4},
    {"Legal", 215.9, 355.6},
}};

int evenPixels(double millimetres, int dpi)
{
    return 2 * static_cast<int>(std::lround(millimetres * dpi / 25.4 / 2.0));
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::span<const Paper> papers()
{
    return kPapers;
}

const Paper* paperByName(std::string_view name)
{
    for (const Paper& p : kPapers) {
        const std::string_view own(p.name);
        if (own.size() != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < own.size() && same; ++i)
            same = lower(own[i]) == lower(name[i]);
        if (same)
            return &p;
    }
    return nullptr;
}

std::string paperNames()
{
    std::string names;
    for (const Paper& p : kPapers)
        names.append(names.empty() ? "" : ", ").append(p.name);
    return names;
}

PixelRect paperPixels(double widthMm, double heightMm, int dpi)
{
    return {0, 0, evenPixels(widthMm, dpi), evenPixels(heightMm, dpi)};
}

PixelRect printableArea(double widthMm, double heightMm, int dpi, int marginMm)
{
    const int margin = static_cast<int>(std::lround(marginMm * dpi / 25.4));
    const PixelRect paper = paperPixels(widthMm, heightMm, dpi);
    return {margin, margin, paper.width - 2 * margin, paper.height - 2 * margin};
}

}  // namespace pelkano
