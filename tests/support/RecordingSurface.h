#pragma once
// A DrawingSurface that draws nothing and logs every call, with the surface state at the moment
// of each drawing call. Text widths are deterministic: a half-width character (ASCII and the
// half-width forms U+FF61..U+FF9F) is h/2 wide and any other character h, so a figure can be
// checked cell by cell.
#include "DrawingSurface.h"

#include <string>
#include <vector>

namespace pelkano::test {

enum class Op {
    FontName,
    FontHeight,
    FontUnderline,
    PenColor,
    PenWidth,
    PenStyle,
    BrushColor,
    BrushStyle,
    Text,
    Rectangle,
    MoveTo,
    LineTo
};

// The surface's font, pen and brush.
struct SurfaceState {
    std::string fontName;
    int fontHeight = 12;
    bool underline = false;
    Color penColor = Color::Black;
    int penWidth = 1;
    PenStyle penStyle = PenStyle::Solid;
    Color brushColor = Color::White;
    BrushStyle brushStyle = BrushStyle::Solid;
};

// One call. Drawing calls carry their coordinates (a line runs from x, y to x2, y2) and the state
// in force; setters carry the value set in `value` (or `text` for a face name).
struct Call {
    Op op = Op::Text;
    int x = 0, y = 0, x2 = 0, y2 = 0;
    int value = 0;
    std::string text;
    SurfaceState state;
};

class RecordingSurface final : public DrawingSurface {
public:
    void setFontName(const std::string& name) override;
    void setFontHeight(int height) override;
    int fontHeight() const override { return state_.fontHeight; }
    void setFontUnderline(bool underline) override;
    void setPenColor(Color color) override;
    void setPenWidth(int width) override;
    void setPenStyle(PenStyle style) override;
    void setBrushColor(Color color) override;
    void setBrushStyle(BrushStyle style) override;
    void textOut(int x, int y, const std::string& text) override;
    int textWidth(const std::string& text) override;
    void rectangle(int x1, int y1, int x2, int y2) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;

    const std::vector<Call>& calls() const { return calls_; }
    const SurfaceState& state() const { return state_; }
    // Only the calls of one kind, in order.
    std::vector<Call> callsOf(Op op) const;
    void clear() { calls_.clear(); }

    // Width of UTF-8 text at height h by the rule above; half-widths round half up.
    static int widthAt(const std::string& text, int h);
    // The code points of UTF-8 text, each as its own UTF-8 string.
    static std::vector<std::string> characters(const std::string& text);
    static bool isHalfWidth(const std::string& character);

private:
    void log(Op op, int value, const std::string& text = {});
    Call record(Op op, int x, int y, int x2, int y2) const;

    SurfaceState state_;
    std::vector<Call> calls_;
    int penX_ = 0, penY_ = 0;
};

}  // namespace pelkano::test
