#include "Sheet.h"

#include <algorithm>
#include <stdexcept>

namespace pelkano {

int problemCount(LayoutPattern pattern)
{
    static constexpr std::array<int, kLayoutPatternCount> counts{4, 6, 8, 6, 9, 12};
    return counts[static_cast<std::size_t>(pattern)];
}

int columnCount(LayoutPattern pattern)
{
    return static_cast<int>(pattern) < 3 ? 2 : 3;
}

int designRowCount(LayoutPattern pattern)
{
    return problemCount(pattern) / columnCount(pattern);
}

int drawnProblemCount(int count, LayoutPattern pattern)
{
    return count / columnCount(pattern) * columnCount(pattern);
}

void SelectedTypes::tick(int type, bool checked)
{
    const std::string text = std::to_string(type);
    if (checked) {
        entries_.push_back(text);
        return;
    }
    const auto it = std::find(entries_.begin(), entries_.end(), text);
    if (it != entries_.end())
        entries_.erase(it);
}

GeneratedProblem MakeDataTyped(const SelectedTypes& selected, RuleContext& ctx)
{
    const auto& entries = selected.entries();
    if (entries.empty())
        throw std::logic_error("MakeData called with no type ticked");
    const int k = ctx.R(static_cast<int>(entries.size()));
    const int type = std::stoi(entries[static_cast<std::size_t>(k)]);
    return {type, runRule(type, ctx)};
}

DivisionProblem MakeData(const SelectedTypes& selected, RuleContext& ctx)
{
    return MakeDataTyped(selected, ctx).problem;
}

bool buildSheet(ProblemSheet& sheet, LayoutPattern pattern, const SelectedTypes& selected, RuleContext& ctx)
{
    const int wanted = problemCount(pattern);
    std::vector<DivisionProblem> slots;
    std::vector<int> types;
    slots.reserve(static_cast<std::size_t>(wanted));
    bool complete = true;
    for (int i = 0; i < wanted && complete; ++i) {
        for (int draws = 1;; ++draws) {
            const GeneratedProblem g = MakeDataTyped(selected, ctx);
            const DivisionProblem& p = g.problem;
            if (draws > kDrawsPerSlot) {
                complete = false;  // the draw just made is dropped whatever it was
                break;
            }
            if (std::find(slots.begin(), slots.end(), p) == slots.end()) {
                slots.push_back(p);
                types.push_back(g.type);
                break;
            }
        }
    }
    sheet.count = static_cast<int>(slots.size());
    for (std::size_t i = 0; i < slots.size(); ++i) {
        sheet.dividends[i] = std::to_string(slots[i].dividend);
        sheet.divisors[i] = std::to_string(slots[i].divisor);
        sheet.types[i] = types[i];
    }
    return complete;
}

long long buildSheets(long long count, long long firstNumber, LayoutPattern pattern, const SelectedTypes& selected,
                      RuleContext& ctx, const SheetBuilt& built)
{
    ProblemSheet sheet;
    for (long long k = 0; k < count; ++k) {
        sheet.printNumber = static_cast<int>(firstNumber + k);
        const bool complete = buildSheet(sheet, pattern, selected, ctx);
        if (!built(k, sheet, complete))
            return k + 1;
    }
    return count;
}

}  // namespace pelkano
