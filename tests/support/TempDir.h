#pragma once
#include <filesystem>
#include <string>

namespace dorvtest {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "dorv-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return m_path; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

 private:
  std::filesystem::path m_path;
};

// Writes bytes to a file, creating its folders.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
// Reads a whole file; empty when it can't be read.
std::string ReadFile(const std::filesystem::path& file);

}  // namespace dorvtest
