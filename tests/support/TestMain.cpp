// Every test process gets its own application-data, configuration and runtime
// folders, so tests never touch the user's files and can run side by side; and
// the launcher only records, so no test opens a browser or a file manager.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TempDir.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  dorvtest::TempDir home("dorv-home");
  for (const char* var : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
    std::filesystem::path dir = home.path() / var;
    std::filesystem::create_directories(dir);
    setenv(var, dir.c_str(), 1);
  }
  setenv("DORV_LAUNCHER", "record", 1);
  // Test programs share their program folder: each stages its downloads apart.
  setenv("DORV_STAGING_DIR", (home.path() / "staging").c_str(), 1);
  return RUN_ALL_TESTS();
}
