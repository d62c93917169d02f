#pragma once
// The textbook's units: groups of types that a teacher ticks at once, each made from what the
// types' own descriptions say (divisor digits, remainder, zeros in the quotient, corrections of the
// tentative quotient), so that a unit never disagrees with the types it ticks.
#include <string>
#include <vector>

namespace pelkano {

struct Unit {
    std::string name;        // "1けたでわる（あまりなし）"
    std::vector<int> types;  // ascending
};

// Every unit, in the order a textbook teaches them.
const std::vector<Unit>& units();
// The unit of that name; nullptr when there is none.
const Unit* unitByName(const std::string& name);

}  // namespace pelkano
