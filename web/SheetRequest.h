#pragma once
// What the web page is asked for, read from its address's fragment with the option names of
// pelkano-sheets ("types=1-4,12&layout=4x3&seed=7&..."), and the set of sheets it makes from it:
// the same readers, the same generator and the same random source as the command-line tool, so
// the same options and seed give the same problems. Plain C++, no Qt.
#include "Pages.h"
#include "Paper.h"
#include "RenderSettings.h"
#include "Sheet.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelkano::web {

struct SheetRequest {
    bool practice = false;   // "practice": the problems are worked on the page, not printed
    std::vector<int> types;  // in ticking order; empty: nothing can be made yet
    long long sheets = 1;
    int printNumber = 1;
    std::optional<std::uint64_t> seed;  // none: the clock
    AnswerSheets answers = AnswerSheets::None;
    bool balanced = false;   // "balanced": every ticked type as often as the count allows
    bool easyOrder = false;  // "order=easy": a sheet's problems from easy to hard
    bool sameMix = false;    // "same-mix": every sheet with the first sheet's mix of types
    bool drawsAsBefore = false;  // "same-mix=before": the set of an older code (SetRecipe::drawsAsBefore)
    long long firstSheet = 0;  // "first-sheet": the sheet of the set the page starts at (a code's)
    RenderSettings settings;  // settings.pattern is the layout; settings.marks the numbers and fields
    const Paper* paper = nullptr;  // A4 unless set
    int dpi = 600;
    int paperMargin = 5;
};

// The request and, for each part of the fragment that could not be used (and was left at its
// default), one Japanese sentence saying so.
struct ReadRequest {
    SheetRequest request;
    std::vector<std::string> notes;
};

// A fragment without its "#"; "key=value" parts joined by "&", percent-encoded, "+" a blank
// ("practice" alone, or "practice=1", asks for the practice).
ReadRequest readFragment(std::string_view fragment);
// The fragment that reads back to the request: every option, in a fixed order.
std::string fragmentOf(const SheetRequest& request);

// The request that makes again the sheet whose code is typed, and its answer sheet: the code's
// types, layout, seed, print number, set and marks, the other settings those of `current`. On a
// code that makes no sheet, the current request and the message saying why.
ReadRequest requestFromCode(std::string_view code, const SheetRequest& current);

// The type list after the user ticked (or unticked) one type's box, as the window's list keeps it.
std::vector<int> tick(const std::vector<int>& types, int type, bool checked);

// The print number after a set of `sheets` sheets from `first` was printed: one past the last,
// or the last itself when no int lies beyond it.
int nextPrintNumber(int first, long long sheets);

// A set made from a request: the seed it used and the sheets, each as the window's preview and
// pelkano-sheets build them.
struct SheetSet {
    std::uint64_t seed = 0;
    std::vector<ProblemSheet> sheets;
    bool complete = true;  // false: a sheet has fewer problems than its layout (kSheetWarning)
};
// The request must have a type.
SheetSet makeSet(const SheetRequest& request);

// The pages of the set in print order, and page i as an SVG document on the request's paper.
PageList pagesOf(const SheetRequest& request, const SheetSet& set);
std::string pageSvg(const SheetRequest& request, const ProblemSheet& page);

}  // namespace pelkano::web
