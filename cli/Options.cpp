#include "Options.h"

#include "SheetCode.h"
#include "SheetOptions.h"
#include "TypeRules.h"
#include "Units.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

namespace pelkano::cli {

namespace {

constexpr long long kIntMin = std::numeric_limits<int>::min();
constexpr long long kIntMax = std::numeric_limits<int>::max();
constexpr long long kMaxDrawnSheets = kDrawnSheetsOption.high;

// The options of the sheets themselves; drawingOptions() adds those of the page.
QList<QCommandLineOption> ownOptions()
{
    return {
        {"types", "Division types to tick, in this order: 1-4,12,20 (1 to 78).", "list"},
        {"layout", "Layout pattern rows x columns: 2x2, 3x2, 4x2, 2x3, 3x3, 4x3 (default 2x3).", "RxC", "2x3"},
        {"sheets", "Number of sheets to build (default 1).", "count", "1"},
        {"seed", "Seed of the random generator (default: the clock).", "number"},
        {"print-number", "Print number of the first sheet (default 1).", "number", "1"},
        {"same-mix", "Give every sheet after the first as many problems of each type as the first, and use "
                     "problems of earlier sheets again only where a type has too few."},
        {"balanced", "Give each sheet every ticked type as often as its count allows (the rest drawn at random), "
                     "in a new order on each sheet; with --same-mix, the balanced mix of the first sheet."},
        {"order", "Order of a sheet's problems: random (the default) or easy (by their type's place on the "
                  "type pages, the easiest first).", "order", "random"},
        {"code", "Make again the sheet whose page carries CODE (with --output, the sheet and its answer sheet).",
         "code"},
        {"draws", "Print this many raw draws instead of sheets (no duplicate removal).", "count"},
        {"unit", "Tick the types of the textbook's unit NAME instead of --types (see --list-units).", "name"},
        {"list-units", "Print every unit, its name, a tab and the types it ticks, and exit."},
        {"list-types", "Print every division type, its number, a tab and what its problems have in common, and exit."},
        {"mark", "Mark the scanned worked sheets of the files given after the options (PDF, PNG, JPEG, TIFF): "
                 "a line a page, and with --output FILE.pdf each page with the marks drawn over it."},
        {"csv", "With --mark: also write every problem's result to FILE (CSV, UTF-8).", "file"},
    };
}

void setUp(QCommandLineParser& parser)
{
    parser.setApplicationDescription("Builds long-division worksheets and prints them as CSV:\n"
                                     "sheet,print_number,slot,type,dividend,divisor,quotient,remainder");
    // -platform is an unknown option, not -p -l -a -t -f -o rm.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Not Qt's help option: it would list --help-all, for Qt's own options, which the tool does
    // not read.
    parser.addOption({{"h", "help"}, "Displays this help."});
    parser.addVersionOption();
    parser.addOptions(ownOptions());
    parser.addOptions(drawingOptions());
}

// A run that only prints a text: help, version, the type list, or the one-line error.
ParsedCommandLine textOnly(Action action, std::string text)
{
    ParsedCommandLine result;
    result.action = action;
    result.text = std::move(text);
    return result;
}

ParsedCommandLine failure(std::string message)
{
    return textOnly(Action::Error, std::move(message));
}

// A count option (0 or more), or its one-line error.
std::optional<long long> countOption(const QCommandLineParser& parser, const QString& name, long long fallback,
                                     std::string& error)
{
    if (!parser.isSet(name))
        return fallback;
    const QString text = parser.value(name);
    const auto value = parseInteger(text.toStdString());
    if (!value || *value < 0) {
        error = "invalid --" + name.toStdString() + " " + quoted(text) +
                (beyondInteger(text.toStdString()) && !text.startsWith(QLatin1Char('-'))
                     ? " (too large: at most " + std::to_string(std::numeric_limits<long long>::max()) + ")"
                     : " (a whole number, 0 or more)");
        return std::nullopt;
    }
    return value;
}

// Why a --code cannot be used, as the end of a one-line message; empty for a code that can.
std::string codeProblem(const DecodedCode& decoded)
{
    switch (decoded.error) {
    case CodeError::None:
        return {};
    case CodeError::Empty:
        return "no code given";
    case CodeError::BadCharacter:
        return std::string("'").append(printable(decoded.character)).append("' is not in a code: codes use 0-9 and A-Z but I, L, O and U");
    case CodeError::CheckFails:
        return "its check does not match: a character is mistyped, missing or extra";
    case CodeError::Newer:
        return "it comes from a newer version of this program";
    case CodeError::Unreadable:
        break;
    }
    return "it names no sheet";
}

// The first of these types that this build cannot make, as a one-line error; empty when none.
std::string unavailableType(const std::vector<int>& types)
{
    for (const int t : types)
        if (!ruleFor(t))
            return "type " + std::to_string(t) + " is not available in this build";
    return {};
}

ParsedCommandLine runOf(Options o)
{
    ParsedCommandLine result;
    result.action = Action::Run;
    result.options = std::move(o);
    return result;
}

// A run made from --code: the sheet it names, and nothing that would name another.
ParsedCommandLine fromCode(const QCommandLineParser& parser)
{
    for (const char* other : {"types", "layout", "sheets", "seed", "print-number", "same-mix", "draws", "balanced",
                              "order", "numbers", "no-numbers", "header-fields", "check", "answer-list"})
        if (parser.isSet(other))
            return failure(std::string("--code names the sheet and cannot be used with --") + other);
    const QString text = parser.value("code");
    const DecodedCode decoded = decodeSheetCode(text.toStdString());
    const std::string problem = codeProblem(decoded);
    if (!problem.empty())
        return failure("invalid --code " + quoted(text) + " (" + problem + ")");
    const SheetCode& code = *decoded.code;
    const SetRecipe& recipe = code.origin.recipe;
    if (const std::string unavailable = unavailableType(recipe.types); !unavailable.empty())
        return failure(unavailable);

    Options o;
    o.types = recipe.types;
    o.layout = recipe.pattern;
    o.seed = recipe.seed;
    o.sameMix = recipe.sameMix;
    o.drawsAsBefore = recipe.drawsAsBefore;
    o.balanced = recipe.balanced;
    o.easyOrder = recipe.easyOrder;
    o.firstIndex = code.origin.index;
    o.printNumber = code.printNumber;
    std::string error;
    auto drawing = readDrawingOptions(parser, o.layout, error);
    if (!drawing)
        return failure(error);
    o.drawing = std::move(*drawing);
    o.drawing.answers = true;
    o.drawing.settings.marks = code.marks;
    return runOf(std::move(o));
}

// A run that marks scans: its files, the marked PDF and the table, and no option of the sheets.
ParsedCommandLine markRun(const QCommandLineParser& parser)
{
    for (const char* other : {"types", "layout", "sheets", "seed", "print-number", "same-mix", "draws", "code",
                              "list-types", "answers", "tentative", "page-size", "dpi", "paper-margin", "margin",
                              "line-width", "frame", "no-frame", "style", "sentence"})
        if (parser.isSet(other))
            return failure(std::string("--mark reads the sheets from the scans and cannot be used with --") + other);
    MarkRun run;
    run.files = parser.positionalArguments();
    if (run.files.isEmpty())
        return failure("--mark needs at least one scanned file (PDF, PNG, JPEG or TIFF)");
    if (!parser.isSet("output"))
        return failure("--mark needs --output FILE.pdf for the marked pages");
    run.output = parser.value("output");
    if (QFileInfo(run.output).suffix().toLower() != QLatin1String("pdf"))
        return failure("invalid --output " + quoted(run.output) + " (--mark writes a file name ending in .pdf)");
    if (parser.isSet("csv")) {
        run.csv = parser.value("csv");
        if (run.csv.isEmpty())
            return failure("invalid --csv '' (a file name)");
    }
    Options o;
    o.mark = std::move(run);
    return runOf(std::move(o));
}

}  // namespace

std::string quoted(const QString& text)
{
    std::string out(1, '\'');
    return out.append(printable(text.toStdString())).append(1, '\'');
}

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    setUp(parser);
    // A command line the parser cannot read is a usage error like any other: one line.
    if (!parser.parse(arguments))
        return failure(printable(parser.errorText().toStdString()));
    if (parser.isSet("help")) {
        // The parser names the program after the application object, which the tool has not
        // made yet ("<executable_name>"): the usage line names the tool, whoever asks.
        QString help = parser.helpText();
        const qsizetype name = help.indexOf(QLatin1String(" [options]"));
        if (help.startsWith(QLatin1String("Usage: ")) && name > 7)
            help.replace(7, name - 7, QLatin1String("pelkano-sheets"));
        return textOnly(Action::Help, help.toStdString());
    }
    if (parser.isSet("version"))
        return textOnly(Action::Version, "pelkano-sheets " PELKANO_VERSION "\n");

    if (parser.isSet("mark"))
        return markRun(parser);
    if (parser.isSet("csv"))
        return failure("--csv goes with --mark");
    if (!parser.positionalArguments().isEmpty())
        return failure("unexpected argument " + quoted(parser.positionalArguments().first()));
    if (parser.isSet("list-types")) {
        std::string list;
        for (int t = 1; t <= kTypeCount; ++t)
            list.append(std::to_string(t)).append(1, '\t').append(typeDescriptionText(t)).append(1, '\n');
        return textOnly(Action::ListTypes, std::move(list));
    }
    if (parser.isSet("list-units")) {
        std::string list;
        for (const Unit& unit : units())
            list.append(unit.name).append(1, '\t').append(formatTypeList(unit.types)).append(1, '\n');
        return textOnly(Action::ListTypes, std::move(list));
    }
    if (parser.isSet("code")) {
        if (parser.isSet("unit"))
            return failure("--code names the sheet and cannot be used with --unit");
        return fromCode(parser);
    }
    if (parser.isSet("unit") && parser.isSet("types"))
        return failure("--unit ticks the types and cannot be used with --types");
    if (!parser.isSet("types") && !parser.isSet("unit"))
        return failure("missing --types (for example --types 1-4,12)");

    Options o;
    std::string error;
    if (parser.isSet("unit")) {
        const QString name = parser.value("unit");
        const Unit* unit = unitByName(name.toStdString());
        if (!unit)
            return failure("invalid --unit " + quoted(name) + " (see --list-units)");
        o.types = unit->types;
    } else {
        o.types = parseTypeList(parser.value("types").toStdString(), error);
    }
    if (o.types.empty())
        return failure(error);
    if (const std::string unavailable = unavailableType(o.types); !unavailable.empty())
        return failure(unavailable);

    const QString layoutText = parser.value("layout");
    const auto layout = parseLayout(layoutText.toStdString());
    if (!layout)
        return failure("invalid --layout " + quoted(layoutText) + " (2x2, 3x2, 4x2, 2x3, 3x3 or 4x3)");
    o.layout = *layout;

    const auto sheets = countOption(parser, "sheets", 1, error);
    if (!sheets)
        return failure(error);
    o.sheets = *sheets;
    auto drawing = readDrawingOptions(parser, o.layout, error);
    if (!drawing)
        return failure(error);
    o.drawing = std::move(*drawing);
    const QString sheetsText = parser.value("sheets");
    if (o.drawn() && parser.isSet("draws"))
        return failure("--output draws sheets and cannot be used with --draws");
    o.sameMix = parser.isSet("same-mix");
    if (o.sameMix && parser.isSet("draws"))
        return failure("--same-mix makes sheets and cannot be used with --draws");
    o.balanced = parser.isSet("balanced");
    const QString orderText = parser.value("order");
    const auto order = parseEasyOrder(orderText.toStdString());
    if (!order)
        return failure("invalid --order " + quoted(orderText) + " (random or easy)");
    o.easyOrder = *order;
    for (const char* sheetOnly : {"balanced", "order"})
        if (parser.isSet(sheetOnly) && parser.isSet("draws"))
            return failure(std::string("--") + sheetOnly + " makes sheets and cannot be used with --draws");
    if (o.drawn() && o.sheets == 0)
        return failure("invalid --sheets " + quoted(sheetsText) + " (--output needs at least one sheet)");
    if (o.drawn() && o.sheets > kMaxDrawnSheets)
        return failure("invalid --sheets " + quoted(sheetsText) + " (--output draws at most " +
                       std::to_string(kMaxDrawnSheets) + " sheets)");

    // Every sheet's print number is a 32-bit integer: the first one, and the last one
    // first + sheets - 1, each checked without leaving the range of long long. Raw draws have
    // no sheets and no print numbers.
    const QString printText = parser.value("print-number");
    const auto first = parseInteger(printText.toStdString());
    if (!first || *first < kIntMin || *first > kIntMax)
        return failure("invalid --print-number " + quoted(printText) + " (-2147483648 to 2147483647)");
    o.printNumber = static_cast<int>(*first);
    const std::string beyond = parser.isSet("draws") ? std::string() : lastPrintNumberProblem(*first, o.sheets);
    if (!beyond.empty()) {
        if (parser.isSet("print-number"))
            return failure("invalid --print-number " + quoted(printText) + " (" + beyond + ")");
        return failure("invalid --sheets " + quoted(sheetsText) + " (" + beyond + ")");
    }

    if (parser.isSet("seed")) {
        const QString seedText = parser.value("seed");
        const auto value = parseSeed(seedText.toStdString());
        if (!value)
            return failure("invalid --seed " + quoted(seedText) + " (0 to " +
                           std::to_string(std::numeric_limits<std::uint64_t>::max()) + ")");
        o.seed = *value;
    }
    if (parser.isSet("draws")) {
        const auto draws = countOption(parser, "draws", 0, error);
        if (!draws)
            return failure(error);
        o.draws = *draws;
    }

    return runOf(std::move(o));
}

}  // namespace pelkano::cli
