#pragma once
// The ticked types, the generator entry MakeData, and the sheet of distinct problems that a
// preview builds.
#include "TypeRules.h"

#include <array>
#include <functional>
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

// The ticked types as decimal texts in ticking order; a type is in the list once while ticked.
class SelectedTypes {
public:
    // A check box with Tag `type` was clicked and is now `checked`: append its text, or remove
    // the first entry equal to it.
    void tick(int type, bool checked);
    const std::vector<std::string>& entries() const { return entries_; }
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
};

// Fills the sheet with the layout's count of distinct problems. Returns false when a slot found
// no new problem within 1,000 draws: the sheet then keeps the problems before that slot, and the
// caller shows kSheetWarning. Slots past the count keep their old text.
bool buildSheet(ProblemSheet& sheet, LayoutPattern pattern, const SelectedTypes& selected, RuleContext& ctx);

// A set of sheets, one after another, each built as Preview builds one: sheet k (from 0) carries
// the print number firstNumber + k (the caller keeps every number within int). After each sheet,
// `built` sees it and whether it was filled; returning false stops the set there. The one sheet
// object is reused, so `built` copies what it keeps. Returns how many sheets were built.
using SheetBuilt = std::function<bool(long long index, const ProblemSheet& sheet, bool complete)>;
long long buildSheets(long long count, long long firstNumber, LayoutPattern pattern, const SelectedTypes& selected,
                      RuleContext& ctx, const SheetBuilt& built);

}  // namespace pelkano
