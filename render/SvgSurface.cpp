#include "SvgSurface.h"

#include "PageLayout.h"
#include "Paper.h"
#include "Utf8.h"

#include <cmath>
#include <cstdio>

namespace pelkano {

namespace {

// A length in device pixels with at most two decimals, no trailing zeros.
std::string num(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string s(text);
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s == "-0" ? "0" : s;
}

const char* colour(Color c)
{
    return c == Color::White ? "#fff" : c == Color::Red ? "#dc0000" : "#000";
}

// The character as XML text; characters XML cannot carry become U+FFFD.
void appendXml(std::string& out, char32_t code)
{
    switch (code) {
    case U'&': out += "&amp;"; return;
    case U'<': out += "&lt;"; return;
    case U'>': out += "&gt;"; return;
    case U'"': out += "&quot;"; return;
    default: break;
    }
    if (code < 0x20 || code == 0x7F || (code >= 0x80 && code <= 0x9F) || code == 0xFFFE || code == 0xFFFF)
        code = U'\uFFFD';
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool blank(char32_t code)
{
    return code == U' ' || code == U'\u3000';
}

}  // namespace

int FaceMetrics::advance(char32_t code) const
{
    for (const AdvanceRun& run : runs)
        if (code <= run.last)
            return run.advance;
    return runs.empty() ? unitsPerEm : runs.back().advance;
}

long long FaceMetrics::advance(std::string_view text) const
{
    long long units = 0;
    forEachCodePoint(text, [&](char32_t code, std::size_t, std::size_t) { units += advance(code); });
    return units;
}

const FaceMetrics& SvgSurface::face() const
{
    return gothic_ ? gothicMetrics() : minchoMetrics();
}

void SvgSurface::setFontName(const std::string& name)
{
    gothic_ = name == kGothicFace;
}

void SvgSurface::setFontHeight(int height)
{
    height_ = height;
}

int SvgSurface::fontHeight() const
{
    return height_;
}

void SvgSurface::setFontUnderline(bool underline)
{
    underline_ = underline;
}

void SvgSurface::setPenColor(Color color)
{
    if (color != penColor_)
        endPath();
    penColor_ = color;
}

void SvgSurface::setPenWidth(int width)
{
    if (width != penWidth_)
        endPath();
    penWidth_ = width;
}

void SvgSurface::setPenStyle(PenStyle style)
{
    if (style != penStyle_)
        endPath();
    penStyle_ = style;
}

void SvgSurface::setBrushColor(Color color)
{
    brushColor_ = color;
}

void SvgSurface::setBrushStyle(BrushStyle style)
{
    brushStyle_ = style;
}

std::string SvgSurface::strokeAttributes() const
{
    const int w = penWidth_ > 0 ? penWidth_ : 1;
    std::string a = std::string(" stroke=\"") + colour(penColor_) + "\" stroke-width=\"" + std::to_string(w) + '"';
    // A dotted pen: dots one pen width long, two apart, as the desktop draws them.
    if (penStyle_ == PenStyle::Dot)
        a += " stroke-dasharray=\"" + std::to_string(w) + ' ' + std::to_string(2 * w) + '"';
    return a;
}

void SvgSurface::endPath()
{
    if (path_.empty())
        return;
    out_ += "<path fill=\"none\"" + strokeAttributes() + " d=\"" + path_ + "\"/>\n";
    path_.clear();
}

int SvgSurface::textWidth(const std::string& text)
{
    const double h = height_;
    return static_cast<int>(std::floor(static_cast<double>(face().advance(text)) * h / face().unitsPerEm + 0.5));
}

void SvgSurface::textOut(int x, int y, const std::string& text)
{
    endPath();
    const FaceMetrics& f = face();
    const double unit = static_cast<double>(height_) / f.unitsPerEm;
    const double baseline = y + height_ * (static_cast<double>(f.ascender) / f.unitsPerEm);
    if (brushStyle_ == BrushStyle::Solid)
        out_ += std::string("<rect x=\"") + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
                std::to_string(textWidth(text)) + "\" height=\"" + std::to_string(height_) + "\" fill=\"" +
                colour(brushColor_) + "\"/>\n";

    // Each character at its own place; blanks only move the next one on.
    std::string xs;
    std::string chars;
    long long advanced = 0;
    forEachCodePoint(text, [&](char32_t code, std::size_t, std::size_t) {
        if (!blank(code)) {
            xs.append(xs.empty() ? "" : " ").append(num(x + advanced * unit));
            appendXml(chars, code);
        }
        advanced += f.advance(code);
    });
    if (!chars.empty())
        out_ += "<text x=\"" + xs + "\" y=\"" + num(baseline) + "\" font-family=\"" +
                (gothic_ ? kSvgGothicFamily : kSvgMinchoFamily) + "\" font-size=\"" + std::to_string(height_) +
                "\">" + chars + "</text>\n";
    if (underline_ && advanced > 0) {
        // The face's own underline, under the whole text, blanks included.
        const double thickness = f.underlineThickness * unit;
        const double top = baseline - f.underlinePosition * unit - thickness / 2;
        out_ += "<rect x=\"" + std::to_string(x) + "\" y=\"" + num(top) + "\" width=\"" + num(advanced * unit) +
                "\" height=\"" + num(thickness) + "\"/>\n";
    }
}

void SvgSurface::rectangle(int x1, int y1, int x2, int y2)
{
    endPath();
    if (x2 <= x1 || y2 <= y1)
        return;
    const bool filled = brushStyle_ == BrushStyle::Solid;
    if (filled)
        out_ += "<rect x=\"" + std::to_string(x1) + "\" y=\"" + std::to_string(y1) + "\" width=\"" +
                std::to_string(x2 - x1) + "\" height=\"" + std::to_string(y2 - y1) + "\" fill=\"" +
                colour(brushColor_) + "\"/>\n";
    // An outline of the fill's own colour, inside the fill, adds nothing.
    if (filled && penColor_ == brushColor_ && penStyle_ == PenStyle::Solid)
        return;
    // The stroke lies inside the rectangle, so the outline covers x1..x2-1 by y1..y2-1.
    const double w = penWidth_ > 0 ? penWidth_ : 1;
    const double width = x2 - x1 - w;
    const double height = y2 - y1 - w;
    out_ += "<rect x=\"" + num(x1 + w / 2) + "\" y=\"" + num(y1 + w / 2) + "\" width=\"" +
            num(width > 0 ? width : 0) + "\" height=\"" + num(height > 0 ? height : 0) + "\" fill=\"none\"" +
            strokeAttributes() + "/>\n";
}

void SvgSurface::moveTo(int x, int y)
{
    x_ = x;
    y_ = y;
}

void SvgSurface::lineTo(int x, int y)
{
    path_ += 'M' + std::to_string(x_) + ' ' + std::to_string(y_);
    if (y == y_)
        path_ += 'H' + std::to_string(x);
    else if (x == x_)
        path_ += 'V' + std::to_string(y);
    else
        path_ += 'L' + std::to_string(x) + ' ' + std::to_string(y);
    x_ = x;
    y_ = y;
}

std::string SvgSurface::elements()
{
    endPath();
    return out_;
}

std::string pageSvg(const ProblemSheet& page, const RenderSettings& settings, double widthMm, double heightMm,
                    int dpi, int paperMargin)
{
    return pageSvg([&](DrawingSurface& surface, int width, int height) { MakePrint(surface, width, height, page, settings); },
                   widthMm, heightMm, dpi, paperMargin);
}

std::string pageSvg(const SvgPagePainter& draw, double widthMm, double heightMm, int dpi, int paperMargin)
{
    const PixelRect area = printableArea(widthMm, heightMm, dpi, paperMargin);
    SvgSurface surface;
    draw(surface, area.width, area.height);
    // The paper at its size in millimetres, its units the device pixels of the resolution.
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(widthMm) + "mm\" height=\"" +
           num(heightMm) + "mm\" viewBox=\"0 0 " + num(widthMm * dpi / 25.4) + ' ' + num(heightMm * dpi / 25.4) +
           "\">\n<g transform=\"translate(" + std::to_string(area.x) + ' ' + std::to_string(area.y) + ")\">\n" +
           surface.elements() + "</g>\n</svg>\n";
}

}  // namespace pelkano
