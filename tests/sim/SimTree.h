#pragma once
// A snapshot of one side's tree below its sync root: relative path to what is
// there. Local trees are read without following links; the service's tree
// comes from the admin API.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace simtest {

struct Entry {
  bool isDir = false;
  std::string md5;  // files only
  std::int64_t size = 0;
  std::int64_t id = 0;  // the service's item id; 0 for local entries

  bool operator==(const Entry&) const = default;
};

using Tree = std::map<std::string, Entry>;

// Every entry below root, "a/b.txt" style, without the shell's desktop.ini at
// the top. withContent false leaves md5 empty and puts the mtime into id, for
// cheap looks at whether a tree is still moving.
Tree ReadLocalTree(const std::filesystem::path& root, bool withContent = true);

// The lines that differ between two trees ("- path" only in a, "+ path" only
// in b, "~ path" both with different content), at most limit of them.
// The same paths with the same kinds and contents (ids and sizes aside).
bool SameContent(const Tree& a, const Tree& b);

std::string DiffTrees(const Tree& a, const Tree& b, size_t limit = 12);

std::string Md5Of(const std::string& bytes);
std::string ReadWhole(const std::filesystem::path& file);

}  // namespace simtest
