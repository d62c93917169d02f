#include "Options.h"

#include "TypeRules.h"

#include <QCommandLineParser>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

namespace pelkano::cli {

namespace {

constexpr long long kIntMin = std::numeric_limits<int>::min();
constexpr long long kIntMax = std::numeric_limits<int>::max();
constexpr long long kMaxDrawnSheets = 1000;

std::string hexByte(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned>(byte));
    return text;
}

// Length of the well-formed UTF-8 sequence at text[i], or 0.
std::size_t utf8Length(std::string_view text, std::size_t i, char32_t& code)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (overlong || surrogate || code > 0x10FFFF)
        return 0;
    return length;
}

// The options of the sheets themselves; drawingOptions() adds those of the page.
QList<QCommandLineOption> ownOptions()
{
    return {
        {"types", "Division types to tick, in this order: 1-4,12,20 (1 to 78).", "list"},
        {"layout", "Layout pattern rows x columns: 2x2, 3x2, 4x2, 2x3, 3x3, 4x3 (default 2x3).", "RxC", "2x3"},
        {"sheets", "Number of sheets to build (default 1).", "count", "1"},
        {"seed", "Seed of the random generator (default: the clock).", "number"},
        {"print-number", "Print number of the first sheet (default 1).", "number", "1"},
        {"draws", "Print this many raw draws instead of sheets (no duplicate removal).", "count"},
        {"list-types", "Print every division type, its number, a tab and what its problems have in common, and exit."},
    };
}

void setUp(QCommandLineParser& parser)
{
    parser.setApplicationDescription("Builds long-division worksheets and prints them as CSV:\n"
                                     "sheet,print_number,slot,type,dividend,divisor,quotient,remainder");
    // -platform is an unknown option, not -p -l -a -t -f -o rm.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
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
        error = "invalid --" + name.toStdString() + " " + quoted(text) + " (a whole number, 0 or more)";
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<long long> parseInteger(const std::string& text)
{
    long long value = 0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    // from_chars reads a minus sign itself; a plus sign is stepped over, and a sign after it is
    // not a digit.
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end || *begin == '+' || (*begin == '-' && begin != text.data()))
        return std::nullopt;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::vector<int> parseTypeList(const std::string& text, std::string& error)
{
    std::vector<int> types;
    auto bad = [&](const std::string& item) {
        error = "invalid type '" + printable(item) + "' (types are 1 to 78, ranges like 1-4)";
        return std::vector<int>{};
    };
    if (text.empty())
        return bad(text);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t dash = item.find('-', 1);
        const auto first = parseInteger(dash == std::string::npos ? item : item.substr(0, dash));
        const auto last = dash == std::string::npos ? first : parseInteger(item.substr(dash + 1));
        if (!first || !last || *first < 1 || *last > kTypeCount || *first > *last)
            return bad(item);
        for (long long t = *first; t <= *last; ++t) {
            // A ticked type is in the list once; a second mention would double its share.
            if (std::find(types.begin(), types.end(), t) != types.end()) {
                error = "type " + std::to_string(t) + " given twice in '" + printable(text) + "'";
                return {};
            }
            types.push_back(static_cast<int>(t));
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return types;
}

std::optional<LayoutPattern> parseLayout(const std::string& text)
{
    static const char* const names[kLayoutPatternCount] = {"2x2", "3x2", "4x2", "2x3", "3x3", "4x3"};
    for (int i = 0; i < kLayoutPatternCount; ++i)
        if (text == names[i])
            return static_cast<LayoutPattern>(i);
    return std::nullopt;
}

std::string printable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            out += hexByte(byte);
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else {
            char32_t code = 0;
            const std::size_t length = utf8Length(text, i, code);
            if (length == 0) {
                out += hexByte(byte);
            } else {
                if (code >= 0x80 && code <= 0x9F) {
                    char escaped[12];
                    std::snprintf(escaped, sizeof escaped, "\\u{%02X}", static_cast<unsigned>(code));
                    out += escaped;
                } else {
                    out.append(text.substr(i, length));
                }
                i += length;
                continue;
            }
        }
        ++i;
    }
    return out;
}

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
    if (parser.isSet("help"))
        return textOnly(Action::Help, parser.helpText().toStdString());
    if (parser.isSet("version"))
        return textOnly(Action::Version, "pelkano-sheets " PELKANO_VERSION "\n");

    if (!parser.positionalArguments().isEmpty())
        return failure("unexpected argument " + quoted(parser.positionalArguments().first()));
    if (parser.isSet("list-types")) {
        std::string list;
        for (int t = 1; t <= kTypeCount; ++t)
            list.append(std::to_string(t)).append(1, '\t').append(typeDescriptionText(t)).append(1, '\n');
        return textOnly(Action::ListTypes, std::move(list));
    }
    if (!parser.isSet("types"))
        return failure("missing --types (for example --types 1-4,12)");

    Options o;
    std::string error;
    o.types = parseTypeList(parser.value("types").toStdString(), error);
    if (o.types.empty())
        return failure(error);
    for (int t : o.types)
        if (!ruleFor(t))
            return failure("type " + std::to_string(t) + " is not available in this build");

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
    if (o.drawn() && o.sheets == 0)
        return failure("invalid --sheets " + quoted(sheetsText) + " (--output needs at least one sheet)");
    if (o.drawn() && o.sheets > kMaxDrawnSheets)
        return failure("invalid --sheets " + quoted(sheetsText) + " (--output draws at most " +
                       std::to_string(kMaxDrawnSheets) + " sheets)");

    // Every sheet's print number is a 32-bit integer: the first one, and the last one
    // first + sheets - 1, each checked without leaving the range of long long.
    const QString printText = parser.value("print-number");
    const auto first = parseInteger(printText.toStdString());
    if (!first || *first < kIntMin || *first > kIntMax)
        return failure("invalid --print-number " + quoted(printText) + " (-2147483648 to 2147483647)");
    o.printNumber = static_cast<int>(*first);
    if (o.sheets > 0 && o.sheets - 1 > kIntMax - *first) {
        const std::string last = std::to_string(*first) + " + " + std::to_string(o.sheets - 1);
        if (parser.isSet("print-number"))
            return failure("invalid --print-number " + quoted(printText) + " (the last sheet's number, " + last +
                           ", is beyond 2147483647)");
        return failure("invalid --sheets " + quoted(sheetsText) + " (the last sheet's print number, " + last +
                       ", is beyond 2147483647)");
    }

    if (parser.isSet("seed")) {
        const QString seedText = parser.value("seed");
        const auto value = parseInteger(seedText.toStdString());
        if (!value || *value < 0)
            return failure("invalid --seed " + quoted(seedText) + " (a whole number, 0 or more)");
        o.seed = static_cast<std::uint64_t>(*value);
    }
    if (parser.isSet("draws")) {
        const auto draws = countOption(parser, "draws", 0, error);
        if (!draws)
            return failure(error);
        o.draws = *draws;
    }

    ParsedCommandLine result;
    result.action = Action::Run;
    result.options = std::move(o);
    return result;
}

}  // namespace pelkano::cli
