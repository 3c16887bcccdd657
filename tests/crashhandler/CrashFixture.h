#pragma once
// Shared pieces of the crash handler tests: the library bound as the program
// binds it, the crashing child, the reporter's log and dump folders.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FaultTrapInterface.h"
#include "TempDir.h"

namespace crashtest {

namespace fs = std::filesystem;

struct ChildResult {
  int status = 0;  // as waitpid gives it
  int pid = 0;
  std::string output;
};

// Starts a program with these arguments (the first is the program) and our
// environment; its standard output goes to `stdoutFd` when not -1. The pid, or -1.
pid_t Spawn(std::vector<std::string> arguments, int stdoutFd = -1);
// Runs FaultTrapChild with the library and the given arguments and waits for its end.
ChildResult RunChild(const std::vector<std::string>& arguments);
// The main program's five parameters for a dump folder and an IPC name.
std::vector<std::string> ProgramParameters(const std::string& dumpFolder, const std::string& ipcName);

// The reporter's log lines so far.
std::vector<std::string> CourierLog();
void ClearCourierLog();
// Waits (up to 20 s) until a log line satisfies `match`; the line, or "" on time-out.
std::string WaitForLogLine(const std::function<bool(const std::string&)>& match);
// The dump files in a folder.
std::vector<fs::path> DumpsIn(const fs::path& folder);

class CrashTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // A new handler object from the library's "CreateFaultTrap2".
  FaultTrapInterface* Create();

  dorvtest::TempDir m_dir{"dorv-crash"};
  std::vector<FaultTrapInterface*> m_traps;
};

}  // namespace crashtest
