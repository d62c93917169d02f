#include "RecordingSurface.h"

namespace pelkano::test {

std::vector<std::string> RecordingSurface::characters(const std::string& text)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (i + n > text.size())
            n = text.size() - i;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

bool RecordingSurface::isHalfWidth(const std::string& character)
{
    if (character.size() == 1)
        return true;
    if (character.size() != 3)
        return false;
    // U+FF61..U+FF9F: EF BD A1..EF BD BF and EF BE 80..EF BE 9F
    const auto b0 = static_cast<unsigned char>(character[0]);
    const auto b1 = static_cast<unsigned char>(character[1]);
    const auto b2 = static_cast<unsigned char>(character[2]);
    if (b0 != 0xEF)
        return false;
    return (b1 == 0xBD && b2 >= 0xA1) || (b1 == 0xBE && b2 <= 0x9F);
}

int RecordingSurface::widthAt(const std::string& text, int h)
{
    int halves = 0;
    for (const std::string& c : characters(text))
        halves += isHalfWidth(c) ? 1 : 2;
    return (halves * h + 1) / 2;
}

void RecordingSurface::log(Op op, int value, const std::string& text)
{
    Call c = record(op, 0, 0, 0, 0);
    c.value = value;
    c.text = text;
    calls_.push_back(c);
}

Call RecordingSurface::record(Op op, int x, int y, int x2, int y2) const
{
    Call c;
    c.op = op;
    c.x = x;
    c.y = y;
    c.x2 = x2;
    c.y2 = y2;
    c.state = state_;
    return c;
}

void RecordingSurface::setFontName(const std::string& name)
{
    state_.fontName = name;
    log(Op::FontName, 0, name);
}

void RecordingSurface::setFontHeight(int height)
{
    state_.fontHeight = height;
    log(Op::FontHeight, height);
}

void RecordingSurface::setFontUnderline(bool underline)
{
    state_.underline = underline;
    log(Op::FontUnderline, underline ? 1 : 0);
}

void RecordingSurface::setPenColor(Color color)
{
    state_.penColor = color;
    log(Op::PenColor, static_cast<int>(color));
}

void RecordingSurface::setPenWidth(int width)
{
    state_.penWidth = width;
    log(Op::PenWidth, width);
}

void RecordingSurface::setPenStyle(PenStyle style)
{
    state_.penStyle = style;
    log(Op::PenStyle, static_cast<int>(style));
}

void RecordingSurface::setBrushColor(Color color)
{
    state_.brushColor = color;
    log(Op::BrushColor, static_cast<int>(color));
}

void RecordingSurface::setBrushStyle(BrushStyle style)
{
    state_.brushStyle = style;
    log(Op::BrushStyle, static_cast<int>(style));
}

void RecordingSurface::textOut(int x, int y, const std::string& text)
{
    Call c = record(Op::Text, x, y, 0, 0);
    c.text = text;
    calls_.push_back(c);
}

int RecordingSurface::textWidth(const std::string& text)
{
    return widthAt(text, state_.fontHeight);
}

void RecordingSurface::rectangle(int x1, int y1, int x2, int y2)
{
    calls_.push_back(record(Op::Rectangle, x1, y1, x2, y2));
}

void RecordingSurface::moveTo(int x, int y)
{
    penX_ = x;
    penY_ = y;
    calls_.push_back(record(Op::MoveTo, x, y, 0, 0));
}

void RecordingSurface::lineTo(int x, int y)
{
    calls_.push_back(record(Op::LineTo, penX_, penY_, x, y));
    penX_ = x;
    penY_ = y;
}

std::vector<Call> RecordingSurface::callsOf(Op op) const
{
    std::vector<Call> out;
    for (const Call& c : calls_)
        if (c.op == op)
            out.push_back(c);
    return out;
}

}  // namespace pelkano::test
