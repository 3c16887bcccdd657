#include "FuzzSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace dorvfuzz {

namespace {

struct TempHome {
  TempHome() {
    char pattern[] = "/tmp/dorv-fuzz-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    path = made ? made : "/tmp";
    for (const char* var : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
      const std::string dir = path + "/" + var;
      std::filesystem::create_directories(dir);
      ::setenv(var, dir.c_str(), 1);
    }
    ::setenv("DORV_LAUNCHER", "record", 1);
  }
  ~TempHome() {
    std::error_code ignored;
    if (path != "/tmp") std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

}  // namespace

const std::string& Home() {
  static TempHome home;
  return home.path;
}

std::string WriteInput(const uint8_t* data, size_t size, const std::string& name) {
  const std::string path = Home() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

}  // namespace dorvfuzz
