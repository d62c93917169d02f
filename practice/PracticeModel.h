#pragma once
// Working a long division on screen, digit by digit, in the order it is written by hand: each
// quotient digit, then the numbers its step sets down (product, difference with the next digit
// brought down, final remainder). Everything the pupil must write comes from LongDivision; this
// model only keeps what was typed, where the cursor is, and what was checked. No Qt.
#include "LongDivision.h"

#include <string>
#include <vector>

namespace pelkano {

// One row to fill: a quotient digit (one cell of row 0) or one line of the working.
struct PracticeRow {
    enum class Kind { Quotient, Product, Difference, Remainder };
    Kind kind = Kind::Quotient;
    int row = 0;         // text row of the figure: 0 the quotient, 2 and down the working
    int firstDigit = 0;  // dividend digit (from 0, left) the row's first cell stands under or over
    std::string answer;  // the digits to write, left to right

    int cells() const { return static_cast<int>(answer.size()); }
};

// The rows of a working in writing order.
std::vector<PracticeRow> practiceRows(const LongDivision& working);

class PracticeProblem {
public:
    enum class Check { Incomplete, Wrong, Right };

    explicit PracticeProblem(LongDivision working);

    const LongDivision& working() const { return working_; }
    const std::vector<PracticeRow>& rows() const { return rows_; }
    // The open row; rows().size() once every row is right.
    std::size_t current() const { return current_; }
    bool finished() const { return current_ >= rows_.size(); }
    int cursor() const { return cursor_; }  // cell of the open row

    // What stands in a cell: a digit character, or ' ' when empty. Rows before the open one hold
    // their answers; rows after it are empty.
    char digit(std::size_t row, int cell) const;
    // A digit the last check of the open row found wrong (and that was not changed since).
    bool wrong(std::size_t row, int cell) const;

    // Keys. A digit fills the cursor's cell and moves on; the row is checked as soon as every
    // cell holds a digit. Backspace clears the cursor's cell, or the one before it when empty.
    // Nothing happens once the problem is finished.
    Check type(int digit);
    void backspace();
    void moveLeft();
    void moveRight();
    // Enter: checks the open row. A right row is done and the next one opens at its first cell;
    // a wrong one keeps its digits, marks the wrong ones and puts the cursor on the first of them.
    Check check();
    // Fills the first cell of the open row that does not hold its right digit, and counts it.
    Check hint();

    int hints() const { return hints_; }
    int mistakes() const { return mistakes_; }  // checks that found a wrong digit
    // Done with no wrong check and no hint.
    bool rightFirstTime() const { return finished() && mistakes_ == 0 && hints_ == 0; }

    // The figure as text, one string per row, one character per cell: the divisor, ")" and the
    // dividend on row 1, the pupil's digits elsewhere (blanks for empty cells).
    std::vector<std::string> picture() const;

private:
    Check checkIfComplete();

    LongDivision working_;
    std::vector<PracticeRow> rows_;
    std::size_t current_ = 0;
    int cursor_ = 0;
    std::string typed_;           // the open row's cells, ' ' for empty
    std::vector<bool> wrong_;     // the open row's cells found wrong
    int hints_ = 0;
    int mistakes_ = 0;
};

// A run of problems one after the other, and what the summary reports.
class PracticeSession {
public:
    explicit PracticeSession(std::vector<LongDivision> problems);

    std::size_t count() const { return problems_.size(); }
    std::size_t index() const { return index_; }
    PracticeProblem& problem() { return problems_[index_]; }
    const PracticeProblem& problem() const { return problems_[index_]; }
    bool lastProblem() const { return index_ + 1 >= problems_.size(); }
    // Moves on when the current problem is finished; false on the last one or an unfinished one.
    bool next();
    bool done() const { return lastProblem() && problem().finished(); }

    int rightFirstTime() const;
    int hints() const;

private:
    std::vector<PracticeProblem> problems_;
    std::size_t index_ = 0;
};

}  // namespace pelkano
