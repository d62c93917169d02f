#pragma once
// What the options of a set of sheets mean: their names (those of pelkano-sheets, which the web
// page's address uses too), ranges and defaults, and the texts that write a value back. Plain C++.
#include "OptionText.h"
#include "RenderSettings.h"
#include "Sheet.h"

#include <optional>
#include <string>
#include <vector>

namespace pelkano {

// A whole-number option with its range and the value it has when not given.
struct IntOption {
    const char* name;
    int low;
    int high;
    int fallback;
};

inline constexpr IntOption kMarginOption{"margin", 1, 70, 15};          // layout units
inline constexpr IntOption kLineWidthOption{"line-width", 1, 4, 1};     // device pixels
inline constexpr IntOption kDpiOption{"dpi", 72, 1200, 600};
inline constexpr IntOption kPaperMarginOption{"paper-margin", 0, 20, 5};  // millimetres
// Sheets drawn at once (a file or a print job).
inline constexpr IntOption kDrawnSheetsOption{"sheets", 1, 1000, 1};

// The question sentence's most characters, as its field takes them.
inline constexpr std::size_t kSentenceMaxLength = 200;

// The value, or nothing when the text is not a whole number within the option's range.
std::optional<int> readIntOption(const IntOption& option, const std::string& text);
// "invalid --margin '0' (1 to 70)"
std::string intOptionError(const IntOption& option, const std::string& text);

// "2x3" for LayoutPattern::R2C3: the name parseLayout reads.
const char* layoutName(LayoutPattern pattern);
// "1-4,12,20": runs of ascending consecutive types as ranges, in the order given; parseTypeList
// reads it back to the same list.
std::string formatTypeList(const std::vector<int>& types);

// "written" or "expression".
std::optional<QuestionStyle> parseStyle(const std::string& text);
const char* styleName(QuestionStyle style);

// "circled" (①②…) or "parens" ((1)(2)…), the problem numbers' names; "none" reads as none.
std::optional<NumberStyle> parseNumberStyle(const std::string& text);
const char* numberStyleName(NumberStyle style);
// "random" (the default) or "easy": whether a sheet's problems stand from easy to hard.
std::optional<bool> parseEasyOrder(const std::string& text);
const char* orderName(bool easyOrder);

// Every sheet's print number is an int: empty when the last of `sheets` sheets numbered on from
// `first` is one, else what goes beyond ("the last sheet's number, 5 + 3, is beyond 2147483647").
std::string lastPrintNumberProblem(long long first, long long sheets);

}  // namespace pelkano
