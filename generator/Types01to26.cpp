// Division types 1 to 26: a one-digit divisor and a dividend of at most three digits.
//
// Each rule builds the divisor d and the digits of the dividend (h hundreds, t tens, u ones) in a
// fixed order of R(n) draws. `redrawUntil` redraws one value and keeps every other; a `for (;;)`
// loop with `continue` throws everything away and starts again from the divisor. The two give
// different distributions, so each rule uses exactly the loop its shape needs.
//
// Names follow the written working: r1 and r2 are the remainders of the first and second steps,
// x and y the partial dividends of the second and third steps (remainder * 10 + next digit).
#include "TypeRules.h"

namespace pelkano {

namespace {

// The product written under a partial dividend: quotient digit times divisor.
int productUnder(int partial, int d)
{
    return d * (partial / d);
}

bool twoDigitProduct(int partial, int d)
{
    return productUnder(partial, d) >= 10;
}

// A leading digit from d + 1 to 9 that d does not divide, so the first step leaves a remainder.
int digitLeavingRemainder(RuleContext& ctx, int d)
{
    return redrawUntil([&] { return ctx.R(9 - d) + d + 1; }, [&](int digit) { return digit % d != 0; });
}

// A digit from d to 8 that d divides; with d = 9 the range is R(0) + 9, that is 9 alone.
int multipleUpToEight(RuleContext& ctx, int d)
{
    return redrawUntil([&] { return ctx.R(9 - d) + d; }, [&](int digit) { return digit % d == 0; });
}

// A digit from d to 9 that d divides (or, with multiple false, does not divide).
int digitFromDivisor(RuleContext& ctx, int d, bool multiple)
{
    return redrawUntil([&] { return ctx.R(10 - d) + d; }, [&](int digit) { return (digit % d == 0) == multiple; });
}

// A ones digit from 0 to 9 that is at least d; a multiple of d or not, as asked.
int onesFromDivisor(RuleContext& ctx, int d, bool multiple)
{
    return redrawUntil([&] { return ctx.R(10); }, [&](int u) { return (u % d == 0) == multiple && u / d != 0; });
}

DivisionProblem threeDigits(int h, int t, int u, int d)
{
    return {100 * h + 10 * t + u, d};
}

// ---- one-digit quotient ----

// One digit by one digit, the dividend not smaller than the divisor.
DivisionProblem type1(RuleContext& ctx)
{
    const int d = ctx.R(9) + 1;
    const int n = redrawUntil([&] { return ctx.R(8) + 2; }, [&](int n) { return n >= d; });
    return {n, d};
}

// A dividend smaller than the divisor: quotient 0.
DivisionProblem type2(RuleContext& ctx)
{
    const int d = ctx.R(8) + 2;
    const int n = redrawUntil([&] { return ctx.R(8) + 1; }, [&](int n) { return n < d; });
    return {n, d};
}

// A multiplication fact read backwards, exact.
DivisionProblem type3(RuleContext& ctx)
{
    const int d = ctx.R(9) + 1;
    const int q = ctx.R(9) + 1;
    return {q * d, d};
}

// A multiplication fact read backwards, with a remainder 1 to d - 1.
DivisionProblem type4(RuleContext& ctx)
{
    const int d = ctx.R(8) + 2;
    const int q = ctx.R(9) + 1;
    const int r = ctx.R(d - 1) + 1;
    return {q * d + r, d};
}

// ---- two-digit dividend ----

// Step 1 leaves a remainder and step 2 has a two-digit product; the final remainder is 0 when
// `exact` holds and not 0 otherwise. The wrong final remainder starts again from the divisor.
DivisionProblem twoStepsTwoDigitProduct(RuleContext& ctx, bool exact)
{
    for (;;) {
        const int d = ctx.R(7) + 2;
        const int t = digitLeavingRemainder(ctx, d);
        const int r1 = t % d;
        const int u = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return twoDigitProduct(10 * r1 + u, d); });
        const int n = 10 * t + u;
        if ((n % d == 0) != exact)
            continue;
        return {n, d};
    }
}

DivisionProblem type5(RuleContext& ctx)
{
    return twoStepsTwoDigitProduct(ctx, false);
}

DivisionProblem type6(RuleContext& ctx)
{
    return twoStepsTwoDigitProduct(ctx, true);
}

// Step 1 leaves a remainder; step 2 has a two-digit partial dividend, a one-digit product and a
// remainder. One ones digit per pass; a miss starts again.
DivisionProblem type7(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(7) + 2;
        const int t = digitLeavingRemainder(ctx, d);
        const int r1 = t % d;
        const int u = ctx.R(10);
        const int n = 10 * t + u;
        if (n % d == 0 || twoDigitProduct(10 * r1 + u, d))
            continue;
        return {n, d};
    }
}

// The tens digit a multiple (step 1 exact); the ones digit divided on its own leaves a remainder.
// Divisors 1, 8 and 9 never succeed and always start again.
DivisionProblem type8(RuleContext& ctx)
{
    for (;;) {
        const int d = ctx.R(9) + 1;
        const int t = multipleUpToEight(ctx, d);
        const int u = ctx.R(9 - d) + d;
        const int n = 10 * t + u;
        if (n % d == 0)
            continue;
        return {n, d};
    }
}

// Both digits multiples, each divided on its own.
DivisionProblem type9(RuleContext& ctx)
{
    const int d = ctx.R(9) + 1;
    const int t = multipleUpToEight(ctx, d);
    const int u = multipleUpToEight(ctx, d);
    return {10 * t + u, d};
}

// Tens digit a multiple, ones digit smaller than the divisor: 0 in the quotient's ones place.
DivisionProblem type10(RuleContext& ctx)
{
    const int d = ctx.R(8) + 2;
    const int t = multipleUpToEight(ctx, d);
    const int u = ctx.R(d - 1) + 1;
    return {10 * t + u, d};
}

// Tens digit a multiple, ones digit 0.
DivisionProblem type11(RuleContext& ctx)
{
    const int d = ctx.R(8) + 2;
    const int t = multipleUpToEight(ctx, d);
    return {10 * t, d};
}

// ---- three-digit dividend ----

// The first two steps of types 12 to 14: step 1 leaves a remainder r1; the tens digit t is
// redrawn until step 2 has a two-digit product and leaves a remainder r2.
struct TwoRemainderSteps {
    int d, h, t, r2;
};

TwoRemainderSteps stepsWithTwoDigitProduct(RuleContext& ctx)
{
    const int d = ctx.R(7) + 2;
    const int h = digitLeavingRemainder(ctx, d);
    const int r1 = h % d;
    const int t = redrawUntil([&] { return ctx.R(9) + 1; }, [&](int t) {
        const int x = 10 * r1 + t;
        return twoDigitProduct(x, d) && x % d != 0;
    });
    const int x = 10 * r1 + t;
    return {d, h, t, x % d};
}

// Steps 2 and 3 both with two-digit products; step 3 exact or not.
DivisionProblem threeStepsTwoDigitProducts(RuleContext& ctx, bool exact)
{
    const TwoRemainderSteps s = stepsWithTwoDigitProduct(ctx);
    const int u = redrawUntil([&] { return ctx.R(9) + 1; }, [&](int u) {
        const int y = 10 * s.r2 + u;
        return twoDigitProduct(y, s.d) && (y % s.d == 0) == exact;
    });
    return threeDigits(s.h, s.t, u, s.d);
}

DivisionProblem type12(RuleContext& ctx)
{
    return threeStepsTwoDigitProducts(ctx, false);
}

DivisionProblem type13(RuleContext& ctx)
{
    return threeStepsTwoDigitProducts(ctx, true);
}

// As type 12, but step 3 has a one-digit product: one ones digit per pass, a miss starts again.
DivisionProblem type14(RuleContext& ctx)
{
    for (;;) {
        const TwoRemainderSteps s = stepsWithTwoDigitProduct(ctx);
        const int u = ctx.R(8);
        const int y = 10 * s.r2 + u;
        if (twoDigitProduct(y, s.d) || y % s.d == 0)
            continue;
        return threeDigits(s.h, s.t, u, s.d);
    }
}

// Step 2 has a two-digit partial dividend, a one-digit product and a remainder (one tens digit
// per pass, a miss starts again); step 3 has a two-digit product, its ones digit redrawn while r2
// stays. Step 3 exact or not.
DivisionProblem oneDigitThenTwoDigitProduct(RuleContext& ctx, bool exact)
{
    for (;;) {
        const int d = ctx.R(7) + 2;
        const int h = digitLeavingRemainder(ctx, d);
        const int r1 = h % d;
        const int t = ctx.R(9) + 1;
        const int x = 10 * r1 + t;
        if (twoDigitProduct(x, d) || x % d == 0)
            continue;
        const int r2 = x % d;
        const int u = redrawUntil([&] { return ctx.R(8); }, [&](int u) {
            const int y = 10 * r2 + u;
            return twoDigitProduct(y, d) && (y % d == 0) == exact;
        });
        return threeDigits(h, t, u, d);
    }
}

DivisionProblem type15(RuleContext& ctx)
{
    return oneDigitThenTwoDigitProduct(ctx, false);
}

DivisionProblem type16(RuleContext& ctx)
{
    return oneDigitThenTwoDigitProduct(ctx, true);
}

// 400, 401, 700 or 701 by 3: steps 2 and 3 both bring a digit down onto remainder 1 or 2.
DivisionProblem type17(RuleContext& ctx)
{
    const int d = 3;
    const int h = 3 * (ctx.R(2) + 1) + 1;
    const int t = 0;
    const int u = ctx.R(2);
    return threeDigits(h, t, u, d);
}

// Step 1 leaves a remainder, step 2 is exact, the ones digit (at least d) is divided on its own;
// it is a multiple of d (step 3 exact) or not, as asked.
DivisionProblem exactSecondStep(RuleContext& ctx, bool exact)
{
    const int d = ctx.R(7) + 2;
    const int h = digitLeavingRemainder(ctx, d);
    const int r1 = h % d;
    const int t = redrawUntil([&] { return ctx.R(10); }, [&](int t) { return (10 * r1 + t) % d == 0; });
    const int u = onesFromDivisor(ctx, d, exact);
    return threeDigits(h, t, u, d);
}

DivisionProblem type18(RuleContext& ctx)
{
    return exactSecondStep(ctx, false);
}

DivisionProblem type19(RuleContext& ctx)
{
    return exactSecondStep(ctx, true);
}

// The first two steps of types 20 to 22: the hundreds digit a multiple (step 1 exact), the tens
// digit divided on its own leaving the remainder r2.
struct ExactThenRemainder {
    int d, h, t, r2;
};

ExactThenRemainder multipleThenRemainder(RuleContext& ctx)
{
    const int d = ctx.R(7) + 2;
    const int h = digitFromDivisor(ctx, d, true);
    const int t = digitFromDivisor(ctx, d, false);
    return {d, h, t, t % d};
}

// Step 3 exact or not; the size of its product is left to chance.
DivisionProblem tensOnItsOwn(RuleContext& ctx, bool exact)
{
    const ExactThenRemainder s = multipleThenRemainder(ctx);
    const int u = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return ((10 * s.r2 + u) % s.d == 0) == exact; });
    return threeDigits(s.h, s.t, u, s.d);
}

DivisionProblem type20(RuleContext& ctx)
{
    return tensOnItsOwn(ctx, false);
}

DivisionProblem type21(RuleContext& ctx)
{
    return tensOnItsOwn(ctx, true);
}

// As type 20 with a one-digit product in step 3: one ones digit per pass, a miss starts again.
DivisionProblem type22(RuleContext& ctx)
{
    for (;;) {
        const ExactThenRemainder s = multipleThenRemainder(ctx);
        const int u = ctx.R(10);
        const int y = 10 * s.r2 + u;
        if (twoDigitProduct(y, s.d) || y % s.d == 0)
            continue;
        return threeDigits(s.h, s.t, u, s.d);
    }
}

// Every digit divided on its own: hundreds and tens digits multiples, the ones digit at least d
// and a multiple or not. A coin first: on 0 the divisor is drawn from `rangeSize` values upward of
// `lowest`, on 1 from 2 to 4.
DivisionProblem everyDigitOnItsOwn(RuleContext& ctx, int lowest, int rangeSize, bool exact)
{
    const int s = ctx.R(2);
    const int d = s == 0 ? ctx.R(rangeSize) + lowest : ctx.R(3) + 2;
    const int h = digitFromDivisor(ctx, d, true);
    const int t = digitFromDivisor(ctx, d, true);
    const int u = onesFromDivisor(ctx, d, exact);
    return threeDigits(h, t, u, d);
}

DivisionProblem type23(RuleContext& ctx)
{
    return everyDigitOnItsOwn(ctx, 2, 7, false);  // 2 to 8, or 2 to 4
}

DivisionProblem type24(RuleContext& ctx)
{
    return everyDigitOnItsOwn(ctx, 1, 8, true);  // 1 to 8, or 2 to 4
}

// Step 1 leaves a remainder, step 2 is exact with a two-digit product, and the quotient ends in 0.
// The ones digit is drawn smaller than d, or is 0 without a draw when `zeroOnes` holds.
DivisionProblem zeroInOnesPlace(RuleContext& ctx, bool zeroOnes)
{
    const int d = ctx.R(7) + 2;
    const int h = digitLeavingRemainder(ctx, d);
    const int r1 = h % d;
    const int t = redrawUntil([&] { return ctx.R(9) + 1; }, [&](int t) {
        const int x = 10 * r1 + t;
        return twoDigitProduct(x, d) && x % d == 0;
    });
    const int u = zeroOnes ? 0 : redrawUntil([&] { return ctx.R(9) + 1; }, [&](int u) { return u / d == 0; });
    return threeDigits(h, t, u, d);
}

DivisionProblem type25(RuleContext& ctx)
{
    return zeroInOnesPlace(ctx, false);
}

DivisionProblem type26(RuleContext& ctx)
{
    return zeroInOnesPlace(ctx, true);
}

}  // namespace

const std::array<RuleFn, 26> kRules01to26{
    type1,  type2,  type3,  type4,  type5,  type6,  type7,  type8,  type9,  type10, type11, type12, type13,
    type14, type15, type16, type17, type18, type19, type20, type21, type22, type23, type24, type25, type26,
};

}  // namespace pelkano
