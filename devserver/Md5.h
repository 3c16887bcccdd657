#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace devserver {

// Lower-case hex MD5 digests (libmd).
std::string Md5Hex(std::string_view data);
// Empty when the file can't be read.
std::string Md5OfFile(const std::filesystem::path& file);
bool IsMd5Hex(const std::string& text);

}  // namespace devserver
