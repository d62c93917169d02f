#include "TypeRules.h"

namespace pelkano {

const std::array<RuleFn, 26> kRules01to26{};

}  // namespace pelkano
