#pragma once
// Dump names: a random GUID in its 36-character text form
// ("xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx", lower-case hex).
#include <cstddef>

namespace faultdump {

constexpr size_t kDumpIdLength = 36;

// Writes the id and a NUL into `out` (kDumpIdLength + 1 characters).
// Async-signal-safe.
void MakeDumpId(char* out);

}  // namespace faultdump
