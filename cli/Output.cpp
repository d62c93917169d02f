#include "Output.h"

#include "Options.h"
#include "SheetOptions.h"
#include "SvgSurface.h"

#include <QFileInfo>

namespace pelkano::cli {

namespace {

std::optional<int> intOption(const QCommandLineParser& parser, const IntOption& option, std::string& error)
{
    if (!parser.isSet(option.name))
        return option.fallback;
    const std::string text = parser.value(option.name).toStdString();
    const auto value = readIntOption(option, text);
    if (!value)
        error = intOptionError(option, text);
    return value;
}

}  // namespace

QList<QCommandLineOption> drawingOptions()
{
    return {
        {{"o", "output"},
         "Draw the sheets to FILE: a .pdf gets one page a sheet, a .png or .svg one file a page (FILE-1.png, ...).",
         "file"},
        {"answers", "Follow each sheet with the same sheet showing its answers."},
        {"tentative", "On answer sheets, show above each quotient digit the tentative quotients tried before it, "
                      "struck through."},
        {"page-size", "Paper: " + pageSizeNames() + " (default A4, portrait).", "name", "A4"},
        {"dpi", "Device pixels per inch of the page (72 to 1200, default 600).", "number", "600"},
        {"paper-margin", "Blank paper on every side in millimetres, which most printers cannot print on "
                         "(0 to 20, default 5).", "mm", "5"},
        {"margin", "Left margin in preview pixels (1 to 70, default 15).", "number", "15"},
        {"line-width", "Frame line width in device pixels (1 to 4, default 1).", "number", "1"},
        {"frame", "Draw the dotted squared frame for the working (the default)."},
        {"no-frame", "Draw no frame."},
        {"no-marks", "Draw no registration marks and no QR code (a sheet in the written style with its frame "
                     "carries them, so that a scan of the worked sheet can be read back)."},
        {"style", "Question style: written (the default) or expression.", "style", "written"},
        {"sentence", QString("The question sentence (default \"%1\").").arg(QString::fromUtf8(kDefaultSentence)), "text"},
        {"numbers", "Problem numbers on the sheet and its answer sheet: circled (the default) or parens.", "style",
         "circled"},
        {"no-numbers", "Number no problem."},
        {"header-fields", "Give the header fields for the date, the name and the score."},
        {"check", "On answer sheets, write the check under each figure (43×203+36=8765)."},
        {"answer-list", "Follow each answer sheet (each sheet, without --answers) with a page listing only each "
                        "problem's number, quotient and remainder."},
    };
}

std::optional<DrawingOptions> readDrawingOptions(const QCommandLineParser& parser, LayoutPattern pattern,
                                                 std::string& error)
{
    DrawingOptions o;
    o.settings.pattern = pattern;
    o.answers = parser.isSet("answers");
    o.settings.tentative = parser.isSet("tentative");

    if (parser.isSet("output")) {
        o.output = parser.value("output");
        const QString suffix = QFileInfo(o.output).suffix().toLower();
        if (suffix == "pdf") {
            o.kind = OutputKind::Pdf;
        } else if (suffix == "png") {
            o.kind = OutputKind::Png;
        } else if (suffix == "svg") {
            o.kind = OutputKind::Svg;
        } else {
            error = "invalid --output " + quoted(o.output) + " (a file name ending in .pdf, .png or .svg)";
            return std::nullopt;
        }
    }

    const QString sizeName = parser.value("page-size");
    const auto pageSize = pageSizeByName(sizeName);
    if (!pageSize) {
        error = "invalid --page-size " + quoted(sizeName) + " (" + pageSizeNames().toStdString() + ")";
        return std::nullopt;
    }
    o.setup.pageSize = *pageSize;

    const auto dpi = intOption(parser, kDpiOption, error);
    const auto paperMargin = dpi ? intOption(parser, kPaperMarginOption, error) : std::nullopt;
    const auto margin = paperMargin ? intOption(parser, kMarginOption, error) : std::nullopt;
    const auto lineWidth = margin ? intOption(parser, kLineWidthOption, error) : std::nullopt;
    if (!lineWidth)
        return std::nullopt;
    o.setup.dpi = *dpi;
    o.setup.paperMargin = *paperMargin;
    o.settings.leftMargin = *margin;
    o.settings.lineWidth = *lineWidth;

    if (parser.isSet("frame") && parser.isSet("no-frame")) {
        error = "--frame and --no-frame cannot both be given";
        return std::nullopt;
    }
    o.settings.frame = !parser.isSet("no-frame");
    o.settings.registrationMarks = !parser.isSet("no-marks");

    const QString style = parser.value("style");
    const auto parsedStyle = parseStyle(style.toStdString());
    if (!parsedStyle) {
        error = "invalid --style " + quoted(style) + " (written or expression)";
        return std::nullopt;
    }
    o.settings.style = *parsedStyle;

    if (parser.isSet("sentence"))
        o.settings.sentence = parser.value("sentence").toStdString();

    if (parser.isSet("numbers") && parser.isSet("no-numbers")) {
        error = "--numbers and --no-numbers cannot both be given";
        return std::nullopt;
    }
    const QString numbers = parser.value("numbers");
    const auto numberStyle = parseNumberStyle(numbers.toStdString());
    if (!numberStyle || *numberStyle == NumberStyle::None) {
        error = "invalid --numbers " + quoted(numbers) + " (circled or parens)";
        return std::nullopt;
    }
    o.settings.marks.numbers = parser.isSet("no-numbers") ? NumberStyle::None : *numberStyle;
    o.settings.marks.headerFields = parser.isSet("header-fields");
    o.settings.marks.check = parser.isSet("check");
    o.settings.marks.answerList = parser.isSet("answer-list");
    return o;
}

std::vector<QString> pngPaths(const QString& output, int sheets, bool answers, bool answerList)
{
    const QString suffix = '.' + QFileInfo(output).suffix();
    const QString stem = output.left(output.size() - suffix.size());
    std::vector<QString> paths;
    for (int k = 1; k <= sheets; ++k) {
        paths.push_back(stem + '-' + QString::number(k) + suffix);
        if (answers)
            paths.push_back(stem + '-' + QString::number(k) + "-answers" + suffix);
        if (answerList)
            paths.push_back(stem + '-' + QString::number(k) + "-answer-list" + suffix);
    }
    return paths;
}

std::vector<QString> outputPaths(const DrawingOptions& options, int sheets)
{
    if (options.kind == OutputKind::Pdf)
        return {options.output};
    return pngPaths(options.output, sheets, options.answers);
}

QString writeSheets(const DrawingOptions& options, const std::vector<ProblemSheet>& sheets,
                    const PageProgress& progress)
{
    const PageList pages = pagesOf(sheets, options.answers ? AnswerSheets::AfterEach : AnswerSheets::None,
                                   options.settings.marks.answerList);
    if (options.kind == OutputKind::Pdf)
        return writePdf(options.output, pages, options.settings, options.setup, progress);
    if (options.kind == OutputKind::Svg) {
        const std::vector<QString> paths = pngPaths(options.output, static_cast<int>(sheets.size()), options.answers,
                                                             options.settings.marks.answerList);
        if (paths.size() != pages.size())
            return QStringLiteral("%1 file names for %2 pages").arg(paths.size()).arg(pages.size());
        const QSizeF mm = options.setup.pageSize.size(QPageSize::Millimeter);
        const auto svg = [&](std::size_t i, QByteArray& bytes) {
            bytes = QByteArray::fromStdString(
                pageSvg(pages[i], options.settings, mm.width(), mm.height(), options.setup.dpi, options.setup.paperMargin));
            return QString();
        };
        return writeFiles(paths, svg, progress);
    }
    return writePngs(pngPaths(options.output, static_cast<int>(sheets.size()), options.answers,
                                                             options.settings.marks.answerList), pages,
                     options.settings, options.setup, progress);
}

}  // namespace pelkano::cli
