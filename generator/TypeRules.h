#pragma once
// The rules of the 78 division types. Each rule is a short sequence of R(n) draws with
// rejection loops; which loop redraws one value and which starts again is part of the rule.
#include "NumberTable.h"
#include "Problem.h"
#include "Random.h"

#include <array>
#include <stdexcept>

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

}  // namespace pelkano
