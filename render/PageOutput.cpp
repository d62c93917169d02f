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

}  // namespace

QSize PageSetup::pixelSize() const
{
    const QSizeF mm = pageSize.size(QPageSize::Millimeter);
    return QSize(evenPixels(mm.width(), dpi), evenPixels(mm.height(), dpi));
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
    QtSurface surface(painter);
    MakePrint(surface, size.width(), size.height(), page, settings);
    return image;
}

PageList pagesOf(const std::vector<ProblemSheet>& sheets, AnswerSheets answers)
{
    PageList pages;
    const auto add = [&pages](const ProblemSheet& sheet, bool showAnswers) {
        pages.push_back(sheet);
        pages.back().showAnswers = showAnswers;
    };
    for (const ProblemSheet& sheet : sheets) {
        add(sheet, false);
        if (answers == AnswerSheets::AfterEach)
            add(sheet, true);
    }
    if (answers == AnswerSheets::AtEnd)
        for (const ProblemSheet& sheet : sheets)
            add(sheet, true);
    return pages;
}

PaintOutcome paintPages(QPagedPaintDevice& device, QSize pixels, const PageList& pages,
                        const RenderSettings& settings, const PageProgress& progress)
{
    QPainter painter;
    if (!painter.begin(&device))
        return PaintOutcome::CannotBegin;
    const int total = static_cast<int>(pages.size());
    for (int i = 0; i < total; ++i) {
        if (i > 0 && !device.newPage())
            return PaintOutcome::CannotAddPage;
        QtSurface surface(painter);
        MakePrint(surface, pixels.width(), pixels.height(), pages[static_cast<std::size_t>(i)], settings);
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fileError(file);
    PaintOutcome outcome = PaintOutcome::Done;
    {
        QPdfWriter writer(&file);
        writer.setResolution(setup.dpi);
        writer.setTitle(QStringLiteral("Pelkano"));
        writer.setCreator(QStringLiteral("Pelkano"));
        QPageLayout layout(setup.pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
        layout.setMode(QPageLayout::FullPageMode);
        writer.setPageLayout(layout);
        // The page is drawn in whole device pixels of the setup's size; it lies within a pixel
        // or two of the paper's own size at this resolution, and the page's margins are blank.
        outcome = paintPages(writer, setup.pixelSize(), pages, settings, progress);
    }
    switch (outcome) {
    case PaintOutcome::Done:
        break;
    case PaintOutcome::Cancelled:
        file.cancelWriting();
        return QStringLiteral("writing %1 was cancelled").arg(path);
    case PaintOutcome::CannotBegin:
        return QStringLiteral("cannot start a PDF in %1").arg(path);
    case PaintOutcome::CannotAddPage:
        return QStringLiteral("cannot add a page to %1").arg(path);
    case PaintOutcome::CannotFinish:
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
