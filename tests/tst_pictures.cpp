// The nine type pictures: committed baseline JFIF files of the right size, whose templates are
// the ones the types' rules give today, drawn where the layout puts them.
#include "PictureLayout.h"
#include "TypeRules.h"
#include "TypeSampling.h"
#include "TypeTemplate.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTest>

#include <map>
#include <optional>
#include <sstream>

using namespace pelkano;
using namespace pelkano::pictures;

namespace {

QString picturePath(int page)
{
    return QStringLiteral(PELKANO_SOURCE_DIR "/resources/pictures/page%1.jpg").arg(page);
}

// The template of every type that has a rule, derived once as the picture maker derives it.
const std::map<int, TypeTemplate>& templates()
{
    static const std::map<int, TypeTemplate> all = [] {
        std::map<int, TypeTemplate> m;
        for (int type = 1; type <= kTypeCount; ++type) {
            try {
                m.emplace(type, deriveTemplate(type, test::tables()));
            } catch (const UnsupportedType&) {
            }
        }
        return m;
    }();
    return all;
}

std::map<int, TemplateSize> sizes()
{
    std::map<int, TemplateSize> s;
    for (const auto& [type, t] : templates())
        s[type] = {t.cells(), t.rows()};
    return s;
}

// templates.txt cut into blocks: "type N" and "page N" each to their block of lines.
struct Manifest {
    std::map<int, std::string> types;
    std::map<int, std::string> pages;
};

const Manifest& manifest()
{
    static const Manifest m = [] {
        Manifest out;
        QFile file(QStringLiteral(PELKANO_SOURCE_DIR "/resources/pictures/templates.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return out;
        std::istringstream in(file.readAll().toStdString());
        std::string line;
        std::string* block = nullptr;
        while (std::getline(in, line)) {
            int n = 0;
            if (std::sscanf(line.c_str(), "type %d:", &n) == 1)
                block = &out.types[n];
            else if (std::sscanf(line.c_str(), "page %d:", &n) == 1)
                block = &out.pages[n];
            else if (line.empty() || line[0] != ' ')
                block = nullptr;
            if (block)
                *block += line + '\n';
        }
        return out;
    }();
    return m;
}

// One problem's figure in short: kind letter, row, first cell and digits of every line.
std::string compact(const Figure& f)
{
    std::string out;
    for (const FigureLine& line : f.lines) {
        const char letter = line.kind == LineKind::Dividend ? 'D' : kindName(line.kind)[0];
        if (!out.empty())
            out += ' ';
        out += letter;
        out += std::to_string(line.row) + ':' + std::to_string(line.firstCell) + ':' + line.digits;
    }
    return out;
}

int grey(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)); }

// The segment markers before the first scan of a JPEG file, or nullopt when it is not one.
std::optional<std::vector<int>> markersBeforeScan(const QByteArray& bytes)
{
    auto at = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() < 4 || at(0) != 0xFF || at(1) != 0xD8)
        return std::nullopt;
    std::vector<int> markers;
    qsizetype i = 2;
    while (i + 4 <= bytes.size()) {
        if (at(i) != 0xFF)
            return std::nullopt;
        const int marker = at(i + 1);
        markers.push_back(marker);
        if (marker == 0xDA)
            return markers;
        i += 2 + ((at(i + 2) << 8) | at(i + 3));
    }
    return std::nullopt;
}

}  // namespace

class PicturesTest : public QObject {
    Q_OBJECT

private slots:
    void figureCells_data();
    void figureCells();
    void pictureIsBaselineJfif_data();
    void pictureIsBaselineJfif();
    void pageLayoutKeepsTemplatesInTheirRoom_data();
    void pageLayoutKeepsTemplatesInTheirRoom();
    void pictureShowsTheTemplates_data();
    void pictureShowsTheTemplates();
    void templateOfType_data();
    void templateOfType();
    void templateMatchesTheRule_data();
    void templateMatchesTheRule();
};

void PicturesTest::figureCells_data()
{
    QTest::addColumn<int>("dividend");
    QTest::addColumn<int>("divisor");
    QTest::addColumn<QString>("cells");
    // q quotient, d divisor, D dividend, p product (underlined), w working, r final remainder.
    QTest::addRow("8765/43 skips a 0 digit")
        << 8765 << 43 << "q0:4:203 d1:0:43 D1:3:8765 p2:3:86 w3:4:165 p4:4:129 r5:5:36";
    QTest::addRow("612/6 brings down twice") << 612 << 6 << "q0:2:102 d1:0:6 D1:2:612 p2:2:6 w3:3:12 p4:3:12 r5:4:0";
    QTest::addRow("3/7 quotient 0") << 3 << 7 << "q0:2:0 d1:0:7 D1:2:3 p2:2:0 r3:2:3";
    QTest::addRow("23/45 quotient 0") << 23 << 45 << "q0:4:0 d1:0:45 D1:3:23 p2:4:0 r3:3:23";
    QTest::addRow("0/13") << 0 << 13 << "q0:3:0 d1:0:13 D1:3:0 p2:3:0 r3:3:0";
    QTest::addRow("120/6 trailing 0") << 120 << 6 << "q0:3:20 d1:0:6 D1:2:120 p2:2:12 r3:4:0";
    QTest::addRow("700/7 two zeros") << 700 << 7 << "q0:2:100 d1:0:7 D1:2:700 p2:2:7 r3:4:0";
    QTest::addRow("1000/8 three products")
        << 1000 << 8 << "q0:3:125 d1:0:8 D1:2:1000 p2:3:8 w3:3:20 p4:3:16 w5:4:40 p6:4:40 r7:5:0";
    QTest::addRow("1000/100") << 1000 << 100 << "q0:6:10 d1:0:100 D1:4:1000 p2:4:100 r3:7:0";
    QTest::addRow("84/4 digit on its own") << 84 << 4 << "q0:2:21 d1:0:4 D1:2:84 p2:2:8 w3:3:4 p4:3:4 r5:3:0";
}

void PicturesTest::figureCells()
{
    QFETCH(int, dividend);
    QFETCH(int, divisor);
    QFETCH(QString, cells);
    QCOMPARE(QString::fromStdString(compact(figureOf(LongDivision::of(dividend, divisor)))), cells);
}

void PicturesTest::pictureIsBaselineJfif_data()
{
    QTest::addColumn<int>("page");
    for (int page = 1; page <= kPageCount; ++page)
        QTest::addRow("page%d", page) << page;
}

void PicturesTest::pictureIsBaselineJfif()
{
    QFETCH(int, page);
    QFile file(picturePath(page));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.size() > 11 && bytes.mid(6, 5) == QByteArray("JFIF\0", 5));
    const auto markers = markersBeforeScan(bytes);
    QVERIFY2(markers.has_value(), "not a JPEG stream");
    QCOMPARE(markers->front(), 0xE0);  // APP0, the JFIF header, right after SOI
    int baseline = 0;
    for (int m : *markers) {
        baseline += m == 0xC0;
        // Every other start-of-frame kind (extended, progressive, lossless, arithmetic) is refused.
        const bool otherFrame = m >= 0xC1 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        QVERIFY2(!otherFrame, qPrintable(QStringLiteral("frame marker FF%1").arg(m, 2, 16)));
    }
    QCOMPARE(baseline, 1);

    QImageReader reader(file.fileName());
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.width(), kPictureWidth);
    QVERIFY(image.height() >= kMinPictureHeight && image.height() <= kMaxPictureHeight);
}

void PicturesTest::pageLayoutKeepsTemplatesInTheirRoom_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("firstType");
    QTest::addColumn<int>("lastType");
    const int ranges[kPageCount][2] = {{1, 10}, {11, 20}, {21, 30}, {31, 40}, {41, 48},
                                       {49, 56}, {57, 64}, {65, 72}, {73, 78}};
    for (int page = 1; page <= kPageCount; ++page)
        QTest::addRow("page%d", page) << page << ranges[page - 1][0] << ranges[page - 1][1];
}

void PicturesTest::pageLayoutKeepsTemplatesInTheirRoom()
{
    QFETCH(int, page);
    QFETCH(int, firstType);
    QFETCH(int, lastType);
    for (int type = firstType; type <= lastType; ++type)
        QCOMPARE(pageOfType(type), page);

    const PageLayout layout = layoutPage(page, sizes());
    const Rect picture{0, 0, layout.width, layout.height};
    QVERIFY(layout.height >= kMinPictureHeight && layout.height <= kMaxPictureHeight);
    QVERIFY2(layout.cell >= 10, "cells too small to read");
    for (const PlacedTemplate& p : layout.placed) {
        const Rect bounds = p.bounds();
        QVERIFY2(picture.contains(bounds), qPrintable(QStringLiteral("type %1").arg(p.type)));
        QVERIFY(p.slot.contains(bounds));
        QVERIFY(!p.box.intersects(bounds));  // the check box hides nothing of its template
        for (const PlacedTemplate& other : layout.placed) {
            if (other.type == p.type)
                continue;
            QVERIFY2(!other.box.intersects(bounds) && !other.bounds().intersects(bounds),
                     qPrintable(QStringLiteral("types %1 and %2").arg(p.type).arg(other.type)));
        }
    }
}

void PicturesTest::pictureShowsTheTemplates_data()
{
    pictureIsBaselineJfif_data();
}

// Every free digit is an empty square, every fixed zero a 0 without a square, the check box's
// place is clear, and nothing is drawn outside the templates.
void PicturesTest::pictureShowsTheTemplates()
{
    QFETCH(int, page);
    const PageLayout layout = layoutPage(page, sizes());
    const QImage image = QImageReader(picturePath(page)).read();
    QVERIFY(!image.isNull());
    QCOMPARE(image.height(), layout.height);

    QImage covered(image.size(), QImage::Format_Grayscale8);
    covered.fill(0);
    for (const PlacedTemplate& p : layout.placed) {
        const TypeTemplate& t = templates().at(p.type);
        const int c = p.cell;
        for (const FigureLine& line : t.figure.lines) {
            for (int k = 0; k < static_cast<int>(line.digits.size()); ++k) {
                const Rect cell = p.cellRect(line.row, line.firstCell + k);
                const int x0 = cell.x + 1, y0 = cell.y + 1, x1 = cell.x + c - 2, y1 = cell.y + c - 2;
                const int corners = std::max({grey(image, x0, y0), grey(image, x1, y0), grey(image, x0, y1),
                                              grey(image, x1, y1)});
                const QString where = QStringLiteral("type %1, %2 row %3 cell %4")
                                          .arg(p.type)
                                          .arg(kindName(line.kind))
                                          .arg(line.row)
                                          .arg(line.firstCell + k);
                if (line.digits[static_cast<std::size_t>(k)] == '0') {
                    int darkest = 255;
                    for (int y = cell.y; y < cell.y + c; ++y)
                        for (int x = cell.x; x < cell.x + c; ++x)
                            darkest = std::min(darkest, grey(image, x, y));
                    QVERIFY2(darkest < 100 && grey(image, x0, y0) > 170 && grey(image, x1, y1) > 170,
                             qPrintable(where + QStringLiteral(": not a 0")));
                } else {
                    QVERIFY2(corners < 140 && grey(image, cell.x + c / 2, cell.y + c / 2) > 200,
                             qPrintable(where + QStringLiteral(": not an empty square")));
                }
            }
        }
        const Rect b = p.bounds();
        for (int y = std::max(0, b.y - 1); y < std::min(image.height(), b.bottom() + 1); ++y)
            for (int x = std::max(0, b.x - 1); x < std::min(image.width(), b.right() + 1); ++x)
                covered.setPixel(x, y, 255);
    }
    int stray = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            stray += qGray(covered.pixel(x, y)) == 0 && grey(image, x, y) < 200;
    QCOMPARE(stray, 0);  // also keeps the check boxes' places clear
}

void PicturesTest::templateOfType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("cells");
    // '#' a free digit, '0' a digit fixed to 0.
    QTest::addRow("1: remainder 0 only half the time") << 1 << "q0:2:# d1:0:# D1:2:# p2:2:# r3:2:#";
    QTest::addRow("2: quotient 0") << 2 << "q0:2:0 d1:0:# D1:2:# p2:2:0 r3:2:#";
    QTest::addRow("3: two-digit dividend more often") << 3 << "q0:3:# d1:0:# D1:2:## p2:2:## r3:3:0";
    QTest::addRow("10: quotient ends in 0") << 10 << "q0:2:#0 d1:0:# D1:2:## p2:2:# r3:3:#";
    QTest::addRow("11: dividend ends in 0") << 11 << "q0:2:#0 d1:0:# D1:2:#0 p2:2:# r3:3:0";
    QTest::addRow("17: 400, 401, 700, 701 by 3")
        << 17 << "q0:2:### d1:0:# D1:2:#0# p2:2:# w3:2:#0 p4:3:# w5:3:## p6:4:# r7:4:#";
    QTest::addRow("20: third product of two digits more often")
        << 20 << "q0:2:### d1:0:# D1:2:### p2:2:# w3:3:# p4:3:# w5:3:## p6:3:## r7:4:#";
    QTest::addRow("24: every digit on its own")
        << 24 << "q0:2:### d1:0:# D1:2:### p2:2:# w3:3:# p4:3:# w5:4:# p6:4:# r7:4:0";
    QTest::addRow("29: tens digit of the quotient 0") << 29 << "q0:2:#0# d1:0:# D1:2:### p2:2:# w3:3:## p4:3:## r5:4:#";
    QTest::addRow("35: two zeros") << 35 << "q0:2:#00 d1:0:# D1:2:#00 p2:2:# r3:4:0";
    QTest::addRow("41: 100 to 107") << 41 << "q0:3:## d1:0:# D1:2:#0# p2:3:# w3:3:## p4:4:# r5:4:#";
    QTest::addRow("53: one-digit dividend, may be 0") << 53 << "q0:3:0 d1:0:## D1:3:# p2:3:0 r3:3:#";
    QTest::addRow("65: units digit is the remainder") << 65 << "q0:4:#0 d1:0:## D1:3:### p2:3:## r3:5:#";
    QTest::addRow("70: quotient ends in 00") << 70 << "q0:4:#00 d1:0:## D1:3:#### p2:3:## r3:5:##";
    QTest::addRow("73: four steps")
        << 73
        << "q0:4:#### d1:0:## D1:3:##### p2:3:## w3:3:### p4:3:### w5:4:### p6:4:### w7:5:### p8:5:### r9:6:##";
    QTest::addRow("78: tens digit 0, three-digit divisor")
        << 78 << "q0:6:#0# d1:0:### D1:4:##### p2:4:### w3:5:#### p4:5:#### r5:6:###";
}

void PicturesTest::templateOfType()
{
    QFETCH(int, type);
    QFETCH(QString, cells);
    const auto t = templates().find(type);
    if (t == templates().end())
        QSKIP("the type has no rule in this build");
    QCOMPARE(QString::fromStdString(compact(t->second.figure)), cells);
}

void PicturesTest::templateMatchesTheRule_data()
{
    QTest::addColumn<int>("type");
    for (int type = 1; type <= kTypeCount; ++type)
        QTest::addRow("type%d", type) << type;
}

// The committed text of each template is what the rule gives today, and its fixed zeros hold
// in problems drawn from another seed as well.
void PicturesTest::templateMatchesTheRule()
{
    QFETCH(int, type);
    const auto written = manifest().types.find(type);
    QVERIFY2(written != manifest().types.end(), "templates.txt has no entry for the type");
    const auto derived = templates().find(type);
    if (derived == templates().end()) {
        QCOMPARE(written->second, "type " + std::to_string(type) + ": no rule\n");
        QSKIP("the type has no rule in this build");
    }
    const TypeTemplate& t = derived->second;
    QVERIFY2(written->second == describe(t),
             qPrintable(QString::fromStdString("the pictures are older than the rule; run make_pictures\n"
                                               + written->second + "--- now ---\n" + describe(t))));

    const int page = pageOfType(type);
    const PageLayout layout = layoutPage(page, sizes());
    const std::string header = "page " + std::to_string(page) + ": " + std::to_string(layout.width) + " x "
        + std::to_string(layout.height) + " pixels, cells of " + std::to_string(layout.cell) + " pixels\n";
    QCOMPARE(manifest().pages.at(page), header);

    // Problems of another seed give the same template: the same most frequent shape, and the
    // same digits fixed to 0 (so each of them is 0 in every problem of that shape).
    const TypeTemplate again = deriveTemplate(type, test::tables(), kTemplateSamples, kTemplateSeed + 1000);
    QCOMPARE(QString::fromStdString(describe(again.figure)), QString::fromStdString(describe(t.figure)));

    // And worked directly, problem by problem.
    int sameShapes = 0;
    for (const auto& [problem, count] : test::sampleType(type, 1000, kTemplateSeed + 2000)) {
        const Figure f = figureOf(LongDivision::of(problem.first, problem.second));
        if (!sameShape(f, t))
            continue;
        ++sameShapes;
        QVERIFY2(zerosHold(f, t), qPrintable(QStringLiteral("%1 / %2 breaks a fixed 0:\n%3")
                                                 .arg(problem.first)
                                                 .arg(problem.second)
                                                 .arg(QString::fromStdString(describe(f)))));
    }
    QVERIFY(sameShapes > 0);
}

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
