// pelkano-sheets: builds worksheets as the window's Preview does and prints them as CSV, or
// prints raw draws of the generator as a problem bank; with --output it also draws the sheets.
#include "Options.h"
#include "Output.h"
#include "QtSurface.h"
#include "Sheet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

using namespace pelkano;

namespace {

class StderrReporter final : public Reporter {
public:
    void warn(const std::string& text) override { std::cerr << text << "\n"; }
};

[[noreturn]] void fail(const std::string& message)
{
    std::cerr << "pelkano-sheets: " << message << "\n";
    std::exit(2);
}

void appendRow(std::string& out, const std::string& sheet, const std::string& printNumber, const std::string& slot,
               int type, int dividend, int divisor)
{
    out += sheet + ',' + printNumber + ',' + slot + ',' + std::to_string(type) + ',' + std::to_string(dividend) + ',' +
           std::to_string(divisor) + ',' + std::to_string(dividend / divisor) + ',' + std::to_string(dividend % divisor) +
           '\n';
}

long long countOption(const QCommandLineParser& parser, const QString& name, long long fallback)
{
    if (!parser.isSet(name))
        return fallback;
    const std::string text = parser.value(name).toStdString();
    const auto value = cli::parseInteger(text);
    if (!value || *value < 0)
        fail("invalid --" + name.toStdString() + " '" + text + "' (a whole number, 0 or more)");
    return *value;
}

// Rows go out in blocks of about a megabyte, so a long run needs no more memory than a short one.
void flushIfLarge(std::string& out)
{
    if (out.size() >= (1u << 20)) {
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
    }
}

// True when the command line asks for drawing: fonts need a QGuiApplication, which is made on
// the offscreen platform unless QT_QPA_PLATFORM names another.
bool wantsDrawing(const QStringList& args)
{
    QCommandLineParser probe;
    probe.addOptions(cli::drawingOptions());
    probe.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    probe.parse(args);
    return probe.isSet("output");
}

// The offscreen platform finds no session's runtime folder when run from a service or a test
// and says so on every start; that notice is not the tool's business.
void quietRuntimeNotice(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    std::cerr << qFormatLogMessage(type, context, message).toStdString() << "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    // The arguments as given: QGuiApplication takes some (--style) for itself out of argv.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool drawing = wantsDrawing(arguments);
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(quietRuntimeNotice);
    }
    const std::unique_ptr<QCoreApplication> app =
        drawing ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName("pelkano-sheets");
    QCoreApplication::setApplicationVersion(PELKANO_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription("Builds long-division worksheets and prints them as CSV:\n"
                                     "sheet,print_number,slot,type,dividend,divisor,quotient,remainder");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"types", "Division types to tick, in this order: 1-4,12,20 (1 to 78).", "list"},
        {"layout", "Layout pattern rows x columns: 2x2, 3x2, 4x2, 2x3, 3x3, 4x3 (default 2x3).", "RxC", "2x3"},
        {"sheets", "Number of sheets to build (default 1).", "count", "1"},
        {"seed", "Seed of the random generator (default: the clock).", "number"},
        {"print-number", "Print number of the first sheet (default 1).", "number", "1"},
        {"draws", "Print this many raw draws instead of sheets (no duplicate removal).", "count"},
        {"list-types", "Print every division type, its number, a tab and what its problems have in common, and exit."},
    });
    parser.addOptions(cli::drawingOptions());
    // A command line the parser cannot read is a usage error like any other: one line, status 2.
    if (!parser.parse(arguments))
        fail(parser.errorText().toStdString());
    parser.process(arguments);  // --help and --version

    if (!parser.positionalArguments().isEmpty())
        fail("unexpected argument '" + parser.positionalArguments().first().toStdString() + "'");
    if (parser.isSet("list-types")) {
        std::string list;
        for (int t = 1; t <= kTypeCount; ++t)
            list += std::to_string(t) + '\t' + typeDescriptionText(t) + '\n';
        std::fwrite(list.data(), 1, list.size(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (!parser.isSet("types"))
        fail("missing --types (for example --types 1-4,12)");

    std::string error;
    const std::vector<int> types = cli::parseTypeList(parser.value("types").toStdString(), error);
    if (types.empty())
        fail(error);
    for (int t : types)
        if (!ruleFor(t))
            fail("type " + std::to_string(t) + " is not available in this build");

    const std::string layoutText = parser.value("layout").toStdString();
    const auto layout = cli::parseLayout(layoutText);
    if (!layout)
        fail("invalid --layout '" + layoutText + "' (2x2, 3x2, 4x2, 2x3, 3x3 or 4x3)");

    const long long sheets = countOption(parser, "sheets", 1);
    const auto drawingOptions = cli::readDrawingOptions(parser, *layout, error);
    if (!drawingOptions)
        fail(error);
    if (drawing && parser.isSet("draws"))
        fail("--output draws sheets and cannot be used with --draws");
    if (drawing && sheets == 0)
        fail("invalid --sheets '0' (--output needs at least one sheet)");
    if (drawing && sheets > 1000)
        fail("invalid --sheets '" + std::to_string(sheets) + "' (--output draws at most 1000 sheets)");
    const std::string printText = parser.value("print-number").toStdString();
    const auto printNumber = cli::parseInteger(printText);
    if (!printNumber || *printNumber < -2147483648LL || *printNumber + (sheets > 0 ? sheets - 1 : 0) > 2147483647LL)
        fail("invalid --print-number '" + printText + "' (an integer whose sheets' numbers fit in 32 bits)");

    std::uint64_t seed = SeededRandom::clockSeed();
    if (parser.isSet("seed")) {
        const std::string seedText = parser.value("seed").toStdString();
        const auto value = cli::parseInteger(seedText);
        if (!value || *value < 0)
            fail("invalid --seed '" + seedText + "' (a whole number, 0 or more)");
        seed = static_cast<std::uint64_t>(*value);
    }

    SelectedTypes selected;
    for (int t : types)
        selected.tick(t, true);
    SeededRandom random(seed);
    const NumberTables tables = NumberTables::load();
    StderrReporter reporter;
    RuleContext ctx{random, tables, reporter};

    std::string out = "sheet,print_number,slot,type,dividend,divisor,quotient,remainder\n";
    if (parser.isSet("draws")) {
        const long long draws = countOption(parser, "draws", 0);
        for (long long i = 0; i < draws; ++i) {
            const GeneratedProblem g = MakeDataTyped(selected, ctx);
            appendRow(out, "", "", "", g.type, g.problem.dividend, g.problem.divisor);
            flushIfLarge(out);
        }
    } else {
        std::vector<ProblemSheet> built;
        buildSheets(sheets, *printNumber, *layout, selected, ctx,
                    [&](long long k, const ProblemSheet& sheet, bool complete) {
                        if (!complete)
                            reporter.warn(kSheetWarning);
                        for (int i = 0; i < sheet.count; ++i)
                            appendRow(out, std::to_string(k + 1), std::to_string(sheet.printNumber),
                                      std::to_string(i + 1), sheet.types[static_cast<std::size_t>(i)],
                                      std::stoi(sheet.dividends[static_cast<std::size_t>(i)]),
                                      std::stoi(sheet.divisors[static_cast<std::size_t>(i)]));
                        flushIfLarge(out);
                        if (drawing)
                            built.push_back(sheet);
                        return true;
                    });
        if (drawing) {
            const QString faces = checkFaces();
            if (!faces.isEmpty())
                std::cerr << "pelkano-sheets: " << faces.toStdString() << "\n";
            const QString written = cli::writeSheets(*drawingOptions, built);
            if (!written.isEmpty()) {
                std::cerr << "pelkano-sheets: " << written.toStdString() << "\n";
                return 1;
            }
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
