// Two processes of the program write one log: a second start's exit writes
// its lines while the running instance writes its own.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "client/core/LogWriter.h"

namespace {

TEST(LogWriterProcessesTest, LinesOfProcessesWritingOneLogAreAllKept) {
  dorvtest::TempDir folder;
  constexpr int kProcesses = 4;
  constexpr int kLines = 300;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      CLogWriter log(folder.path().string(), "dorv.log");
      for (int i = 0; i < kLines; ++i) log.WriteMessage(KeyPoint, "process " + juce::String(p) + " line " + juce::String(i));
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::ifstream in(folder / "dorv.log", std::ios::binary);
  int lines = 0, headers = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.find("Message: process ") != std::string::npos) ++lines;
    if (line.find("ReCreateLog") != std::string::npos) ++headers;
  }
  EXPECT_EQ(lines, kProcesses * kLines);
  EXPECT_EQ(headers, kProcesses);
}

}  // namespace
