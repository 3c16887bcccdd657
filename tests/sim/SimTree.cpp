#include "SimTree.h"

#include <md5.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace simtest {

std::string Md5Of(const std::string& bytes) {
  char hex[MD5_DIGEST_STRING_LENGTH];
  return MD5Data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), hex);
}

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Tree ReadLocalTree(const fs::path& root, bool withContent) {
  Tree tree;
  std::error_code error;
  fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
  for (; !error && it != end; it.increment(error)) {
    const fs::path relative = it->path().lexically_relative(root);
    if (relative == "desktop.ini") continue;
    struct stat info {};
    if (::lstat(it->path().c_str(), &info) != 0) continue;  // gone meanwhile
    Entry entry;
    entry.isDir = S_ISDIR(info.st_mode);
    if (S_ISLNK(info.st_mode)) {
      entry.md5 = "(link)";
    } else if (!entry.isDir) {
      entry.size = info.st_size;
      if (withContent)
        entry.md5 = Md5Of(ReadWhole(it->path()));
      else
        entry.id = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    }
    tree[relative.string()] = entry;
  }
  return tree;
}

bool SameContent(const Tree& a, const Tree& b) {
  if (a.size() != b.size()) return false;
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
    if (i->first != j->first || i->second.isDir != j->second.isDir || i->second.md5 != j->second.md5) return false;
  return true;
}

std::string DiffTrees(const Tree& a, const Tree& b, size_t limit) {
  std::ostringstream out;
  size_t lines = 0;
  auto line = [&](char mark, const std::string& path) {
    if (lines++ < limit) out << "    " << mark << " " << path << "\n";
  };
  for (const auto& [path, entry] : a) {
    auto other = b.find(path);
    if (other == b.end())
      line('-', path + (entry.isDir ? "/" : ""));
    else if (other->second.isDir != entry.isDir || other->second.md5 != entry.md5)
      line('~', path);
  }
  for (const auto& [path, entry] : b)
    if (!a.count(path)) line('+', path + (entry.isDir ? "/" : ""));
  if (lines > limit) out << "    ... " << lines - limit << " more\n";
  return out.str();
}

}  // namespace simtest
