// The page: DrawScale and S(x), the background, the header and where each figure of the grid
// lands on the preview and on a printed page.
#include "PageLayout.h"
#include "RecordingSurface.h"

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

    // The page hands the sheet's flag to every figure: answers show only while it is set.
    void answersFollowTheSheet_data()
    {
        QTest::addColumn<bool>("showAnswers");
        QTest::addColumn<int>("textsPerFigure");
        QTest::addRow("question sheet") << false << 2;   // bar and question line
        QTest::addRow("answer sheet") << true << 7;      // plus quotient, two products, two lines below
    }

    void answersFollowTheSheet()
    {
        QFETCH(bool, showAnswers);
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
        QCOMPARE(static_cast<int>(surface.callsOf(Op::Text).size()), 4 + 4 * textsPerFigure);
    }
};

QTEST_APPLESS_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"
