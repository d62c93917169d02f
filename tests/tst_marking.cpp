// Marking a scanned page: found and mapped when turned and shrunk as a printer and a scanner
// would, every problem of a written sheet judged, and every page that cannot be read said why.
#include "Mark.h"
#include "MarkDrawing.h"
#include "Marking.h"
#include "MarkingReport.h"
#include "NumberTable.h"
#include "PageGeometry.h"
#include "PageOutput.h"
#include "QtSurface.h"
#include "Recognizer.h"
#include "RecordingSurface.h"
#include "ScanGeometry.h"
#include "WorkingReader.h"

#include <QPainter>
#include <QtTest>

#define ZX_USE_UTF8 1
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <cmath>

using namespace pelkano;
using namespace pelkano::marking;

namespace {

class NoWarnings final : public Reporter {
public:
    void warn(const std::string&) override {}
};

ProblemSheet sheetOf(LayoutPattern pattern, std::uint64_t seed)
{
    const NumberTables tables = NumberTables::load();
    SeededRandom random(seed);
    NoWarnings reporter;
    RuleContext ctx{random, tables, reporter};
    ProblemSheet out;
    buildSheets({seed, {1, 2, 3, 4, 12, 20, 47}, pattern, false}, 0, 1, 7, ctx,
                [&out](long long, const ProblemSheet& sheet, bool) {
                    out = sheet;
                    return true;
                });
    return out;
}

RenderSettings settingsOf(LayoutPattern pattern)
{
    RenderSettings settings;
    settings.pattern = pattern;
    return settings;
}

PageSetup setupAt(int dpi)
{
    PageSetup setup;
    setup.dpi = dpi;
    return setup;
}

// The page's geometry as drawn on the paper of the setup.
PageGeometry drawnGeometry(const ProblemSheet& sheet, const RenderSettings& settings, const PageSetup& setup)
{
    const QRect area = setup.printableRect();
    return pageGeometry(area.width(), area.height(), sheet, settings);
}

// The paper turned by `degrees` about its centre and shrunk to `scale`, on white paper of the same size.
QImage scanned(const QImage& paper, double degrees, double scale, QTransform& paperToScan)
{
    const QPointF centre(paper.width() / 2.0, paper.height() / 2.0);
    paperToScan = QTransform().translate(centre.x(), centre.y()).rotate(degrees).scale(scale, scale).translate(-centre.x(), -centre.y());
    QImage scan(paper.size(), QImage::Format_Grayscale8);
    scan.fill(Qt::white);
    QPainter painter(&scan);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(paperToScan);
    painter.drawImage(0, 0, paper);
    return scan;
}

void fillWhite(QImage& paper, const QRect& area, const PixelRect& r)
{
    QPainter painter(&paper);
    painter.fillRect(QRect(area.x() + r.x, area.y() + r.y, r.width, r.height), Qt::white);
}

// A worked problem sheet: the answer sheet without its "こたえ", its digits in the sheet's own face.
QImage workedSheet(const ProblemSheet& sheet, const RenderSettings& settings, const PageSetup& setup)
{
    ProblemSheet answers = sheet;
    answers.showAnswers = true;
    QImage paper = renderPage(answers, settings, setup);
    fillWhite(paper, setup.printableRect(), drawnGeometry(sheet, settings, setup).answerMark);
    return paper;
}

// Whether the recognizer reads digits yet (a build without its weights reads every square blank).
bool recognizerReads()
{
    GreyImage crop;
    crop.width = crop.height = 28;
    crop.pixels.assign(28 * 28, 255);
    for (int y = 4; y < 24; ++y)
        for (int x = 12; x < 16; ++x)
            crop.pixels[static_cast<std::size_t>(y * 28 + x)] = 0;
    const CellScores s = recognizeCell(crop);
    return s[kBlank] < 0.5f;
}

CellScores sure(int c)
{
    CellScores s{};
    s[static_cast<std::size_t>(c)] = 1;
    return s;
}

}  // namespace

class TestMarking : public QObject {
    Q_OBJECT
private slots:
    // A quotient's square loses the bar's line along its foot, but a digit standing on the bar
    // keeps its foot.
    void barTakenOutOfAQuotientSquare()
    {
        GreyImage crop;
        crop.width = crop.height = 100;  // the edge band 8 pixels deep, the foot's 14
        crop.pixels.assign(100 * 100, 255);
        const auto at = [&crop](int x, int y) -> std::uint8_t& { return crop.pixels[static_cast<std::size_t>(y * 100 + x)]; };
        for (int x = 0; x < 100; ++x)
            at(x, 90) = at(x, 91) = 0;  // the bar
        for (int y = 20; y < 90; ++y)
            at(50, y) = at(51, y) = 0;  // a stroke down to it
        whitenEdges(crop, true);
        QCOMPARE(int(at(20, 90)), 255);
        QCOMPARE(int(at(50, 87)), 0);
        QCOMPARE(int(at(50, 89)), 255);  // next to the bar
    }

    // The kind written beside the first wrong row stays on the page: at its size where there is
    // room, smaller or moved left at the page's right edge.
    void kindStaysOnThePage_data()
    {
        QTest::addColumn<double>("right");  // the row's right end; the page is 1000 wide
        QTest::addColumn<bool>("fullSize");
        QTest::addRow("room to the right") << 500.0 << true;
        QTest::addRow("near the right edge") << 900.0 << false;
        QTest::addRow("at the right edge") << 1000.0 << false;
    }
    void kindStaysOnThePage()
    {
        QFETCH(double, right);
        QFETCH(bool, fullSize);
        PageResult page;
        page.status = PageStatus::Marked;
        page.pageToScan = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        page.pageWidth = 1000;
        ProblemMark& wrong = page.problems.emplace_back();
        wrong.verdict = Verdict::Wrong;
        wrong.mistake.emplace().kind = MistakeKind::QuotientTooSmall;
        wrong.mistakeRow = Quad{Point{right - 200, 200}, Point{right, 200}, Point{right, 240}, Point{right - 200, 240}};
        test::RecordingSurface surface;
        drawMarks(surface, page, 1000, 1400);
        const std::string name = mistakeName(MistakeKind::QuotientTooSmall);
        const test::Call c = surface.callsOf(test::Op::Text).front();
        QCOMPARE(c.text, name);
        QVERIFY(c.x >= 0 && c.x + test::RecordingSurface::widthAt(name, c.state.fontHeight) <= 1000);
        QCOMPARE(c.state.fontHeight == 28, fullSize);
    }

    // The marks and the QR code are found however the page was printed and scanned, and every
    // square of the page lands within a pixel of where it stands on the scan.
    void pageFoundAndMapped_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("dpi");
        // How far a square may land from where it stands: a pixel, or a pixel and a half on a
        // coarse scan turned and shrunk.
        QTest::addColumn<double>("tolerance");
        QTest::addColumn<int>("cut");  // a mark cut off the scan (a MarkCorner), or -1
        QTest::addRow("3x3 as printed") << int(LayoutPattern::R3C3) << 0.0 << 1.0 << 15 << 600 << 1.0 << -1;
        QTest::addRow("2x3 turned 3 degrees, 95 %%") << int(LayoutPattern::R2C3) << 3.0 << 0.95 << 15 << 600 << 1.0 << -1;
        QTest::addRow("4x3 turned -4 degrees, 95 %%") << int(LayoutPattern::R4C3) << -4.0 << 0.95 << 15 << 600 << 1.0 << -1;
        QTest::addRow("2x2 upside down") << int(LayoutPattern::R2C2) << 180.0 << 1.0 << 15 << 600 << 1.0 << -1;
        QTest::addRow("3x2 with a left margin of 40") << int(LayoutPattern::R3C2) << 1.0 << 0.97 << 40 << 600 << 1.0 << -1;
        // Laid out in whole pixels of another resolution, with the QR code's modules smaller beside
        // the page than at 600 dpi.
        QTest::addRow("4x3 printed at 300 dpi") << int(LayoutPattern::R4C3) << 0.0 << 1.0 << 15 << 300 << 1.0 << -1;
        QTest::addRow("3x3 printed at 200 dpi") << int(LayoutPattern::R3C3) << 1.0 << 0.97 << 15 << 200 << 1.5 << -1;
        QTest::addRow("4x3 turned 2 degrees, its top right mark cut off")
            << int(LayoutPattern::R4C3) << 2.0 << 0.96 << 15 << 600 << 1.5 << int(MarkCorner::TopRight);
    }
    void pageFoundAndMapped()
    {
        QFETCH(int, pattern);
        QFETCH(double, degrees);
        QFETCH(double, scale);
        QFETCH(int, margin);
        QFETCH(int, dpi);
        QFETCH(double, tolerance);
        QFETCH(int, cut);
        const auto layout = static_cast<LayoutPattern>(pattern);
        const ProblemSheet sheet = sheetOf(layout, 11);
        RenderSettings settings = settingsOf(layout);
        settings.leftMargin = margin;
        const PageSetup setup = setupAt(dpi);
        QTransform paperToScan;
        QImage scan = scanned(renderPage(sheet, settings, setup), degrees, scale, paperToScan);
        if (cut >= 0) {
            const PixelRect r = drawnGeometry(sheet, settings, setup).marks[static_cast<std::size_t>(cut)];
            const QPoint at = setup.printableRect().topLeft();
            QPainter painter(&scan);
            painter.fillRect(paperToScan.mapRect(QRectF(at.x() + r.x - r.width, at.y() + r.y - r.height, 3 * r.width, 3 * r.height)),
                             Qt::white);
        }

        const PageResult result = markPage(cli::greyImageOf(scan));
        QCOMPARE(int(result.status), int(PageStatus::Marked));
        QCOMPARE(result.sheet.dividends, sheet.dividends);
        QCOMPARE(int(result.problems.size()), drawnProblemCount(sheet.count, layout));
        QCOMPARE(result.leftMargin, margin);

        const PageGeometry drawn = drawnGeometry(sheet, settings, setup);
        const PageGeometry read = pageGeometry(result.pageWidth, result.pageHeight, result.sheet, settings);
        QCOMPARE(read.figures.size(), drawn.figures.size());
        const QPoint origin = setup.printableRect().topLeft();
        const std::array<double, 9>& m = result.pageToScan;
        double worst = 0;
        for (std::size_t f = 0; f < drawn.figures.size(); ++f) {
            const FigureGeometry& d = drawn.figures[f];
            const FigureGeometry& r = read.figures[f];
            for (const auto& [row, column] : {std::pair{0, 0}, {d.rows, 0}, {0, d.columns}, {d.rows, d.columns}}) {
                const PixelPoint dp = d.square(row, column);
                const QPointF expected = paperToScan.map(QPointF(origin.x() + dp.x, origin.y() + dp.y));
                const PixelPoint rp = r.square(row, column);
                const double w = m[6] * rp.x + m[7] * rp.y + m[8];
                const QPointF got((m[0] * rp.x + m[1] * rp.y + m[2]) / w, (m[3] * rp.x + m[4] * rp.y + m[5]) / w);
                worst = std::max(worst, std::hypot(got.x() - expected.x(), got.y() - expected.y()));
            }
        }
        QVERIFY2(worst <= tolerance, qPrintable(QString("a square's corner is %1 pixels off").arg(worst)));
    }

    // A sheet worked in the sheet's own face is judged right; one product changed is かけ算.
    void writtenSheetJudged_data()
    {
        QTest::addColumn<bool>("changeProduct");
        QTest::addRow("as worked") << false;
        QTest::addRow("first product of the first problem changed") << true;
    }
    void writtenSheetJudged()
    {
        if (!recognizerReads())
            QSKIP("the recognizer's weights are not built in");
        QFETCH(bool, changeProduct);
        const auto layout = LayoutPattern::R3C3;
        const ProblemSheet sheet = sheetOf(layout, 5);
        const RenderSettings settings = settingsOf(layout);
        const PageSetup setup = setupAt(300);
        QImage paper = workedSheet(sheet, settings, setup);
        if (changeProduct) {
            const LongDivision w = LongDivision::of(std::stoi(sheet.dividends[0]), std::stoi(sheet.divisors[0]));
            const WorkingLine& product = w.lines.front();
            const FigureGeometry f = drawnGeometry(sheet, settings, setup).figures.front();
            const PixelRect square = f.squareRect(f.quotientRow + product.row, f.dividendColumn + product.lastDigit);
            fillWhite(paper, setup.printableRect(), {square.x + 3, square.y + 3, square.width - 6, square.height - 6});
            QPainter painter(&paper);
            painter.translate(setup.printableRect().topLeft());
            QtSurface surface(painter);
            surface.setFontName(kMinchoFace);
            surface.setFontHeight(f.cell);
            surface.textOut(square.x + f.cell / 4, square.y, std::to_string((product.value % 10 + 3) % 10));
        }
        QTransform t;
        const PageResult result = markPage(cli::greyImageOf(scanned(paper, 2, 0.97, t)));
        QCOMPARE(int(result.status), int(PageStatus::Marked));
        for (const ProblemMark& p : result.problems) {
            const bool changed = changeProduct && p.slot == 0;
            QCOMPARE(verdictName(p.verdict), verdictName(changed ? Verdict::Wrong : Verdict::Right));
            if (changed)
                QCOMPARE(mistakeName(p.mistake->kind), mistakeName(MistakeKind::Multiplication));
        }
    }

    // A page that cannot be marked is said to be one, with its reason.
    void pageNotMarked_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("status");
        QTest::addRow("blank paper") << "blank" << int(PageStatus::NotPelkano);
        QTest::addRow("QR code covered") << "no code" << int(PageStatus::NoCode);
        QTest::addRow("marks covered") << "no marks" << int(PageStatus::NoMarks);
        QTest::addRow("a QR code of something else") << "other code" << int(PageStatus::NotPelkano);
        QTest::addRow("an answer sheet") << "answers" << int(PageStatus::AnswerSheet);
        QTest::addRow("a sheet without the frame") << "no frame" << int(PageStatus::NotMarkable);
        QTest::addRow("a sheet in the expression style") << "expression" << int(PageStatus::NotMarkable);
    }
    void pageNotMarked()
    {
        QFETCH(QString, page);
        QFETCH(int, status);
        const auto layout = LayoutPattern::R2C3;
        ProblemSheet sheet = sheetOf(layout, 3);
        RenderSettings settings = settingsOf(layout);
        settings.frame = page != "no frame";
        settings.style = page == "expression" ? QuestionStyle::Expression : QuestionStyle::Written;
        const PageSetup setup = setupAt(200);
        sheet.showAnswers = page == "answers";
        QImage paper = renderPage(sheet, settings, setup);
        const PageGeometry g = drawnGeometry(sheet, settings, setup);
        const QRect area = setup.printableRect();
        if (page == "blank")
            paper.fill(Qt::white);
        if (page == "no code")
            fillWhite(paper, area, {g.qr.x - 8, g.qr.y - 8, g.qr.width + 16, g.qr.height + 16});
        if (page == "no marks")
            for (const PixelRect& r : g.marks)
                fillWhite(paper, area, {r.x - 2, r.y - 2, r.width + 4, r.height + 4});
        if (page == "other code") {
            const ZXing::BitMatrix bits = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).encode(L"HELLO-WORLD", 0, 0);
            QImage qr(bits.width(), bits.height(), QImage::Format_Grayscale8);
            for (int y = 0; y < bits.height(); ++y)
                for (int x = 0; x < bits.width(); ++x)
                    qr.setPixel(x, y, bits.get(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            fillWhite(paper, area, {g.qr.x - 8, g.qr.y - 8, g.qr.width + 16, g.qr.height + 16});
            QPainter painter(&paper);
            painter.drawImage(QRect(area.x() + g.qr.x, area.y() + g.qr.y, g.qr.width, g.qr.height), qr);
        }
        const PageResult result = markPage(cli::greyImageOf(paper));
        QCOMPARE(statusText(result.status), statusText(static_cast<PageStatus>(status)));
        QVERIFY(result.problems.empty());
    }

    // Where a square is unsure, the row is read as the pupil's other rows make likely, but never
    // as a reading that no square supports.
    void unsureSquareRead_data()
    {
        QTest::addColumn<float>("four");  // how likely the product's 4 is read, against 1
        QTest::addColumn<int>("quotient");  // the digit its square surely holds
        QTest::addColumn<int>("verdict");
        QTest::addColumn<float>("seven");  // of what is not 4, how much is read as 7 (the rest 1)
        QTest::addRow("4 read a little less likely than 1") << 0.35f << 7 << int(Verdict::Right) << 0.0f;
        QTest::addRow("4 not supported at all") << 0.0f << 7 << int(Verdict::Wrong) << 0.0f;
        QTest::addRow("4 unsupported but not unlikely: the teacher looks") << 0.02f << 7 << int(Verdict::Check) << 0.0f;
        QTest::addRow("a sure 9 over the product of 7: the teacher looks") << 1.0f << 9 << int(Verdict::Check) << 0.0f;
        QTest::addRow("4 likeliest but under even odds") << 0.4f << 7 << int(Verdict::Right) << 0.5f;
    }
    void unsureSquareRead()
    {
        QFETCH(float, four);
        QFETCH(int, quotient);
        QFETCH(int, verdict);
        QFETCH(float, seven);
        // 89 / 12: quotient 7 over the 9, product 84, remainder 5.
        const LongDivision w = LongDivision::of(89, 12);
        FigureReading reading(5, 2);
        reading.at(0, 1) = sure(quotient);
        reading.at(2, 0) = sure(8);
        CellScores unsure{};
        unsure[1] = (1 - four) * (1 - seven);
        unsure[7] = (1 - four) * seven;
        unsure[4] = four;
        reading.at(2, 1) = unsure;  // the 4 of 84 read unsurely, as 1 or 4
        reading.at(3, 1) = sure(5);
        const WorkingJudgement j = judgeWorking(w, reading);
        QCOMPARE(verdictName(j.verdict), verdictName(static_cast<Verdict>(verdict)));
    }

    // The working's lines are read as the pupil set them down: the difference before a quotient
    // 0 written or not, a line a row lower than the answer sheet has it.
    void linesAsWritten_data()
    {
        QTest::addColumn<QStringList>("lines");  // text rows from 2 down, right-aligned under the dividend; x a scribble
        QTest::addColumn<QString>("judged");
        QTest::addRow("as the answer sheet") << QStringList{"86 ", "165", "129", " 36"} << "正解";
        QTest::addRow("with the difference before the 0") << QStringList{"86 ", "16", "165", "129", " 36"} << "正解";
        QTest::addRow("a row left empty") << QStringList{"86 ", "", "165", "129", " 36"} << "正解";
        QTest::addRow("a wrong remainder") << QStringList{"86 ", "165", "129", " 26"} << "ひき算";
        QTest::addRow("the remainder left out") << QStringList{"86 ", "165", "129", ""} << "あまり";
        QTest::addRow("the remainder left out, no row for it") << QStringList{"86 ", "165", "129"} << "あまり";
        // A digit lost to a scribble or to a blank between digits: the teacher looks.
        QTest::addRow("a scribble in a row") << QStringList{"86 ", "1x5", "129", " 36"} << "要確認";
        QTest::addRow("a blank between a row's digits") << QStringList{"86 ", "1 5", "129", " 36"} << "要確認";
    }
    void linesAsWritten()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, judged);
        // 8765 / 43 = 203 remainder 36.
        FigureReading reading(2 + static_cast<int>(lines.size()), 4);
        for (int c = 0; c < 4; ++c)
            reading.at(0, c) = c == 0 ? sure(kBlank) : sure("203"[c - 1] - '0');
        for (int r = 0; r < lines.size(); ++r) {
            const QString line = lines[r].trimmed();
            // A line ends under the dividend digit its answer-sheet line ends under: 86 under 7, the rest under 5.
            const int last = lines[r].endsWith(' ') ? 1 : line.size() == 2 && line == "16" ? 2 : 3;
            for (int k = 0; k < line.size(); ++k)
                if (line[k] != ' ')
                    reading.at(2 + r, last - (static_cast<int>(line.size()) - 1 - k)) =
                        sure(line[k] == 'x' ? kScribble : line[k].digitValue());
        }
        const WorkingJudgement j = judgeWorking(LongDivision::of(8765, 43), reading);
        QCOMPARE(QString(j.verdict == Verdict::Wrong && j.mistake ? mistakeName(j.mistake->kind) : verdictName(j.verdict)), judged);
    }

    // The table: the practice's columns, then where each problem was and how it was judged; a
    // wrong problem counted under the kind of its first mistake; an unread page has no lines.
    void tableOfProblems()
    {
        ScanPage page{"class.pdf", 3, {}};
        page.result.status = PageStatus::Marked;
        page.result.code = "6RF8-P0B2-JT";
        page.result.sheet.printNumber = 12;
        ProblemMark wrong;
        wrong.dividend = "8765";
        wrong.divisor = "43";
        wrong.type = 47;
        wrong.verdict = Verdict::Wrong;
        wrong.mistake = Diagnosis{MistakeKind::Subtraction, 3, 3, ""};
        ProblemMark check = wrong;
        check.verdict = Verdict::Check;
        page.result.problems = {wrong, check};
        ScanPage unread{"other.png", 1, {}};
        const std::string csv = marksCsv({page, unread});
        QVERIFY(csv.starts_with("\xEF\xBB\xBF名前,"));
        const QStringList lines = QString::fromStdString(csv).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].endsWith(",秒,ファイル,ページ,コード,プリント番号,判定"));
        QCOMPARE(lines[1], QString(",,,8765,43,47,ひとりで,0,0,0,0,0,1,0,0,0,0,0,0,,class.pdf,3,6RF8-P0B2-JT,12,まちがい"));
        QCOMPARE(lines[2], QString(",,,8765,43,47,ひとりで,0,0,0,0,0,0,0,0,0,0,0,0,,class.pdf,3,6RF8-P0B2-JT,12,要確認"));
    }
};

QTEST_MAIN(TestMarking)
#include "tst_marking.moc"
