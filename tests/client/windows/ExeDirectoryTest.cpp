#include "client/windows/ExeDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ExeDirectoryTest, IsTheRunningProgramsFolderWithItsSeparator) {
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(GetExeDirectory().toStdString(), program.parent_path().string() + "/");
}
