#pragma once
// Reading the command line of pelkano-sheets into plain values. The tool's parser owns the whole
// command line; every failure is one line naming the option or value that could not be used.
#include "OptionText.h"
#include "Output.h"
#include "Sheet.h"

#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelkano::cli {

// The readers shared with the web page.
using pelkano::parseInteger;
using pelkano::parseLayout;
using pelkano::parseTypeList;
using pelkano::printable;

// 'text', printable.
std::string quoted(const QString& text);

// A run that marks scanned worked sheets: the scans, the marked PDF and, optionally, the table.
struct MarkRun {
    QStringList files;
    QString output;
    QString csv;  // empty: no table
};

// Everything a run of the tool needs, read from its command line.
struct Options {
    std::vector<int> types;
    LayoutPattern layout = LayoutPattern::R2C3;
    long long sheets = 1;
    int printNumber = 1;
    std::optional<std::uint64_t> seed;   // none: the clock
    bool sameMix = false;                // every sheet with the first sheet's mix of types
    bool drawsAsBefore = false;          // a same-mix set of an older code (SetRecipe::drawsAsBefore)
    bool balanced = false;               // every ticked type as often as the count allows
    bool easyOrder = false;              // a sheet's problems from easy to hard
    long long firstIndex = 0;            // the sheet of the set the run starts at (--code)
    std::optional<long long> draws;      // set: raw draws instead of sheets
    DrawingOptions drawing;              // drawing.output empty: nothing is drawn
    std::optional<MarkRun> mark;         // set: the run marks scans instead of making sheets
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
