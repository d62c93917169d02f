#include "PageOutput.h"

#include "Paper.h"
#include "QtSurface.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include <sys/stat.h>

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
QString fileError(const QFileDevice& file, const QString& name = {})
{
    const int code = errno;
    QString reason = file.errorString();
    if (code != 0 && (reason.isEmpty() || reason == QLatin1String("Unknown error")))
        reason = QString::fromLocal8Bit(std::strerror(code));
    return QStringLiteral("cannot write %1: %2").arg(name.isEmpty() ? file.fileName() : name, reason);
}

QString systemError(const QString& what, const QString& path, const std::error_code& error)
{
    return QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(error.message()));
}

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// A file of a new name beside `target`, closed, kept until removed. Empty when it cannot be made.
QString reserveBeside(const QString& target, const QString& purpose)
{
    const QFileInfo info(target);
    QTemporaryFile file(info.dir().filePath(QStringLiteral(".%1.%2.XXXXXX").arg(info.fileName(), purpose)));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

// A set of files that appear together: staged one by one beside their targets, then put in
// place all together or not at all. Staged files left over are removed when the set goes; an
// older file that could not be put back stays where it was kept, never removed.
class FileSet {
public:
    FileSet() = default;
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;
    ~FileSet()
    {
        std::error_code ignored;
        for (const Entry& e : entries_)
            if (!e.staged.isEmpty())
                std::filesystem::remove(fsPath(e.staged), ignored);
    }

    // Writes `data` to a new closed file beside `target`, with the permissions the target has
    // (or a new file would get).
    QString stage(const QString& target, const QByteArray& data)
    {
        Entry e;
        e.target = target;
        QTemporaryFile file(QFileInfo(target).dir().filePath(
            QStringLiteral(".%1.XXXXXX").arg(QFileInfo(target).fileName())));
        file.setAutoRemove(false);
        errno = 0;
        if (!file.open())
            return fileError(file, target);
        e.staged = file.fileName();
        entries_.push_back(e);
        if (file.write(data) != data.size() || !file.flush())
            return fileError(file, target);
        file.close();
        if (file.error() != QFileDevice::NoError)
            return fileError(file, target);
        const QFileInfo old(target);
        const auto permissions = old.exists() ? old.permissions() : newFilePermissions();
        QFile::setPermissions(e.staged, permissions);
        return {};
    }

    // Puts every staged file in place of its target. On a failure every target is as it was.
    QString commit()
    {
        std::size_t done = 0;
        QString error;
        for (; done < entries_.size(); ++done) {
            error = replace(entries_[done]);
            if (!error.isEmpty())
                break;
        }
        if (error.isEmpty()) {
            std::error_code ignored;
            for (Entry& e : entries_) {
                if (!e.backup.isEmpty())
                    std::filesystem::remove(fsPath(e.backup), ignored);
                e.backup.clear();
            }
            return {};
        }
        // Back to the state before: older files return, files this run made go.
        for (std::size_t j = 0; j <= done && j < entries_.size(); ++j)
            restore(entries_[j]);
        return error;
    }

private:
    struct Entry {
        QString target;
        QString staged;   // the new content, until it is in place
        QString backup;   // the older file, while the set is being put in place
        bool hadOld = false;
        bool placed = false;
    };

    static QFileDevice::Permissions newFilePermissions()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        const unsigned mode = 0666u & ~static_cast<unsigned>(mask);
        QFileDevice::Permissions p;
        if (mode & 0400u) p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
        if (mode & 0200u) p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
        if (mode & 0040u) p |= QFileDevice::ReadGroup;
        if (mode & 0020u) p |= QFileDevice::WriteGroup;
        if (mode & 0004u) p |= QFileDevice::ReadOther;
        if (mode & 0002u) p |= QFileDevice::WriteOther;
        return p;
    }

    static QString replace(Entry& e)
    {
        std::error_code error;
        const auto target = fsPath(e.target);
        const auto status = std::filesystem::symlink_status(target, error);
        e.hadOld = !error && std::filesystem::exists(status);
        if (e.hadOld) {
            e.backup = reserveBeside(e.target, QStringLiteral("old"));
            if (e.backup.isEmpty())
                return QStringLiteral("cannot replace %1: no room for its older file beside it").arg(e.target);
            std::filesystem::rename(target, fsPath(e.backup), error);
            if (error) {
                std::error_code ignored;
                std::filesystem::remove(fsPath(e.backup), ignored);
                e.backup.clear();
                return systemError(QStringLiteral("cannot replace"), e.target, error);
            }
        }
        std::filesystem::rename(fsPath(e.staged), target, error);
        if (error)
            return systemError(QStringLiteral("cannot write"), e.target, error);
        e.staged.clear();
        e.placed = true;
        return {};
    }

    static void restore(Entry& e)
    {
        std::error_code ignored;
        if (e.placed && !e.hadOld)
            std::filesystem::remove(fsPath(e.target), ignored);
        if (!e.backup.isEmpty()) {
            std::filesystem::rename(fsPath(e.backup), fsPath(e.target), ignored);
            if (!ignored)
                e.backup.clear();
        }
        e.placed = false;
    }

    std::vector<Entry> entries_;
};

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

PagePainter sheetPainter(const PageList& pages, const RenderSettings& settings)
{
    return [&pages, &settings](DrawingSurface& surface, int width, int height, int index) {
        MakePrint(surface, width, height, pages[static_cast<std::size_t>(index)], settings);
    };
}

}  // namespace

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
        // The page is drawn in whole device pixels on the setup's printable area of the paper.
        outcome = paintPages(writer, setup.printableRect(), pages, settings, progress);
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
    // Every page is written to a closed file beside its target first, so the open files stay
    // few however many pages there are. Then each target is replaced, its older file kept aside
    // until all are in place: on a failure the older files come back and the new ones go.
    FileSet set;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QImage image = renderPage(pages[i], settings, setup);
        if (image.isNull())
            return QStringLiteral("a page of %1 by %2 pixels is too large to draw")
                .arg(setup.pixelSize().width())
                .arg(setup.pixelSize().height());
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG"))
            return QStringLiteral("cannot encode page %1 as PNG").arg(i + 1);
        const QString error = set.stage(paths[i], png);
        if (!error.isEmpty())
            return error;
    }
    return set.commit();
}

QString writeFiles(const std::vector<QString>& paths, const std::vector<QByteArray>& contents)
{
    if (paths.size() != contents.size())
        return QStringLiteral("%1 file names for %2 pages").arg(paths.size()).arg(contents.size());
    FileSet set;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const QString error = set.stage(paths[i], contents[i]);
        if (!error.isEmpty())
            return error;
    }
    return set.commit();
}

}  // namespace pelkano
