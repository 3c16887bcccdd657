#pragma once
// Reads a file the user put somewhere we look (a photo, a picture) without
// trusting what it is: only a regular file is read, never through a symbolic
// link, never a FIFO or a device (which could block or never end), and never
// more than a cap that is checked before anything is read.
#include <cstdint>
#include <string>
#include <vector>

namespace RegularFile {

// The whole file into `out` when it is a regular file of at most `maxSize`
// bytes; with `prefix` below the size, only its first `prefix` bytes. False
// (and `out` empty) for a link, anything not regular, a larger file or a
// failed read.
bool Read(const std::string& path, uint64_t maxSize, std::vector<uint8_t>& out, uint64_t prefix = UINT64_MAX);

}  // namespace RegularFile
