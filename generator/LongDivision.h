#pragma once
// The written working of dividend / divisor, as it is set down by hand: one step for every digit
// of the quotient. The first partial dividend is the shortest leading part of the dividend that
// the quotient needs (the whole dividend when the quotient is 0); every later step brings the
// next digit down onto the previous remainder. A quotient digit 0 is a step whose product is 0.
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

struct LongDivision {
    int dividend = 0;
    int divisor = 1;
    int quotient = 0;
    int remainder = 0;
    std::vector<DivisionStep> steps;  // one per quotient digit, left to right

    static LongDivision of(int dividend, int divisor);
};

// Number of decimal digits of a non-negative value (1 for 0).
int digitCount(int value);

}  // namespace pelkano
