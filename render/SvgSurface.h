#pragma once
// The drawing as SVG text, without a font engine: text is placed character by character from
// the advance widths of the faces' own files (FaceMetrics), so an SVG page has the geometry of
// the desktop's pages. Coordinates are device pixels.
#include "DrawingSurface.h"
#include "FaceMetrics.h"
#include "RenderSettings.h"
#include "Sheet.h"

#include <functional>
#include <string>

namespace pelkano {

class SvgSurface final : public DrawingSurface {
public:
    void setFontName(const std::string& name) override;
    void setFontHeight(int height) override;
    int fontHeight() const override;
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

    // Every element drawn so far, in order.
    std::string elements();

private:
    const FaceMetrics& face() const;
    std::string strokeAttributes() const;
    void endPath();

    bool gothic_ = false;
    int height_ = 12;
    bool underline_ = false;
    Color penColor_ = Color::Black;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    Color brushColor_ = Color::White;
    BrushStyle brushStyle_ = BrushStyle::Solid;
    int x_ = 0;
    int y_ = 0;
    std::string out_;
    std::string path_;  // the lines drawn since the pen last changed, as one path
};

// The font-family names an SVG page asks for.
inline constexpr const char* kSvgMinchoFamily = "IPAMincho";
inline constexpr const char* kSvgGothicFamily = "IPAGothic";

// One page as a whole SVG document on paper of that size: the page is drawn through MakePrint on
// the paper's printable area at dpi, a paperMargin (millimetres) inside the paper's edges, as a
// PNG page is.
std::string pageSvg(const ProblemSheet& page, const RenderSettings& settings, double widthMm, double heightMm,
                    int dpi, int paperMargin);
// Any page drawn so: `draw` is handed the surface and the printable area's size in device pixels.
using SvgPagePainter = std::function<void(DrawingSurface& surface, int width, int height)>;
std::string pageSvg(const SvgPagePainter& draw, double widthMm, double heightMm, int dpi, int paperMargin);

}  // namespace pelkano
