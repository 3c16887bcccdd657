#pragma once
// Helpers shared by the fuzz targets: a private home for the process (data,
// configuration and runtime folders under one temporary folder) and a file
// holding the input, for the readers that take a path.
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace dorvfuzz {

// The process's temporary home, made (and the XDG variables pointed into it)
// on first use; removed at exit.
const std::string& Home();
// Writes the bytes to Home()/name and returns the file's path.
std::string WriteInput(const uint8_t* data, size_t size, const std::string& name);

}  // namespace dorvfuzz
