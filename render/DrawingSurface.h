#pragma once
// What rendering draws on: a canvas with a font, a pen and a brush that stay set until changed.
// Positions and sizes are device pixels; layout units become device pixels through Scale.
#include <string>

namespace pelkano {

// Red is the teacher's: the marks drawn over a scanned sheet, and their texts.
enum class Color { White, Black, Red };
enum class PenStyle { Solid, Dot };
enum class BrushStyle { Solid, Clear };

// The faces rendering asks for; a surface maps them to what is installed.
inline constexpr const char* kGothicFace = "ＭＳ ゴシック";
inline constexpr const char* kMinchoFace = "ＭＳ 明朝";
// The proportional face of the window's own controls.
inline constexpr const char* kPGothicFace = "ＭＳ Ｐゴシック";

class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    virtual void setFontName(const std::string& name) = 0;
    // Positive: the character cell height in device pixels. Reading gives the value set.
    virtual void setFontHeight(int height) = 0;
    virtual int fontHeight() const = 0;
    // An underline runs under the whole text, blanks included.
    virtual void setFontUnderline(bool underline) = 0;

    virtual void setPenColor(Color color) = 0;
    virtual void setPenWidth(int width) = 0;  // device pixels, never scaled
    virtual void setPenStyle(PenStyle style) = 0;
    virtual void setBrushColor(Color color) = 0;
    // Clear fills nothing and leaves text backgrounds transparent.
    virtual void setBrushStyle(BrushStyle style) = 0;

    // (x, y) is the top-left corner of the text cell; text is UTF-8.
    virtual void textOut(int x, int y, const std::string& text) = 0;
    // Advance width of the text in the current font, in device pixels.
    virtual int textWidth(const std::string& text) = 0;
    // Outline with the pen and interior with the brush, covering x1..x2-1 by y1..y2-1.
    virtual void rectangle(int x1, int y1, int x2, int y2) = 0;
    virtual void moveTo(int x, int y) = 0;
    // A straight line from the pen position; the pen position moves to the end point.
    virtual void lineTo(int x, int y) = 0;
};

// DrawScale: device pixels per layout unit (one pixel of the 320 by 441 preview), a 32-bit
// float set from the surface size before a page is drawn.
class Scale {
public:
    Scale() = default;
    explicit Scale(float drawScale) : drawScale_(drawScale) {}
    // 1.0 for a width of 0 or less; else min(width / 320, height / 441), stored as a float.
    static Scale fromSurface(int width, int height);
    float drawScale() const { return drawScale_; }
    // S(x): DrawScale * x in double precision, rounded to the nearest integer, halves to even.
    int S(double x) const;

private:
    float drawScale_ = 1.0f;
};

}  // namespace pelkano
