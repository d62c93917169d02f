// Division types 54 to 78: a two- or three-digit divisor and a dividend of three to five digits.
//
// Apart from the table types 54 to 57, a dividend is built from the left as the written division
// would set it down: a leading part L of two or three digits, then the digits x, y, z, each tested
// against the step of the working that it completes. Two kinds of loop occur and are not
// interchangeable: `redrawUntil` redraws one value (or one pair) and keeps everything drawn
// before it; a `continue` of the rule's `for (;;)` loop starts again from the step at the top of
// that loop with new draws. The order of the draws is part of each rule.
#include "TypeRules.h"

namespace pelkano {

namespace {

// Types 54 to 57: a pair from the segment of D5053 whose tentative quotient is lowered
// `lowerings` times (0 to 3). The rule itself tests nothing; the table holds the right pairs.
DivisionProblem tablePair(RuleContext& ctx, int lowerings)
{
    return drawTablePair(ctx.tables.d5053, ctx.tables.counts5053, lowerings, ctx.random, ctx.reporter);
}

DivisionProblem type54(RuleContext& ctx) { return tablePair(ctx, 0); }
DivisionProblem type55(RuleContext& ctx) { return tablePair(ctx, 1); }
DivisionProblem type56(RuleContext& ctx) { return tablePair(ctx, 2); }
DivisionProblem type57(RuleContext& ctx) { return tablePair(ctx, 3); }

// Quotient 9, which stands at once: the dividend lies strictly between 9d and 10d.
DivisionProblem type58(RuleContext& ctx)
{
    const int d = ctx.R(89) + 11;
    const int n = 9 * d + 1 + ctx.R(d - 1);
    return {n, d};
}

// Quotient 8, 7 or 6 reached from a tentative 9: the hundreds digit of the dividend equals the
// tens digit of the divisor, and a remainder is left.
DivisionProblem loweredFromNine(RuleContext& ctx, int quotient)
{
    for (;;) {
        const int d = ctx.R(89) + 11;
        const int n = quotient * d + ctx.R(d);
        if (n / 100 != d / 10)
            continue;
        if (n % d == 0)
            continue;
        return {n, d};
    }
}

DivisionProblem type59(RuleContext& ctx) { return loweredFromNine(ctx, 8); }
DivisionProblem type60(RuleContext& ctx) { return loweredFromNine(ctx, 7); }
DivisionProblem type61(RuleContext& ctx) { return loweredFromNine(ctx, 6); }

// Two steps; the first remainder is one digit, not smaller than the hundreds digit, and the
// second partial dividend reaches the divisor.
DivisionProblem type62(RuleContext& ctx)
{
    const int d = ctx.R(39) + 11;
    const int L = redrawUntil([&] { return ctx.R(100 - d) + d; }, [&](int L) {
        const int r1 = L % d;
        return r1 < 10 && r1 >= L / 10;
    });
    const int r1 = L % d;
    const int x = redrawUntil([&] { return ctx.R(10); }, [&](int x) { return 10 * r1 + x >= d; });
    return {10 * L + x, d};
}

// Two steps; the first remainder has two digits, so the second partial dividend has three.
DivisionProblem type63(RuleContext& ctx)
{
    const int d = ctx.R(69) + 11;
    const int L = redrawUntil([&] { return ctx.R(80 - d) + d + 20; }, [&](int L) { return L % d >= 10; });
    const int x = ctx.R(10);
    return {10 * L + x, d};
}

// The quotient ends in 0: the first remainder is one digit and the digit brought down onto it
// stays below the divisor, so that partial dividend is the remainder. Keeps its divisor.
DivisionProblem type64(RuleContext& ctx)
{
    const int d = ctx.R(39) + 11;
    for (;;) {
        const int L = ctx.R(81 - d) + d + 18;
        const int r1 = L % d;
        if (r1 >= 10)
            continue;
        const int x = ctx.R(10);
        if (10 * r1 + x >= d)
            continue;
        return {10 * L + x, d};
    }
}

// The first two digits are 2 or more times the divisor exactly; the units digit is the remainder.
DivisionProblem type65(RuleContext& ctx)
{
    const int d = ctx.R(39) + 11;
    const int L = d * (ctx.R(99 / d - 1) + 2);
    const int x = ctx.R(10);
    return {10 * L + x, d};
}

// Three steps; the first remainder is at least 20 and the second at least 10.
DivisionProblem type66(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(69) + 11;
        const int L = ctx.R(80 - d) + d + 20;
        const int r1 = L % d;
        if (r1 < 20)
            continue;
        const int x = ctx.R(10);
        const int r2 = (10 * r1 + x) % d;
        if (r2 < 10)
            continue;
        const int y = ctx.R(10);
        return {100 * L + 10 * x + y, d};
    }
}

// First step as in type 66; the second remainder is one non-zero digit and the last digit
// brought down onto it stays below the divisor, so the quotient ends in 0.
DivisionProblem type67(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(69) + 11;
        const int L = ctx.R(80 - d) + d + 20;
        const int r1 = L % d;
        if (r1 < 20)
            continue;
        const int x = ctx.R(10);
        const int r2 = (10 * r1 + x) % d;
        if (r2 >= 10 || r2 == 0)
            continue;
        const int y = ctx.R(10);
        if (10 * r2 + y >= d)
            continue;
        return {100 * L + 10 * x + y, d};
    }
}

// The tens digit of the quotient is 0: the first remainder is small, the second partial dividend
// stays below the divisor, and the third has three digits with a product of at least 100.
DivisionProblem type68(RuleContext& ctx)
{
    for (;;) {
        const int d = redrawUntil([&] { return ctx.R(89) + 11; }, [](int d) { return d != 99; });
        const int L = ctx.R(99 - d) + d + 1;
        const int r1 = L % d;
        if (r1 > d / 10 || r1 == 0)
            continue;
        const int x = ctx.R(10);
        const int t = 10 * r1 + x;
        if (t >= d)
            continue;
        const int y = ctx.R(9) + 1;
        const int u = 10 * t + y;
        if ((u / d) * d < 100)
            continue;
        return {100 * L + 10 * x + y, d};
    }
}

// The first two digits are a multiple of the divisor; the last two are non-zero digits forming
// a number above the divisor.
DivisionProblem type69(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(89) + 11;
        const int L = d * (ctx.R(99 / d) + 1);
        const int x = ctx.R(9) + 1;
        const int y = ctx.R(9) + 1;
        if (10 * x + y <= d)
            continue;
        return {100 * L + 10 * x + y, d};
    }
}

// The first two digits are a multiple of the divisor; the last two form the remainder. The
// kind s narrows the divisor to favour small ones.
DivisionProblem type70(RuleContext& ctx)
{
    for (;;) {
        const int s = ctx.R(4);
        int d = 0;
        switch (s) {
        case 0: d = ctx.R(89) + 11; break;
        case 1: d = ctx.R(39) + 11; break;
        case 2: d = ctx.R(29) + 11; break;
        default: d = ctx.R(19) + 11; break;
        }
        const int L = d * (ctx.R(99 / d) + 1);
        const int x = ctx.R(10);
        const int y = ctx.R(10);
        if (10 * x + y >= d)
            continue;
        return {100 * L + 10 * x + y, d};
    }
}

// The first digit is below the tens digit of the divisor, so the first quotient digit stands
// over the third digit; the first remainder is at least 21.
DivisionProblem type71(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(79) + 21;
        const int L = ctx.R(100 * (d / 10) - 100) + 100;
        const int r1 = L % d;
        if (r1 <= 20)
            continue;
        const int x = ctx.R(10);
        return {10 * L + x, d};
    }
}

// The first quotient digit stands over the third digit and leaves a remainder; the last digit
// brought down keeps the partial dividend below the divisor. Kind s = 0 wants a two-digit
// first product. A failed last digit draws the kind anew.
DivisionProblem type72(RuleContext& ctx)
{
    struct DivisorAndLead {
        int d, L;
    };
    for (;;) {
        const int s = ctx.R(2);
        const auto [d, L] = redrawUntil(
            [&] {
                const int d = ctx.R(89) + 11;
                const int L = ctx.R(900) + 100;
                return DivisorAndLead{d, L};
            },
            [&](DivisorAndLead p) {
                const int q = p.L / p.d;
                return q < 10 && p.L % p.d != 0 && !(s == 0 && q * p.d >= 100);
            });
        const int r = L % d;
        const int x = ctx.R(10);
        if (10 * r + x >= d)
            continue;
        return {10 * L + x, d};
    }
}

// Four steps with a four-digit quotient and no 0 digit: the first remainder has two digits, and
// every later partial dividend and product three; the second and third remainders have two.
DivisionProblem type73(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(79) + 11;
        const int L = ctx.R(99 - d) + d + 1;
        const int r1 = L % d;
        if (r1 < 10)
            continue;
        const int x = ctx.R(10);
        const int e2 = 10 * r1 + x;
        const int p2 = (e2 / d) * d;
        const int r2 = e2 - p2;
        if (p2 < 100 || r2 < 10)
            continue;
        const int y = ctx.R(10);
        const int e3 = 10 * r2 + y;
        const int p3 = (e3 / d) * d;
        const int r3 = e3 - p3;
        if (p3 < 100 || r3 < 10)
            continue;
        const int z = ctx.R(10);
        const int e4 = 10 * r3 + z;
        const int p4 = (e4 / d) * d;
        if (p4 < 100)
            continue;
        return {1000 * L + 100 * x + 10 * y + z, d};
    }
}

// A three-digit divisor and dividend with a remainder of at most two digits. The kind s is
// drawn once; kind 0 also wants a quotient of at least 2. The pair is redrawn together.
DivisionProblem type74(RuleContext& ctx)
{
    const int s = ctx.R(2);
    return redrawUntil(
        [&] {
            const int d = ctx.R(400) + 100;
            const int n = ctx.R(999 - d) + d + 1;
            return DivisionProblem{n, d};
        },
        [&](DivisionProblem p) {
            const int q = p.dividend / p.divisor;
            const int r = p.dividend % p.divisor;
            return r < 100 && !(s == 0 && q <= 1);
        });
}

// The first three digits are below the divisor, so the one quotient digit stands over the units
// digit, and its product has four digits.
DivisionProblem type75(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(888) + 112;
        const int n = ctx.R(9000) + 1000;
        const int q = n / d;
        if (q * d < 1000 || q >= 10)
            continue;
        return {n, d};
    }
}

// Two steps over a three-digit divisor: the first quotient digit stands over the third digit
// and leaves at least 10; the digit brought down makes a second non-zero quotient digit.
DivisionProblem type76(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(890) + 100;
        const int L = ctx.R(999 - d) + d + 1;
        const int r1 = L % d;
        if (r1 < 10)
            continue;
        const int x = ctx.R(10);
        if ((10 * r1 + x) / d == 0)
            continue;
        return {10 * L + x, d};
    }
}

// The first three digits are below the divisor, so the first quotient digit stands over the
// fourth digit; the first remainder has three digits and both products have four. The divisor
// 100 leaves no leading part below it: R(0) gives L = 100 and the run starts again.
DivisionProblem type77(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(900) + 100;
        const int L = ctx.R(d - 100) + 100;
        const int x = ctx.R(10);
        const int t = 10 * L + x;
        const int q = t / d;
        const int r = t % d;
        if (q >= 10 || q * d < 1000 || r < 100)
            continue;
        const int y = ctx.R(10);
        if (((10 * r + y) / d) * d < 1000)
            continue;
        return {100 * L + 10 * x + y, d};
    }
}

// The tens digit of the quotient is 0: the first remainder has two digits, the second partial
// dividend stays below the divisor, and the third product has four digits.
DivisionProblem type78(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(890) + 100;
        const int L = ctx.R(999 - d) + d + 1;
        const int r1 = L % d;
        if (r1 < 10 || r1 >= 100)
            continue;
        const int x = ctx.R(10);
        const int t = 10 * r1 + x;
        if (t >= d)
            continue;
        const int y = ctx.R(10);
        const int u = 10 * t + y;
        if ((u / d) * d < 1000)
            continue;
        return {100 * L + 10 * x + y, d};
    }
}

}  // namespace

const std::array<RuleFn, 25> kRules54to78{
    type54, type55, type56, type57, type58, type59, type60, type61, type62,
    type63, type64, type65, type66, type67, type68, type69, type70, type71,
    type72, type73, type74, type75, type76, type77, type78,
};

}  // namespace pelkano
