// The SVG surface: text measured from the faces' files as the desktop's Qt surface measures it,
// characters placed on their squares, the paper of each size, and the sheet's texts written as
// XML whatever the question sentence holds.
#include "PageOutput.h"
#include "Paper.h"
#include "QtSurface.h"
#include "SvgSurface.h"

#include <QtTest>

#include <QImage>
#include <QPdfWriter>
#include <QBuffer>
#include <QRegularExpression>

using namespace pelkano;

class TestSvgSurface : public QObject {
    Q_OBJECT

private slots:
    void widthsMatchTheQtSurface_data();
    void widthsMatchTheQtSurface();
    void charactersStandOnTheirSquares();
    void papersMatchQt();
    void sentenceIsEscaped();
};

void TestSvgSurface::widthsMatchTheQtSurface_data()
{
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("text");
    const char* const faces[] = {kMinchoFace, kGothicFace};
    const char* const texts[] = {"4 3", "4 3 )", "1 2 3 4 5 6 7", "   ", "わり算", "問題No.12", "8765÷43=203･･･36",
                                 "（　　　　　　　　　　　）", "つぎの計算をしましょう"};
    for (const char* face : faces)
        for (const char* text : texts)
            QTest::addRow("%s, %s", face, text) << QString::fromUtf8(face) << QString::fromUtf8(text);
}

// Every height a page can ask for: the preview's, the printed pages' at 72 to 1200 dpi, odd ones.
void TestSvgSurface::widthsMatchTheQtSurface()
{
    QFETCH(QString, face);
    QFETCH(QString, text);
    QImage image(8, 8, QImage::Format_RGB32);
    QPainter painter(&image);
    QtSurface qt(painter);
    SvgSurface svg;
    qt.setFontName(face.toStdString());
    svg.setFontName(face.toStdString());
    for (int h = 1; h <= 400; ++h) {
        qt.setFontHeight(h);
        svg.setFontHeight(h);
        QVERIFY2(svg.textWidth(text.toStdString()) == qt.textWidth(text.toStdString()),
                 qPrintable(QStringLiteral("height %1: %2 against %3")
                                .arg(h)
                                .arg(svg.textWidth(text.toStdString()))
                                .arg(qt.textWidth(text.toStdString()))));
    }
}

// A spaced dividend line at 16 pixels: one character to a square, the blanks drawn as nothing.
void TestSvgSurface::charactersStandOnTheirSquares()
{
    SvgSurface svg;
    svg.setFontHeight(16);
    svg.textOut(4, 100, "4 3 ) 8 7");
    const QString out = QString::fromStdString(svg.elements());
    QVERIFY2(out.contains(QStringLiteral("<text x=\"4 20 36 52 68\" y=\"114.08\"")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral(">43)87</text>")), qPrintable(out));
}

void TestSvgSurface::papersMatchQt()
{
    for (const Paper& paper : papers()) {
        const auto qt = pageSizeByName(QString::fromUtf8(paper.name));
        QVERIFY2(qt, paper.name);
        const QSizeF mm = qt->size(QPageSize::Millimeter);
        QVERIFY2(qAbs(mm.width() - paper.widthMm) < 0.05 && qAbs(mm.height() - paper.heightMm) < 0.05, paper.name);
    }
    QCOMPARE(QString::fromStdString(paperNames()), pageSizeNames());
}

void TestSvgSurface::sentenceIsEscaped()
{
    ProblemSheet sheet;
    RenderSettings settings;
    settings.sentence = "<script>&\"\x01\xff";
    const QString svg = QString::fromStdString(pageSvg(sheet, settings, 210, 297, 600, 5));
    QVERIFY2(svg.contains(QStringLiteral(">&lt;script&gt;&amp;&quot;\uFFFD\uFFFD</text>")), qPrintable(svg));
}

QTEST_MAIN(TestSvgSurface)
#include "tst_svgsurface.moc"
