#include "Sheet.h"

#include <algorithm>
#include <optional>
#include <queue>
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
// the last slot of a type found no problem new to the set. Every draw of a later sheet passes
// through here, so each problem is looked up once, by number, and the least used problems of a
// type are kept in order only once the type has had to settle for one.
class SetHistory {
public:
    // The problem's number in the set, from 0; a problem not seen before gets the next one.
    int numberOf(const DivisionProblem& p)
    {
        if (2 * (problems_.size() + 1) > slots_.size())
            grow();
        const long long key = keyOf(p);
        std::size_t at = slotOf(key);
        for (; slots_[at].number >= 0; at = (at + 1) & (slots_.size() - 1))
            if (slots_[at].key == key)
                return slots_[at].number;
        slots_[at] = {key, static_cast<int>(problems_.size())};
        problems_.emplace_back().p = p;
        return slots_[at].number;
    }
    int uses(int problem) const { return problems_[static_cast<std::size_t>(problem)].uses; }
    const DivisionProblem& problem(int problem) const { return problems_[static_cast<std::size_t>(problem)].p; }
    // Notes that `type` has given the problem; returns its number.
    int seen(int type, const DivisionProblem& p)
    {
        const int n = numberOf(p);
        Problem& problem = problems_[static_cast<std::size_t>(n)];
        if (problem.first.type == type ||
            std::any_of(problem.more.begin(), problem.more.end(), [&](const Given& g) { return g.type == type; }))
            return n;
        Kind& kind = kindOf(type);
        const int at = static_cast<int>(kind.seen.size());
        if (problem.first.type < 0)
            problem.first = {type, at};
        else
            problem.more.push_back({type, at});
        kind.seen.push_back(n);
        if (kind.ordered)
            kind.leastFirst.push({problem.uses, at});
        return n;
    }
    void add(int type, const DivisionProblem& p)
    {
        const int n = seen(type, p);
        Problem& problem = problems_[static_cast<std::size_t>(n)];
        ++problem.uses;
        const auto reorder = [&](const Given& g) {
            Kind& kind = kindOf(g.type);
            if (kind.ordered)
                kind.leastFirst.push({problem.uses, g.at});  // the entry with the old count is stale now
        };
        reorder(problem.first);
        std::for_each(problem.more.begin(), problem.more.end(), reorder);
    }
    bool usedUp(int type) { return kindOf(type).usedUp; }
    void setUsedUp(int type, bool usedUp) { kindOf(type).usedUp = usedUp; }
    // The least used problem of the type not on the sheet, the first seen of those; none when
    // every one is on the sheet. Looks at no more problems than the sheet has, plus one.
    std::optional<DivisionProblem> leastUsed(int type, const std::vector<GeneratedProblem>& slots)
    {
        Kind& kind = kindOf(type);
        if (!kind.ordered) {
            kind.ordered = true;
            for (std::size_t at = 0; at < kind.seen.size(); ++at)
                kind.leastFirst.push({uses(kind.seen[at]), static_cast<int>(at)});
        }
        std::vector<Entry> passed;  // on the sheet: put back afterwards
        std::optional<DivisionProblem> found;
        while (!kind.leastFirst.empty()) {
            const Entry e = kind.leastFirst.top();
            const DivisionProblem& p = problem(kind.seen[static_cast<std::size_t>(e.at)]);
            if (e.uses != uses(kind.seen[static_cast<std::size_t>(e.at)])) {
                kind.leastFirst.pop();
                continue;
            }
            if (!onSheet(slots, p)) {
                found = p;
                break;
            }
            passed.push_back(e);
            kind.leastFirst.pop();
        }
        for (const Entry& e : passed)
            kind.leastFirst.push(e);
        return found;
    }

private:
    struct Given {
        int type;
        int at;  // where the problem is in the type's seen
    };
    struct Problem {
        DivisionProblem p;
        int uses = 0;
        // The first type that gave it, and any other: nearly every problem has one type, and
        // keeping it here spares every draw a second look-up (a tenth of a same-mix set's time).
        Given first{-1, 0};
        std::vector<Given> more;
    };
    struct Entry {
        int uses;
        int at;
        friend bool operator>(const Entry& a, const Entry& b)
        {
            return a.uses != b.uses ? a.uses > b.uses : a.at > b.at;
        }
    };
    struct Kind {
        std::vector<int> seen;  // problem numbers, in the order first seen
        // Once ordered: (uses, place in seen) of every problem seen, the least used and then the
        // first seen on top; an entry whose count is no longer the problem's is skipped.
        bool ordered = false;
        std::priority_queue<Entry, std::vector<Entry>, std::greater<>> leastFirst;
        bool usedUp = false;
    };
    Kind& kindOf(int type)
    {
        const auto at = static_cast<std::size_t>(std::clamp(type, 0, kTypeCount));
        if (kinds_.size() <= at)
            kinds_.resize(at + 1);
        return kinds_[at];
    }
    // An open table of the problems' keys and numbers, at most half full, found by the key's hash.
    std::size_t slotOf(long long key) const
    {
        const auto h = static_cast<std::uint64_t>(key) * 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(h >> 32) & (slots_.size() - 1);
    }
    void grow()
    {
        slots_.assign(std::max<std::size_t>(64, 2 * slots_.size()), Slot{});
        for (std::size_t n = 0; n < problems_.size(); ++n) {
            const long long key = keyOf(problems_[n].p);
            std::size_t at = slotOf(key);
            while (slots_[at].number >= 0)
                at = (at + 1) & (slots_.size() - 1);
            slots_[at] = {key, static_cast<int>(n)};
        }
    }
    struct Slot {
        long long key = 0;
        int number = -1;
    };
    std::vector<Slot> slots_;
    std::vector<Problem> problems_;
    std::vector<Kind> kinds_;
};

// One slot of a later sheet of a same-mix set: problems of `type` not yet on the sheet. The first
// that no earlier sheet has is taken; after kFreshDrawsPerSlot draws (kFreshDrawsWhenUsedUp when
// the type's last slot found none), the least used of the type that is not on the sheet. Nothing
// when the count of draws exceeds kDrawsPerSlot, as in buildSheet.
std::optional<DivisionProblem> drawForSlot(int type, const std::vector<GeneratedProblem>& slots, SetHistory& history,
                                           bool drawsAsBefore, RuleContext& ctx)
{
    const int whenUsedUp = drawsAsBefore ? kFreshDrawsWhenUsedUpBefore : kFreshDrawsWhenUsedUp;
    const int fresh = history.usedUp(type) ? whenUsedUp : kFreshDrawsPerSlot;
    for (int draws = 1;; ++draws) {
        const DivisionProblem p = runRule(type, ctx);
        if (draws > kDrawsPerSlot)
            return std::nullopt;  // the draw just made is dropped whatever it was
        const int n = history.seen(type, p);
        if (onSheet(slots, p))
            continue;
        if (history.uses(n) == 0) {
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
bool buildMixedSheet(ProblemSheet& sheet, const SetRecipe& recipe, const std::vector<int>& mix, SetHistory& history,
                     RuleContext& ctx)
{
    std::vector<GeneratedProblem> slots;
    slots.reserve(mix.size());
    bool complete = static_cast<int>(mix.size()) == problemCount(recipe.pattern);
    for (int type : mix) {
        const std::optional<DivisionProblem> p = drawForSlot(type, slots, history, recipe.drawsAsBefore, ctx);
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
            complete = buildMixedSheet(sheet, recipe, mix, history, ctx);
        }
        if (recipe.sameMix) {
            if (k == 0)
                mix.assign(sheet.types.begin(), sheet.types.begin() + sheet.count);
            for (int i = 0; i < sheet.count; ++i) {
                const auto at = static_cast<std::size_t>(i);
                history.add(sheet.types[at], {std::stoi(sheet.dividends[at]), std::stoi(sheet.divisors[at])});
            }
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
