#include "LongDivision.h"

#include <stdexcept>

namespace pelkano {

int digitCount(int value)
{
    int n = 1;
    while (value >= 10) {
        value /= 10;
        ++n;
    }
    return n;
}

LongDivision LongDivision::of(int dividend, int divisor)
{
    if (dividend < 0 || divisor <= 0)
        throw std::invalid_argument("long division needs a dividend >= 0 and a divisor >= 1");
    LongDivision w;
    w.dividend = dividend;
    w.divisor = divisor;
    w.quotient = dividend / divisor;
    w.remainder = dividend % divisor;
    const std::string digits = std::to_string(dividend);
    const int nD = static_cast<int>(digits.size());
    const int nq = digitCount(w.quotient);
    // The first partial dividend is the leading nD - nq + 1 digits.
    int cur = std::stoi(digits.substr(0, static_cast<std::size_t>(nD - nq + 1)));
    for (int i = 0; i < nq; ++i) {
        DivisionStep s;
        s.lastDigit = nD - nq + i;
        s.partialDividend = cur;
        s.quotientDigit = cur / divisor;
        s.product = s.quotientDigit * divisor;
        s.remainder = cur - s.product;
        w.steps.push_back(s);
        if (i + 1 < nq)
            cur = s.remainder * 10 + (digits[static_cast<std::size_t>(s.lastDigit + 1)] - '0');
    }
    return w;
}

}  // namespace pelkano
