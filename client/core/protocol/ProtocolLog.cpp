#include "client/core/protocol/ProtocolLog.h"

#include "client/core/LogWriter.h"

namespace ProtocolLog {

void Error(const std::string& function, const std::string& message) {
  WriteLog(ErrorLog, juce::String::fromUTF8(function.data(), int(function.size())),
           juce::String::fromUTF8(message.data(), int(message.size())));
}

}  // namespace ProtocolLog
