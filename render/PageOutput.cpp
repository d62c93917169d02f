#include "PageOutput.h"

#include "QtSurface.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QFile>
#include <QSaveFile>

#include <cmath>
#include <memory>

namespace pelkano {

namespace {

int evenPixels(double millimetres, int dpi)
{
    return 2 * static_cast<int>(std::lround(millimetres * dpi / 25.4 / 2.0));
}

struct NamedSize {
    const char* name;
    QPageSize::PageSizeId id;
};

constexpr NamedSize kSizes[] = {
    {"A3", QPageSize::A3},       {"A4", QPageSize::A4},          {"A5", QPageSize::A5},
    {"B4", QPageSize::JisB4},    {"B5", QPageSize::JisB5},       {"Letter", QPageSize::Letter},
    {"Legal", QPageSize::Legal},
};

QString fileError(const QSaveFile& file)
{
    return QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
}

// One page on the printable area of the paper the painter draws on.
void drawPage(QPainter& painter, const ProblemSheet& page, const RenderSettings& settings, const PageSetup& setup)
{
    const QRect area = setup.printableRect();
    painter.save();
    painter.translate(area.topLeft());
    QtSurface surface(painter);
    MakePrint(surface, area.width(), area.height(), page, settings);
    painter.restore();
}

}  // namespace

QSize PageSetup::pixelSize() const
{
    const QSizeF mm = pageSize.size(QPageSize::Millimeter);
    return QSize(evenPixels(mm.width(), dpi), evenPixels(mm.height(), dpi));
}

QRect PageSetup::printableRect() const
{
    const int margin = static_cast<int>(std::lround(paperMargin * dpi / 25.4));
    const QSize paper = pixelSize();
    return QRect(margin, margin, paper.width() - 2 * margin, paper.height() - 2 * margin);
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
    drawPage(painter, page, settings, setup);
    return image;
}

QString writePdf(const QString& path, const PageList& pages, const RenderSettings& settings, const PageSetup& setup)
{
    if (pages.empty())
        return QStringLiteral("no pages to write to %1").arg(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileError(file);
    {
        QPdfWriter writer(&file);
        writer.setResolution(setup.dpi);
        writer.setTitle(QStringLiteral("Pelkano"));
        writer.setCreator(QStringLiteral("Pelkano"));
        QPageLayout layout(setup.pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
        layout.setMode(QPageLayout::FullPageMode);
        writer.setPageLayout(layout);

        // The page is drawn in whole device pixels on the setup's printable area of the paper.
        QPainter painter;
        if (!painter.begin(&writer))
            return QStringLiteral("cannot start a PDF in %1").arg(path);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0 && !writer.newPage())
                return QStringLiteral("cannot add page %1 to %2").arg(i + 1).arg(path);
            drawPage(painter, pages[i], settings, setup);
        }
        if (!painter.end())
            return QStringLiteral("cannot finish the PDF %1").arg(path);
    }
    if (file.error() != QFileDevice::NoError || !file.commit())
        return fileError(file);
    return {};
}

QString writePngs(const std::vector<QString>& paths, const PageList& pages, const RenderSettings& settings,
                  const PageSetup& setup)
{
    if (paths.size() != pages.size())
        return QStringLiteral("%1 file names for %2 pages").arg(paths.size()).arg(pages.size());
    // Every page is written beside its target first; the targets appear only when all are written.
    std::vector<std::unique_ptr<QSaveFile>> files;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        auto file = std::make_unique<QSaveFile>(paths[i]);
        if (!file->open(QIODevice::WriteOnly))
            return fileError(*file);
        const QImage image = renderPage(pages[i], settings, setup);
        if (image.isNull())
            return QStringLiteral("a page of %1 by %2 pixels is too large to draw")
                .arg(setup.pixelSize().width())
                .arg(setup.pixelSize().height());
        if (!image.save(file.get(), "PNG"))
            return fileError(*file);
        files.push_back(std::move(file));
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!files[i]->commit()) {
            const QString error = fileError(*files[i]);
            for (std::size_t j = 0; j < i; ++j)
                QFile::remove(paths[j]);
            return error;
        }
    }
    return {};
}

}  // namespace pelkano
