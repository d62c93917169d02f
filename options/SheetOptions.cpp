#include "SheetOptions.h"

#include <array>
#include <limits>

namespace pelkano {

namespace {

constexpr std::array<const char*, kLayoutPatternCount> kLayoutNames{"2x2", "3x2", "4x2", "2x3", "3x3", "4x3"};
constexpr long long kIntMax = std::numeric_limits<int>::max();

}  // namespace

std::optional<int> readIntOption(const IntOption& option, const std::string& text)
{
    const auto value = parseInteger(text);
    if (!value || *value < option.low || *value > option.high)
        return std::nullopt;
    return static_cast<int>(*value);
}

std::string intOptionError(const IntOption& option, const std::string& text)
{
    return std::string("invalid --") + option.name + " '" + printable(text) + "' (" + std::to_string(option.low) +
           " to " + std::to_string(option.high) + ")";
}

const char* layoutName(LayoutPattern pattern)
{
    return kLayoutNames[static_cast<std::size_t>(pattern)];
}

std::string formatTypeList(const std::vector<int>& types)
{
    std::string out;
    for (std::size_t i = 0; i < types.size();) {
        std::size_t j = i;
        while (j + 1 < types.size() && types[j + 1] == types[j] + 1)
            ++j;
        out.append(out.empty() ? "" : ",").append(std::to_string(types[i]));
        if (j > i)
            out.append("-").append(std::to_string(types[j]));
        i = j + 1;
    }
    return out;
}

std::optional<QuestionStyle> parseStyle(const std::string& text)
{
    if (text == "written")
        return QuestionStyle::Written;
    if (text == "expression")
        return QuestionStyle::Expression;
    return std::nullopt;
}

const char* styleName(QuestionStyle style)
{
    return style == QuestionStyle::Expression ? "expression" : "written";
}

std::optional<NumberStyle> parseNumberStyle(const std::string& text)
{
    if (text == "circled")
        return NumberStyle::Circled;
    if (text == "parens")
        return NumberStyle::Parenthesized;
    if (text == "none")
        return NumberStyle::None;
    return std::nullopt;
}

const char* numberStyleName(NumberStyle style)
{
    return style == NumberStyle::Circled ? "circled" : style == NumberStyle::Parenthesized ? "parens" : "none";
}

std::optional<bool> parseEasyOrder(const std::string& text)
{
    if (text == "easy")
        return true;
    if (text == "random")
        return false;
    return std::nullopt;
}

const char* orderName(bool easyOrder)
{
    return easyOrder ? "easy" : "random";
}

std::string lastPrintNumberProblem(long long first, long long sheets)
{
    if (sheets <= 0 || sheets - 1 <= kIntMax - first)
        return {};
    return "the last sheet's number, " + std::to_string(first) + " + " + std::to_string(sheets - 1) +
           ", is beyond 2147483647";
}

}  // namespace pelkano
