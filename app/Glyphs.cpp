#include "Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pelkano {
namespace {

// A small printer: paper in the tray, the body, and a paper coming out.
void drawPrinter(QPainter& p)
{
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);                    // paper in
    p.setBrush(QColor(150, 150, 160));
    p.drawRect(1, 6, 13, 5);                   // body
    p.setBrush(Qt::white);
    p.drawRect(3, 10, 9, 4);                   // paper out
    p.setPen(QColor(0, 160, 0));
    p.drawPoint(12, 8);                        // power lamp
}

}  // namespace

QPixmap glyphPixmap(Glyph glyph)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    switch (glyph) {
    case Glyph::Preview: {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.setBrush(Qt::white);
        p.drawRect(1, 0, 10, 13);              // the page
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (int y = 3; y <= 9; y += 3)
            p.drawLine(3, y, 8, y);
        p.setPen(QPen(QColor(20, 40, 120), 2));
        p.setBrush(QColor(190, 220, 255, 200));
        p.drawEllipse(QPointF(10, 9), 3.5, 3.5);  // the lens
        p.drawLine(QPointF(12.5, 11.5), QPointF(15, 14.5));
        break;
    }
    case Glyph::PrinterSetup: {
        drawPrinter(p);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(90, 60, 20), 2));
        p.drawLine(QPointF(9, 15), QPointF(15, 9));  // a spanner's handle
        p.setBrush(QColor(230, 190, 60));
        p.setPen(QPen(QColor(90, 60, 20), 1));
        p.drawEllipse(QPointF(14, 9.5), 2, 2);
        break;
    }
    case Glyph::Print:
        drawPrinter(p);
        break;
    case Glyph::PrintWithAnswers: {
        drawPrinter(p);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(210, 0, 0), 2));
        QPainterPath tick;
        tick.moveTo(8, 11);
        tick.lineTo(10.5, 14);
        tick.lineTo(15, 7);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);                      // the red tick of a marked answer
        break;
    }
    case Glyph::SavePdf: {
        p.setPen(QPen(QColor(30, 30, 30), 1));
        p.setBrush(Qt::white);
        p.drawRect(3, 0, 9, 11);               // the back sheet of the set
        p.drawRect(1, 2, 9, 11);               // the front sheet
        p.setPen(QPen(QColor(120, 120, 120), 1));
        for (int y = 5; y <= 9; y += 2)
            p.drawLine(3, y, 8, y);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(180, 0, 0), 2));
        p.drawLine(QPointF(12, 7), QPointF(12, 14));  // the arrow down into the file
        p.drawLine(QPointF(9.5, 11.5), QPointF(12, 14.5));
        p.drawLine(QPointF(14.5, 11.5), QPointF(12, 14.5));
        break;
    }
    case Glyph::Close: {
        p.setPen(QPen(QColor(60, 40, 20), 1));
        p.setBrush(QColor(170, 110, 50));
        p.drawRect(2, 1, 8, 14);               // the door
        p.setBrush(QColor(240, 200, 60));
        p.drawEllipse(7, 8, 2, 2);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 110, 0), 2));
        p.drawLine(QPointF(10, 8), QPointF(15, 8));  // the way out
        p.drawLine(QPointF(12.5, 5.5), QPointF(15, 8));
        p.drawLine(QPointF(12.5, 10.5), QPointF(15, 8));
        break;
    }
    }
    return pixmap;
}

QIcon glyphIcon(Glyph glyph)
{
    return QIcon(glyphPixmap(glyph));
}

}  // namespace pelkano
