#pragma once
#include <string>

namespace Common {

// Standard Base64 with '=' padding and a CR LF after every 80 characters of
// complete groups (never after the padded last group).
std::string TransferToBase64(std::string bytes);

}  // namespace Common
