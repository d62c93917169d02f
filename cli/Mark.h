#pragma once
// pelkano-sheets --mark: scanned worked sheets read, judged, and handed back marked.
#include "GreyImage.h"
#include "Options.h"

#include <QImage>
#include <QString>

#include <string>
#include <vector>

namespace pelkano::cli {

// A page of a scan decoded for reading: 8-bit grey, and its paper size in points (1/72 inch).
struct ScanImage {
    QImage image;
    QSizeF points;
};

// The pages of a PDF (rendered at a resolution that fits the layer's pixel limit) or of an image
// file (PNG, JPEG, TIFF; every page of a TIFF). Empty with `error` set (one line of English)
// when the file cannot be read; an image larger than the limit is refused before it is decoded.
std::vector<ScanImage> decodeScan(const QString& path, QString& error);

// Any image as the marking layer takes it: grey pixels, transparent parts read as white paper.
marking::GreyImage greyImageOf(const QImage& image);

struct MarkOutcome {
    int status = 0;                    // 0 every page read, 1 some page or file not
    std::string lines;                 // a line a page, for standard output
    std::vector<std::string> errors;   // one line each, for standard error
};

// Reads every file, marks every page, and writes the marked PDF and the table (all or nothing).
MarkOutcome markScans(const MarkRun& run);

}  // namespace pelkano::cli
