#include "TypeRules.h"

#include <string>

namespace pelkano {

RuleFn ruleFor(int type)
{
    if (type >= 1 && type <= 26)
        return kRules01to26[static_cast<std::size_t>(type - 1)];
    if (type >= 27 && type <= 53)
        return kRules27to53[static_cast<std::size_t>(type - 27)];
    if (type >= 54 && type <= 78)
        return kRules54to78[static_cast<std::size_t>(type - 54)];
    return nullptr;
}

DivisionProblem runRule(int type, RuleContext& ctx)
{
    RuleFn rule = ruleFor(type);
    if (!rule)
        throw UnsupportedType("division type " + std::to_string(type) + " has no rule");
    return rule(ctx);
}

}  // namespace pelkano
