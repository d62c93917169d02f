// The square reader: the built-in network gives what the training gave, and reads squares drawn
// the way the sheets draw them.
#include "Mark.h"
#include "QtSurface.h"
#include "Recognizer.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace pelkano;
using namespace pelkano::marking;

namespace {

using Scores = std::array<float, kClasses>;

int best(const CellScores& scores)
{
    return static_cast<int>(std::max_element(scores.begin(), scores.end()) - scores.begin());
}

Scores numbers(const QByteArray& line)
{
    const QList<QByteArray> fields = line.trimmed().split(' ');
    Scores out{};
    for (int i = 0; i < kClasses && i + 1 < fields.size(); ++i)
        out[static_cast<std::size_t>(i)] = fields[i + 1].toFloat();
    return out;
}

// A square of side `cell` pixels with a digit in a face as the sheets print one (the font as
// high as the square, the half-width digit a quarter square in), or a blank or a scribble;
// the crop is its inside, as the scan's reader hands it on.
GreyImage drawnSquare(const QString& what, const char* face, int cell)
{
    QImage image(cell, cell, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (what == "scribble") {
        painter.setPen(QPen(Qt::black, cell / 14.0));
        painter.drawLine(QPointF(cell * 0.2, cell * 0.2), QPointF(cell * 0.8, cell * 0.8));
        painter.drawLine(QPointF(cell * 0.8, cell * 0.2), QPointF(cell * 0.2, cell * 0.8));
        painter.drawLine(QPointF(cell * 0.15, cell * 0.5), QPointF(cell * 0.85, cell * 0.45));
    } else if (what != "blank") {
        QtSurface surface(painter);
        surface.setFontName(face);
        surface.setFontHeight(cell);
        surface.textOut(cell / 4, 0, what.toStdString());
    }
    painter.end();
    const int border = std::max(1, cell / 20);
    return pelkano::cli::greyImageOf(image.copy(border, border, cell - 2 * border, cell - 2 * border));
}

}  // namespace

class TestRecognizer : public QObject {
    Q_OBJECT
private slots:
    void matchesTraining_data();
    void matchesTraining();
    void readsSheetSquares_data();
    void readsSheetSquares();
};

// tests/data/recognizer_cases.txt: crops the training script drew, with PyTorch's logits and
// probabilities for each; any difference in the input's making, the weights' order or a layer
// shows as a different number.
void TestRecognizer::matchesTraining_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("pixels");
    QTest::addColumn<QByteArray>("logits");
    QTest::addColumn<QByteArray>("probs");
    QFile file(QStringLiteral(PELKANO_SOURCE_DIR "/tests/data/recognizer_cases.txt"));
    int row = 0;
    if (!file.open(QIODevice::ReadOnly)) {  // fails in the test function: no crop
        QTest::newRow("no cases") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
        return;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (!line.startsWith("crop "))
            continue;
        const QByteArray pixels = file.readLine().trimmed();
        QByteArray logits, probs;  // a line of logits for each network, then the mean probabilities
        while (!file.atEnd() && !(probs = file.readLine()).startsWith("probs "))
            logits += probs;
        QTest::addRow("%d: %s", row++, line.trimmed().constData()) << line << pixels << logits << probs;
    }
}

void TestRecognizer::matchesTraining()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, pixels);
    QFETCH(QByteArray, logits);
    QFETCH(QByteArray, probs);
    const QList<QByteArray> fields = header.trimmed().split(' ');
    QCOMPARE(fields.size(), 4);
    GreyImage crop;
    crop.width = fields[2].toInt();
    crop.height = fields[3].toInt();
    const QByteArray bytes = QByteArray::fromHex(pixels);
    QCOMPARE(bytes.size(), crop.width * crop.height);
    crop.pixels.assign(bytes.begin(), bytes.end());

    const QList<QByteArray> lines = logits.trimmed().split('\n');
    QCOMPARE(lines.size(), recognizerNetworks());
    for (int n = 0; n < recognizerNetworks(); ++n) {
        const Scores expectedLogits = numbers(lines[n]);
        const Scores gotLogits = cellLogits(cellInput(crop), n);
        for (std::size_t i = 0; i < gotLogits.size(); ++i)
            QVERIFY2(std::abs(gotLogits[i] - expectedLogits[i]) <= 1e-4f * std::max(1.0f, std::abs(expectedLogits[i])),
                     qPrintable(QString("network %1, logit %2: %3, PyTorch %4").arg(n).arg(i).arg(gotLogits[i]).arg(expectedLogits[i])));
    }
    const Scores expectedProbs = numbers(probs);
    const CellScores gotProbs = recognizeCell(crop);
    for (std::size_t i = 0; i < gotProbs.size(); ++i)
        QVERIFY2(std::abs(gotProbs[i] - expectedProbs[i]) <= 1e-4f,
                 qPrintable(QString("probability %1: %2, PyTorch %3").arg(i).arg(gotProbs[i]).arg(expectedProbs[i])));
}

// Squares drawn by the sheets' own surface in the faces (a teacher's worked example, a sheet
// filled in on screen), at 150, 300 and 600 dpi sizes, plus a blank and a crossed-out square.
void TestRecognizer::readsSheetSquares_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("expected");
    for (const char* face : {kMinchoFace, kGothicFace}) {
        for (int cell : {44, 88, 176}) {
            for (int digit = 0; digit <= 9; ++digit)
                QTest::addRow("%s %d px: %d", face, cell, digit)
                    << QString::number(digit) << QString::fromUtf8(face) << cell << digit;
        }
    }
    for (int cell : {44, 176}) {
        QTest::addRow("blank %d px", cell) << "blank" << QString() << cell << kBlank;
        QTest::addRow("scribble %d px", cell) << "scribble" << QString() << cell << kScribble;
    }
}

void TestRecognizer::readsSheetSquares()
{
    QFETCH(QString, what);
    QFETCH(QString, face);
    QFETCH(int, cell);
    QFETCH(int, expected);
    const CellScores scores = recognizeCell(drawnSquare(what, face.toUtf8().constData(), cell));
    QCOMPARE(best(scores), expected);
    QVERIFY2(scores[static_cast<std::size_t>(expected)] > 0.5f,
             qPrintable(QString("read with probability %1").arg(scores[static_cast<std::size_t>(expected)])));
}

QTEST_MAIN(TestRecognizer)
#include "tst_recognizer.moc"
