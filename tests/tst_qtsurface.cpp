// The Qt surface with the installed faces: half-width characters advance by exactly half the
// font height on images and PDF pages, the digits of a worked figure land in their squares, and
// outlines and pens cover the pixels they should.
#include "Hissan.h"
#include "PageGeometry.h"
#include "PageOutput.h"
#include "SheetCode.h"
#include "QtSurface.h"

#include <QtTest>

#include <QBuffer>
#include <QImage>
#include <QPdfWriter>

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

using namespace pelkano;

namespace {

bool inked(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

// Horizontal extent of the ink in a box, or an empty pair when there is none.
QPair<int, int> inkColumns(const QImage& image, int left, int top, int right, int bottom)
{
    int first = -1, last = -1;
    for (int x = left; x < right; ++x)
        for (int y = top; y < bottom; ++y)
            if (inked(image, x, y)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

// Vertical extent of the ink in a box, or an empty pair when there is none.
QPair<int, int> inkRows(const QImage& image, int left, int top, int right, int bottom)
{
    int first = -1, last = -1;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (inked(image, x, y)) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

QImage whiteImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

}  // namespace

class TestQtSurface : public QObject {
    Q_OBJECT
private slots:
    void installedFacesKeepDigitsInSquares()
    {
        QCOMPARE(checkFaces(), QString());
        QVERIFY(!resolveFace(kMinchoFace).isEmpty());
        QVERIFY(resolveFace(kMinchoFace) != resolveFace(kGothicFace));
    }

    void halfWidthAdvance_data()
    {
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("height");
        for (bool pdf : {false, true})
            for (const char* face : {kMinchoFace, kGothicFace})
                for (int h : {12, 16, 46, 78, 155, 186, 248})
                    QTest::addRow("%s, %s, height %d", pdf ? "pdf" : "image", face, h)
                        << pdf << QString::fromUtf8(face) << h;
    }

    void halfWidthAdvance()
    {
        QFETCH(bool, pdf);
        QFETCH(QString, face);
        QFETCH(int, height);

        QImage image = whiteImage(8, 8);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        QPainter painter;
        QVERIFY(pdf ? painter.begin(&writer) : painter.begin(&image));
        QtSurface surface(painter);
        surface.setFontName(face.toStdString());
        surface.setFontHeight(height);
        QCOMPARE(surface.fontHeight(), height);
        const int half = (height + 1) / 2;  // odd heights: a character and a blank still span h
        for (const char* c : {"0", "1", "7", "9", " ", ")", "･"})
            QCOMPARE(surface.textWidth(c), half);
        QCOMPARE(surface.textWidth("8 7 6 5"), (7 * height + 1) / 2);
        QCOMPARE(surface.textWidth("4 3 ) 8 7 6 5 "), 7 * height);
        QCOMPARE(surface.textWidth("÷"), height);
        QCOMPARE(surface.textWidth("（　　　　　　　　　　　）"), 13 * height);
        surface.setFontUnderline(true);
        QCOMPARE(surface.textWidth("         "), (9 * height + 1) / 2);
        painter.end();
    }

    // A worked figure drawn with the real face: every digit's ink falls inside the middle half of
    // its own square, squares that should be empty stay white, and the bar and the lines under
    // the products run under exactly the cells they should.
    void digitsFallInsideTheirCells_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addRow("2x3 at DrawScale 4") << 3 << QSize(1280, 1764);
        QTest::addRow("3x3 at DrawScale 5") << 4 << QSize(1600, 2205);
        QTest::addRow("4x2 at DrawScale 3.5") << 2 << QSize(1120, 1544);
    }

    void digitsFallInsideTheirCells()
    {
        QFETCH(int, pattern);
        QFETCH(QSize, surfaceSize);
        const Scale scale = Scale::fromSurface(surfaceSize.width(), surfaceSize.height());
        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        settings.frame = false;
        const int cellUnits = pattern == 3 ? 16 : 12;
        const int C = scale.S(cellUnits);
        const int x = 40, y = 30;

        QImage image = whiteImage(x + 8 * C, y + 7 * C);
        {
            QPainter painter(&image);
            QtSurface surface(painter);
            surface.setFontName(kMinchoFace);
            surface.setPenColor(Color::Black);
            surface.setBrushStyle(BrushStyle::Clear);
            Hissan(surface, scale, x, y, "8765", "43", ")", settings, true);
        }

        const QStringList rows{"    203", "43)8765", "   86  ", "    165", "    129", "     36"};
        // Underlined cells of rows 0, 2 and 4, as first and last cell.
        const QMap<int, QPair<int, int>> underlined{{0, {2, 6}}, {2, {3, 6}}, {4, {3, 6}}};
        for (int r = 0; r < rows.size(); ++r) {
            for (int j = 0; j < 7; ++j) {
                const int left = x + j * C, top = y + r * C;
                // Digits stand between a tenth and seventeen twentieths of the cell down; the
                // underline lies on the cell's bottom line, reaching a twentieth either side of it.
                const auto ink = inkColumns(image, left + 1, top + C / 10, left + C - 1, top + C * 4 / 5);
                const bool digit = rows[r][j] != u' ';
                QVERIFY2((ink.first >= 0) == digit, qPrintable(QStringLiteral("row %1 cell %2").arg(r).arg(j)));
                if (digit && rows[r][j] != u')') {
                    QVERIFY2(ink.first >= left + C / 4 - 2 && ink.second <= left + 3 * C / 4 + 2,
                             qPrintable(QStringLiteral("row %1 cell %2: ink %3..%4, cell %5..%6")
                                            .arg(r).arg(j).arg(ink.first).arg(ink.second).arg(left).arg(left + C)));
                }
                if (rows[r][j] == u')')
                    continue;  // the bracket reaches below the baseline
                const auto line = inkColumns(image, left + 1, top + C * 19 / 20, left + C - 1, top + C + C / 20);
                const bool under = underlined.contains(r) && j >= underlined[r].first && j <= underlined[r].second;
                QVERIFY2((line.first >= 0) == under, qPrintable(QStringLiteral("underline row %1 cell %2").arg(r).arg(j)));
            }
        }
    }

    // The text cell is the em square: the underline that forms the bar lies on the cell's bottom
    // line, within the line's own thickness, and each digit's ink stands in the middle of its
    // cell (the faces' digits sit a little high in their em square: 2 to 3.5 % of the cell).
    void textSitsInItsCell_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("cell");
        for (const char* face : {kMinchoFace, kGothicFace})
            for (int cell : {186, 248})  // A4 at 600 dpi: 12 and 16 layout units
                QTest::addRow("%s, cell %d", face, cell) << QString::fromUtf8(face) << cell;
    }

    void textSitsInItsCell()
    {
        QFETCH(QString, face);
        QFETCH(int, cell);
        const int y = 2 * cell;
        // Ink rows of a text drawn with its cell's top at y, relative to y.
        const auto inkOf = [&](const std::string& text, bool underline) {
            QImage image = whiteImage(2 * cell, 4 * cell);
            {
                QPainter painter(&image);
                QtSurface surface(painter);
                surface.setFontName(face.toStdString());
                surface.setFontHeight(cell);
                surface.setBrushStyle(BrushStyle::Clear);
                surface.setFontUnderline(underline);
                surface.textOut(cell / 2, y, text);
            }
            const auto ink = inkRows(image, 0, 0, image.width(), image.height());
            return QPair<int, int>(ink.first - y, ink.second - y);
        };

        const auto bar = inkOf("   ", true);
        const int thickness = bar.second - bar.first + 1;
        qInfo("bar: ink rows %d..%d, the cell's bottom line at %d", bar.first, bar.second, cell);
        QVERIFY(bar.first >= cell - thickness && bar.second <= cell + thickness);

        for (char digit = '0'; digit <= '9'; ++digit) {
            const auto ink = inkOf(std::string(1, digit), false);
            const double offset = (ink.first + ink.second + 1) / 2.0 - cell / 2.0;
            qInfo("'%c': ink rows %d..%d of 0..%d, centre %+.1f px", digit, ink.first, ink.second, cell, offset);
            QVERIFY2(std::abs(offset) <= cell / 20.0, qPrintable(QStringLiteral("'%1' off by %2").arg(digit).arg(offset)));
        }
    }

    // The outline covers x1..x2-1 by y1..y2-1 whatever the pen width, and the pen is as many
    // device pixels wide as set.
    // Where a page is drawn on its paper: the margin taken from every side, in whole pixels.
    void printableArea_data()
    {
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("margin");  // millimetres
        QTest::addColumn<QRect>("area");
        QTest::addRow("A4, 600 dpi, 5 mm") << 600 << 5 << QRect(118, 118, 4724, 6780);
        QTest::addRow("A4, 100 dpi, 20 mm") << 100 << 20 << QRect(79, 79, 668, 1012);
        QTest::addRow("A4, 600 dpi, no margin") << 600 << 0 << QRect(0, 0, 4960, 7016);
    }

    void printableArea()
    {
        QFETCH(int, dpi);
        QFETCH(int, margin);
        QFETCH(QRect, area);
        QCOMPARE((PageSetup{QPageSize(QPageSize::A4), dpi, margin}.printableRect()), area);
    }

    void rectangleAndPenWidth_data()
    {
        QTest::addColumn<int>("width");
        for (int w = 1; w <= 4; ++w)
            QTest::addRow("pen %d", w) << w;
    }

    void rectangleAndPenWidth()
    {
        QFETCH(int, width);
        QImage image = whiteImage(60, 60);
        {
            QPainter painter(&image);
            QtSurface surface(painter);
            surface.setPenColor(Color::Black);
            surface.setPenStyle(PenStyle::Solid);
            surface.setPenWidth(width);
            surface.setBrushStyle(BrushStyle::Clear);
            surface.rectangle(10, 10, 30, 30);
            surface.moveTo(5, 45);
            surface.lineTo(55, 45);
        }
        for (int i = 0; i < width; ++i) {
            QVERIFY(inked(image, 10 + i, 20));
            QVERIFY(inked(image, 29 - i, 20));
            QVERIFY(inked(image, 20, 10 + i));
            QVERIFY(inked(image, 20, 29 - i));
        }
        QVERIFY(!inked(image, 9, 20));
        QVERIFY(!inked(image, 30, 20));
        QVERIFY(!inked(image, 20, 9));
        QVERIFY(!inked(image, 20, 30));
        QVERIFY(!inked(image, 10 + width, 20));
        int thickness = 0;
        for (int y = 35; y < 55; ++y)
            thickness += inked(image, 30, y) ? 1 : 0;
        QCOMPARE(thickness, width);
    }

    // The page background: a solid white rectangle; text stays black whatever the pen's colour.
    void backgroundAndText()
    {
        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            QtSurface surface(painter);
            surface.setBrushStyle(BrushStyle::Solid);
            surface.setBrushColor(Color::White);
            surface.setPenColor(Color::White);
            surface.rectangle(0, 0, 150, 100);
            surface.setBrushStyle(BrushStyle::Clear);
            surface.setFontName(kMinchoFace);
            surface.setFontHeight(40);
            surface.textOut(10, 10, "8");
        }
        QVERIFY(!inked(image, 149, 99));
        QVERIFY(inked(image, 150, 50));
        QVERIFY(inkColumns(image, 10, 10, 30, 50).first >= 0);
    }

    // The QR code drawn on a page reads back as the sheet's code, as printed, at the resolutions
    // a scanner gives: large at the foot, smaller at the foot of a 3段 sheet, and in the header of
    // a sheet whose figures leave the foot too little room; a long code and a short one.
    void qrCodeReadsBack_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QString>("problems");
        QTest::addColumn<qulonglong>("seed");
        QTest::addColumn<int>("dpi");
        const struct {
            const char* name;
            int pattern;
            const char* problems;
            qulonglong seed;
        } pages[] = {
            {"2x3", 3, "612/6 3/7 23/45 120/6 700/7 96/4", 7},
            {"3x3", 4, "404/4 10/6 93/16 444/4 48/6 730/8 814/8 438/85 61/7", 1765290000123456789ull},
            {"4x3 crowded", 5, "404/4 10/6 93/16 444/4 48/6 730/8 814/8 438/85 61/7 99999/7 98765/4 90909/9",
             1765290000123456789ull},
        };
        for (const auto& page : pages)
            for (int dpi : {150, 300, 600})
                QTest::addRow("%s, %d dpi", page.name, dpi) << page.pattern << page.problems << page.seed << dpi;
    }

    void qrCodeReadsBack()
    {
        QFETCH(int, pattern);
        QFETCH(QString, problems);
        QFETCH(qulonglong, seed);
        QFETCH(int, dpi);
        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        ProblemSheet sheet;
        for (const QString& p : problems.split(u' ')) {
            const auto k = static_cast<std::size_t>(sheet.count++);
            sheet.dividends[k] = p.section(u'/', 0, 0).toStdString();
            sheet.divisors[k] = p.section(u'/', 1, 1).toStdString();
        }
        sheet.printNumber = 3;
        sheet.origin = SheetOrigin{{seed, {1, 2, 3, 4}, settings.pattern, false}, 2};
        const PageSetup setup{QPageSize(QPageSize::A4), dpi, 5};
        const QRect area = setup.printableRect();
        const PageGeometry page = pageGeometry(area.width(), area.height(), sheet, settings);
        QVERIFY(page.qrModule > 0);

        const QImage image = renderPage(sheet, settings, setup);
        // The code with four modules around it, the neighbours that reach in included.
        const int m = 4 * page.qrModule;
        const QImage code = image.copy(QRect(area.x() + page.qr.x - m, area.y() + page.qr.y - m, page.qr.width + 2 * m,
                                             page.qr.height + 2 * m));
        const ZXing::Results read = ZXing::ReadBarcodes(
            ZXing::ImageView(code.constBits(), code.width(), code.height(), ZXing::ImageFormat::Lum,
                             static_cast<int>(code.bytesPerLine())),
            ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode));
        QCOMPARE(read.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(read.front().text()), QString::fromStdString(page.qrText));
        QCOMPARE(page.qrText, encodeSheetCode({*sheet.origin, sheet.printNumber}));
    }
};

QTEST_MAIN(TestQtSurface)
#include "tst_qtsurface.moc"
