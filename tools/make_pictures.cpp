// Draws the nine type pictures from the types' own templates and writes them as baseline JFIF
// files page1.jpg ... page9.jpg, with templates.txt (the templates in text) beside them.
//
//   make_pictures OUTDIR
//
// The pictures are committed; run this again whenever a type's rule changes.
#include "PictureLayout.h"
#include "TypeRules.h"
#include "TypeTemplate.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <map>
#include <optional>
#include <string>

using namespace pelkano;
using namespace pelkano::pictures;

namespace {

const QColor kInk(0x20, 0x20, 0x20);

void drawTemplate(QPainter& painter, const PlacedTemplate& at, const TypeTemplate& t)
{
    const Figure& f = t.figure;
    const int c = at.cell;
    const int ox = at.origin.x;
    const int oy = at.origin.y;

    QFont zeroFont(QStringLiteral("DejaVu Sans"));
    zeroFont.setPixelSize(c + 1);
    zeroFont.setBold(true);
    painter.setFont(zeroFont);

    // A square for every free digit, the digit 0 itself where the type fixes it.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(QPen(kInk, 1));
    painter.setBrush(Qt::NoBrush);
    for (const FigureLine& line : f.lines) {
        for (int k = 0; k < static_cast<int>(line.digits.size()); ++k) {
            const Rect cell = at.cellRect(line.row, line.firstCell + k);
            if (line.digits[static_cast<std::size_t>(k)] == '0')
                painter.drawText(QRect(cell.x, cell.y - 1, c, c + 1), Qt::AlignCenter, QStringLiteral("0"));
            else
                painter.drawRect(QRect(cell.x + 1, cell.y + 1, c - 3, c - 3));
        }
    }

    // The bar over the dividend, from a quarter into the bracket's cell to a quarter short of the
    // right edge, and a line under every partial product across the dividend's cells.
    const int n = f.cells();
    const int bracket = f.bracketCell();
    painter.drawLine(ox + bracket * c + c / 4, oy + c, ox + n * c - c / 4, oy + c);
    for (const FigureLine& line : f.lines)
        if (line.kind == LineKind::Product) {
            const int y = oy + (line.row + 1) * c;
            painter.drawLine(ox + (bracket + 1) * c + 1, y, ox + n * c - 2, y);
        }

    // The bracket, bowing right in its cell below the bar.
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath curve;
    const double left = ox + bracket * c;
    const double top = oy + c + 0.5;
    curve.moveTo(left + 0.25 * c, top);
    curve.cubicTo(left + 0.85 * c, top + 0.3 * c, left + 0.85 * c, top + 0.7 * c, left + 0.25 * c, top + c - 1);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kInk, 1.6));
    painter.drawPath(curve);
}

bool writeJpeg(const QImage& image, const QString& path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    writer.setOptimizedWrite(false);
    writer.setProgressiveScanWrite(false);
    if (!writer.write(image)) {
        std::fprintf(stderr, "make_pictures: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures OUTDIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists()) {
        std::fprintf(stderr, "make_pictures: no directory %s\n", argv[1]);
        return 2;
    }

    const NumberTables tables = NumberTables::load();
    std::map<int, TypeTemplate> templates;
    std::map<int, TemplateSize> sizes;
    for (int type = 1; type <= kTypeCount; ++type) {
        try {
            TypeTemplate t = deriveTemplate(type, tables);
            sizes[type] = {t.cells(), t.rows()};
            templates.emplace(type, std::move(t));
        } catch (const UnsupportedType&) {
            std::fprintf(stderr, "make_pictures: type %d has no rule; its template is left out\n", type);
        }
    }

    std::string manifest =
        "# The written-division templates of the type pictures, as make_pictures derived them from\n"
        "# the types' rules: '#' is a free digit, '0' a digit that is 0 in every problem of the\n"
        "# template's shape. Cells count from 0 at the divisor's first digit; the bracket follows the\n"
        "# divisor. Row 0 is the quotient, row 1 divisor and dividend, the working follows.\n";
    bool ok = true;
    for (int page = 1; page <= kPageCount; ++page) {
        const PageLayout layout = layoutPage(page, sizes);
        QImage image(layout.width, layout.height, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            for (const PlacedTemplate& p : layout.placed)
                drawTemplate(painter, p, templates.at(p.type));
        }
        const QString name = QStringLiteral("page%1.jpg").arg(page);
        ok = writeJpeg(image.convertToFormat(QImage::Format_Grayscale8), out.filePath(name)) && ok;

        manifest += "\npage " + std::to_string(page) + ": " + std::to_string(layout.width) + " x "
            + std::to_string(layout.height) + " pixels, cells of " + std::to_string(layout.cell) + " pixels\n";
        for (const TypeBox& box : pageDesigns()[static_cast<std::size_t>(page - 1)].boxes) {
            const auto t = templates.find(box.type);
            manifest += t == templates.end() ? "type " + std::to_string(box.type) + ": no rule\n" : describe(t->second);
        }
        std::printf("%s: %d x %d, cells of %d pixels, %zu templates\n", qPrintable(name), layout.width,
                    layout.height, layout.cell, layout.placed.size());
    }

    QFile file(out.filePath(QStringLiteral("templates.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(manifest.data(), static_cast<qint64>(manifest.size())) != static_cast<qint64>(manifest.size())) {
        std::fprintf(stderr, "make_pictures: cannot write templates.txt\n");
        return 1;
    }
    return ok ? 0 : 1;
}
