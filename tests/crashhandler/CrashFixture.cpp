#include "CrashFixture.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "win32/NamedObject.h"
#include "win32/Windows.h"

extern char** environ;

namespace crashtest {

pid_t Spawn(std::vector<std::string> arguments, int stdoutFd) {
  std::vector<char*> argv;
  for (auto& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0) posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  pid_t pid = 0;
  int error = ::posix_spawn(&pid, arguments[0].c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

ChildResult RunChild(const std::vector<std::string>& arguments) {
  std::vector<std::string> args{FAULTTRAP_CHILD, FAULTTRAP_LIBRARY};
  args.insert(args.end(), arguments.begin(), arguments.end());
  ChildResult result;
  result.status = -1;
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return result;
  pid_t pid = Spawn(args, out[1]);
  ::close(out[1]);
  if (pid < 0) {
    ::close(out[0]);
    return result;
  }
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, static_cast<size_t>(n));
  ::close(out[0]);
  ::waitpid(pid, &result.status, 0);
  result.pid = pid;
  return result;
}

std::vector<std::string> ProgramParameters(const std::string& dumpFolder, const std::string& ipcName) {
  return {"3=" + dumpFolder, "0=Dorv", "1=2000", "2=internal-test", "4=" + ipcName};
}

static std::string LogPath() { return win32::RuntimeFolder() + "/FaultCourier.log"; }

std::vector<std::string> CourierLog() {
  std::ifstream in(LogPath());
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void ClearCourierLog() { fs::remove(LogPath()); }

std::string WaitForLogLine(const std::function<bool(const std::string&)>& match) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {
    for (const std::string& line : CourierLog())
      if (match(line)) return line;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < deadline);
  return {};
}

std::vector<fs::path> DumpsIn(const fs::path& folder) {
  std::vector<fs::path> dumps;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (entry.path().extension() == ".dmp") dumps.push_back(entry.path());
  return dumps;
}

void CrashTest::SetUp() { ClearCourierLog(); }

void CrashTest::TearDown() {
  for (FaultTrapInterface* trap : m_traps) trap->Release();
}

FaultTrapInterface* CrashTest::Create() {
  HMODULE library = ::LoadLibraryW(L"" FAULTTRAP_LIBRARY);
  EXPECT_NE(library, nullptr);
  if (!library) return nullptr;
  auto create = reinterpret_cast<CreateFaultTrap2Fn>(::GetProcAddress(library, "CreateFaultTrap2"));
  EXPECT_NE(create, nullptr);
  if (!create) return nullptr;
  FaultTrapInterface* trap = nullptr;
  EXPECT_EQ(create(&trap), 1);
  if (trap) m_traps.push_back(trap);
  return trap;
}

}  // namespace crashtest
