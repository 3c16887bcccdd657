#pragma once
// The protocol's log lines; texts arrive as the UTF-8 bytes of the wire.
#include <string>

namespace ProtocolLog {

// An ErrorLog line with a function text and a message.
void Error(const std::string& function, const std::string& message);

}  // namespace ProtocolLog
