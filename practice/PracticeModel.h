#pragma once
// Working a long division on screen, row by row, in the order it is written by hand: each
// quotient digit, then the numbers its step sets down (product, difference with the next digit
// brought down, final remainder). Everything the pupil must write comes from LongDivision; every
// written row is judged by RowJudge against the pupil's own earlier rows. This model keeps what
// was typed, where the cursor is, what was checked and counted, and what the status line says.
//
// Its interface is plain, for any front end: a problem in, keys and taps in, the state and UTF-8
// messages out. No Qt, no exceptions, no clock: times come in from the caller, in milliseconds.
#include "Diagnosis.h"
#include "LongDivision.h"
#include "Sheet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pelkano {

// A hint first asks the step's question, then points at what to look at (for a quotient digit:
// where it stands, the tentative quotient and how it is found, the check of its product), then
// writes a digit. Each press is counted by its step.
enum class HintStep { Ask = 0, Point = 1, Tell = 2 };
inline constexpr int kHintSteps = 3;

// What the pupil presses, for the words of the status line: a keyboard's keys (Enter, ←→), or
// the buttons of the pad on the screen (たしかめる, 次へ, ◀ ▶).
enum class InputDevice { Keyboard, Pad };

class PracticeProblem {
public:
    enum class Check { Incomplete, Wrong, Right };
    // How a digit is shown: checked right, typed and not yet checked, found wrong.
    enum class Ink { Done, Typed, Wrong };
    // A cell of the figure: text row, and column of picture() (the divisor's first digit is 0,
    // the bracket follows it, then the dividend's digits).
    struct Place {
        int row = 0;
        int column = 0;
        friend bool operator==(const Place&, const Place&) = default;
    };
    struct Cell {
        Place at;
        char digit = ' ';
        Ink ink = Ink::Typed;
    };

    explicit PracticeProblem(LongDivision working, PracticeLevel level = PracticeLevel::Guided);

    const LongDivision& working() const { return working_; }
    PracticeLevel level() const { return level_; }
    const std::vector<PracticeRow>& rows() const { return rows_; }
    // The open row; rows().size() once every row is right.
    std::size_t current() const { return current_; }
    bool finished() const { return current_ >= rows_.size(); }
    // The cursor's cell among openCells() (guided: the cell of the open row's answer).
    int cursor() const;

    // The digit shown in cell `cell` of a row's entry, ' ' when empty. Rows before the open one
    // hold what was accepted; the open row what is typed; rows after it are empty.
    char digit(std::size_t row, int cell) const;
    // A digit of the open row that its last check found wrong (and that was not changed since).
    bool wrong(std::size_t row, int cell) const;

    // Keys. Guided: a digit fills the cursor's cell and moves on, and the row is checked as soon
    // as every cell holds a digit; Backspace clears the cursor's cell, or the one before it when
    // empty. Alone: a quotient digit is written over the cursor's dividend digit and checked at
    // once; a number is typed whole (Backspace takes back its last digit) and checked with Enter,
    // or when it fills its cells (a product: to the row's left end; a difference, which grows to
    // the right as digits are brought down: to the dividend's last digit). Nothing happens once
    // the problem is finished. On the optional difference before a quotient 0, a 0 typed first
    // (or a tap on the quotient's cells) writes the 0 first and leaves the difference out; the
    // line after the 0 then starts empty, else it starts from the difference written.
    Check type(int digit);
    void backspace();
    void moveLeft();
    void moveRight();
    // A tap on a cell of the open row puts the cursor there; false when the cell is not open.
    bool tap(const Place& place);
    // Enter: judges the open row. Right after a row was checked without Enter (its cells filled,
    // or a hint wrote its last digit) the first Enter belongs to that row and does nothing.
    // A right row is done and the next one opens. A wrong one is
    // counted by its kind and keeps its digits, found wrong; the cursor goes to the first wrong
    // cell. A quotient digit that its product or difference shows too large or too small opens
    // again, its rows after it shown wrong until it is written again.
    Check check();
    // The next step of the hint for the open row: ask, point, then write one digit (every press
    // after the second writes one more).
    Check hint();
    // Starts the problem again at a level: entries cleared, counts kept.
    void restart(PracticeLevel level);

    int hints() const;
    int hintsAt(HintStep step) const { return hints_[static_cast<std::size_t>(step)]; }
    const std::array<int, kHintSteps>& hintCounts() const { return hints_; }
    int mistakes() const;  // checks that found a mistake
    int mistakesOf(MistakeKind kind) const { return mistakes_[static_cast<std::size_t>(kind)]; }
    const std::array<int, kMistakeKinds>& mistakeCounts() const { return mistakes_; }
    // Done with no mistake and no hint.
    bool rightFirstTime() const { return finished() && mistakes() == 0 && hints() == 0; }

    // The mistake the last check found, while its row is being put right.
    const std::optional<Diagnosis>& diagnosis() const { return diagnosis_; }
    // What the status line says now: what to write next, the mistake (its kind in 「」), or the
    // hint; the keys or buttons it names are those of the device.
    std::string message(InputDevice device = InputDevice::Keyboard) const;

    // What the board draws: every digit shown, the open row's cells and the cursor, the cells a
    // hint points at, and the figure rows whose product is done (underlined).
    std::vector<Cell> shownCells() const;
    std::vector<Place> openCells() const;
    std::optional<Place> cursorPlace() const;
    const std::vector<Place>& pointedCells() const { return pointed_; }
    std::vector<int> underlinedRows() const;
    // The column of picture() over or under dividend digit `digit` (from 0, left).
    int column(int digit) const { return divisorDigits_ + 1 + digit; }

    // The figure as text, one string per row, one character per cell: the divisor, ")" and the
    // dividend on row 1, the pupil's digits elsewhere (blanks for empty cells).
    std::vector<std::string> picture() const;

private:
    enum class Say { Prompt, Diagnosis, Hint, Incomplete };

    void openRow();
    // Alone, how many digits a number of the open row may have: a product or remainder the cells
    // up to its last digit, a difference the cells up to the dividend's last digit.
    int entryWidth() const;
    // Alone, the dividend digit the open number's first digit stands under.
    int entryStart() const;
    bool entryEmpty() const;
    // The open row judged (without the rule for Enter).
    Check judgeRow();
    // The optional difference left out: the quotient 0 after it opens.
    void skipOptional();
    // The optional row that row `row` goes on from, when it was written.
    std::optional<std::size_t> carriedFrom(std::size_t row) const;
    std::string hintText(int part, const RowJudge& judge, std::vector<Place>& cells) const;
    std::vector<int> hintPlan(const RowJudge& judge) const;
    // Shows the open row's entry as found wrong: a guided row's wrong cells (the cursor on the
    // first of them), or an alone entry whole.
    void markWrong();
    RowJudge judgeUpToOpenRow() const;
    WrittenRow entry() const;
    int minColumn() const;
    int dividendDigits() const { return static_cast<int>(dividend_.size()); }
    std::string prompt(InputDevice device) const;
    std::string question(const RowJudge& judge) const;
    std::string pointer(const RowJudge& judge, std::vector<Place>& cells) const;
    void numberCells(std::size_t row, const std::string& digits, std::vector<Place>& cells) const;
    void addEntry(std::vector<Cell>& cells, std::size_t row, const WrittenRow& written, Ink ink) const;

    LongDivision working_;
    PracticeLevel level_;
    std::vector<PracticeRow> rows_;
    std::string dividend_;
    int divisorDigits_ = 1;

    std::vector<WrittenRow> written_;  // the accepted rows, one for each row before the open one
    std::size_t current_ = 0;
    // The open row. Guided: one character a cell, ' ' for empty. Alone: the digits typed.
    std::string typed_;
    int typedColumn_ = 0;            // alone: the dividend digit a typed quotient digit stands over
    std::vector<bool> wrongCells_;   // guided: the open row's cells found wrong
    bool wrongEntry_ = false;        // alone: the open row's entry found wrong
    std::vector<bool> wrongDigits_;  // alone: which of its digits (empty: all of them)
    bool enterDue_ = false;          // a row was just checked without Enter
    int cursor_ = 0;                 // guided: cell of the open row; alone: dividend digit
    std::vector<WrittenRow> stale_;  // rows after a quotient digit opened again, shown wrong
    std::optional<WrittenRow> checkedWrong_;  // the open row's entry as its last check found it wrong

    std::optional<Diagnosis> diagnosis_;
    Say say_ = Say::Prompt;
    std::string hintText_;
    std::vector<Place> pointed_;
    int hintStage_ = 0;

    std::array<int, kMistakeKinds> mistakes_{};
    std::array<int, kHintSteps> hints_{};
};

// One problem of a practice: the division and the type it was made from (0: none).
struct PracticeItem {
    int dividend = 0;
    int divisor = 1;
    int type = 0;
    friend bool operator==(const PracticeItem&, const PracticeItem&) = default;
};

// What the teacher gets for one finished problem.
struct ProblemResult {
    PracticeItem item;
    PracticeLevel level = PracticeLevel::Guided;
    int round = 1;  // 1 for the first problems of the run, 2 for those of the next round, ...
    std::array<int, kMistakeKinds> mistakes{};
    std::array<int, kHintSteps> hints{};
    std::int64_t startedMs = 0;   // the caller's clock: milliseconds since 1970 UTC
    std::int64_t finishedMs = 0;

    int mistakeCount() const;
    int hintCount() const;
    bool rightFirstTime() const { return mistakeCount() == 0 && hintCount() == 0; }
    long long seconds() const { return (finishedMs - startedMs) / 1000; }
};

// A run of practice: rounds of problems worked one after the other, and what the summary, the
// saved table and the printed results report. The results of every round stay for the run.
class PracticeSession {
public:
    // Problems the working cannot set down (a dividend below 0 or of more than 9 digits, a
    // divisor below 1 or of more than 9 digits) are left out; a session may thus be empty.
    PracticeSession(std::vector<PracticeItem> items, PracticeLevel level, std::int64_t nowMs);

    bool empty() const { return problems_.empty(); }
    // This round. problem() and item() need a session that is not empty.
    std::size_t count() const { return problems_.size(); }
    std::size_t index() const { return index_; }
    PracticeProblem& problem() { return problems_[index_]; }
    const PracticeProblem& problem() const { return problems_[index_]; }
    const PracticeItem& item() const { return items_[index_]; }
    bool lastProblem() const { return index_ + 1 >= problems_.size(); }
    // Enter was pressed on the round's last problem, done: the summary is due.
    bool roundOver() const { return roundOver_; }
    int round() const { return round_; }
    int rightFirstTime() const;
    int hints() const;
    // From the start of the round to its end (or to the last input while it runs).
    std::int64_t roundMilliseconds() const { return lastInputMs_ - roundStartMs_; }
    // The time the round's finished problems took, as the results table adds it up
    // (workingSeconds): what the summary shows.
    long long roundSeconds() const;

    PracticeLevel level() const { return level_; }
    // The level of the open problem (which starts again) and of those after it.
    void setLevel(PracticeLevel level);

    // The pupil's keys and taps, passed on to the open problem. Enter on a finished problem opens
    // the next one, or ends the round after the last.
    void typeDigit(int digit, std::int64_t nowMs);
    void backspace();
    void moveLeft();
    void moveRight();
    void tap(const PracticeProblem::Place& place);
    void enter(std::int64_t nowMs);
    void hint(std::int64_t nowMs);
    // The status line, in the words of the device last used (a keyboard at first).
    std::string message() const;
    void setInputDevice(InputDevice device) { device_ = device; }
    InputDevice inputDevice() const { return device_; }

    void setName(std::string name) { name_ = std::move(name); }
    const std::string& name() const { return name_; }
    // Every finished problem of the run, in the order finished.
    const std::vector<ProblemResult>& results() const { return results_; }
    // The mistakes of the run by kind, the largest count first (equal counts in kind order);
    // kinds never seen are left out.
    std::vector<std::pair<MistakeKind, int>> stumbles() const;
    // This round's problems that had a mistake or a hint, in their order.
    std::vector<PracticeItem> missed() const;
    // The types of the run's problems that had a mistake, each once, first seen first.
    std::vector<int> weakTypes() const;
    // A new round of these problems; results and name stay. False (nothing changes) when none of
    // them can be worked.
    bool startRound(std::vector<PracticeItem> items, std::int64_t nowMs);

private:
    void recordIfFinished(std::int64_t nowMs);

    PracticeLevel level_;
    std::vector<PracticeItem> items_;
    std::vector<PracticeProblem> problems_;
    std::size_t index_ = 0;
    bool recorded_ = false;  // the open problem's result is in results_
    bool roundOver_ = false;
    int round_ = 1;
    std::int64_t roundStartMs_ = 0;
    std::int64_t problemStartMs_ = 0;
    std::int64_t lastInputMs_ = 0;
    std::string name_;
    InputDevice device_ = InputDevice::Keyboard;
    std::vector<ProblemResult> results_;
};

// The time a list of finished problems took: the sum of their times as the table shows them
// (each from the moment it opened to its last row). The summary and the results page both say it.
long long workingSeconds(const std::vector<ProblemResult>& results);

// The problems a session can work, in their order: those the working can set down.
std::vector<PracticeItem> workableItems(std::vector<PracticeItem> items);
// The problems of a sheet, as 練習 works them: each with its type, in the sheet's order.
std::vector<PracticeItem> sheetItems(const ProblemSheet& sheet);

// The cells across and down that hold every one of these problems as a board draws them: the
// divisor, the bracket and the dividend across, the working's rows down (at least a frame's 10).
struct BoardExtent {
    int columns = 1;
    int rows = 10;
};
BoardExtent boardExtent(const std::vector<PracticeItem>& items);

}  // namespace pelkano
