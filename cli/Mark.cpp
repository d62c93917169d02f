#include "Mark.h"

#include "MarkDrawing.h"
#include "Marking.h"
#include "MarkingReport.h"
#include "PageOutput.h"
#include "QtSurface.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPageSize>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace pelkano::cli {

namespace {

// On white: a page with transparent parts reads as paper, not as black.
QImage greyOnWhite(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_Grayscale8);
    QImage white(image.size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    QPainter painter(&white);
    painter.drawImage(0, 0, image);
    painter.end();
    return white.convertToFormat(QImage::Format_Grayscale8);
}


// PDF pages are read at this resolution: a square is then 60 to 80 pixels wide.
constexpr double kPdfDpi = 200;
// An image file that says nothing of its resolution is taken as scanned at this one.
constexpr double kAssumedDpi = 300;



std::vector<ScanImage> decodePdf(const QString& path, QString& error)
{
    QPdfDocument document;
    if (document.load(path) != QPdfDocument::Error::None || document.pageCount() <= 0) {
        error = "cannot read " + QString::fromStdString(quoted(path)) + " as a PDF (it is damaged or not a PDF)";
        return {};
    }
    std::vector<ScanImage> pages;
    for (int i = 0; i < document.pageCount(); ++i) {
        const QSizeF points = document.pagePointSize(i);
        double dpi = kPdfDpi;
        const double area = points.width() * points.height() / (72.0 * 72.0);
        if (!(area > 0) || !std::isfinite(area)) {
            pages.push_back({QImage(), points});
            continue;
        }
        // A page too large for the layer is read at a lower resolution.
        dpi = std::min(dpi, std::sqrt(static_cast<double>(marking::kMaxPixels) / 4 / area));
        const QSize size(std::max(1, static_cast<int>(points.width() / 72.0 * dpi)),
                         std::max(1, static_cast<int>(points.height() / 72.0 * dpi)));
        pages.push_back({greyOnWhite(document.render(i, size)), points});
    }
    return pages;
}

std::vector<ScanImage> decodeImage(const QString& path, const QByteArray& format, QString& error)
{
    // Colour pages are decoded at four bytes a pixel before they are made grey.
    QImageReader::setAllocationLimit(static_cast<int>(marking::kMaxPixels * 4 / (1024 * 1024)) + 1);
    const QString name = QString::fromStdString(quoted(path));
    // Every page of a TIFF file; one image of the others. Each page gets a reader of its own,
    // which asks for the page's size (its header alone) before it decodes a pixel.
    const int count = format == "tiff" ? std::max(1, QImageReader(path, format).imageCount()) : 1;
    std::vector<ScanImage> pages;
    for (int i = 0; i < count; ++i) {
        QImageReader reader(path, format);
        reader.setAutoTransform(true);
        if (i > 0 && !reader.jumpToImage(i))
            break;
        const QSize size = reader.size();
        if (size.isValid() && static_cast<long long>(size.width()) * size.height() > marking::kMaxPixels) {
            error = name + " is too large to read (" + QString::number(size.width()) + " by " +
                    QString::number(size.height()) + " pixels; at most " +
                    QString::number(marking::kMaxPixels / 1'000'000) + " million)";
            return {};
        }
        QImage image = reader.read();
        if (image.isNull()) {
            if (i > 0)
                break;
            error = reader.error() == QImageReader::UnsupportedFormatError
                        ? "cannot read " + name + " (this system reads no " + QString::fromLatin1(format).toUpper() + " images)"
                        : "cannot read " + name + " as an image (" + reader.errorString() + ")";
            return {};
        }
        const double dpm = image.dotsPerMeterX();
        const double dpi = dpm > 50 / 0.0254 && dpm < 5000 / 0.0254 ? dpm * 0.0254 : kAssumedDpi;
        const QSizeF points(image.width() / dpi * 72, image.height() / dpi * 72);
        pages.push_back({greyOnWhite(image), points});
    }
    return pages;
}

// The marked pages as one PDF: each scan at its own paper size, the marks over it.
QString pdfOf(const std::vector<ScanImage>& scans, const std::vector<marking::ScanPage>& marked, QByteArray& bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setCreator("Pelkano");
    writer.setTitle("Pelkano");
    writer.setResolution(300);
    QPainter painter;
    for (std::size_t i = 0; i < scans.size(); ++i) {
        const ScanImage& scan = scans[i];
        const QSizeF points = scan.points.isValid() && scan.points.width() > 0 ? scan.points : QSizeF(595, 842);
        writer.setPageSize(QPageSize(points, QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        if (i == 0 ? !painter.begin(&writer) : !writer.newPage())
            return "cannot make the marked PDF";
        const QRect page(0, 0, writer.width(), writer.height());
        if (scan.image.isNull())
            continue;
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(page, scan.image);
        painter.scale(static_cast<double>(page.width()) / scan.image.width(),
                      static_cast<double>(page.height()) / scan.image.height());
        painter.setRenderHint(QPainter::Antialiasing);
        QtSurface surface(painter);
        marking::drawMarks(surface, marked[i].result, scan.image.width(), scan.image.height());
        painter.restore();
    }
    if (!painter.isActive() || !painter.end())
        return "cannot make the marked PDF";
    return {};
}

}  // namespace

marking::GreyImage greyImageOf(const QImage& source)
{
    const QImage image = greyOnWhite(source);
    marking::GreyImage grey;
    grey.width = image.width();
    grey.height = image.height();
    grey.pixels.resize(static_cast<std::size_t>(grey.width) * static_cast<std::size_t>(grey.height));
    for (int y = 0; y < grey.height; ++y)
        std::copy_n(image.constScanLine(y), grey.width,
                    grey.pixels.begin() + static_cast<std::ptrdiff_t>(y) * grey.width);
    return grey;
}

std::vector<ScanImage> decodeScan(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot open " + QString::fromStdString(quoted(path)) + " (" + file.errorString() + ")";
        return {};
    }
    if (file.size() == 0) {
        error = QString::fromStdString(quoted(path)) + " is empty";
        return {};
    }
    // The kind of file by its first bytes, so that no image plugin guesses at the others'.
    const QByteArray head = file.peek(8);
    file.close();
    if (head.startsWith("%PDF-"))
        return decodePdf(path, error);
    if (head.startsWith("\x89PNG"))
        return decodeImage(path, "png", error);
    if (head.startsWith("\xFF\xD8\xFF"))
        return decodeImage(path, "jpeg", error);
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return decodeImage(path, "tiff", error);
    error = "cannot read " + QString::fromStdString(quoted(path)) + " (neither a PDF nor a PNG, JPEG or TIFF image)";
    return {};
}

MarkOutcome markScans(const MarkRun& run)
{
    MarkOutcome outcome;
    marking::Marker marker;
    std::vector<ScanImage> scans;
    std::vector<marking::ScanPage> marked;
    for (const QString& file : run.files) {
        QString error;
        std::vector<ScanImage> pages = decodeScan(file, error);
        if (pages.empty()) {
            outcome.errors.push_back(printable(error.toStdString()));
            outcome.status = 1;
            continue;
        }
        for (std::size_t i = 0; i < pages.size(); ++i) {
            marking::ScanPage page;
            page.file = printable(file.toStdString());
            page.page = static_cast<int>(i) + 1;
            if (!pages[i].image.isNull())
                page.result = marker.markPage(greyImageOf(pages[i].image));
            else
                page.result.status = marking::PageStatus::NotPelkano;
            if (page.result.status != marking::PageStatus::Marked &&
                page.result.status != marking::PageStatus::AnswerSheet)
                outcome.status = 1;
            outcome.lines += marking::pageLine(page) + "\n";
            marked.push_back(std::move(page));
            scans.push_back(std::move(pages[i]));
        }
    }
    if (scans.empty()) {
        outcome.errors.push_back("no page was read: no file was written");
        outcome.status = 1;
        return outcome;
    }
    std::vector<QString> paths{run.output};
    if (!run.csv.isEmpty())
        paths.push_back(run.csv);
    const QString written = writeFiles(paths, [&](std::size_t i, QByteArray& bytes) -> QString {
        if (i == 0)
            return pdfOf(scans, marked, bytes);
        bytes = QByteArray::fromStdString(marking::marksCsv(marked));
        return {};
    });
    if (!written.isEmpty()) {
        outcome.errors.push_back(printable(written.toStdString()));
        outcome.status = 1;
    }
    return outcome;
}

}  // namespace pelkano::cli
