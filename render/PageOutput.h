#pragma once
// Worksheet pages written to files: one PDF of many pages, or one PNG a page. Every page goes
// through MakePrint on a QtSurface, as the printer's pages do. Needs a QGuiApplication (fonts).
#include "FileSet.h"
#include "PageLayout.h"
#include "Pages.h"

#include <QImage>
#include <QPageSize>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QPagedPaintDevice;

namespace pelkano {

// The paper and the resolution of a printed page, always portrait, and the blank border that a
// printer's printable area would leave: the page is drawn on the paper less that border.
struct PageSetup {
    QPageSize pageSize{QPageSize::A4};
    int dpi = 600;
    int paperMargin = 5;  // millimetres on every side, 0 to 20

    // The paper in device pixels: each side at dpi, rounded to the nearest even number of pixels
    // (A4 at 600 dpi is 4960 by 7016).
    QSize pixelSize() const;
    // Where the page is drawn on the paper, in device pixels: the paper less the margin, rounded
    // to whole pixels, on every side (A4 at 600 dpi with no margin: DrawScale 15.5).
    QRect printableRect() const;
};

// "A3", "A4", "A5", "B4", "B5" (the Japanese B sizes), "Letter", "Legal"; any letter case.
std::optional<QPageSize> pageSizeByName(const QString& name);
// The names pageSizeByName knows, for messages.
QString pageSizeNames();

// Told after each page how many of the total are drawn; returning false cancels the rest.
using PageProgress = std::function<bool(int done, int total)>;

enum class PaintOutcome { Done, Cancelled, CannotBegin, CannotAddPage, CannotFinish };

// Paints every page, one device page each, through MakePrint on the `area` of the page in device
// pixels (the page's origin at its top-left corner): the one drawing path of PDF files and
// printers. The device must not be in use.
PaintOutcome paintPages(QPagedPaintDevice& device, const QRect& area, const PageList& pages,
                        const RenderSettings& settings, const PageProgress& progress = {});

// Draws page `index` (from 0) on a surface of width by height device pixels.
using PagePainter = std::function<void(DrawingSurface& surface, int width, int height, int index)>;
// Draws pages[index] by MakePrint with the settings; both are kept by reference.
PagePainter sheetPainter(const PageList& pages, const RenderSettings& settings);

// The same path for pages that are not worksheets (a practice's results): `count` pages, each
// drawn by `paint` on the `area`.
PaintOutcome paintPages(QPagedPaintDevice& device, const QRect& area, int count, const PagePainter& paint,
                        const PageProgress& progress = {});

// A page on a white image of the paper's setup.pixelSize(), 8-bit grey, with the setup's
// resolution; the page lies in setup.printableRect().
QImage renderPage(const ProblemSheet& page, const RenderSettings& settings, const PageSetup& setup);

// Writes every page to one PDF file. The file appears whole or not at all (it is written beside
// the target and renamed at the end); what may be replaced is FileSet's rule (FileSet.h).
// Returns an empty string on success, else what went wrong. A progress that returns false
// cancels: no file appears and the result says so.
QString writePdf(const QString& path, const PageList& pages, const RenderSettings& settings, const PageSetup& setup,
                 const PageProgress& progress = {});

// One PDF file of a set written together: `pages` pages, each drawn by `paint`.
struct PdfDocument {
    QString path;
    int pages = 0;
    PagePainter paint;
};

// Writes each document to its PDF file, every page on the setup's printable area of the paper.
// All files appear whole, or none of them (FileSet's rule, with `calls` putting them in place).
// Returns an empty string on success, else what went wrong; a progress (over the pages of all
// documents) that returns false cancels, as for writePdf.
QString writePdfs(const std::vector<PdfDocument>& documents, const PageSetup& setup, const PageProgress& progress = {},
                  const FileCalls& calls = systemFileCalls());

// Writes page i to paths[i] as PNG; the two lists have the same length. All files appear, or
// none of them, by the same rule as a PDF. Returns an empty string on success, else what went
// wrong; a progress that returns false cancels, as for a PDF.
QString writePngs(const std::vector<QString>& paths, const PageList& pages, const RenderSettings& settings,
                  const PageSetup& setup, const PageProgress& progress = {});

// Whether every path could be written by the rule of FileSet (its folder there and writable,
// its name within the limit, not a folder...), before anything is drawn: an empty string, or
// what stops the first that cannot. Nothing is made.
QString checkTargets(const std::vector<QString>& paths);

// Makes the bytes of file i: an empty string, or what went wrong.
using FileContent = std::function<QString(std::size_t i, QByteArray& bytes)>;

// Writes what content(i) makes to paths[i], for every path. All files appear, or none of them,
// by the same rule as a PDF. Returns an empty string on success, else what went wrong; a progress
// that returns false cancels, as for a PDF.
QString writeFiles(const std::vector<QString>& paths, const FileContent& content, const PageProgress& progress = {});

}  // namespace pelkano
