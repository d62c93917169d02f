#pragma once
// The one DrawingSurface over a QPainter: the preview widget, the printer, a QImage or a PDF.
#include "DrawingSurface.h"

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QPoint>
#include <QString>

namespace pelkano {

class QtSurface final : public DrawingSurface {
public:
    explicit QtSurface(QPainter& painter);

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

private:
    QFont currentFont() const;
    void applyPen();

    QPainter& painter_;
    // state mirrored here and applied to the painter when drawing
    QString family_;
    int height_ = 12;
    bool underline_ = false;
    Color penColor_ = Color::Black;
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    Color brushColor_ = Color::White;
    BrushStyle brushStyle_ = BrushStyle::Solid;
    QPoint pos_;
};

// The installed family that stands for a face: the face itself where installed, else IPAMincho
// for kMinchoFace, IPAGothic for kGothicFace and IPAPGothic for kPGothicFace. The pages and the
// window both take their faces from here.
QString resolveFace(const std::string& name);

// Empty when the faces found advance every half-width character by exactly half the pixel size;
// otherwise a message saying which face fails (digits would leave their squares).
QString checkFaces();

}  // namespace pelkano
