// Tests that start real child processes (tests/platform/win32/Win32Child.cpp).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "win32/Windows.h"

namespace {

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

const std::wstring kChild = Wide(WIN32_CHILD);

// Starts the child with its mode and arguments; the command line begins with its path.
PROCESS_INFORMATION Start(const std::wstring& arguments) {
  std::wstring line = L"\"" + kChild + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                             &startup, &info))
      << GetLastError();
  return info;
}

DWORD Finish(PROCESS_INFORMATION& info) {
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return code;
}

TEST(Processes, ExitCodesAndTheSignalledHandle) {
  PROCESS_INFORMATION info = Start(L"exit 42");
  EXPECT_NE(info.dwProcessId, GetCurrentProcessId());
  EXPECT_EQ(GetProcessId(info.hProcess), info.dwProcessId);
  EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0);  // the main thread ends with it
  EXPECT_EQ(Finish(info), 42u);

  PROCESS_INFORMATION crash = Start(L"crash");
  EXPECT_EQ(Finish(crash), 0xC0000005u);
}

TEST(Processes, MissingProgramsAndBadArguments) {
  STARTUPINFOW startup{};
  PROCESS_INFORMATION info{};
  std::wstring line = L"no-such-program-dorv --x";
  EXPECT_FALSE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(CreateProcessW(L"/no/such/dir/prog", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "plain.txt", "not a program");
  ::chmod((dir / "plain.txt").c_str(), 0755);
  std::wstring plain = Wide((dir / "plain.txt").string());
  EXPECT_FALSE(CreateProcessW(plain.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  EXPECT_FALSE(CreateProcessW(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Processes, TheChildSeesTheExactCommandLine) {
  dorvtest::TempDir dir;
  std::string out = (dir / "args.txt").string();
  STARTUPINFOW startup{};
  PROCESS_INFORMATION info{};
  std::wstring normal = L"\"" + kChild + L"\" args " + Wide(out) + LR"( "two words" back\"slash "end\\" x\y)";
  ASSERT_TRUE(CreateProcessW(kChild.c_str(), normal.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &info));
  EXPECT_EQ(Finish(info), 0u);
  std::ifstream in(out);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(Wide(lines[0]), normal);
  EXPECT_EQ(lines[1], WIN32_CHILD);
  EXPECT_EQ(lines[2], "args");
  EXPECT_EQ(lines[4], "two words");
  EXPECT_EQ(lines[5], "back\"slash");
  EXPECT_EQ(lines[6], "end\\");
  EXPECT_EQ(lines[7], "x\\y");
}

TEST(Processes, ACommandLineWithoutTheProgramNameReachesTheChildAsItIs) {
  dorvtest::TempDir dir;
  std::string out = (dir / "info.txt").string();
  std::wstring line = L"/info \"ProductName:Dorv|Version:2000|\" /dumppath \"" + Wide(out) + L"\"";
  STARTUPINFOW startup{};
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessW(kChild.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &info));
  EXPECT_EQ(WaitForInputIdle(info.hProcess, INFINITE), 0u);
  EXPECT_EQ(Finish(info), 0u);
  std::ifstream in(out);
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(Wide(lines[0]), line);
  EXPECT_EQ(lines[1], "/info");
  EXPECT_EQ(lines[2], "ProductName:Dorv|Version:2000|");
  EXPECT_EQ(lines[3], "/dumppath");
}

TEST(Processes, TheRealLauncherStartsAProgram) {
  win32::Launcher::SetMode(win32::Launcher::Mode::Real);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = kChild.c_str();
  info.lpParameters = L"exit 5";
  info.nShow = 1;
  BOOL started = ShellExecuteExW(&info);
  win32::Launcher::SetMode(win32::Launcher::Mode::Record);
  ASSERT_TRUE(started) << GetLastError();
  EXPECT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 5u);
  CloseHandle(info.hProcess);
}

TEST(Processes, TerminateKillsAndSetsTheCode) {
  dorvtest::TempDir dir;
  std::string fifo = (dir / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  PROCESS_INFORMATION info = Start(L"hold-event DorvTerminateTest " + Wide(fifo));
  std::ifstream(fifo).ignore();  // the child is up
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_TRUE(TerminateProcess(info.hProcess, 77));
  EXPECT_EQ(Finish(info), 77u);
}

TEST(NamedEventsAcrossProcesses, SeenFromAnotherProcessAndFreedWhenItIsKilled) {
  dorvtest::TempDir dir;
  std::string fifo = (dir / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  PROCESS_INFORMATION info = Start(L"hold-event \"Dorv Start Running Event\" " + Wide(fifo));
  std::string report;
  std::getline(std::ifstream(fifo), report);
  EXPECT_EQ(report, "created 0");

  HANDLE second = CreateEventW(nullptr, TRUE, TRUE, L"Dorv Start Running Event");
  ASSERT_TRUE(second);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(second);
  HANDLE opened = OpenEventW(SYNCHRONIZE, FALSE, L"Dorv Start Running Event");
  EXPECT_TRUE(opened);
  CloseHandle(opened);

  ::kill(static_cast<pid_t>(info.dwProcessId), SIGKILL);  // a crash: nothing is closed by the child
  EXPECT_EQ(Finish(info), 128u + SIGKILL);
  EXPECT_EQ(OpenEventW(SYNCHRONIZE, FALSE, L"Dorv Start Running Event"), nullptr);
  HANDLE fresh = CreateEventW(nullptr, TRUE, TRUE, L"Dorv Start Running Event");
  ASSERT_TRUE(fresh);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

  // And the other way round: the child now finds ours.
  PROCESS_INFORMATION child = Start(L"hold-event \"Dorv Start Running Event\" " + Wide(fifo));
  std::getline(std::ifstream(fifo), report);
  EXPECT_EQ(report, "created 183");
  TerminateProcess(child.hProcess, 1);
  Finish(child);
  CloseHandle(fresh);
}

TEST(RegistryAcrossProcesses, TwoWritersLoseNothing) {
  PROCESS_INFORMATION a = Start(L"reg-write a 40");
  PROCESS_INFORMATION b = Start(L"reg-write b 40");
  EXPECT_EQ(Finish(a), 0u);
  EXPECT_EQ(Finish(b), 0u);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\dorvtest", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 80u);
  DWORD data = 0, size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key, L"B39", nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size), ERROR_SUCCESS);
  EXPECT_EQ(data, 39u);
  RegCloseKey(key);
}

}  // namespace
