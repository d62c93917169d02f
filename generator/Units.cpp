#include "Units.h"

#include "TypeRules.h"

#include <functional>

namespace pelkano {

namespace {

using Rule = std::function<bool(const TypeDescription&)>;

Unit unitOf(const char* name, const Rule& holds)
{
    Unit unit{name, {}};
    for (int t = 1; t <= kTypeCount; ++t)
        if (holds(typeDescription(t)))
            unit.types.push_back(t);
    return unit;
}

}  // namespace

const std::vector<Unit>& units()
{
    static const std::vector<Unit> all = [] {
        const auto plain = [](const TypeDescription& d) { return d.zeros == QuotientZeros::None && d.quotientDigits > 0; };
        return std::vector<Unit>{
            unitOf("1けたでわる（あまりなし）",
                   [&](const TypeDescription& d) { return d.divisorDigits == 1 && plain(d) && d.remainder == RemainderKind::None; }),
            unitOf("1けたでわる（あまりあり）",
                   [&](const TypeDescription& d) { return d.divisorDigits == 1 && plain(d) && d.remainder != RemainderKind::None; }),
            unitOf("商に0がたつ", [](const TypeDescription& d) { return d.zeros != QuotientZeros::None; }),
            unitOf("商が0になる", [](const TypeDescription& d) { return d.quotientDigits == 0; }),
            unitOf("2けたでわる（仮商そのまま）", [](const TypeDescription& d) {
                return d.divisorDigits == 2 && d.corrections == 0 && !d.fromNine;
            }),
            unitOf("2けたでわる（仮商の修正）", [](const TypeDescription& d) {
                return d.divisorDigits == 2 && (d.corrections > 0 || d.fromNine);
            }),
            unitOf("2けたでわる（商が2けた以上）",
                   [&](const TypeDescription& d) { return d.divisorDigits == 2 && d.quotientDigits >= 2 && plain(d); }),
            unitOf("3けたでわる", [](const TypeDescription& d) { return d.divisorDigits == 3; }),
        };
    }();
    return all;
}

const Unit* unitByName(const std::string& name)
{
    for (const Unit& unit : units())
        if (unit.name == name)
            return &unit;
    return nullptr;
}

}  // namespace pelkano
