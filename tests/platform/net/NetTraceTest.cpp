#include <gtest/gtest.h>
#include <sys/stat.h>

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

// The trace names the service's addresses: the user's alone with a usual umask,
// and tightened where an earlier run left it open.
TEST(NetTrace, TheTraceIsPrivateWhateverTheUmask) {
  const std::string path = Net::GetNetTracePath();
  dorvtest::WriteFile(path, "");
  ::chmod(path.c_str(), 0644);
  const mode_t old = ::umask(022);
  EXPECT_TRUE(Net::NET_TRACE(1, "private"));
  ::umask(old);
  EXPECT_EQ(std::filesystem::status(path).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(std::filesystem::status(std::filesystem::path(path).parent_path()).permissions(),
            std::filesystem::perms::owner_all);
}

TEST(NetTrace, AnUnwritableFolderOnlyFailsTheResult) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "file", "not a folder");
  std::string saved = std::getenv("XDG_DATA_HOME");
  setenv("XDG_DATA_HOME", (dir / "file").c_str(), 1);
  EXPECT_FALSE(Net::NET_TRACE(1, "stop link server ping"));
  setenv("XDG_DATA_HOME", saved.c_str(), 1);
}
