#include "TypeRules.h"

namespace pelkano {

const std::array<RuleFn, 27> kRules27to53{};

}  // namespace pelkano
