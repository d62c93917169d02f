#include "Sheet.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

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

std::vector<int> SelectedTypes::types() const
{
    std::vector<int> types;
    types.reserve(entries_.size());
    for (const std::string& e : entries_)
        types.push_back(std::stoi(e));
    return types;
}

SelectedTypes SelectedTypes::ofTypes(const std::vector<int>& types)
{
    SelectedTypes selected;
    for (int t : types)
        selected.tick(t, true);
    return selected;
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

namespace {

// The sheet's problems, slot by slot, and how many there are; later slots keep their text.
void writeSlots(ProblemSheet& sheet, const std::vector<GeneratedProblem>& slots)
{
    sheet.count = static_cast<int>(slots.size());
    for (std::size_t i = 0; i < slots.size(); ++i) {
        sheet.dividends[i] = std::to_string(slots[i].problem.dividend);
        sheet.divisors[i] = std::to_string(slots[i].problem.divisor);
        sheet.types[i] = slots[i].type;
    }
}

bool onSheet(const std::vector<GeneratedProblem>& slots, const DivisionProblem& p)
{
    return std::any_of(slots.begin(), slots.end(), [&](const GeneratedProblem& g) { return g.problem == p; });
}

long long keyOf(const DivisionProblem& p)
{
    return static_cast<long long>(p.dividend) * 1000 + p.divisor;
}

// What a same-mix set has had so far: how many sheets carry each problem (dividend and divisor,
// whatever the type), every problem each type has given (in the order first seen), and whether
// the last slot of a type found no problem new to the set.
class SetHistory {
public:
    int uses(const DivisionProblem& p) const
    {
        const auto it = uses_.find(keyOf(p));
        return it == uses_.end() ? 0 : it->second;
    }
    void seen(int type, const DivisionProblem& p)
    {
        Kind& kind = kinds_[type];
        const long long key = keyOf(p);
        if (kind.index.count(key) != 0)
            return;
        kind.index.emplace(key, kind.seen.size());
        kind.byUses[uses(p)].insert(kind.seen.size());
        kind.seen.push_back(p);
        typesOf_[key].push_back(type);
    }
    void add(const ProblemSheet& sheet)
    {
        for (int i = 0; i < sheet.count; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const DivisionProblem p{std::stoi(sheet.dividends[k]), std::stoi(sheet.divisors[k])};
            seen(sheet.types[k], p);
            const long long key = keyOf(p);
            const int before = uses_[key]++;
            for (int type : typesOf_[key]) {
                Kind& kind = kinds_[type];
                const std::size_t at = kind.index.at(key);
                const auto bucket = kind.byUses.find(before);
                bucket->second.erase(at);
                if (bucket->second.empty())
                    kind.byUses.erase(bucket);
                kind.byUses[before + 1].insert(at);
            }
        }
    }
    bool usedUp(int type) const
    {
        const auto it = kinds_.find(type);
        return it != kinds_.end() && it->second.usedUp;
    }
    void setUsedUp(int type, bool usedUp) { kinds_[type].usedUp = usedUp; }
    // The least used problem of the type not on the sheet, the first seen of those; none when
    // every one is on the sheet. Looks at no more problems than the sheet has, plus one.
    std::optional<DivisionProblem> leastUsed(int type, const std::vector<GeneratedProblem>& slots) const
    {
        const auto it = kinds_.find(type);
        if (it == kinds_.end())
            return std::nullopt;
        for (const auto& [used, indices] : it->second.byUses)
            for (const std::size_t at : indices)
                if (!onSheet(slots, it->second.seen[at]))
                    return it->second.seen[at];
        return std::nullopt;
    }

private:
    struct Kind {
        std::vector<DivisionProblem> seen;
        std::unordered_map<long long, std::size_t> index;  // where each is in seen
        std::map<int, std::set<std::size_t>> byUses;        // the indices of those used so often
        bool usedUp = false;
    };
    std::unordered_map<long long, int> uses_;
    std::unordered_map<long long, std::vector<int>> typesOf_;  // the types that have given a problem
    std::unordered_map<int, Kind> kinds_;
};

// One slot of a later sheet of a same-mix set: problems of `type` not yet on the sheet. The first
// that no earlier sheet has is taken; after kFreshDrawsPerSlot draws (kFreshDrawsWhenUsedUp when
// the type's last slot found none), the least used of the type that is not on the sheet. Nothing
// when the count of draws exceeds kDrawsPerSlot, as in buildSheet.
std::optional<DivisionProblem> drawForSlot(int type, const std::vector<GeneratedProblem>& slots, SetHistory& history,
                                           RuleContext& ctx)
{
    const int fresh = history.usedUp(type) ? kFreshDrawsWhenUsedUp : kFreshDrawsPerSlot;
    for (int draws = 1;; ++draws) {
        const DivisionProblem p = runRule(type, ctx);
        if (draws > kDrawsPerSlot)
            return std::nullopt;  // the draw just made is dropped whatever it was
        history.seen(type, p);
        if (onSheet(slots, p))
            continue;
        if (history.uses(p) == 0) {
            history.setUsedUp(type, false);
            return p;
        }
        if (draws >= fresh) {
            history.setUsedUp(type, true);
            return history.leastUsed(type, slots);
        }
    }
}

// A later sheet of a same-mix set: a problem of each type of the mix, drawn in the mix's order,
// then put in a new order. False when a slot found nothing (the sheet keeps the problems before
// it, in a new order) or the mix itself is short of the layout's count.
bool buildMixedSheet(ProblemSheet& sheet, LayoutPattern pattern, const std::vector<int>& mix, SetHistory& history,
                     RuleContext& ctx)
{
    std::vector<GeneratedProblem> slots;
    slots.reserve(mix.size());
    bool complete = static_cast<int>(mix.size()) == problemCount(pattern);
    for (int type : mix) {
        const std::optional<DivisionProblem> p = drawForSlot(type, slots, history, ctx);
        if (!p) {
            complete = false;
            break;
        }
        slots.push_back({type, *p});
    }
    for (std::size_t i = slots.size(); i > 1; --i)
        std::swap(slots[i - 1], slots[static_cast<std::size_t>(ctx.R(static_cast<int>(i)))]);
    writeSlots(sheet, slots);
    return complete;
}

}  // namespace

bool buildSheet(ProblemSheet& sheet, LayoutPattern pattern, const SelectedTypes& selected, RuleContext& ctx)
{
    const int wanted = problemCount(pattern);
    std::vector<GeneratedProblem> slots;
    slots.reserve(static_cast<std::size_t>(wanted));
    bool complete = true;
    for (int i = 0; i < wanted && complete; ++i) {
        for (int draws = 1;; ++draws) {
            const GeneratedProblem g = MakeDataTyped(selected, ctx);
            if (draws > kDrawsPerSlot) {
                complete = false;  // the draw just made is dropped whatever it was
                break;
            }
            if (!onSheet(slots, g.problem)) {
                slots.push_back(g);
                break;
            }
        }
    }
    writeSlots(sheet, slots);
    return complete;
}

bool buildBalancedSheet(ProblemSheet& sheet, LayoutPattern pattern, const std::vector<int>& types, RuleContext& ctx)
{
    if (types.empty())
        throw std::logic_error("buildBalancedSheet called with no type ticked");
    const int wanted = problemCount(pattern);
    const auto kinds = static_cast<int>(types.size());
    std::vector<int> mix;
    mix.reserve(static_cast<std::size_t>(wanted));
    for (int round = 0; round < wanted / kinds; ++round)
        mix.insert(mix.end(), types.begin(), types.end());
    // The rest: the first count mod types of the types after a partial shuffle.
    std::vector<int> rest = types;
    for (int i = 0; i < wanted % kinds; ++i) {
        const int j = i + ctx.R(kinds - i);
        std::swap(rest[static_cast<std::size_t>(i)], rest[static_cast<std::size_t>(j)]);
        mix.push_back(rest[static_cast<std::size_t>(i)]);
    }
    for (std::size_t i = mix.size(); i > 1; --i)
        std::swap(mix[i - 1], mix[static_cast<std::size_t>(ctx.R(static_cast<int>(i)))]);

    std::vector<GeneratedProblem> slots;
    slots.reserve(mix.size());
    bool complete = true;
    for (const int type : mix) {
        for (int draws = 1;; ++draws) {
            const DivisionProblem p = runRule(type, ctx);
            if (draws > kDrawsPerSlot) {
                complete = false;
                break;
            }
            if (!onSheet(slots, p)) {
                slots.push_back({type, p});
                break;
            }
        }
        if (!complete)
            break;
    }
    writeSlots(sheet, slots);
    return complete;
}

int typeDifficultyRank(int type)
{
    return type <= 4 ? type + 74 : type - 4;
}

void orderEasyFirst(ProblemSheet& sheet)
{
    std::vector<std::size_t> order(static_cast<std::size_t>(std::clamp(sheet.count, 0, kSheetCapacity)));
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return typeDifficultyRank(sheet.types[a]) < typeDifficultyRank(sheet.types[b]);
    });
    const ProblemSheet before = sheet;
    for (std::size_t i = 0; i < order.size(); ++i) {
        sheet.dividends[i] = before.dividends[order[i]];
        sheet.divisors[i] = before.divisors[order[i]];
        sheet.types[i] = before.types[order[i]];
    }
}

long long buildSheets(const SetRecipe& recipe, long long from, long long count, long long firstNumber,
                      RuleContext& ctx, const SheetBuilt& built)
{
    const SelectedTypes selected = SelectedTypes::ofTypes(recipe.types);
    ProblemSheet sheet;
    std::vector<int> mix;
    SetHistory history;
    for (long long k = 0; k < from + count; ++k) {
        bool complete = false;
        if ((k == 0 || !recipe.sameMix) && recipe.balanced) {
            complete = buildBalancedSheet(sheet, recipe.pattern, recipe.types, ctx);
        } else if (k == 0 || !recipe.sameMix) {
            complete = buildSheet(sheet, recipe.pattern, selected, ctx);
        } else {
            complete = buildMixedSheet(sheet, recipe.pattern, mix, history, ctx);
        }
        if (recipe.sameMix) {
            if (k == 0)
                mix.assign(sheet.types.begin(), sheet.types.begin() + sheet.count);
            history.add(sheet);
        }
        if (recipe.easyOrder)
            orderEasyFirst(sheet);
        if (k < from)
            continue;
        sheet.printNumber = static_cast<int>(firstNumber + (k - from));
        sheet.origin = SheetOrigin{recipe, k};
        if (!built(k, sheet, complete))
            return k - from + 1;
    }
    return count;
}

}  // namespace pelkano
