// Types 27 to 53. Types 27 to 45 build a three-digit dividend digit by digit (H, T, U) for a
// one-digit divisor, so that the written division takes the type's shape; types 46 to 51 take a
// two-digit pair from table D4247; types 52 and 53 have the quotient 0.
//
// Every loop here repeats a single draw (`redrawUntil`) and keeps all earlier values.
#include "TypeRules.h"

namespace pelkano {

namespace {

int dividend(int H, int T, int U)
{
    return 100 * H + 10 * T + U;
}

// A digit from d to 9 that d divides: R(10 - d) + d, drawn again until it is a multiple of d.
// The step over this digit is then exact with a one-digit product.
int multipleDigit(RuleContext& ctx, int d)
{
    return redrawUntil([&] { return ctx.R(10 - d) + d; }, [&](int v) { return v % d == 0; });
}

// A divisor from 3 to 9 other than 5: R(7) + 3, drawn again until it is not 5.
int divisorWithout5(RuleContext& ctx)
{
    return redrawUntil([&] { return ctx.R(7) + 3; }, [](int d) { return d != 5; });
}

// 1 to 9 with the odds 1/36 for 1 and 35/288 for each of 2 to 9.
int divisorOneOrMore(RuleContext& ctx)
{
    const int s = ctx.R(4);
    return s == 0 ? ctx.R(9) + 1 : ctx.R(8) + 2;
}

// The hundreds digit of the two-step types: 1 to 9, drawn again until it is below d, so that
// the first step takes the two leading digits.
int digitBelow(RuleContext& ctx, int d)
{
    return redrawUntil([&] { return ctx.R(9) + 1; }, [&](int h) { return h < d; });
}

// The working of the two-step types: the first step divides e1 = 10H + T, the second brings U
// down onto its remainder.
struct TwoSteps {
    int d;
    int H;
    int T = 0;

    TwoSteps withTens(int t) const { return {d, H, t}; }
    int e1() const { return 10 * H + T; }
    int p1() const { return e1() / d * d; }
    int r1() const { return e1() - p1(); }
    int e2(int U) const { return 10 * r1() + U; }
    int p2(int U) const { return e2(U) / d * d; }
};

// ---- quotient of three digits: every digit of the dividend is a step of its own ----

DivisionProblem type27(RuleContext& ctx)
{
    const int d = ctx.R(7) + 2;
    const int H = multipleDigit(ctx, d);
    const int T = multipleDigit(ctx, d);
    const int U = redrawUntil([&] { return ctx.R(9) + 1; }, [&](int u) { return u / d == 0; });
    return {dividend(H, T, U), d};
}

DivisionProblem type28(RuleContext& ctx)
{
    const int s = ctx.R(2);
    const int d = s == 0 ? ctx.R(8) + 1 : ctx.R(3) + 2;
    const int H = multipleDigit(ctx, d);
    const int T = multipleDigit(ctx, d);
    return {dividend(H, T, 0), d};
}

// Types 29 and 30: the tens digit is smaller than d, so its quotient digit is 0 and the last
// step divides the two-digit number 10T + U.
DivisionProblem type29(RuleContext& ctx)
{
    const int d = ctx.R(8) + 2;
    const int H = multipleDigit(ctx, d);
    const int T = redrawUntil([&] { return ctx.R(9) + 1; }, [&](int t) { return t / d == 0; });
    const int U = redrawUntil([&] { return ctx.R(10); }, [&](int u) {
        const int e = 10 * T + u;
        const int q = e / d;
        return e - q * d != 0 && q * d > 10;
    });
    return {dividend(H, T, U), d};
}

DivisionProblem type30(RuleContext& ctx)
{
    const int d = ctx.R(8) + 2;
    const int H = multipleDigit(ctx, d);
    const int T = redrawUntil([&] { return ctx.R(9) + 1; }, [&](int t) { return t / d == 0; });
    const int U = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return (10 * T + u) % d == 0; });
    return {dividend(H, T, U), d};
}

DivisionProblem type31(RuleContext& ctx)
{
    const int d = divisorWithout5(ctx);
    const int H = multipleDigit(ctx, d);
    const int T = 1;
    const int U = redrawUntil([&] { return ctx.R(10); }, [&](int u) {
        const int e = 10 + u;
        const int q = e / d;
        return e - q * d != 0 && q * d < 10;
    });
    return {dividend(H, T, U), d};
}

// Types 32 to 35: the tens digit is 0.
DivisionProblem type32(RuleContext& ctx)
{
    const int d = ctx.R(7) + 2;
    const int H = multipleDigit(ctx, d);
    const int U = redrawUntil([&] { return ctx.R(10 - d) + d; }, [&](int u) { return u % d != 0; });
    return {dividend(H, 0, U), d};
}

DivisionProblem type33(RuleContext& ctx)
{
    const int d = divisorOneOrMore(ctx);
    const int H = multipleDigit(ctx, d);
    const int U = multipleDigit(ctx, d);
    return {dividend(H, 0, U), d};
}

DivisionProblem type34(RuleContext& ctx)
{
    const int d = ctx.R(7) + 2;
    const int H = multipleDigit(ctx, d);
    const int U = ctx.R(d - 1) + 1;
    return {dividend(H, 0, U), d};
}

DivisionProblem type35(RuleContext& ctx)
{
    const int d = divisorOneOrMore(ctx);
    const int H = multipleDigit(ctx, d);
    return {dividend(H, 0, 0), d};
}

// ---- quotient of two digits: the first step divides the two leading digits ----

DivisionProblem type36(RuleContext& ctx)
{
    TwoSteps w{ctx.R(8) + 2, 0};
    w.H = digitBelow(ctx, w.d);
    w.T = redrawUntil([&] { return ctx.R(10); }, [&](int t) {
        const TwoSteps s = w.withTens(t);
        return s.r1() != 0 && s.p1() >= 10;
    });
    const int U = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return w.p2(u) >= 10 && w.e2(u) % w.d != 0; });
    return {dividend(w.H, w.T, U), w.d};
}

DivisionProblem type37(RuleContext& ctx)
{
    TwoSteps w{ctx.R(8) + 2, 0};
    w.H = digitBelow(ctx, w.d);
    w.T = redrawUntil([&] { return ctx.R(10); }, [&](int t) {
        const TwoSteps s = w.withTens(t);
        return s.r1() != 0 && s.p1() >= 10;
    });
    const int U = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return w.e2(u) % w.d == 0; });
    return {dividend(w.H, w.T, U), w.d};
}

// The first step leaves exactly 1, so the second divides 10 + U.
DivisionProblem type38(RuleContext& ctx)
{
    TwoSteps w{divisorWithout5(ctx), 0};
    w.H = digitBelow(ctx, w.d);
    w.T = redrawUntil([&] { return ctx.R(10); }, [&](int t) {
        const TwoSteps s = w.withTens(t);
        return s.e1() % s.d == 1 && s.p1() >= 10;
    });
    const int U = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return w.p2(u) < 10 && w.e2(u) % w.d != 0; });
    return {dividend(w.H, w.T, U), w.d};
}

// Types 39 and 40: H is 1, and the first step divides 10 + T with a one-digit product.
DivisionProblem type39(RuleContext& ctx)
{
    TwoSteps w{divisorWithout5(ctx), 1};
    w.T = redrawUntil([&] { return ctx.R(10); }, [&](int t) {
        const TwoSteps s = w.withTens(t);
        return s.e1() % s.d != 0 && s.p1() <= 10;
    });
    const int U = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return w.p2(u) >= 10 && w.e2(u) % w.d != 0; });
    return {dividend(w.H, w.T, U), w.d};
}

DivisionProblem type40(RuleContext& ctx)
{
    TwoSteps w{divisorWithout5(ctx), 1};
    w.T = redrawUntil([&] { return ctx.R(10); }, [&](int t) {
        const TwoSteps s = w.withTens(t);
        return s.e1() % s.d != 0 && s.p1() <= 10;
    });
    const int U = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return w.e2(u) % w.d == 0; });
    return {dividend(w.H, w.T, U), w.d};
}

DivisionProblem type41(RuleContext& ctx)
{
    const int s = ctx.R(2);
    const int d = s == 0 ? 3 : 9;
    const int U = redrawUntil([&] { return ctx.R(8); }, [&](int u) { return (10 + u) % d != 0; });
    return {100 + U, d};
}

// Types 42 to 45: the first step is exact, so the units digit is divided on its own.
TwoSteps exactFirstStep(RuleContext& ctx)
{
    TwoSteps w{ctx.R(7) + 2, 0};
    w.H = digitBelow(ctx, w.d);
    w.T = redrawUntil([&] { return ctx.R(10); }, [&](int t) {
        const TwoSteps s = w.withTens(t);
        return s.e1() % s.d == 0;
    });
    return w;
}

DivisionProblem type42(RuleContext& ctx)
{
    const TwoSteps w = exactFirstStep(ctx);
    const int U = ctx.R(9 - w.d) + w.d + 1;
    return {dividend(w.H, w.T, U), w.d};
}

DivisionProblem type43(RuleContext& ctx)
{
    const TwoSteps w = exactFirstStep(ctx);
    const int U = multipleDigit(ctx, w.d);
    return {dividend(w.H, w.T, U), w.d};
}

DivisionProblem type44(RuleContext& ctx)
{
    const TwoSteps w = exactFirstStep(ctx);
    const int U = ctx.R(w.d - 1) + 1;
    return {dividend(w.H, w.T, U), w.d};
}

DivisionProblem type45(RuleContext& ctx)
{
    const TwoSteps w = exactFirstStep(ctx);
    return {dividend(w.H, w.T, 0), w.d};
}

// ---- table D4247: the tentative quotient is lowered (type - 46) times ----

template <int Type>
DivisionProblem tableType(RuleContext& ctx)
{
    return drawTablePair(ctx.tables.d4247, ctx.tables.counts4247, Type - 46, ctx.random, ctx.reporter);
}

// ---- quotient 0 ----

// The dividend lies from half the divisor up to one less than it, and is at least 10.
DivisionProblem type52(RuleContext& ctx)
{
    const int d = ctx.R(89) + 11;
    const int x = ctx.R(d / 2);
    int n = d - 1 - x;
    if (n < 10)
        n = 10;
    return {n, d};
}

DivisionProblem type53(RuleContext& ctx)
{
    const int d = ctx.R(89) + 11;
    const int n = ctx.R(10);
    return {n, d};
}

}  // namespace

const std::array<RuleFn, 27> kRules27to53{
    type27,         type28,         type29,         type30,         type31,         type32,
    type33,         type34,         type35,         type36,         type37,         type38,
    type39,         type40,         type41,         type42,         type43,         type44,
    type45,         tableType<46>,  tableType<47>,  tableType<48>,  tableType<49>,  tableType<50>,
    tableType<51>,  type52,         type53,
};

}  // namespace pelkano
