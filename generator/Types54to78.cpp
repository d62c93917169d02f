#include "TypeRules.h"

namespace pelkano {

const std::array<RuleFn, 25> kRules54to78{};

}  // namespace pelkano
