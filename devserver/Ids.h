#pragma once
#include <cstdint>
#include <string>

namespace devserver {

// Random hex text of 2 * bytes characters from the system's entropy source;
// used for session ids, client ids, login tokens and transfer tokens.
std::string RandomHex(size_t bytes);
// Milliseconds since the epoch.
int64_t NowMs();

}  // namespace devserver
