#include "PageOutput.h"

#include "FileSet.h"
#include "Paper.h"
#include "QtSurface.h"

#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <string>

namespace pelkano {

namespace {

struct NamedSize {
    const char* name;
    QPageSize::PageSizeId id;
};

constexpr NamedSize kSizes[] = {
    {"A3", QPageSize::A3},       {"A4", QPageSize::A4},          {"A5", QPageSize::A5},
    {"B4", QPageSize::JisB4},    {"B5", QPageSize::JisB5},       {"Letter", QPageSize::Letter},
    {"Legal", QPageSize::Legal},
};

// What went wrong with a file, in the system's words. Call it right after the call that failed:
// Qt leaves some write failures (a full disk) as "Unknown error", and then the system's error
// number of that failure is the reason.
QString fileError(const QFileDevice& file, const QString& name)
{
    const int code = errno;
    QString reason = file.errorString();
    if (code != 0 && (reason.isEmpty() || reason == QLatin1String("Unknown error")))
        reason = QString::fromLocal8Bit(std::strerror(code));
    return QStringLiteral("cannot write %1: %2").arg(name, reason);
}

std::string systemName(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString shown(const std::string& message)
{
    return QFile::decodeName(QByteArray::fromStdString(message));
}

// File i of the set gets all of `content`, closed and on the disk. Empty, or what went wrong.
QString writeContent(FileSet& set, std::size_t i, const QByteArray& content)
{
    std::string error;
    if (set.create(i, error) < 0)
        return shown(error);
    error = set.write(i, content.constData(), static_cast<std::size_t>(content.size()));
    if (error.empty())
        error = set.finish(i);
    return shown(error);
}

// One page drawn with its origin at the top-left corner of `area` and the area's size as the
// surface: the one drawing path of PNG pages, PDF files and printers.
void drawOn(QPainter& painter, const QRect& area, const PagePainter& paint, int index)
{
    painter.save();
    painter.translate(area.topLeft());
    QtSurface surface(painter);
    paint(surface, area.width(), area.height(), index);
    painter.restore();
}

}  // namespace

PagePainter sheetPainter(const PageList& pages, const RenderSettings& settings)
{
    return [&pages, &settings](DrawingSurface& surface, int width, int height, int index) {
        MakePrint(surface, width, height, pages[static_cast<std::size_t>(index)], settings);
    };
}

QSize PageSetup::pixelSize() const
{
    const QSizeF mm = pageSize.size(QPageSize::Millimeter);
    const PixelRect paper = paperPixels(mm.width(), mm.height(), dpi);
    return QSize(paper.width, paper.height);
}

QRect PageSetup::printableRect() const
{
    const QSizeF mm = pageSize.size(QPageSize::Millimeter);
    const PixelRect area = printableArea(mm.width(), mm.height(), dpi, paperMargin);
    return QRect(area.x, area.y, area.width, area.height);
}

std::optional<QPageSize> pageSizeByName(const QString& name)
{
    for (const NamedSize& s : kSizes)
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0)
            return QPageSize(s.id);
    return std::nullopt;
}

QString pageSizeNames()
{
    QStringList names;
    for (const NamedSize& s : kSizes)
        names << QLatin1String(s.name);
    return names.join(QStringLiteral(", "));
}

QImage renderPage(const ProblemSheet& page, const RenderSettings& settings, const PageSetup& setup)
{
    const QSize size = setup.pixelSize();
    QImage image(size, QImage::Format_Grayscale8);
    if (image.isNull())
        return image;
    const int dotsPerMetre = static_cast<int>(std::lround(setup.dpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    const PageList pages{page};
    drawOn(painter, setup.printableRect(), sheetPainter(pages, settings), 0);
    return image;
}

PaintOutcome paintPages(QPagedPaintDevice& device, const QRect& area, const PageList& pages,
                        const RenderSettings& settings, const PageProgress& progress)
{
    return paintPages(device, area, static_cast<int>(pages.size()), sheetPainter(pages, settings), progress);
}

PaintOutcome paintPages(QPagedPaintDevice& device, const QRect& area, int count, const PagePainter& paint,
                        const PageProgress& progress)
{
    QPainter painter;
    if (!painter.begin(&device))
        return PaintOutcome::CannotBegin;
    const int total = count;
    for (int i = 0; i < total; ++i) {
        if (i > 0 && !device.newPage())
            return PaintOutcome::CannotAddPage;
        drawOn(painter, area, paint, i);
        if (progress && !progress(i + 1, total)) {
            painter.end();
            return PaintOutcome::Cancelled;
        }
    }
    return painter.end() ? PaintOutcome::Done : PaintOutcome::CannotFinish;
}

QString writePdf(const QString& path, const PageList& pages, const RenderSettings& settings, const PageSetup& setup,
                 const PageProgress& progress)
{
    if (pages.empty())
        return QStringLiteral("no pages to write to %1").arg(path);
    return writePdfs({{path, static_cast<int>(pages.size()), sheetPainter(pages, settings)}}, setup, progress);
}

QString writePdfs(const std::vector<PdfDocument>& documents, const PageSetup& setup, const PageProgress& progress,
                  const FileCalls& calls)
{
    // Every target is checked before any file is made; each is written beside its target and all
    // are put in their places at the end, by the rule of FileSet.
    FileSet set(calls);
    for (const PdfDocument& document : documents) {
        const std::string error = set.add(systemName(document.path));
        if (!error.empty())
            return shown(error);
    }
    int total = 0;
    for (const PdfDocument& document : documents)
        total += document.pages;
    int before = 0;  // pages of the documents already written
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const PdfDocument& document = documents[i];
        const QString& path = document.path;
        std::string error;
        const int fd = set.create(i, error);
        if (fd < 0)
            return shown(error);
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return fileError(file, path);
        PageProgress told;
        if (progress)
            told = [&](int done, int) { return progress(before + done, total); };
        PaintOutcome outcome = PaintOutcome::Done;
        {
            QPdfWriter writer(&file);
            writer.setResolution(setup.dpi);
            writer.setTitle(QStringLiteral("Pelkano"));
            writer.setCreator(QStringLiteral("Pelkano"));
            QPageLayout layout(setup.pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
            layout.setMode(QPageLayout::FullPageMode);
            writer.setPageLayout(layout);
            // The page is drawn in whole device pixels on the setup's printable area of the paper.
            outcome = paintPages(writer, setup.printableRect(), document.pages, document.paint, told);
        }
        switch (outcome) {
        case PaintOutcome::Done:
            break;
        case PaintOutcome::Cancelled:
            return QStringLiteral("writing %1 was cancelled").arg(path);
        case PaintOutcome::CannotBegin:
            return QStringLiteral("cannot start a PDF in %1").arg(path);
        case PaintOutcome::CannotAddPage:
            return QStringLiteral("cannot add a page to %1").arg(path);
        case PaintOutcome::CannotFinish:
            return QStringLiteral("cannot finish the PDF %1").arg(path);
        }
        // The last buffered block goes out here: its failure (a full disk) is the file's too.
        errno = 0;
        if (!file.flush() || file.error() != QFileDevice::NoError)
            return fileError(file, path);
        file.close();
        error = set.finish(i);
        if (!error.empty())
            return shown(error);
        before += document.pages;
    }
    return shown(set.commit());
}

QString checkTargets(const std::vector<QString>& paths)
{
    FileSet set;
    for (const QString& path : paths) {
        const std::string error = set.add(systemName(path));
        if (!error.empty())
            return shown(error);
    }
    return {};
}

QString writeFiles(const std::vector<QString>& paths, const FileContent& content, const PageProgress& progress)
{
    // Every target is checked before any file is made. Each is then written to a closed file
    // beside its target, so the open files stay few however many there are, and at the end all
    // are put in place together, by the rule of FileSet.
    FileSet set;
    for (const QString& path : paths) {
        const std::string error = set.add(systemName(path));
        if (!error.empty())
            return shown(error);
    }
    const int total = static_cast<int>(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        QByteArray bytes;
        QString error = content(i, bytes);
        if (error.isEmpty())
            error = writeContent(set, i, bytes);
        if (!error.isEmpty())
            return error;
        if (progress && !progress(static_cast<int>(i) + 1, total))
            return QStringLiteral("writing %1 was cancelled").arg(paths[i]);
    }
    return shown(set.commit());
}

QString writePngs(const std::vector<QString>& paths, const PageList& pages, const RenderSettings& settings,
                  const PageSetup& setup, const PageProgress& progress)
{
    if (paths.size() != pages.size())
        return QStringLiteral("%1 file names for %2 pages").arg(paths.size()).arg(pages.size());
    const auto png = [&](std::size_t i, QByteArray& bytes) {
        const QImage image = renderPage(pages[i], settings, setup);
        if (image.isNull())
            return QStringLiteral("a page of %1 by %2 pixels is too large to draw")
                .arg(setup.pixelSize().width())
                .arg(setup.pixelSize().height());
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return QStringLiteral("cannot encode page %1 as PNG").arg(i + 1);
        return QString();
    };
    return writeFiles(paths, png, progress);
}

}  // namespace pelkano
