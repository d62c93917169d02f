#pragma once
// The written working of dividend / divisor, as it is set down by hand: one step for every digit
// of the quotient. The first partial dividend is the shortest leading part of the dividend that
// the quotient needs (the whole dividend when the quotient is 0); every later step brings the
// next digit down onto the previous remainder. A quotient digit 0 is a step whose product is 0.
//
// This is the one model of the working: the figure's answers, the type pictures and the
// practice window all read the lines it sets down.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pelkano {

struct DivisionStep {
    int partialDividend = 0;
    int quotientDigit = 0;
    int product = 0;    // quotientDigit * divisor
    int remainder = 0;  // partialDividend - product
    int lastDigit = 0;  // index (from 0, left) of the dividend digit the quotient digit stands over
};

// One number of the working below the dividend line, as it is written: a partial product
// (underlined), the difference with the next digit brought down, or the final remainder (written
// also when it is 0). A quotient digit 0 gets no product of its own, except in the first step,
// whose product is always written (a quotient of 0 has the product 0).
enum class WorkingKind { Product, Difference, Remainder };

struct WorkingLine {
    WorkingKind kind = WorkingKind::Product;
    int row = 2;        // text row of the figure: row 0 holds the quotient, row 1 the dividend line
    int lastDigit = 0;  // index (from 0, left) of the dividend digit its last digit stands under
    int value = 0;
    // The step after whose quotient digit the line is written (and before the next one's): after
    // a quotient digit 0 a difference comes only once one more digit is down (8765 / 43: 2, 86,
    // 0, 165, 3, 129, 36).
    int step = 0;

    bool underlined() const { return kind == WorkingKind::Product; }
    friend bool operator==(const WorkingLine&, const WorkingLine&) = default;
};

struct LongDivision {
    int dividend = 0;
    int divisor = 1;
    int quotient = 0;
    int remainder = 0;
    std::vector<DivisionStep> steps;  // one per quotient digit, left to right
    std::vector<WorkingLine> lines;   // the working top down, rows 2, 3, ... without gaps

    // Text rows of the worked figure: the quotient, the dividend line and the working.
    int rows() const { return lines.empty() ? 2 : lines.back().row + 1; }

    static LongDivision of(int dividend, int divisor);
    // The working of two decimal texts as a sheet holds them: digits only, no sign, no leading
    // zero, at most 9 digits, divisor at least 1. Nothing for any other text.
    static std::optional<LongDivision> ofText(const std::string& dividend, const std::string& divisor);
};

// Number of decimal digits of a non-negative value (1 for 0).
int digitCount(int value);

// The first guess at a step's quotient digit, as the number tables of the types define it: the
// partial dividend without its units digit divided by the tens digit of a two-digit divisor; for a
// divisor of n digits, the partial dividend without its last n - 1 digits divided by the divisor's
// leading digit. 9 where that gives 10 or more. Never below the true quotient digit.
int tentativeQuotient(int partialDividend, int divisor);

// The two numbers that guess is made from: the partial dividend without the divisor's last
// n - 1 digits, and the divisor's leading digit.
struct TentativeParts {
    long long head = 0;
    int lead = 0;
};
TentativeParts tentativeParts(long long partialDividend, int divisor);

// The quotient digits a pupil tries and rejects before the step's own, in the order tried: the
// tentative quotient, then one less each time, down to one above the quotient digit. Empty when
// the tentative quotient stands (always for a one-digit divisor) and when the partial dividend is
// smaller than the divisor, whose quotient digit 0 is seen without a guess.
std::vector<int> rejectedQuotients(const DivisionStep& step, int divisor);

}  // namespace pelkano
