// The page: DrawScale and S(x), the background, the header and where each figure of the grid
// lands on the preview and on a printed page.
#include "PageGeometry.h"
#include "PageLayout.h"
#include "PageOutput.h"
#include "Pages.h"
#include "Random.h"
#include "SheetCode.h"
#include "RecordingSurface.h"
#include "TypeSampling.h"

#include <QtTest>

using namespace pelkano;
using test::Call;
using test::Op;
using test::RecordingSurface;

namespace {

ProblemSheet sheetOf(int count, int printNumber = 7)
{
    ProblemSheet sheet;
    sheet.count = count;
    sheet.printNumber = printNumber;
    for (int k = 0; k < count; ++k) {
        sheet.dividends[static_cast<std::size_t>(k)] = std::to_string(1000 + k);
        sheet.divisors[static_cast<std::size_t>(k)] = std::to_string(2 + k);
    }
    return sheet;
}

// Figure origins: the top-left corners of the frames, after the page's background.
QList<QPoint> figureOrigins(const RecordingSurface& surface)
{
    QList<QPoint> out;
    const auto rects = surface.callsOf(Op::Rectangle);
    for (std::size_t i = 1; i < rects.size(); ++i)
        out << QPoint(rects[i].x, rects[i].y);
    return out;
}

QList<QPoint> grid(const QList<int>& xs, const QList<int>& ys)
{
    QList<QPoint> out;
    for (int y : ys)
        for (int x : xs)
            out << QPoint(x, y);
    return out;
}

// FNV-1a over every recorded call: operation, coordinates, value and text.
quint64 fingerprint(const std::vector<Call>& calls, quint64 hash = 14695981039346656037ull)
{
    const auto mix = [&hash](const std::string& s) {
        for (unsigned char ch : s) {
            hash ^= ch;
            hash *= 1099511628211ull;
        }
    };
    for (const Call& c : calls)
        mix(std::to_string(static_cast<int>(c.op)) + ',' + std::to_string(c.x) + ',' + std::to_string(c.y) + ',' +
            std::to_string(c.x2) + ',' + std::to_string(c.y2) + ',' + std::to_string(c.value) + ',' + c.text + ';');
    return hash;
}

// A sheet as the window builds it: the layout's count of distinct problems of types first..last.
ProblemSheet seededSheet(LayoutPattern pattern, int first, int last, std::uint64_t seed)
{
    SelectedTypes selected;
    for (int t = first; t <= last; ++t)
        selected.tick(t, true);
    SeededRandom random(seed);
    test::CollectingReporter reporter;
    RuleContext ctx{random, test::tables(), reporter};
    ProblemSheet sheet;
    sheet.printNumber = static_cast<int>(seed);
    buildSheet(sheet, pattern, selected, ctx);
    return sheet;
}

// The calls of a sheet's problem page and then its answer page. The answer page's "こたえ" (its
// face, height, text and the face set back) came after the fingerprints were recorded and is left out.
quint64 sheetFingerprint(const ProblemSheet& sheet, const RenderSettings& settings, QSize size)
{
    quint64 hash = 14695981039346656037ull;
    for (bool answers : {false, true}) {
        ProblemSheet page = sheet;
        page.showAnswers = answers;
        RecordingSurface surface;
        MakePrint(surface, size.width(), size.height(), page, settings);
        std::vector<Call> calls = surface.calls();
        const auto mark = std::find_if(calls.begin(), calls.end(),
                                       [](const Call& c) { return c.op == Op::Text && c.text == "こたえ"; });
        if (mark != calls.end())
            calls.erase(mark - 2, mark + 2);
        hash = fingerprint(calls, hash);
    }
    return hash;
}

// A sheet of "dividend/divisor" problems separated by blanks.
ProblemSheet sheetFrom(const QString& problems)
{
    ProblemSheet sheet;
    for (const QString& p : problems.split(u' ', Qt::SkipEmptyParts)) {
        const auto k = static_cast<std::size_t>(sheet.count++);
        sheet.dividends[k] = p.section(u'/', 0, 0).toStdString();
        sheet.divisors[k] = p.section(u'/', 1, 1).toStdString();
    }
    return sheet;
}

// The worked examples, the smaller first, on as many slots as the pattern has.
ProblemSheet workedExamples(LayoutPattern pattern)
{
    static const char* const problems[][2] = {{"612", "6"},  {"3", "7"},      {"23", "45"},     {"120", "6"},
                                              {"700", "7"},  {"96", "4"},     {"0", "5"},       {"1000", "8"},
                                              {"8765", "43"}, {"99999", "999"}, {"9693", "849"}, {"27303", "310"}};
    ProblemSheet sheet;
    sheet.count = problemCount(pattern);
    sheet.printNumber = 1;
    for (std::size_t k = 0; k < 12; ++k) {
        sheet.dividends[k] = problems[k][0];
        sheet.divisors[k] = problems[k][1];
    }
    return sheet;
}

// What a page shows of its figures: each frame (a rectangle with a clear brush), the question
// line of each figure (where its bracket stands) and every character of the figures' texts that
// does not lie within its own figure's frame. The expression stands above its frame and is not
// counted; the header comes before the first frame.
struct FigureReading {
    QList<QRect> frames;
    QList<QPoint> questionLines;
    int characters = 0;
    QStringList outside;
};

FigureReading readFigures(const std::vector<Call>& calls)
{
    FigureReading out;
    for (const Call& c : calls) {
        if (c.op == Op::Rectangle && c.state.brushStyle == BrushStyle::Clear)
            out.frames << QRect(QPoint(c.x, c.y), QPoint(c.x2, c.y2));
        if (c.op != Op::Text || out.frames.isEmpty() || c.text.find("÷") != std::string::npos)
            continue;
        if (c.text.find(')') != std::string::npos)
            out.questionLines << QPoint(c.x, c.y);
        int x = c.x;
        for (const std::string& ch : RecordingSurface::characters(c.text)) {
            const int w = RecordingSurface::widthAt(ch, c.state.fontHeight);
            if (ch != " ") {
                ++out.characters;
                const QPoint centre(x + w / 2, c.y + c.state.fontHeight / 2);
                if (!out.frames.back().contains(centre))
                    out.outside << QStringLiteral("'%1' of figure %2 at %3, %4")
                                       .arg(QString::fromStdString(ch)).arg(out.frames.size()).arg(centre.x()).arg(centre.y());
            }
            x += w;
        }
    }
    return out;
}

}  // namespace

class TestPageLayout : public QObject {
    Q_OBJECT
private slots:
    void drawScale_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<float>("expected");
        QTest::addColumn<QList<int>>("s3s5s15");

        QTest::addRow("preview") << 320 << 441 << 1.0f << QList<int>{3, 5, 15};
        QTest::addRow("A4 at 600 dpi, width bound") << 4960 << 7016 << 15.5f << QList<int>{46, 78, 232};
        QTest::addRow("height bound") << 4000 << 882 << 2.0f << QList<int>{6, 10, 30};
        QTest::addRow("width 0") << 0 << 7016 << 1.0f << QList<int>{3, 5, 15};
        QTest::addRow("negative width") << -320 << 441 << 1.0f << QList<int>{3, 5, 15};
        QTest::addRow("single precision") << 1000 << 5000 << 3.125f << QList<int>{9, 16, 47};
        QTest::addRow("not a float-exact ratio") << 333 << 1000 << static_cast<float>(333.0 / 320.0)
                                                 << QList<int>{3, 5, 16};
    }

    void drawScale()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(float, expected);
        QFETCH(QList<int>, s3s5s15);
        const Scale scale = Scale::fromSurface(width, height);
        QCOMPARE(scale.drawScale(), expected);
        QCOMPARE((QList<int>{scale.S(3), scale.S(5), scale.S(15)}), s3s5s15);
    }

    void gridOrigins_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("margin");
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addColumn<QList<QPoint>>("expected");

        const QSize preview(320, 441), a4(4960, 7016);
        QTest::addRow("3x3 preview") << 4 << 9 << 15 << preview << grid({15, 116, 217}, {50, 179, 308});
        QTest::addRow("2x2 preview") << 0 << 4 << 15 << preview << grid({15, 167}, {50, 244});
        QTest::addRow("4x2 preview") << 2 << 8 << 15 << preview << grid({15, 167}, {50, 147, 244, 341});
        QTest::addRow("2x2 A4") << 0 << 4 << 15 << a4 << grid({232, 232 + 2364}, {775, 775 + 3105});
        QTest::addRow("4x3 A4") << 5 << 12 << 15 << a4
                                << grid({232, 232 + 1576, 232 + 2 * 1576}, {775, 775 + 1552, 775 + 2 * 1552, 775 + 3 * 1552});
        QTest::addRow("short sheet of 7 in 3x3") << 4 << 7 << 15 << preview << grid({15, 116, 217}, {50, 244});
        QTest::addRow("8 problems drawn in 3 columns") << 3 << 8 << 15 << preview << grid({15, 116, 217}, {50, 244});
        QTest::addRow("2 problems in 3 columns") << 3 << 2 << 15 << preview << QList<QPoint>{};
        QTest::addRow("1 problem in 2 columns") << 0 << 1 << 15 << preview << QList<QPoint>{};
        QTest::addRow("no sheet yet") << 4 << 0 << 15 << preview << QList<QPoint>{};
        QTest::addRow("margin 70, 2 columns") << 0 << 4 << 70 << preview << grid({70, 195}, {50, 244});
        QTest::addRow("margin 70, 3 columns") << 3 << 6 << 70 << preview << grid({70, 153, 236}, {50, 244});
        QTest::addRow("margin 1") << 3 << 6 << 1 << preview << grid({1, 107, 213}, {50, 244});
        QTest::addRow("wide surface spreads columns") << 0 << 4 << 15 << QSize(640, 441) << grid({15, 327}, {50, 244});
    }

    void gridOrigins()
    {
        QFETCH(int, pattern);
        QFETCH(int, count);
        QFETCH(int, margin);
        QFETCH(QSize, surfaceSize);
        QFETCH(QList<QPoint>, expected);

        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        settings.leftMargin = margin;
        RecordingSurface surface;
        MakePrint(surface, surfaceSize.width(), surfaceSize.height(), sheetOf(count), settings);
        QCOMPARE(figureOrigins(surface), expected);
    }

    // Sheets whose figures all fit are drawn with the same calls, in the same order, at the same
    // coordinates as before crowded sheets were fitted: the fingerprints of their problem and answer
    // pages were recorded from the earlier drawing. Seed 0 stands for the worked examples. The 4段
    // sheets are of types whose workings fit the seven rows of their frame.
    void fittingSheetsUnchanged_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<int>("style");
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("seed");
        QTest::addColumn<int>("firstType");
        QTest::addColumn<int>("lastType");
        QTest::addColumn<quint64>("expected");

        QTest::addRow("2x2 written, preview, seed 1") << 0 << 0 << QSize(320, 441) << 15 << 1 << 1 << 78 << Q_UINT64_C(2763387281630862544);
        QTest::addRow("2x2 written, A4, seed 1") << 0 << 0 << QSize(4960, 7016) << 15 << 1 << 1 << 78 << Q_UINT64_C(2035993266709720641);
        QTest::addRow("2x2 written, A4, worked examples") << 0 << 0 << QSize(4960, 7016) << 15 << 0 << 1 << 78 << Q_UINT64_C(16021872457582966674);
        QTest::addRow("2x2 expression, preview, seed 1") << 0 << 1 << QSize(320, 441) << 15 << 1 << 1 << 78 << Q_UINT64_C(12255942081212408301);
        QTest::addRow("2x2 expression, A4, seed 1") << 0 << 1 << QSize(4960, 7016) << 15 << 1 << 1 << 78 << Q_UINT64_C(4586965527179925751);
        QTest::addRow("2x2 expression, A4, worked examples") << 0 << 1 << QSize(4960, 7016) << 15 << 0 << 1 << 78 << Q_UINT64_C(1640012171187878572);
        QTest::addRow("3x2 written, preview, seed 1") << 1 << 0 << QSize(320, 441) << 15 << 1 << 1 << 78 << Q_UINT64_C(11483950479311531842);
        QTest::addRow("3x2 written, A4, seed 1") << 1 << 0 << QSize(4960, 7016) << 15 << 1 << 1 << 78 << Q_UINT64_C(4652943334897216803);
        QTest::addRow("3x2 written, A4, worked examples") << 1 << 0 << QSize(4960, 7016) << 15 << 0 << 1 << 78 << Q_UINT64_C(12212084427559191498);
        QTest::addRow("3x2 expression, A4, seed 1") << 1 << 1 << QSize(4960, 7016) << 15 << 1 << 1 << 78 << Q_UINT64_C(11657626015364576491);
        QTest::addRow("3x2 expression, A4, worked examples") << 1 << 1 << QSize(4960, 7016) << 15 << 0 << 1 << 78 << Q_UINT64_C(3411712448451351935);
        QTest::addRow("4x2 written, preview, types 46-65, seed 1") << 2 << 0 << QSize(320, 441) << 15 << 1 << 46 << 65 << Q_UINT64_C(6260768790001754819);
        QTest::addRow("4x2 written, A4, types 46-65, seed 1") << 2 << 0 << QSize(4960, 7016) << 15 << 1 << 46 << 65 << Q_UINT64_C(7321153339668083927);
        QTest::addRow("4x2 written, A4, types 46-65, seed 3") << 2 << 0 << QSize(4960, 7016) << 15 << 3 << 46 << 65 << Q_UINT64_C(2209972837543768619);
        QTest::addRow("4x2 expression, preview, seed 7") << 2 << 1 << QSize(320, 441) << 15 << 7 << 1 << 78 << Q_UINT64_C(9676811916893749368);
        QTest::addRow("4x2 expression, A4, seed 7") << 2 << 1 << QSize(4960, 7016) << 15 << 7 << 1 << 78 << Q_UINT64_C(12400617997134598872);
        QTest::addRow("4x2 expression, A4, types 46-65, seed 3") << 2 << 1 << QSize(4960, 7016) << 15 << 3 << 46 << 65 << Q_UINT64_C(10674899012186691778);
        QTest::addRow("2x3 written, preview, seed 5") << 3 << 0 << QSize(320, 441) << 15 << 5 << 1 << 78 << Q_UINT64_C(15303407868772481190);
        QTest::addRow("2x3 written, A4, seed 5") << 3 << 0 << QSize(4960, 7016) << 15 << 5 << 1 << 78 << Q_UINT64_C(10826817420915399895);
        QTest::addRow("2x3 written, A4, worked examples") << 3 << 0 << QSize(4960, 7016) << 15 << 0 << 1 << 78 << Q_UINT64_C(13406945738321159968);
        QTest::addRow("2x3 expression, preview, seed 5") << 3 << 1 << QSize(320, 441) << 15 << 5 << 1 << 78 << Q_UINT64_C(7441528191036628284);
        QTest::addRow("2x3 expression, A4, seed 5") << 3 << 1 << QSize(4960, 7016) << 15 << 5 << 1 << 78 << Q_UINT64_C(12780313224570136546);
        QTest::addRow("2x3 expression, A4, worked examples") << 3 << 1 << QSize(4960, 7016) << 15 << 0 << 1 << 78 << Q_UINT64_C(14308633752148907738);
        QTest::addRow("3x3 written, preview, seed 2") << 4 << 0 << QSize(320, 441) << 15 << 2 << 1 << 78 << Q_UINT64_C(14336469283427378429);
        QTest::addRow("3x3 written, A4, seed 2") << 4 << 0 << QSize(4960, 7016) << 15 << 2 << 1 << 78 << Q_UINT64_C(17685461335999108940);
        QTest::addRow("3x3 written, A4, worked examples") << 4 << 0 << QSize(4960, 7016) << 15 << 0 << 1 << 78 << Q_UINT64_C(12293587244360838046);
        QTest::addRow("3x3 expression, A4, seed 2") << 4 << 1 << QSize(4960, 7016) << 15 << 2 << 1 << 78 << Q_UINT64_C(14306965384889954598);
        QTest::addRow("3x3 expression, A4, worked examples") << 4 << 1 << QSize(4960, 7016) << 15 << 0 << 1 << 78 << Q_UINT64_C(5697942937677139104);
        QTest::addRow("4x3 written, preview, types 46-65, seed 2") << 5 << 0 << QSize(320, 441) << 15 << 2 << 46 << 65 << Q_UINT64_C(17183201928658835867);
        QTest::addRow("4x3 written, A4, types 46-65, seed 2") << 5 << 0 << QSize(4960, 7016) << 15 << 2 << 46 << 65 << Q_UINT64_C(14681121363370265593);
        QTest::addRow("4x3 expression, preview, types 46-65, seed 7") << 5 << 1 << QSize(320, 441) << 15 << 7 << 46 << 65 << Q_UINT64_C(5009053203182921594);
        QTest::addRow("4x3 expression, A4, types 46-65, seed 7") << 5 << 1 << QSize(4960, 7016) << 15 << 7 << 46 << 65 << Q_UINT64_C(16934243107180008270);
        QTest::addRow("4x2 written, margin 70, printable area, types 46-65, seed 2") << 2 << 0 << QSize(4724, 6780) << 70 << 2 << 46 << 65 << Q_UINT64_C(5372748343984238659);
        QTest::addRow("2x3 written, margin 70, printable area, seed 11") << 3 << 0 << QSize(4724, 6780) << 70 << 11 << 1 << 78 << Q_UINT64_C(11445786427194030972);
        QTest::addRow("3x3 written, margin 70, printable area, seed 5") << 4 << 0 << QSize(4724, 6780) << 70 << 5 << 1 << 78 << Q_UINT64_C(12097669692833577317);
    }

    void fittingSheetsUnchanged()
    {
        QFETCH(int, pattern);
        QFETCH(int, style);
        QFETCH(QSize, surfaceSize);
        QFETCH(int, margin);
        QFETCH(int, seed);
        QFETCH(int, firstType);
        QFETCH(int, lastType);
        QFETCH(quint64, expected);

        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        settings.style = static_cast<QuestionStyle>(style);
        settings.leftMargin = margin;
        const ProblemSheet sheet = seed == 0 ? workedExamples(settings.pattern)
                                             : seededSheet(settings.pattern, firstType, lastType, static_cast<std::uint64_t>(seed));
        const Scale scale = Scale::fromSurface(surfaceSize.width(), surfaceSize.height());
        QCOMPARE(fitFigureCells(scale, surfaceSize.width(), surfaceSize.height(), sheet, settings),
                 figureCells(scale, settings.pattern));
        QCOMPARE(sheetFingerprint(sheet, settings, surfaceSize), expected);
    }

    // Sheets whose figures would overprint their neighbours or leave the page are drawn on the
    // largest whole-pixel cell at which no figure, with its answers, crosses the next column's
    // origin, the next row (and its expression band) or the page's edge; the problem page has
    // the same figures as the answer page. All on an A4 page at 600 dpi.
    void crowdedSheetsFitted_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("margin");
        QTest::addColumn<QString>("problems");
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("expression");  // 0: its own height
        QTest::addColumn<int>("frameRows");   // 0: the pattern's own

        QTest::addRow("4-digit by 2-digit figures in 2x3") << 3 << 0 << 15
                                                          << "6922/86 4038/99 8554/81 9908/97 9394/70 9712/76" << 225 << 0 << 0;
        QTest::addRow("27303/310 in the last column of 3x3")
            << 4 << 0 << 15 << "404/4 10/6 27303/310 93/16 444/4 48/6 730/8 814/8 438/85" << 175 << 0 << 0;
        QTest::addRow("eight rows of working over the expression below, 4x3")
            << 5 << 1 << 15
            << "3289/918 181/26 484/22 982/49 846/6 30450/697 55/16 873/65 504/43 477/3 181/27 166/29" << 174 << 0 << 8;
        QTest::addRow("margin 70 in 3x3") << 4 << 0 << 70 << "39/63 642/8 808/8 95/19 892/8 966/8 9693/849 457/3 94/19"
                                          << 161 << 0 << 0;
        QTest::addRow("expressions wider than their columns, margin 70 in 3x3")
            << 4 << 1 << 70 << "27303/310 642/8 9693/849 95/19 892/8 966/8 808/8 457/3 99989/997" << 143 << 129 << 0;
    }

    void crowdedSheetsFitted()
    {
        QFETCH(int, pattern);
        QFETCH(int, style);
        QFETCH(int, margin);
        QFETCH(QString, problems);
        QFETCH(int, cell);
        QFETCH(int, expression);
        QFETCH(int, frameRows);

        const int width = 4960, height = 7016;
        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        settings.style = static_cast<QuestionStyle>(style);
        settings.leftMargin = margin;
        ProblemSheet sheet = sheetFrom(problems);
        const Scale scale = Scale::fromSurface(width, height);
        const FigureCells fitted = fitFigureCells(scale, width, height, sheet, settings);
        QCOMPARE(fitted.cell, cell);
        QCOMPARE(fitted.expression, expression);
        FigureCells expected = figureCellsOf(cell, expression);
        expected.frameRows = frameRows;
        QCOMPARE(fitted, expected);

        const int columns = columnCount(settings.pattern), rows = sheet.count / columns;
        const int left = scale.S(margin), columnWidth = (width - left) / columns;
        const int top = scale.S(50), rowHeight = (height - scale.S(52)) / rows;
        const int band = style == 1 ? scale.S(10) : 0;
        QList<QRect> frames[2];
        for (bool answers : {false, true}) {
            sheet.showAnswers = answers;
            RecordingSurface surface;
            MakePrint(surface, width, height, sheet, settings);
            // Each figure's frame and texts, the frame first.
            QList<QRect> extents;
            for (const Call& c : surface.calls()) {
                if (c.op == Op::Rectangle && c.state.brushStyle == BrushStyle::Clear) {
                    frames[answers] << QRect(QPoint(c.x, c.y), QPoint(c.x2, c.y2));
                    extents << frames[answers].back();
                } else if (c.op == Op::Text && !extents.isEmpty()) {
                    extents.back() |= QRect(c.x, c.y, RecordingSurface::widthAt(c.text, c.state.fontHeight),
                                            c.state.fontHeight);
                }
            }
            QCOMPARE(extents.size(), sheet.count);
            for (int k = 0; k < sheet.count; ++k) {
                const int r = k / columns, c = k % columns;
                const int right = c + 1 < columns ? left + (c + 1) * columnWidth : width - 1;
                const int bottom = r + 1 < rows ? top + (r + 1) * rowHeight - band : height - 1;
                QVERIFY2(extents[k].right() <= right && extents[k].bottom() <= bottom,
                         qPrintable(QStringLiteral("figure %1 reaches %2, %3 past %4, %5")
                                        .arg(k + 1).arg(extents[k].right()).arg(extents[k].bottom()).arg(right).arg(bottom)));
            }
        }
        QCOMPARE(frames[0], frames[1]);
    }

    // Every digit of the working stands in a square of its figure's frame, and the problem page
    // has the same frames, with the questions in the same places, as its answer page: ten sheets
    // of all 78 types on an A4 page inside the paper margin, at 600 dpi.
    void workingStaysInItsFrame_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("tentative");
        static const char* const names[] = {"2x2", "3x2", "4x2", "2x3", "3x3", "4x3"};
        for (int pattern = 0; pattern < kLayoutPatternCount; ++pattern)
            for (int style : {0, 1})
                for (bool tentative : {false, true})
                    QTest::addRow("%s %s%s", names[pattern], style == 0 ? "written" : "expression",
                                  tentative ? ", tentative quotients" : "")
                        << pattern << style << tentative;
    }

    void workingStaysInItsFrame()
    {
        QFETCH(int, pattern);
        QFETCH(int, style);
        QFETCH(bool, tentative);
        const int width = 4724, height = 6780;
        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        settings.style = static_cast<QuestionStyle>(style);
        settings.tentative = tentative;
        int characters = 0;
        QStringList outside;
        for (std::uint64_t seed = 1; seed <= 10; ++seed) {
            ProblemSheet sheet = seededSheet(settings.pattern, 1, kTypeCount, seed);
            FigureReading pages[2];
            for (bool answers : {false, true}) {
                sheet.showAnswers = answers;
                RecordingSurface surface;
                MakePrint(surface, width, height, sheet, settings);
                pages[answers] = readFigures(surface.calls());
            }
            QCOMPARE(pages[1].frames.size(), sheet.count);
            QCOMPARE(pages[0].frames, pages[1].frames);
            if (settings.style == QuestionStyle::Written)  // the expression style's problem page has no question line
                QCOMPARE(pages[0].questionLines, pages[1].questionLines);
            characters += pages[1].characters;
            for (const QString& place : pages[1].outside)
                outside << QStringLiteral("sheet %1: %2").arg(seed).arg(place);
        }
        QVERIFY2(outside.isEmpty(), qPrintable(QStringLiteral("%1 of %2 characters outside the frame, first %3")
                                                   .arg(outside.size()).arg(characters).arg(outside.value(0))));
    }

    // The page's geometry is where MakePrint draws: each figure's frame and its grid lines along
    // the squares' edges, the question in the dividend row, the quotient's last digit over the
    // dividend's last, the name field and the code; on the pattern's own cells and on fitted ones.
    void geometryIsWhatIsDrawn_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QString>("problems");
        QTest::addColumn<bool>("tentative");
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addColumn<bool>("headerFields");
        QTest::addRow("2x3 own cells, A4") << 3 << "612/6 3/7 23/45 120/6 700/7 96/4" << false << QSize(4724, 6780)
                                           << false;
        QTest::addRow("2x3 fitted, A4") << 3 << "6922/86 4038/99 8554/81 9908/97 9394/70 9712/76" << false
                                        << QSize(4724, 6780) << false;
        QTest::addRow("4x3 longer frame, tentative rows, A4")
            << 5 << "404/4 10/6 93/16 444/4 48/6 730/8 814/8 438/85 61/7 99999/7 98765/4 90909/9" << true
            << QSize(4724, 6780) << false;
        QTest::addRow("3x2 preview") << 1 << "8765/43 612/6 3/7 23/45 99999/999 9693/849" << false << QSize(320, 441)
                                     << false;
        QTest::addRow("2x3 header fields, A4") << 3 << "612/6 3/7 23/45 120/6 700/7 96/4" << false << QSize(4724, 6780)
                                               << true;
        QTest::addRow("3x2 header fields, preview") << 1 << "8765/43 612/6 3/7 23/45 99999/999 9693/849" << false
                                                    << QSize(320, 441) << true;
    }

    void geometryIsWhatIsDrawn()
    {
        QFETCH(int, pattern);
        QFETCH(QString, problems);
        QFETCH(bool, tentative);
        QFETCH(QSize, surfaceSize);
        QFETCH(bool, headerFields);
        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        settings.tentative = tentative;
        settings.marks.headerFields = headerFields;
        ProblemSheet sheet = sheetFrom(problems);
        sheet.showAnswers = true;
        sheet.origin = SheetOrigin{{812345678, {5, 1, 30}, settings.pattern, true}, 3};
        const int width = surfaceSize.width(), height = surfaceSize.height();
        const PageGeometry page = pageGeometry(width, height, sheet, settings);
        RecordingSurface surface;
        MakePrint(surface, width, height, sheet, settings);

        QList<QRect> frames;
        QList<QList<QLine>> lines;
        QList<QPoint> questions, quotientEnds;
        for (const Call& c : surface.calls()) {
            if (c.op == Op::Rectangle && c.state.brushStyle == BrushStyle::Clear && c.y < page.figures.front().y) {
                continue;  // the header's score box
            } else if (c.op == Op::Rectangle && c.state.brushStyle == BrushStyle::Clear) {
                frames << QRect(QPoint(c.x, c.y), QPoint(c.x2 - 1, c.y2 - 1));
                lines << QList<QLine>();
            } else if (c.op == Op::LineTo && c.state.penStyle == PenStyle::Dot && !lines.isEmpty()) {
                lines.back() << QLine(c.x, c.y, c.x2, c.y2);
            } else if (c.op == Op::Text && !frames.isEmpty() && c.text.find(')') != std::string::npos) {
                questions << QPoint(c.x, c.y);
            } else if (c.op == Op::Text && quotientEnds.size() < frames.size() && c.state.fontHeight == page.cells.cell &&
                       !c.state.underline) {
                // The quotient: its last digit's text cell ends a quarter cell short of its square's right edge.
                quotientEnds << QPoint(c.x + RecordingSurface::widthAt(c.text, c.state.fontHeight), c.y);
            } else if (c.op == Op::Text && c.text.rfind("（", 0) == 0) {
                QCOMPARE(QPoint(c.x, c.y), QPoint(page.nameField.x, page.nameField.y));
                QCOMPARE(std::min(width - c.x, RecordingSurface::widthAt(c.text, c.state.fontHeight)), page.nameField.width);
            } else if (c.op == Op::Text && c.text.rfind("コード", 0) == 0) {
                QCOMPARE(QRect(c.x, c.y, RecordingSurface::widthAt(c.text, c.state.fontHeight), c.state.fontHeight),
                         QRect(page.codeText.x, page.codeText.y, page.codeText.width, page.codeText.height));
            }
        }
        QCOMPARE(int(page.figures.size()), sheet.count);
        QCOMPARE(frames.size(), sheet.count);
        QCOMPARE(quotientEnds.size(), sheet.count);
        for (const FigureGeometry& f : page.figures) {
            const int k = f.slot;
            const PixelRect box = f.frame();
            QCOMPARE(frames[k], QRect(box.x, box.y, box.width, box.height));
            QList<QLine> expected;
            for (int r = 1; r <= f.rows; ++r)
                expected << QLine(f.square(r, 0).x, f.square(r, 0).y, f.square(r, f.columns).x, f.square(r, 0).y);
            for (int c = 1; c <= f.columns; ++c)
                expected << QLine(f.square(0, c).x, f.square(0, c).y, f.square(0, c).x, f.square(f.rows, c).y);
            QCOMPARE(lines[k], expected);
            QCOMPARE(questions[k], QPoint(f.square(f.dividendRow, f.divisorColumn).x + page.cells.quarter,
                                          f.square(f.dividendRow, 0).y));
            const PixelPoint last = f.square(f.quotientRow, f.dividendColumn + f.dividendDigits - 1);
            QCOMPARE(quotientEnds[k].y(), last.y);
            QVERIFY(qAbs(quotientEnds[k].x() - (last.x + f.cell - page.cells.quarter)) <= 1);
        }
    }

    // The registration marks and the QR code are drawn where the geometry puts them, on the
    // surface, and clear of everything else drawn: the marks by any distance, the QR code by two
    // modules. Problem and answer pages, the code at the foot or (crowded) in the header.
    void marksAndCodeStandClear_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QString>("problems");
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addColumn<bool>("atTheFoot");
        QTest::addRow("2x3 A4") << 3 << "612/6 3/7 23/45 120/6 700/7 96/4" << QSize(4724, 6780) << true;
        QTest::addRow("3x3 A4") << 4 << "404/4 10/6 93/16 444/4 48/6 730/8 814/8 438/85 61/7" << QSize(4724, 6780)
                                << true;
        QTest::addRow("4x3 A4, frames longer than the pattern's")
            << 5 << "404/4 10/6 93/16 444/4 48/6 730/8 814/8 438/85 61/7 99999/7 98765/4 90909/9"
            << QSize(4724, 6780) << false;
        QTest::addRow("4x2 A4, wide figures") << 2 << "8765/43 612/6 3/7 23/45 99999/999 9693/849 27303/310 1000/8"
                                              << QSize(4724, 6780) << false;
        QTest::addRow("2x2 preview, a long working") << 0 << "612/6 3/7 23/45 99999/3" << QSize(320, 441) << false;
        QTest::addRow("2x2 preview") << 0 << "612/6 3/7 23/45 9999/3" << QSize(320, 441) << true;
    }

    void marksAndCodeStandClear()
    {
        QFETCH(int, pattern);
        QFETCH(QString, problems);
        QFETCH(QSize, surfaceSize);
        QFETCH(bool, atTheFoot);
        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        settings.lineWidth = 3;
        ProblemSheet sheet = sheetFrom(problems);
        sheet.origin = SheetOrigin{{812345678, {5, 1, 30}, settings.pattern, true}, 3};
        const int width = surfaceSize.width(), height = surfaceSize.height();
        const QRect surfaceRect(0, 0, width, height);
        for (bool answers : {false, true}) {
            sheet.showAnswers = answers;
            const PageGeometry page = pageGeometry(width, height, sheet, settings);
            QVERIFY(page.marked);
            QCOMPARE(page.qrText, encodeSheetCode({*sheet.origin, sheet.printNumber}));
            QVERIFY(page.qrModule > 0);
            const QRect qr(page.qr.x, page.qr.y, page.qr.width, page.qr.height);
            QCOMPARE(qr.top() > height / 2, atTheFoot);
            QList<QRect> marks;
            for (const PixelRect& m : page.marks)
                marks << QRect(m.x, m.y, m.width, m.height);
            const QRect quiet = qr.adjusted(-2 * page.qrModule, -2 * page.qrModule, 2 * page.qrModule, 2 * page.qrModule);
            QVERIFY(surfaceRect.contains(quiet));

            RecordingSurface surface;
            MakePrint(surface, width, height, sheet, settings);
            QList<QRect> solid;
            for (const Call& c : surface.calls()) {
                QRect box;
                if (c.op == Op::Rectangle && c.state.brushStyle == BrushStyle::Solid) {
                    if (c.state.brushColor == Color::Black)
                        solid << QRect(QPoint(c.x, c.y), QPoint(c.x2 - 1, c.y2 - 1));
                    continue;  // the marks, the code's modules and the white background
                }
                if (c.op == Op::Text)
                    box = QRect(c.x, c.y, RecordingSurface::widthAt(c.text, c.state.fontHeight), c.state.fontHeight);
                else if (c.op == Op::Rectangle)
                    box = QRect(QPoint(c.x, c.y), QPoint(c.x2 - 1, c.y2 - 1));
                else if (c.op == Op::LineTo)
                    box = QRect(QPoint(std::min(c.x, c.x2), std::min(c.y, c.y2)), QPoint(std::max(c.x, c.x2), std::max(c.y, c.y2)))
                              .adjusted(-c.state.penWidth, -c.state.penWidth, c.state.penWidth, c.state.penWidth);
                else
                    continue;
                const auto where = [&] {
                    return qPrintable(QStringLiteral("'%1' at %2, %3").arg(QString::fromStdString(c.text)).arg(c.x).arg(c.y));
                };
                QVERIFY2(!box.intersects(quiet), where());
                for (const QRect& m : marks)
                    QVERIFY2(!box.intersects(m), where());
            }
            QCOMPARE(solid.mid(0, 4), marks);
            for (const QRect& m : marks)
                QVERIFY(surfaceRect.contains(m));
            QVERIFY(solid.size() > 4);
            for (const QRect& module : solid.mid(4))
                QVERIFY(qr.contains(module));
        }
    }

    // Only a sheet whose scan can be read back carries the marks and the QR code: in the written
    // style, with its frame and its code, while the setting is on, on a surface with room for them.
    void marksOnlyWhereReadable_data()
    {
        QTest::addColumn<bool>("frame");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("marks");
        QTest::addColumn<bool>("code");
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("qr");  // the QR code drawn (alone, in the header, where not marked)
        const QSize a4(4724, 6780);
        QTest::addRow("written, frame, code") << true << 0 << true << true << a4 << true << true;
        QTest::addRow("setting off") << true << 0 << false << true << a4 << false << false;
        QTest::addRow("no frame") << false << 0 << true << true << a4 << false << true;
        QTest::addRow("expression") << true << 1 << true << true << a4 << false << true;
        QTest::addRow("no code") << true << 0 << true << false << a4 << false << false;
        QTest::addRow("surface of no size") << true << 0 << true << true << QSize(0, 0) << false << false;
    }

    void marksOnlyWhereReadable()
    {
        QFETCH(bool, frame);
        QFETCH(int, style);
        QFETCH(bool, marks);
        QFETCH(bool, code);
        QFETCH(QSize, surfaceSize);
        QFETCH(bool, marked);
        QFETCH(bool, qr);
        RenderSettings settings;
        settings.frame = frame;
        settings.style = static_cast<QuestionStyle>(style);
        settings.registrationMarks = marks;
        ProblemSheet sheet = sheetFrom("612/6 3/7 23/45 120/6 700/7 96/4");
        if (code)
            sheet.origin = SheetOrigin{{7, {1, 2, 3, 4}, settings.pattern, true}, 1};
        for (bool answers : {false, true}) {
            sheet.showAnswers = answers;
            const PageGeometry g = pageGeometry(surfaceSize.width(), surfaceSize.height(), sheet, settings);
            QCOMPARE(g.marked, marked);
            QCOMPARE(g.qrModules.size > 0, qr);
            if (qr && !marked)
                QVERIFY(g.qr.y + g.qr.height < surfaceSize.height() / 6);
            RecordingSurface surface;
            MakePrint(surface, surfaceSize.width(), surfaceSize.height(), sheet, settings);
            int solid = 0;
            for (const Call& c : surface.callsOf(Op::Rectangle))
                solid += c.state.brushStyle == BrushStyle::Solid && c.state.brushColor == Color::Black;
            QCOMPARE(solid > 0, marked || qr);
        }
    }

    // Figures are drawn in reading order, with the problem of each slot.
    void problemsInReadingOrder()
    {
        RenderSettings settings;
        settings.pattern = LayoutPattern::R3C2;
        settings.frame = false;
        RecordingSurface surface;
        MakePrint(surface, 320, 441, sheetOf(6), settings);
        QStringList lines;
        for (const Call& t : surface.callsOf(Op::Text))
            if (t.text.find(')') != std::string::npos)
                lines << QString::fromStdString(t.text).remove(u' ');
        QCOMPARE(lines, (QStringList{"2)1000", "3)1001", "4)1002", "5)1003", "6)1004", "7)1005"}));
    }

    // A sentence of bytes that start no character (a broken UTF-8 text) stays on its one line.
    void sentenceOfStrayBytes()
    {
        RenderSettings settings;
        settings.sentence = std::string(120, '\x80');
        RecordingSurface surface;
        const SentenceLines lines = sentenceLines(surface, Scale::fromSurface(320, 441), 320, settings);
        QCOMPARE(lines.lines, std::vector<std::string>{settings.sentence});
    }

    void header_data()
    {
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addColumn<int>("printNumber");
        QTest::addColumn<QString>("sentence");

        QTest::addRow("preview") << QSize(320, 441) << 1 << QString::fromUtf8(kDefaultSentence);
        QTest::addRow("A4 page") << QSize(4960, 7016) << 123 << QString::fromUtf8(kDefaultSentence);
        QTest::addRow("empty sentence") << QSize(320, 441) << 0 << QString();
        QTest::addRow("negative print number") << QSize(320, 441) << -4 << QStringLiteral("わり算をしよう");
    }

    void header()
    {
        QFETCH(QSize, surfaceSize);
        QFETCH(int, printNumber);
        QFETCH(QString, sentence);

        RenderSettings settings;
        settings.sentence = sentence.toStdString();
        RecordingSurface surface;
        const Scale scale = MakePrint(surface, surfaceSize.width(), surfaceSize.height(), sheetOf(0, printNumber), settings);
        QCOMPARE(scale.drawScale(), Scale::fromSurface(surfaceSize.width(), surfaceSize.height()).drawScale());

        // A white page first, then black outlines with a clear brush.
        const auto rects = surface.callsOf(Op::Rectangle);
        QCOMPARE(rects.size(), std::size_t(1));
        QCOMPARE((QList<int>{rects[0].x, rects[0].y, rects[0].x2, rects[0].y2}),
                 (QList<int>{0, 0, scale.S(319), scale.S(440)}));
        QCOMPARE(rects[0].state.brushStyle, BrushStyle::Solid);
        QCOMPARE(rects[0].state.brushColor, Color::White);
        QCOMPARE(rects[0].state.penColor, Color::White);

        struct Expected {
            const char* face;
            int height, x, y;
            std::string text;
        };
        const std::vector<Expected> expected{
            {kGothicFace, 5, 14, 10, "わり算"},
            {kMinchoFace, 5, 64, 10, "問題No." + std::to_string(printNumber)},
            {kMinchoFace, 14, 140, 10, "（　　　　　　　　　　　）"},
            {kMinchoFace, 9, 14, 25, sentence.toStdString()},
        };
        const auto texts = surface.callsOf(Op::Text);
        QCOMPARE(texts.size(), expected.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            QCOMPARE(QString::fromStdString(texts[i].text), QString::fromStdString(expected[i].text));
            QCOMPARE(QString::fromStdString(texts[i].state.fontName), QString::fromUtf8(expected[i].face));
            QCOMPARE(texts[i].state.fontHeight, scale.S(expected[i].height));
            QCOMPARE(QPoint(texts[i].x, texts[i].y), QPoint(scale.S(expected[i].x), scale.S(expected[i].y)));
            QCOMPARE(texts[i].state.underline, false);
            QCOMPARE(texts[i].state.brushStyle, BrushStyle::Clear);
            QCOMPARE(texts[i].state.penColor, Color::Black);
        }
        // Eleven full-width blanks between the parentheses.
        QCOMPARE(RecordingSurface::characters(expected[2].text).size(), std::size_t(13));
        // The figures keep the Mincho face the header left.
        QCOMPARE(QString::fromStdString(surface.state().fontName), QString::fromUtf8(kMinchoFace));
    }

    // The page hands the sheet's flag to every figure: answers show only while it is set, and
    // the header of an answer page says "こたえ".
    void answersFollowTheSheet_data()
    {
        QTest::addColumn<bool>("showAnswers");
        QTest::addColumn<int>("headerTexts");
        QTest::addColumn<int>("textsPerFigure");
        QTest::addRow("question sheet") << false << 4 << 2;   // bar and question line
        QTest::addRow("answer sheet") << true << 5 << 7;      // plus quotient, two products, two lines below
    }

    void answersFollowTheSheet()
    {
        QFETCH(bool, showAnswers);
        QFETCH(int, headerTexts);
        QFETCH(int, textsPerFigure);
        ProblemSheet sheet;
        sheet.count = 4;
        for (std::size_t k = 0; k < 4; ++k) {
            sheet.dividends[k] = "8765";
            sheet.divisors[k] = "43";
        }
        sheet.showAnswers = showAnswers;
        RenderSettings settings;
        settings.pattern = LayoutPattern::R2C2;
        RecordingSurface surface;
        MakePrint(surface, 320, 441, sheet, settings);
        const auto texts = surface.callsOf(Op::Text);
        QCOMPARE(static_cast<int>(texts.size()), headerTexts + 4 * textsPerFigure);
        QCOMPARE(texts[4].text == "こたえ", showAnswers);
    }

    // "こたえ" stands clear of the title, the print number at its longest, the name field and a
    // question sentence as wide as the page, and on the page, at every paper size and resolution.
    void answerMarkClearsTheHeader_data()
    {
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addRow("preview") << QSize(320, 441);
        for (const char* name : {"A3", "A4", "A5", "B4", "B5", "Letter", "Legal"})
            for (int dpi : {72, 1200})
                QTest::addRow("%s at %d dpi", name, dpi)
                    << PageSetup{*pageSizeByName(QString::fromLatin1(name)), dpi, 5}.printableRect().size();
    }

    void answerMarkClearsTheHeader()
    {
        QFETCH(QSize, surfaceSize);
        RenderSettings settings;
        settings.sentence = std::string(40 * 3, ' ');
        for (int i = 0; i < 40; ++i)
            settings.sentence.replace(static_cast<std::size_t>(3 * i), 3, "算");
        for (int printNumber : {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
            ProblemSheet sheet = sheetOf(0, printNumber);
            sheet.showAnswers = true;
            RecordingSurface surface;
            MakePrint(surface, surfaceSize.width(), surfaceSize.height(), sheet, settings);
            QList<QRect> boxes;
            for (const Call& t : surface.callsOf(Op::Text))
                boxes << QRect(t.x, t.y, RecordingSurface::widthAt(t.text, t.state.fontHeight), t.state.fontHeight);
            QCOMPARE(boxes.size(), 6);  // the long sentence on two lines
            const QRect mark = boxes.takeLast();
            QVERIFY(QRect(QPoint(0, 0), surfaceSize).contains(mark));
            for (const QRect& other : boxes)
                QVERIFY2(!mark.intersects(other), qPrintable(QStringLiteral("print number %1").arg(printNumber)));
        }
    }
    // What a drill sheet adds (the problem numbers, the header's fields, a long sentence, the check
    // under each worked figure) overprints nothing, keeps the foot clear, and the sentence is drawn
    // whole, in lines no wider than the room it has; in both styles, on the sheet and its answers.
    void marksOverprintNothing_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("numbers");
        QTest::addColumn<bool>("headerFields");
        QTest::addRow("written, circled, fields") << 0 << 1 << true;
        QTest::addRow("written, parens") << 0 << 2 << false;
        QTest::addRow("expression, circled") << 1 << 1 << false;
        QTest::addRow("expression, parens, fields") << 1 << 2 << true;
    }
    void marksOverprintNothing()
    {
        QFETCH(int, style);
        QFETCH(int, numbers);
        QFETCH(bool, headerFields);
        RenderSettings settings;
        settings.pattern = LayoutPattern::R4C3;
        settings.style = static_cast<QuestionStyle>(style);
        settings.marks = {static_cast<NumberStyle>(numbers), headerFields, true, false};
        settings.sentence.clear();
        for (int i = 0; i < 60; ++i)
            settings.sentence += i % 3 == 0 ? "計" : "a";
        ProblemSheet sheet;
        for (const char* p : {"404/4", "10/6", "93/16", "444/4", "48/6", "730/8", "814/8", "438/85", "61/7",
                              "99999/7", "98765/4", "90909/9"}) {
            const QString text = QString::fromLatin1(p);
            const auto k = static_cast<std::size_t>(sheet.count++);
            sheet.dividends[k] = text.section(u'/', 0, 0).toStdString();
            sheet.divisors[k] = text.section(u'/', 1, 1).toStdString();
        }
        sheet.origin = SheetOrigin{{3, {12}, LayoutPattern::R4C3, false}, 0};
        const QSize size(4960, 7016);
        const Scale scale = Scale::fromSurface(size.width(), size.height());
        for (bool answers : {false, true}) {
            sheet.showAnswers = answers;
            RecordingSurface surface;
            MakePrint(surface, size.width(), size.height(), sheet, settings);
            QList<QRect> marks, others;
            std::string sentence;
            for (const Call& t : surface.callsOf(Op::Text)) {
                const QRect box(t.x, t.y, RecordingSurface::widthAt(t.text, t.state.fontHeight), t.state.fontHeight);
                const bool isSentence = !t.text.empty() &&
                                        QString::fromStdString(t.text).remove(u'計').remove(u'a').isEmpty();
                if (isSentence) {
                    sentence += t.text;
                    QVERIFY(box.right() < size.width() - scale.S(14));
                }
                const bool isMark = isSentence || t.text.find("×") != std::string::npos || t.text == "名前" ||
                                    t.text == "点" || t.text.find("月") != std::string::npos ||
                                    t.text.rfind("(", 0) == 0 || t.text.rfind("\xE2\x91", 0) == 0;
                (isMark ? marks : others) << box;
            }
            QCOMPARE(sentence, settings.sentence);
            QCOMPARE(static_cast<int>(marks.size()) >= 12 + (answers ? 12 : 0), true);
            for (const QRect& m : marks) {
                QVERIFY(m.bottom() < size.height() - scale.S(11));
                for (const QRect& o : others)
                    QVERIFY2(!m.intersects(o), qPrintable(QStringLiteral("mark at %1,%2").arg(m.x()).arg(m.y())));
            }
        }
    }

    // The answer list follows each answer sheet, or each sheet when no answer sheets are asked for.
    void answerListPages_data()
    {
        QTest::addColumn<int>("answers");
        QTest::addColumn<QString>("kinds");  // s: sheet, a: answer sheet, l: answer list
        QTest::addRow("none") << static_cast<int>(AnswerSheets::None) << "slsl";
        QTest::addRow("after each") << static_cast<int>(AnswerSheets::AfterEach) << "salsal";
        QTest::addRow("at the end") << static_cast<int>(AnswerSheets::AtEnd) << "ssalal";
    }
    void answerListPages()
    {
        QFETCH(int, answers);
        QFETCH(QString, kinds);
        QString got;
        for (const ProblemSheet& page : pagesOf({sheetOf(4), sheetOf(4)}, static_cast<AnswerSheets>(answers), true))
            got += page.answerList ? u'l' : page.showAnswers ? u'a' : u's';
        QCOMPARE(got, kinds);
        QCOMPARE(QString::fromStdString(answerText("8765", "43")), QStringLiteral("203 あまり 36"));
        QCOMPARE(QString::fromStdString(checkText("8765", "43")), QStringLiteral("43×203+36=8765"));
        QCOMPARE(QString::fromStdString(checkText("612", "6")), QStringLiteral("6×102=612"));
    }

    // A sheet made from a recipe carries its code at the foot of its problem and answer pages,
    // ending where the header begins from the other side, and every figure stays clear above it.
    void codeAtTheFoot_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<QString>("problems");
        QTest::addColumn<QSize>("surfaceSize");
        QTest::addRow("4x3 A4, long working in the last row")
            << 5 << "404/4 10/6 93/16 444/4 48/6 730/8 814/8 438/85 61/7 99999/7 98765/4 90909/9"
            << QSize(4960, 7016);
        QTest::addRow("4x2 A4, long working in the last row")
            << 2 << "404/4 10/6 93/16 444/4 48/6 730/8 99999/7 98765/4" << QSize(4960, 7016);
        QTest::addRow("2x2 preview") << 0 << "612/6 3/7 23/45 99999/3" << QSize(320, 441);
    }

    void codeAtTheFoot()
    {
        QFETCH(int, pattern);
        QFETCH(QString, problems);
        QFETCH(QSize, surfaceSize);
        RenderSettings settings;
        settings.pattern = static_cast<LayoutPattern>(pattern);
        ProblemSheet sheet = sheetFrom(problems);
        sheet.printNumber = 12;
        sheet.origin = SheetOrigin{{812345678, {5, 1, 30}, settings.pattern, true}, 3};
        const std::string code = "コード " + encodeSheetCode({*sheet.origin, 12});
        const Scale scale = Scale::fromSurface(surfaceSize.width(), surfaceSize.height());
        const int top = surfaceSize.height() - scale.S(9);
        const int clear = surfaceSize.height() - scale.S(11);  // what the figures leave above it
        for (bool answers : {false, true}) {
            sheet.showAnswers = answers;
            RecordingSurface surface;
            MakePrint(surface, surfaceSize.width(), surfaceSize.height(), sheet, settings);
            int codes = 0;
            for (const Call& c : surface.calls()) {
                if (c.op == Op::Text && c.text == code) {
                    ++codes;
                    QCOMPARE(c.y, top);
                    QCOMPARE(c.x + RecordingSurface::widthAt(c.text, c.state.fontHeight), surfaceSize.width() - scale.S(14));
                    QCOMPARE(c.state.fontHeight, scale.S(5));
                    QCOMPARE(QString::fromStdString(c.state.fontName), QString::fromUtf8(kGothicFace));
                    continue;
                }
                const int bottom = c.op == Op::Text        ? c.y + c.state.fontHeight
                                   : c.op == Op::LineTo    ? std::max(c.y, c.y2) + 1
                                   : c.op == Op::Rectangle ? c.y2
                                                           : 0;
                if (c.op == Op::Rectangle && c.state.brushStyle == BrushStyle::Solid)
                    continue;  // the page's background
                QVERIFY2(bottom <= clear, qPrintable(QStringLiteral("%1 reaches %2, below %3 above the code")
                                                         .arg(QString::fromStdString(c.text)).arg(bottom).arg(clear)));
            }
            QCOMPARE(codes, 1);
        }
    }
};

QTEST_APPLESS_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"
