#pragma once
// The rules of the 78 division types. Each rule is a short sequence of R(n) draws with
// rejection loops; which loop redraws one value and which starts again is part of the rule.
#include "NumberTable.h"
#include "Problem.h"
#include "Random.h"

#include <array>
#include <stdexcept>
#include <string>

namespace pelkano {

inline constexpr int kTypeCount = 78;

// What a rule may read: the random source, the tables loaded at start-up, the warning sink.
struct RuleContext {
    RandomSource& random;
    const NumberTables& tables;
    Reporter& reporter;
    int R(int n) { return random.R(n); }
};

using RuleFn = DivisionProblem (*)(RuleContext&);

// The two loops of a rule. Redrawing one value keeps every value drawn before it:
//     const int u = redrawUntil([&] { return ctx.R(10); }, [&](int u) { return u % d == 0; });
// draws u = draw() and draws it again until fits(u). A value that is a pair drawn together is
// returned as a small struct. Starting again from an earlier step throws away every value drawn
// from that step on: the rule puts that step at the top of a `for (;;)` loop and leaves a failed
// pass with `continue`.
template <typename Draw, typename Fits>
auto redrawUntil(Draw draw, Fits fits)
{
    auto value = draw();
    while (!fits(value))
        value = draw();
    return value;
}

// One array per source file, in type order.
extern const std::array<RuleFn, 26> kRules01to26;  // types 1..26
extern const std::array<RuleFn, 27> kRules27to53;  // types 27..53
extern const std::array<RuleFn, 25> kRules54to78;  // types 54..78

class UnsupportedType : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The rule of type 1..78, or null when it is not available.
RuleFn ruleFor(int type);

// Runs the rule of one type; throws UnsupportedType for a type without a rule.
DivisionProblem runRule(int type, RuleContext& ctx);

// What a teacher is told about a type: what every problem of the type has in common.
enum class RemainderKind { None, Some, Either };  // always 0, never 0, both occur
enum class QuotientZeros { None, Ones, Tens, TensAndOnes };  // the places of the quotient that are always 0

struct TypeDescription {
    int dividendDigitsMin = 1;
    int dividendDigitsMax = 1;
    int divisorDigits = 1;
    int quotientDigits = 1;  // 0: the quotient is 0
    RemainderKind remainder = RemainderKind::Either;
    QuotientZeros zeros = QuotientZeros::None;
    // For a two-digit divisor and a one-digit quotient: how many times the tentative quotient
    // (the leading part of the dividend divided by the divisor's tens digit) is lowered; -1 when
    // not told. fromNine: that division always gives 9 or more, so the tentative quotient is 9.
    int corrections = -1;
    bool fromNine = false;
    // What sets the type apart from the others of the same counts, in the teacher's words: which
    // step is exact, where a remainder is left, which digit is divided on its own, how many
    // digits a product has (UTF-8; empty when the counts and corrections already tell it).
    const char* steps = "";
    DivisionProblem example;  // one problem the type's rule makes
};

// What the problems of type 1..78 have in common; throws UnsupportedType for any other number.
const TypeDescription& typeDescription(int type);
// The one line shown to a teacher (UTF-8), e.g.
// "2けた÷1けた　あまりあり　商は2けた　十の位がわり切れ、一の位だけをわる　例 86÷4".
std::string typeDescriptionText(int type);

}  // namespace pelkano
