#pragma once
// Content sizes, positions and offsets travel as signed 32-bit ints. A file
// of 2 GiB or more cannot be described on the wire: sending it would wrap
// its size, so it is refused before any request is made.
#include <cstdint>
#include <string>

constexpr int64_t kMaxWireFileSize = 2147483647;  // 2 GiB - 1

// True when size fits; otherwise false with a readable reason in error.
bool CheckWireFileSize(int64_t size, std::string* error = nullptr);
