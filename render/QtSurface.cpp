#include "QtSurface.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QPaintDevice>
#include <QPen>
#include <QRawFont>
#include <QStringList>
#include <QtEndian>

namespace pelkano {

namespace {

QColor toQColor(Color color)
{
    switch (color) {
    case Color::White:
        return QColor(Qt::white);
    case Color::Red:
        return QColor(220, 0, 0);
    case Color::Black:
        break;
    }
    return QColor(Qt::black);
}

// Whether a face of that family name is installed. The font database lists each family under
// its name in the user's language ("IPA明朝" in a Japanese locale), so a family is looked up by
// any of its names, never searched for in that list.
bool installed(const QString& family)
{
    static QMutex mutex;
    static QHash<QString, bool> known;
    const QMutexLocker lock(&mutex);
    const auto found = known.constFind(family);
    if (found != known.constEnd())
        return found.value();
    const bool has = QFontDatabase::hasFamily(family);
    known.insert(family, has);
    return has;
}

// The font for a face at a pixel size, laid out so that every half-width character advances by
// exactly half the pixel size: unhinted outlines, no kerning, no synthesized spacing.
QFont makeFont(const QString& family, int pixelSize, bool underline)
{
    QFont font(family);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
    font.setUnderline(underline);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferQuality));
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    font.setWordSpacing(0);
    return font;
}

// The half-width characters that must fill half a cell each.
const QString kHalfWidthProbe = QStringLiteral("0123456789 )");

// Empty when every half-width character of the family advances by h/2 at a few heights.
QString checkFamily(const QString& family, QPaintDevice* device)
{
    // Heights of the preview (12, 16), of the expression and of A4 pages at 600 dpi (155, 186,
    // 248), and a few odd ones, where a character and a blank together must still span h.
    static const int heights[] = {10, 12, 13, 16, 46, 155, 186, 248};
    for (int h : heights) {
        const QFont font = makeFont(family, h, false);
        const QFontMetrics fm = device ? QFontMetrics(font, device) : QFontMetrics(font);
        for (QChar c : kHalfWidthProbe) {
            const QString one(c);
            if (h % 2 == 0 && fm.horizontalAdvance(one) * 2 != h)
                return QStringLiteral("'%1' is %2 px wide at height %3, not %4")
                    .arg(one)
                    .arg(fm.horizontalAdvance(one))
                    .arg(h)
                    .arg(h / 2);
            if (fm.horizontalAdvance(one + QChar(u' ') + one + QChar(u' ')) != 2 * h)
                return QStringLiteral("'%1' and a blank are not %2 px wide at height %3").arg(one).arg(h).arg(h);
        }
    }
    return {};
}

// How far below the top of the text cell the baseline lies, as a share of the font height. The
// cell is the em square, whose top stands the typographic ascender above the baseline ('OS/2'
// sTypoAscender over units per em); a face without that table falls back on its ascent's share
// of ascent and descent.
qreal baselineShare(const QFont& font)
{
    static QMutex mutex;
    static QHash<QString, qreal> shares;
    const QMutexLocker lock(&mutex);
    const auto found = shares.constFind(font.family());
    if (found != shares.constEnd())
        return found.value();

    qreal share = 0;
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    constexpr int kTypoAscenderOffset = 68;
    if (os2.size() >= kTypoAscenderOffset + 2 && raw.unitsPerEm() > 0) {
        const auto ascender = qFromBigEndian<qint16>(os2.constData() + kTypoAscenderOffset);
        share = ascender / raw.unitsPerEm();
    }
    if (share <= 0 || share > 1) {
        const QFontMetricsF fm(font);
        const qreal total = fm.ascent() + fm.descent();
        share = total > 0 ? fm.ascent() / total : 0.8;
    }
    shares.insert(font.family(), share);
    return share;
}

}  // namespace

QString resolveFace(const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    if (installed(wanted))
        return wanted;
    if (name == kMinchoFace)
        return QStringLiteral("IPAMincho");
    if (name == kGothicFace)
        return QStringLiteral("IPAGothic");
    if (name == kPGothicFace)
        return QStringLiteral("IPAPGothic");
    return wanted;
}

QString checkFaces()
{
    static const QString message = [] {
        QStringList problems;
        for (const char* face : {kMinchoFace, kGothicFace}) {
            const QString family = resolveFace(face);
            if (!installed(family)) {
                problems << QStringLiteral("neither \"%1\" nor \"%2\" is installed").arg(QString::fromUtf8(face), family);
                continue;
            }
            QImage probe(1, 1, QImage::Format_RGB32);
            QString fault = checkFamily(family, nullptr);
            if (fault.isEmpty())
                fault = checkFamily(family, &probe);
            if (!fault.isEmpty())
                problems << QStringLiteral("face \"%1\" (for \"%2\"): %3").arg(family, QString::fromUtf8(face), fault);
        }
        if (problems.isEmpty())
            return QString();
        return QStringLiteral("The digits of the figures will not stand in their squares: %1. "
                              "Install a fixed-pitch Japanese face such as IPAMincho and IPAGothic "
                              "(Debian: fonts-ipafont-mincho, fonts-ipafont-gothic).")
            .arg(problems.join(QStringLiteral("; ")));
    }();
    return message;
}

QtSurface::QtSurface(QPainter& painter) : painter_(painter), family_(resolveFace(kMinchoFace))
{
    // Lines and outlines fall on whole device pixels; text keeps its smoothing.
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

void QtSurface::setFontName(const std::string& name)
{
    family_ = resolveFace(name);
}

void QtSurface::setFontHeight(int height)
{
    height_ = height;
}

int QtSurface::fontHeight() const
{
    return height_;
}

void QtSurface::setFontUnderline(bool underline)
{
    underline_ = underline;
}

void QtSurface::setPenColor(Color color)
{
    penColor_ = color;
}

void QtSurface::setPenWidth(int width)
{
    penWidth_ = width;
}

void QtSurface::setPenStyle(PenStyle style)
{
    penStyle_ = style;
}

void QtSurface::setBrushColor(Color color)
{
    brushColor_ = color;
}

void QtSurface::setBrushStyle(BrushStyle style)
{
    brushStyle_ = style;
}

QFont QtSurface::currentFont() const
{
    return makeFont(family_, height_, underline_);
}

void QtSurface::applyPen()
{
    QPen pen(toQColor(penColor_));
    pen.setWidth(penWidth_ > 0 ? penWidth_ : 1);
    pen.setStyle(penStyle_ == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
}

void QtSurface::textOut(int x, int y, const std::string& text)
{
    const QFont font = currentFont();
    painter_.setFont(font);
    // Text is black whatever the pen's colour, but red with a red pen (a teacher's marks); a
    // solid brush gives it a background.
    painter_.setPen(QPen(penColor_ == Color::Red ? toQColor(Color::Red) : QColor(Qt::black)));
    if (brushStyle_ == BrushStyle::Solid) {
        painter_.setBackgroundMode(Qt::OpaqueMode);
        painter_.setBackground(toQColor(brushColor_));
    } else {
        painter_.setBackgroundMode(Qt::TransparentMode);
    }
    painter_.drawText(QPointF(x, y + height_ * baselineShare(font)), QString::fromStdString(text));
}

int QtSurface::textWidth(const std::string& text)
{
    const QFontMetrics fm(currentFont(), painter_.device());
    return fm.horizontalAdvance(QString::fromStdString(text));
}

void QtSurface::rectangle(int x1, int y1, int x2, int y2)
{
    if (x2 <= x1 || y2 <= y1)
        return;
    if (brushStyle_ == BrushStyle::Solid)
        painter_.fillRect(QRect(x1, y1, x2 - x1, y2 - y1), toQColor(brushColor_));
    applyPen();
    painter_.setBrush(Qt::NoBrush);
    // The stroke lies inside the rectangle, so the outline covers x1..x2-1 by y1..y2-1.
    const qreal w = penWidth_ > 0 ? penWidth_ : 1;
    const qreal width = x2 - x1 - w;
    const qreal height = y2 - y1 - w;
    painter_.drawRect(QRectF(x1 + w / 2, y1 + w / 2, width > 0 ? width : 0, height > 0 ? height : 0));
}

void QtSurface::moveTo(int x, int y)
{
    pos_ = QPoint(x, y);
}

void QtSurface::lineTo(int x, int y)
{
    applyPen();
    painter_.drawLine(pos_, QPoint(x, y));
    pos_ = QPoint(x, y);
}

}  // namespace pelkano
