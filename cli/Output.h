#pragma once
// The drawing side of pelkano-sheets: the options that set the page and the figures as the
// window's controls do, and writing the sheets to a PDF or to PNG files.
#include "PageOutput.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace pelkano::cli {

enum class OutputKind { Pdf, Png, Svg };

struct DrawingOptions {
    QString output;  // empty: nothing is drawn
    OutputKind kind = OutputKind::Pdf;
    bool answers = false;  // each sheet is followed by the same sheet with its answers
    RenderSettings settings;
    PageSetup setup;
};

// --output, --answers, --tentative, --page-size, --dpi, --paper-margin, --margin, --line-width, --frame, --no-frame,
// --no-marks, --style, --sentence, --numbers, --no-numbers, --header-fields, --check, --answer-list.
QList<QCommandLineOption> drawingOptions();

// Reads and checks the drawing options (also when nothing is drawn). On failure returns nothing
// and sets `error` to one line naming the value that could not be used.
std::optional<DrawingOptions> readDrawingOptions(const QCommandLineParser& parser, LayoutPattern pattern,
                                                 std::string& error);

// For PNG or SVG output FILE.png: FILE-1.png, FILE-1-answers.png, FILE-1-answer-list.png, FILE-2.png, ...
std::vector<QString> pngPaths(const QString& output, int sheets, bool answers, bool answerList = false);

// The files that `sheets` sheets are drawn to.
std::vector<QString> outputPaths(const DrawingOptions& options, int sheets);

// Draws the sheets (with their answer sheets when asked) to the output. Empty on success; a
// progress that returns false cancels, and then no file appears.
QString writeSheets(const DrawingOptions& options, const std::vector<ProblemSheet>& sheets,
                    const PageProgress& progress = {});

}  // namespace pelkano::cli
