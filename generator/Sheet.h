#pragma once
// The ticked types, the generator entry MakeData, and the sheet of distinct problems that a
// preview builds.
#include "TypeRules.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pelkano {

// "2段2列", "3段2列", "4段2列", "2段3列", "3段3列", "4段3列": rows 段 by columns 列.
enum class LayoutPattern { R2C2 = 0, R3C2 = 1, R4C2 = 2, R2C3 = 3, R3C3 = 4, R4C3 = 5 };
inline constexpr int kLayoutPatternCount = 6;

int problemCount(LayoutPattern pattern);  // 4, 6, 8, 6, 9, 12
int columnCount(LayoutPattern pattern);   // 2 or 3
int designRowCount(LayoutPattern pattern); // 2, 3 or 4
// A page draws its problems in whole rows of the pattern's columns: of a short sheet of `count`
// problems, the last count mod columns are not drawn (7 problems in 3 columns: 6).
int drawnProblemCount(int count, LayoutPattern pattern);

inline constexpr const char* kSheetWarning = "今の条件では、指定された問題数が確保できません。";
inline constexpr int kDrawsPerSlot = 1000;
inline constexpr int kSheetCapacity = 15;
// In a set with the same mix on every sheet, a slot draws this many times for a problem that no
// earlier sheet has, before it settles for the least used problem of its type seen in the set;
// only this many once a slot of its type found none new (until one finds one again). Sets named by
// codes of versions 1 and 2 drew 10 times there, which made a long set of a few small types cost
// ten times a plain one; they are made so still (SetRecipe::drawsAsBefore).
inline constexpr int kFreshDrawsPerSlot = 100;
inline constexpr int kFreshDrawsWhenUsedUp = 1;
inline constexpr int kFreshDrawsWhenUsedUpBefore = 10;
// The last sheet of a set that a code can name is sheet 1,999 (from 0): a class set of 1,000
// sheets, and as many again after a sheet made from its code. Making it again builds the sheets
// before it, well within a second.
inline constexpr long long kMaxSheetIndex = 1999;

// The ticked types as decimal texts in ticking order; a type is in the list once while ticked.
class SelectedTypes {
public:
    // A check box with Tag `type` was clicked and is now `checked`: append its text, or remove
    // the first entry equal to it.
    void tick(int type, bool checked);
    const std::vector<std::string>& entries() const { return entries_; }
    // The types in ticking order, and the list of the given types ticked in that order.
    std::vector<int> types() const;
    static SelectedTypes ofTypes(const std::vector<int>& types);
    bool empty() const { return entries_.empty(); }
    // Preview and clear-all are enabled while at least one type is ticked.
    bool commandsEnabled() const { return !entries_.empty(); }

private:
    std::vector<std::string> entries_;
};

// One problem: a ticked type chosen uniformly, then its rule. The list must not be empty.
DivisionProblem MakeData(const SelectedTypes& selected, RuleContext& ctx);

// The same draw, also telling which type produced the problem.
struct GeneratedProblem {
    int type = 0;
    DivisionProblem problem;
};
GeneratedProblem MakeDataTyped(const SelectedTypes& selected, RuleContext& ctx);

// What decides the problems of a set of sheets: the seed of its random source, the ticked types in
// ticking order (MakeData picks by index into them), the layout, whether every sheet has as
// many problems of each type as the first, whether each sheet has every ticked type as often as
// its count allows ("型をまんべんなく"), and whether a sheet's problems stand from easy to hard.
// Sheet k of a set is the same whenever it is built from the same recipe.
struct SetRecipe {
    std::uint64_t seed = 0;
    std::vector<int> types;
    LayoutPattern pattern = LayoutPattern::R2C3;
    bool sameMix = false;
    bool balanced = false;
    bool easyOrder = false;
    // A same-mix set as codes of versions 1 and 2 name it, which drew kFreshDrawsWhenUsedUpBefore
    // times where sets now draw kFreshDrawsWhenUsedUp; no matter without sameMix.
    bool drawsAsBefore = false;
    friend bool operator==(const SetRecipe&, const SetRecipe&) = default;
};

// How a sheet's problems are numbered: not at all, ①②…, or (1)(2)….
enum class NumberStyle { None = 0, Circled = 1, Parenthesized = 2 };
inline constexpr int kNumberStyleCount = 3;
// The number style the window, the command line and the page start with: problems are numbered
// unless the teacher says not to.
inline constexpr NumberStyle kDefaultNumberStyle = NumberStyle::Circled;

// What a sheet prints besides its problems: their numbers, the header's fields for the date, the
// name and the score, the check under each worked figure ("43×203+36=8765") and a page listing
// only the answers after the answer sheet. Nothing of it by default: the plain sheet.
struct SheetMarks {
    NumberStyle numbers = NumberStyle::None;
    bool headerFields = false;
    bool check = false;
    bool answerList = false;
    friend bool operator==(const SheetMarks&, const SheetMarks&) = default;
};

// Where a sheet comes from: sheet `index` (from 0) of the set that its recipe decides.
struct SheetOrigin {
    SetRecipe recipe;
    long long index = 0;
    friend bool operator==(const SheetOrigin&, const SheetOrigin&) = default;
};

// The current worksheet: its problems as decimal texts in generation order, the count in use,
// the print number, whether a preview has been made, and whether figures show their answers.
struct ProblemSheet {
    std::array<std::string, kSheetCapacity> dividends;
    std::array<std::string, kSheetCapacity> divisors;
    std::array<int, kSheetCapacity> types{};  // the type each problem came from
    int count = 0;
    int printNumber = 0;
    bool previewMade = false;
    bool showAnswers = false;
    // The page lists only each problem's number, quotient and remainder instead of its figures.
    bool answerList = false;
    // Set for a sheet built from a recipe: its page carries the code that makes it again.
    std::optional<SheetOrigin> origin;
};

// Fills the sheet with the layout's count of distinct problems. Returns false when a slot found
// no new problem within 1,000 draws: the sheet then keeps the problems before that slot, and the
// caller shows kSheetWarning. Slots past the count keep their old text.
bool buildSheet(ProblemSheet& sheet, LayoutPattern pattern, const SelectedTypes& selected, RuleContext& ctx);

// The same with every ticked type as often as the count allows: each type count / types times,
// the count mod types left over going to as many different types drawn at random (with more
// types than slots, that many different types), in a new order; each slot then draws from its
// own type's rule until its problem is new to the sheet, as buildSheet does.
bool buildBalancedSheet(ProblemSheet& sheet, LayoutPattern pattern, const std::vector<int>& types, RuleContext& ctx);

// The place of a type on the type pages, 1..78 from the first page's first box: how hard its
// problems are, the easiest first (types 5..78 on boxes 1..74, types 1..4 on the last page).
int typeDifficultyRank(int type);
// Puts the sheet's problems in the order of their types' ranks, keeping the order within a type.
void orderEasyFirst(ProblemSheet& sheet);

// Sheets from, from + 1, ..., from + count - 1 of the set that `recipe` decides. ctx must draw
// from a source seeded with recipe.seed that nothing has drawn from yet (or hand on the draws of
// one: a draw budget), and tables and reporter as always. Sheet 0 is built as Preview builds a
// sheet, and so is every later one unless recipe.sameMix: then a later sheet has exactly as many
// problems of each type as sheet 0, distinct on the sheet, in a new order, and a problem that an
// earlier sheet has is taken only after kFreshDrawsPerSlot draws found none new (the least used
// of its type then). Sheets before `from` are built too, since later ones depend on them, but not handed
// on. With recipe.easyOrder each sheet is then put in orderEasyFirst. Sheet k carries its origin and the print number firstNumber + (k - from) (the caller keeps
// every number handed on within int). After each sheet handed on, `built` sees its index k, the
// sheet, and whether it was filled; returning false stops the set there. The one sheet object is
// reused, so `built` copies what it keeps. Returns how many sheets were handed on.
using SheetBuilt = std::function<bool(long long index, const ProblemSheet& sheet, bool complete)>;
long long buildSheets(const SetRecipe& recipe, long long from, long long count, long long firstNumber,
                      RuleContext& ctx, const SheetBuilt& built);

}  // namespace pelkano
