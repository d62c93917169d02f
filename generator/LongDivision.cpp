#include "LongDivision.h"

#include <stdexcept>

namespace pelkano {

namespace {

// The lines the steps set down: each product on an even row, the number below it on the next.
std::vector<WorkingLine> linesOf(const LongDivision& w)
{
    std::vector<WorkingLine> lines;
    const int nD = digitCount(w.dividend);
    const int nq = static_cast<int>(w.steps.size());
    int r = 1;
    bool skip = false;
    for (int i = 0; i < nq; ++i) {
        const DivisionStep& step = w.steps[static_cast<std::size_t>(i)];
        if (!skip)
            lines.push_back({WorkingKind::Product, 2 * r, step.lastDigit, step.product, i});
        const bool last = i + 1 == nq;
        // The difference with the next digit brought down, or the final remainder.
        const int cur = last ? step.remainder : w.steps[static_cast<std::size_t>(i + 1)].partialDividend;
        skip = cur < w.divisor;
        if (!skip) {
            lines.push_back({WorkingKind::Difference, 2 * r + 1, step.lastDigit + 1, cur, i});
            ++r;
        } else if (last) {
            lines.push_back({WorkingKind::Remainder, 2 * r + 1, nD - 1, cur, i});
        }
        // Otherwise the next quotient digit is 0: no line, one more digit comes down onto cur.
    }
    return lines;
}

// A decimal text of 1 to 9 digits without sign or leading zero.
std::optional<int> canonicalNumber(const std::string& text)
{
    if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

int digitCount(int value)
{
    int n = 1;
    while (value >= 10) {
        value /= 10;
        ++n;
    }
    return n;
}

TentativeParts tentativeParts(long long partialDividend, int divisor)
{
    if (partialDividend < 0 || divisor <= 0)
        throw std::invalid_argument("a tentative quotient needs a partial dividend >= 0 and a divisor >= 1");
    int dropped = 1;
    for (int n = digitCount(divisor); n > 1; --n)
        dropped *= 10;
    return {partialDividend / dropped, divisor / dropped};
}

int tentativeQuotient(int partialDividend, int divisor)
{
    const TentativeParts parts = tentativeParts(partialDividend, divisor);
    const long long guess = parts.head / parts.lead;
    return guess < 9 ? static_cast<int>(guess) : 9;
}

std::vector<int> rejectedQuotients(const DivisionStep& step, int divisor)
{
    std::vector<int> tried;
    if (step.partialDividend < divisor)
        return tried;
    for (int q = tentativeQuotient(step.partialDividend, divisor); q > step.quotientDigit; --q)
        tried.push_back(q);
    return tried;
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
    w.lines = linesOf(w);
    return w;
}

std::optional<LongDivision> LongDivision::ofText(const std::string& dividend, const std::string& divisor)
{
    const auto D = canonicalNumber(dividend);
    const auto d = canonicalNumber(divisor);
    if (!D || !d || *d == 0)
        return std::nullopt;
    return of(*D, *d);
}

}  // namespace pelkano
