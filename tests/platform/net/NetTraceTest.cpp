#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "net/NetTrace.h"

TEST(NetTrace, AppendsLinesBesideTheLog) {
  std::string path = Net::GetNetTracePath();
  EXPECT_EQ(path, std::string(std::getenv("XDG_DATA_HOME")) + "/Halvorn/dorv/dorv_net_trace.log");
  EXPECT_TRUE(Net::NET_TRACE(1, "begin link server ping"));
  EXPECT_TRUE(Net::NET_TRACE(1, std::string("end link server ping")));
  std::string text = dorvtest::ReadFile(path);
  size_t first = text.find("1: begin link server ping\n");
  ASSERT_NE(first, std::string::npos) << text;
  EXPECT_NE(text.find("1: end link server ping\n", first), std::string::npos) << text;
}

TEST(NetTrace, AnUnwritableFolderOnlyFailsTheResult) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "file", "not a folder");
  std::string saved = std::getenv("XDG_DATA_HOME");
  setenv("XDG_DATA_HOME", (dir / "file").c_str(), 1);
  EXPECT_FALSE(Net::NET_TRACE(1, "stop link server ping"));
  setenv("XDG_DATA_HOME", saved.c_str(), 1);
}
