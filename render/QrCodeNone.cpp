#include "QrCode.h"

namespace pelkano {

// This build has no QR writer: pages carry the marks and the printed code only.
QrModules qrModules(const std::string&)
{
    return {};
}

}  // namespace pelkano
