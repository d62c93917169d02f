// The long-division figure, checked cell by cell on a recording surface: where every digit of
// the question and of the working stands, which rows are underlined, the expression, the frame.
#include "Hissan.h"
#include "RecordingSurface.h"

#include <QtTest>

#include <algorithm>
#include <cstdlib>

using namespace pelkano;
using test::Call;
using test::Op;
using test::RecordingSurface;

namespace {

QStringList rows(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* r : list)
        out << QString::fromLatin1(r);
    return out;
}

// The figure as a reader sees it: the character in each cell of each text row, the underlined
// cell spans ("row:first-last") and any character that is not a quarter cell into a cell. The
// quarter and three quarters of a cell are scaled and rounded each on its own, so a text may
// start one device pixel off the exact quarter; more than that is misplaced.
int cellAt(int offset, int C)
{
    const int cell = (offset + C / 2) / C;
    return std::abs(offset - cell * C) <= 1 && offset > -2 ? cell : -1;
}

struct Reading {
    QStringList rows;
    QStringList underlines;
    QStringList misplaced;
};

Reading read(const std::vector<Call>& calls, int x, int y, int C, int quarter, int N)
{
    Reading out;
    for (const Call& c : calls) {
        if (c.op != Op::Text || c.state.fontHeight != C)
            continue;
        if ((c.y - y) % C != 0 || c.y < y) {
            out.misplaced << QStringLiteral("text '%1' between rows at y %2").arg(QString::fromStdString(c.text)).arg(c.y);
            continue;
        }
        const int row = (c.y - y) / C;
        while (out.rows.size() <= row)
            out.rows << QString(N, u' ');
        int px = c.x;
        for (const std::string& ch : RecordingSurface::characters(c.text)) {
            if (ch != " ") {
                const int cell = cellAt(px - x - quarter, C);
                if (cell < 0 || cell >= N)
                    out.misplaced << QStringLiteral("'%1' at x %2 on row %3").arg(QString::fromStdString(ch)).arg(px).arg(row);
                else
                    out.rows[row][cell] = QString::fromStdString(ch).at(0);
            }
            px += RecordingSurface::widthAt(ch, C);
        }
        if (c.state.underline) {
            const int start = cellAt(c.x - x - quarter, C);
            const int end = cellAt(px - x + quarter, C);
            if (start < 0 || end < 0)
                out.misplaced << QStringLiteral("underline %1..%2 on row %3").arg(c.x).arg(px).arg(row);
            else
                out.underlines << QStringLiteral("%1:%2-%3").arg(row).arg(start).arg(end - 1);
        }
    }
    return out;
}

RenderSettings settingsFor(LayoutPattern pattern, QuestionStyle style = QuestionStyle::Written, bool frame = true,
                           int lineWidth = 1)
{
    RenderSettings s;
    s.pattern = pattern;
    s.style = style;
    s.frame = frame;
    s.lineWidth = lineWidth;
    return s;
}

int cellUnits(LayoutPattern p)
{
    return p == LayoutPattern::R2C2 || p == LayoutPattern::R2C3 ? 16 : 12;
}

}  // namespace

class TestHissan : public QObject {
    Q_OBJECT
private slots:
    void workedLayout_data()
    {
        QTest::addColumn<QString>("dividend");
        QTest::addColumn<QString>("divisor");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<int>("pattern");
        QTest::addColumn<float>("drawScale");
        QTest::addColumn<QStringList>("expectedRows");
        QTest::addColumn<QStringList>("expectedUnderlines");

        const QStringList worked8765 = rows({"    203", "43)8765", "   86  ", "    165", "    129", "     36"});
        const QStringList lines8765{"0:2-6", "2:3-6", "4:3-6"};
        for (float scale : {1.0f, 15.5f}) {
            for (int pattern : {3, 4}) {
                QTest::addRow("8765/43 answers, pattern %d, scale %.1f", pattern, double(scale))
                    << "8765" << "43" << true << pattern << scale << worked8765 << lines8765;
            }
            QTest::addRow("8765/43 question only, scale %.1f", double(scale))
                << "8765" << "43" << false << 3 << scale << rows({"       ", "43)8765"}) << QStringList{"0:2-6"};
        }
        QTest::addRow("612/6 exact, products under a skipped digit")
            << "612" << "6" << true << 0 << 1.0f << rows({"  102", "6)612", "  6  ", "   12", "   12", "    0"})
            << QStringList{"0:1-4", "2:2-4", "4:2-4"};
        QTest::addRow("3/7 quotient 0") << "3" << "7" << true << 3 << 1.0f << rows({"  0", "7)3", "  0", "  3"})
                                        << QStringList{"0:1-2", "2:2-2"};
        QTest::addRow("23/45 quotient 0, two digits")
            << "23" << "45" << true << 3 << 1.0f << rows({"    0", "45)23", "    0", "   23"})
            << QStringList{"0:2-4", "2:3-4"};
        QTest::addRow("120/6 trailing zero") << "120" << "6" << true << 1 << 1.0f
                                             << rows({"   20", "6)120", "  12 ", "    0"})
                                             << QStringList{"0:1-4", "2:2-4"};
        QTest::addRow("700/7 two zeros") << "700" << "7" << true << 4 << 15.5f
                                         << rows({"  100", "7)700", "  7  ", "    0"})
                                         << QStringList{"0:1-4", "2:2-4"};
        QTest::addRow("1000/8 three products")
            << "1000" << "8" << true << 5 << 1.0f
            << rows({"   125", "8)1000", "   8  ", "   20 ", "   16 ", "    40", "    40", "     0"})
            << QStringList{"0:1-5", "2:2-5", "4:2-5", "6:2-5"};
        QTest::addRow("96/4 exact") << "96" << "4" << true << 2 << 1.0f << rows({"  24", "4)96", "  8 ", "  16", "  16", "   0"})
                                    << QStringList{"0:1-3", "2:2-3", "4:2-3"};
        QTest::addRow("0/5 dividend 0") << "0" << "5" << true << 0 << 1.0f << rows({"  0", "5)0", "  0", "  0"})
                                        << QStringList{"0:1-2", "2:2-2"};
        QTest::addRow("99999/999 long divisor")
            << "99999" << "999" << true << 3 << 1.0f
            << rows({"      100", "999)99999", "    999  ", "       99"})
            << QStringList{"0:3-8", "2:4-8"};
    }

    void workedLayout()
    {
        QFETCH(QString, dividend);
        QFETCH(QString, divisor);
        QFETCH(bool, answers);
        QFETCH(int, pattern);
        QFETCH(float, drawScale);
        QFETCH(QStringList, expectedRows);
        QFETCH(QStringList, expectedUnderlines);

        for (QString& r : expectedRows)
            r = r.leftJustified(divisor.size() + 1 + dividend.size(), u' ');

        const Scale scale(drawScale);
        const auto p = static_cast<LayoutPattern>(pattern);
        const int x = scale.S(15), y = scale.S(50);
        const int C = scale.S(cellUnits(p));
        const int quarter = scale.S(cellUnits(p) / 4);
        RecordingSurface surface;
        Hissan(surface, scale, x, y, dividend.toStdString(), divisor.toStdString(), ")", settingsFor(p), answers);

        const Reading r = read(surface.calls(), x, y, C, quarter, static_cast<int>(divisor.size() + 1 + dividend.size()));
        QCOMPARE(r.misplaced, QStringList());
        QCOMPARE(r.rows, expectedRows);
        QCOMPARE(r.underlines, expectedUnderlines);
        QCOMPARE(surface.state().fontHeight, C);
        QCOMPARE(surface.state().underline, false);
    }

    // A figure fitted onto smaller cells keeps every digit a quarter cell into its own cell and
    // its frame on the same cells.
    void reducedCells_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<int>("cell");
        QTest::addRow("2x3 on 224 px instead of 248") << 3 << 224;
        QTest::addRow("3x3 on 174 px instead of 186") << 4 << 174;
    }

    void reducedCells()
    {
        QFETCH(int, pattern);
        QFETCH(int, cell);
        const Scale scale(15.5f);
        const FigureCells cells = figureCellsOf(cell);
        const int x = 232, y = 775;
        RecordingSurface surface;
        Hissan(surface, scale, x, y, "8765", "43", ")", settingsFor(static_cast<LayoutPattern>(pattern)), true, cells);
        const Reading r = read(surface.calls(), x, y, cell, cells.quarter, 7);
        QCOMPARE(r.misplaced, QStringList());
        QCOMPARE(r.rows, rows({"    203", "43)8765", "   86  ", "    165", "    129", "     36"}));
        QCOMPARE(r.underlines, (QStringList{"0:2-6", "2:3-6", "4:3-6"}));
        const Call frame = surface.callsOf(Op::Rectangle).at(0);
        QCOMPARE(QRect(QPoint(frame.x, frame.y), QPoint(frame.x2, frame.y2)), QRect(QPoint(x, y), QPoint(x + 7 * cell, y + 10 * cell)));
    }

    // The working is placed with ")" whatever bracket the page passes; only the question line
    // shows the bracket given.
    void workingIgnoresTheBracketText()
    {
        const Scale scale(1.0f);
        RecordingSurface surface;
        Hissan(surface, scale, 0, 0, "8765", "43", "|", settingsFor(LayoutPattern::R2C3), true);
        const Reading r = read(surface.calls(), 0, 0, 16, 4, 7);
        QCOMPARE(r.misplaced, QStringList());
        QCOMPARE(r.rows.value(1), QStringLiteral("43|8765"));
        QCOMPARE(r.rows.value(3), QStringLiteral("    165"));
    }

    // On a page the quarter and three quarters are rounded separately: the texts start exactly
    // where the working's arithmetic puts them, measured with the surface's own text widths.
    void pagePositionsAreExact()
    {
        const Scale scale(15.5f);  // cell 186, quarter 46 (46.5), three quarters 140 (139.5)
        RecordingSurface surface;
        const int x = 232, y = 775;
        Hissan(surface, scale, x, y, "8765", "43", ")", settingsFor(LayoutPattern::R3C3, QuestionStyle::Written, false), true);
        QList<QList<int>> got;
        for (const Call& t : surface.callsOf(Op::Text))
            got << QList<int>{t.x - x, (t.y - y) / 186, t.state.underline ? 1 : 0};
        const int xq = 3 * 93 + 140, xw = 5 * 93 + 140;
        QCOMPARE(got, (QList<QList<int>>{{xq, 0, 1}, {xq, 0, 0}, {xw, 2, 1}, {xw, 3, 0}, {xw, 4, 1}, {xw, 5, 0}, {46, 1, 0}}));
    }

    void expression_data()
    {
        QTest::addColumn<QString>("dividend");
        QTest::addColumn<QString>("divisor");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("textsAfter");  // texts drawn below it: bar, quotient, working, question line

        QTest::addRow("with remainder") << "8765" << "43" << true << "8765÷43=203･･･36" << 7;
        QTest::addRow("exact") << "612" << "6" << true << "612÷6=102" << 7;
        QTest::addRow("question only") << "8765" << "43" << false << "8765÷43" << 0;
        QTest::addRow("quotient 0") << "3" << "7" << true << "3÷7=0･･･3" << 5;
    }

    void expression()
    {
        QFETCH(QString, dividend);
        QFETCH(QString, divisor);
        QFETCH(bool, answers);
        QFETCH(QString, expected);
        QFETCH(int, textsAfter);

        const Scale scale(15.5f);
        const int x = 300, y = 900;
        const int E = scale.S(10);
        RecordingSurface surface;
        Hissan(surface, scale, x, y, dividend.toStdString(), divisor.toStdString(), ")",
               settingsFor(LayoutPattern::R3C3, QuestionStyle::Expression), answers);
        const std::vector<Call> texts = surface.callsOf(Op::Text);
        QVERIFY(!texts.empty());
        QCOMPARE(QString::fromStdString(texts.front().text), expected);
        QCOMPARE(texts.front().x, x);
        QCOMPARE(texts.front().y, y - E);
        QCOMPARE(texts.front().state.fontHeight, E);
        QCOMPARE(static_cast<int>(texts.size()) - 1, textsAfter);
        // The frame stays the same N by M grid in both styles.
        QCOMPARE(surface.callsOf(Op::Rectangle).size(), std::size_t(1));
        if (answers) {
            const int C = scale.S(12);
            const Reading worked = read(surface.calls(), x, y, C, scale.S(3), divisor.size() + 1 + dividend.size());
            QCOMPARE(worked.misplaced, QStringList());
            QCOMPARE(worked.rows.value(1), divisor + ")" + dividend);
            QCOMPARE(surface.state().fontHeight, C);
        } else {
            QCOMPARE(surface.state().fontHeight, E);
        }
    }

    void frame_data()
    {
        QTest::addColumn<int>("pattern");
        QTest::addColumn<float>("drawScale");
        QTest::addColumn<int>("lineWidth");
        QTest::addColumn<QString>("divisor");
        QTest::addColumn<int>("rowsM");

        QTest::addRow("2x3 preview, width 1") << 3 << 1.0f << 1 << "43" << 10;
        QTest::addRow("3x2 preview, width 2") << 1 << 1.0f << 2 << "6" << 10;
        QTest::addRow("4x3 preview, width 3") << 5 << 1.0f << 3 << "123" << 7;
        QTest::addRow("4x2 page, width 4 unscaled") << 2 << 15.5f << 4 << "43" << 7;
        QTest::addRow("2x2 page, width 1") << 0 << 15.5f << 1 << "8" << 10;
    }

    void frame()
    {
        QFETCH(int, pattern);
        QFETCH(float, drawScale);
        QFETCH(int, lineWidth);
        QFETCH(QString, divisor);
        QFETCH(int, rowsM);

        const Scale scale(drawScale);
        const auto p = static_cast<LayoutPattern>(pattern);
        const int C = scale.S(cellUnits(p));
        const int N = static_cast<int>(divisor.size()) + 1 + 4;
        const int x = 40, y = 70;
        RecordingSurface surface;
        Hissan(surface, scale, x, y, "8765", divisor.toStdString(), ")",
               settingsFor(p, QuestionStyle::Written, true, lineWidth), true);

        const auto rects = surface.callsOf(Op::Rectangle);
        QCOMPARE(rects.size(), std::size_t(1));
        QCOMPARE(QList<int>({rects[0].x, rects[0].y, rects[0].x2, rects[0].y2}), QList<int>({x, y, x + N * C, y + rowsM * C}));

        QList<int> horizontal, vertical;
        for (const Call& line : surface.callsOf(Op::LineTo)) {
            QCOMPARE(line.state.penWidth, lineWidth);
            QCOMPARE(line.state.penStyle, PenStyle::Dot);
            if (line.y == line.y2) {
                QCOMPARE(QList<int>({line.x, line.x2}), QList<int>({x, x + N * C}));
                horizontal << (line.y - y) / C;
                QCOMPARE((line.y - y) % C, 0);
            } else {
                QCOMPARE(line.x, line.x2);
                QCOMPARE(QList<int>({line.y, line.y2}), QList<int>({y, y + rowsM * C}));
                vertical << (line.x - x) / C;
                QCOMPARE((line.x - x) % C, 0);
            }
        }
        QList<int> expectedH, expectedV;
        for (int i = 1; i <= rowsM; ++i)
            expectedH << i;
        for (int j = 1; j <= N; ++j)
            expectedV << j;
        QCOMPARE(horizontal, expectedH);
        QCOMPARE(vertical, expectedV);
        QCOMPARE(surface.state().penWidth, lineWidth);
    }

    // Without the frame only texts are drawn, but the pen is set all the same.
    void frameOffDrawsOnlyTexts_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("answers");
        QTest::addRow("written, answers") << 0 << true;
        QTest::addRow("written, question") << 0 << false;
        QTest::addRow("expression, answers") << 1 << true;
        QTest::addRow("expression, question") << 1 << false;
    }

    void frameOffDrawsOnlyTexts()
    {
        QFETCH(int, style);
        QFETCH(bool, answers);
        RecordingSurface surface;
        surface.setPenWidth(9);
        surface.setPenStyle(PenStyle::Solid);
        surface.clear();
        Hissan(surface, Scale(1.0f), 15, 50, "1000", "8", ")",
               settingsFor(LayoutPattern::R4C3, static_cast<QuestionStyle>(style), false, 3), answers);
        for (const Call& c : surface.calls())
            QVERIFY2(c.op != Op::Rectangle && c.op != Op::MoveTo && c.op != Op::LineTo, "a line was drawn");
        QVERIFY(!surface.callsOf(Op::Text).empty());
        QCOMPARE(surface.state().penWidth, 3);
        QCOMPARE(surface.state().penStyle, PenStyle::Dot);
    }

    // The tentative quotients tried before a quotient digit stand in its column, in the rows above
    // the quotient, half a cell high, the first tried highest, each struck through; the question
    // and the working start below those rows, and the frame covers them.
    void tentativeQuotients_data()
    {
        QTest::addColumn<QString>("dividend");
        QTest::addColumn<QString>("divisor");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QStringList>("expected");  // digit@cell column:half rows above the quotient
        QTest::addRow("92/19, five tried") << "92" << "19" << true
                                           << QStringList{"9@4:5", "8@4:4", "7@4:3", "6@4:2", "5@4:1"};
        QTest::addRow("8765/43, over the last digit") << "8765" << "43" << true << QStringList{"4@6:1"};
        QTest::addRow("92/19, question page") << "92" << "19" << false << QStringList{};
    }

    void tentativeQuotients()
    {
        QFETCH(QString, dividend);
        QFETCH(QString, divisor);
        QFETCH(bool, answers);
        QFETCH(QStringList, expected);
        const Scale scale(15.5f);
        FigureCells cells = figureCellsOf(186);
        cells.tentativeRows = 3;
        const int x = 232, y = 775, C = 186, h = 93, quotientTop = y + 3 * C;
        RenderSettings settings = settingsFor(LayoutPattern::R3C3, QuestionStyle::Written, true, 2);
        settings.tentative = true;
        RecordingSurface surface;
        Hissan(surface, scale, x, y, dividend.toStdString(), divisor.toStdString(), ")", settings, answers, cells);

        QStringList got;
        const std::vector<Call> lines = surface.callsOf(Op::LineTo);
        for (const Call& t : surface.callsOf(Op::Text)) {
            if (t.state.fontHeight != h)
                continue;
            const int width = RecordingSurface::widthAt(t.text, h);
            got << QStringLiteral("%1@%2:%3").arg(QString::fromStdString(t.text)).arg((t.x + width / 2 - x) / C)
                       .arg((quotientTop - t.y) / h);
            const bool struck = std::any_of(lines.begin(), lines.end(), [&](const Call& l) {
                return l.state.penStyle == PenStyle::Solid && l.y == l.y2 && l.y > t.y + h / 3 &&
                       l.y < t.y + 2 * h / 3 && l.x < t.x && l.x2 > t.x + width;
            });
            QVERIFY2(struck, qPrintable(got.back()));
        }
        QCOMPARE(got, expected);
        // The question line stands below the tentative rows, and the frame covers them.
        const auto texts = surface.callsOf(Op::Text);
        QCOMPARE(texts.back().y, quotientTop + C);
        const Call frame = surface.callsOf(Op::Rectangle).at(0);
        QCOMPARE(QList<int>({frame.y, frame.y2}), QList<int>({y, y + 13 * C}));
        QCOMPARE(surface.state().penStyle, PenStyle::Dot);
        QCOMPARE(surface.state().penWidth, 2);
        QCOMPARE(surface.state().fontHeight, C);
    }

    // Three products need eight rows: the last falls below a seven-row frame.
    void workingContinuesBelowTheFrame()
    {
        RecordingSurface surface;
        const Scale scale(1.0f);
        Hissan(surface, scale, 0, 0, "1000", "8", ")", settingsFor(LayoutPattern::R4C2), true);
        const auto rect = surface.callsOf(Op::Rectangle).at(0);
        QCOMPARE(rect.y2, 7 * 12);
        int lowest = 0;
        for (const Call& t : surface.callsOf(Op::Text))
            lowest = std::max(lowest, t.y);
        QCOMPARE(lowest, 7 * 12);
    }
};

QTEST_APPLESS_MAIN(TestHissan)
#include "tst_hissan.moc"
