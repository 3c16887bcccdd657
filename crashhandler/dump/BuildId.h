#pragma once
// The GNU build id of an ELF file (its NT_GNU_BUILD_ID note), which names the
// exact build of a module so that a debugger can find its symbols.
#include <cstddef>
#include <cstdint>

namespace faultdump {

constexpr size_t kMaxBuildId = 64;

// Reads the note from the file's program headers into `out` and returns its
// length; 0 when the file cannot be read, is no 64-bit little-endian ELF file
// or has no build id. Async-signal-safe (open, pread, close).
size_t ReadBuildId(const char* path, uint8_t* out, size_t capacity);

}  // namespace faultdump
