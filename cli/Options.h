#pragma once
// Reading the command line of pelkano-sheets into plain values. The tool's parser owns the whole
// command line; every failure is one line naming the option or value that could not be used.
#include "Output.h"
#include "Sheet.h"

#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelkano::cli {

// "1-4,12,20": single types and ascending ranges, each 1..78, in the order given.
std::vector<int> parseTypeList(const std::string& text, std::string& error);
// "2x2", "3x2", "4x2", "2x3", "3x3", "4x3" (rows x columns).
std::optional<LayoutPattern> parseLayout(const std::string& text);
// Decimal digits with at most one leading sign; nothing else, no overflow.
std::optional<long long> parseInteger(const std::string& text);

// Text as it may be echoed in a one-line message: control characters (C0, DEL, C1) and bytes
// that are not UTF-8 are written as \n, \t, \xNN or \u{NN}; everything else is kept.
std::string printable(std::string_view text);
// 'text', printable.
std::string quoted(const QString& text);

// Everything a run of the tool needs, read from its command line.
struct Options {
    std::vector<int> types;
    LayoutPattern layout = LayoutPattern::R2C3;
    long long sheets = 1;
    int printNumber = 1;
    std::optional<std::uint64_t> seed;   // none: the clock
    std::optional<long long> draws;      // set: raw draws instead of sheets
    DrawingOptions drawing;              // drawing.output empty: nothing is drawn
    bool drawn() const { return !drawing.output.isEmpty(); }
};

enum class Action { Run, Help, Version, ListTypes, Error };

struct ParsedCommandLine {
    Action action = Action::Error;
    Options options;   // for Run
    std::string text;  // the help, version or type list text, or the one-line error
};

// Reads the whole command line; arguments[0] is the program's name.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

}  // namespace pelkano::cli
