#include "net/ProxyCfg.h"

namespace Net {

void ProxyCfg::SetNull() { *this = ProxyCfg(); }

}  // namespace Net
