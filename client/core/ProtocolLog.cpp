#include "client/core/ProtocolLog.h"

#include <iostream>

namespace ProtocolLog {

void Error(const std::string& function, const std::string& message) {
  std::clog << "ErrorLog: Function: " << function << ",Message: " << message << std::endl;
}

}  // namespace ProtocolLog
