#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "TempDir.h"
#include "win32/Windows.h"

namespace {

using win32::Launcher;
using win32::LaunchRequest;

class LauncherTest : public testing::Test {
 protected:
  void SetUp() override {
    Launcher::SetMode(Launcher::Mode::Record);
    Launcher::ClearRecorded();
    Launcher::SetResponder(nullptr);
  }
  void TearDown() override { Launcher::SetResponder(nullptr); }
};

TEST_F(LauncherTest, TestsRecordByDefault) {
  // The test main sets DORV_LAUNCHER=record; nothing here may open a browser.
  EXPECT_STREQ(std::getenv("DORV_LAUNCHER"), "record");
}

TEST_F(LauncherTest, RecordsEveryCallWithItsFields) {
  HINSTANCE result = ShellExecuteW(nullptr, L"open", L" HTTPS://host/", nullptr, nullptr, 1);
  EXPECT_GT(reinterpret_cast<INT_PTR>(result), 32);
  ShellExecuteW(nullptr, nullptr, L"explorer.exe", L"/select, \"/data/a b.txt\"", L"/tmp", 3);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"runas";
  info.lpFile = L"/opt/dorv/Dorv_Win.exe";
  info.lpParameters = L"ExploreRefresh";
  info.nShow = 1;
  ASSERT_TRUE(ShellExecuteExW(&info));
  EXPECT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
  ASSERT_NE(info.hProcess, nullptr);  // a recorded start gives a process that has ended
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 0u);
  CloseHandle(info.hProcess);

  std::vector<LaunchRequest> expected = {
      {L"open", L" HTTPS://host/", L"", L"", 1},
      {L"", L"explorer.exe", L"/select, \"/data/a b.txt\"", L"/tmp", 3},
      {L"runas", L"/opt/dorv/Dorv_Win.exe", L"ExploreRefresh", L"", 1},
  };
  EXPECT_EQ(Launcher::Recorded(), expected);
  std::string journal = dorvtest::ReadFile(Launcher::JournalPath());
  EXPECT_NE(journal.find("\texplorer.exe\t/select, \"/data/a b.txt\"\t/tmp\t3\n"), std::string::npos);
}

TEST_F(LauncherTest, TheTestDecidesTheAnswer) {
  Launcher::SetResponder([](const LaunchRequest& r) -> DWORD {
    return r.file == L"IEXPLORE.EXE" ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", L"http://x/", nullptr, nullptr, 1)),
            SE_ERR_FNF);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_GT(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", L"IEXPLORE.EXE", L"http://x/", nullptr, 1)),
            32);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = L"missing.exe";
  EXPECT_FALSE(ShellExecuteExW(&info));
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hInstApp), SE_ERR_FNF);
  info.cbSize = 12;
  EXPECT_FALSE(ShellExecuteExW(&info));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(LauncherTest, RealModeRefusesWhatItCannotOpen) {
  Launcher::SetMode(Launcher::Mode::Real);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", L"/no/such/file.txt", nullptr, nullptr, 1)),
            SE_ERR_PNF);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"print", L"/etc/hostname", nullptr, nullptr, 1)),
            SE_ERR_NOASSOC);
  Launcher::SetMode(Launcher::Mode::Record);
  EXPECT_TRUE(Launcher::Recorded().empty());
}

// The desktop's opener played by a script first on PATH, which writes the
// arguments it was given into a file, one per line.
class FakeOpener {
 public:
  FakeOpener() {
    dorvtest::WriteFile(m_dir / "xdg-open",
                        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\" && mv \"$0.tmp\" \"$0.args\"\n");
    std::filesystem::permissions(m_dir / "xdg-open", std::filesystem::perms::owner_all);
    m_path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (m_dir.path().string() + ":" + m_path).c_str(), 1);
  }
  ~FakeOpener() { setenv("PATH", m_path.c_str(), 1); }

  // What the opener was given, once it has run (empty when it never ran).
  std::string Arguments() const {
    const auto file = m_dir / "xdg-open.args";
    for (int i = 0; i < 1000 && !std::filesystem::exists(file); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::exists(file) ? dorvtest::ReadFile(file) : std::string();
  }

 private:
  dorvtest::TempDir m_dir;
  std::string m_path;
};

// A name may hold quotes, spaces and a scheme's colon: the path reaches the
// opener as one argument, and a text that is not an absolute path never
// reaches it, where it would be taken for an address.
TEST_F(LauncherTest, ALocalPathReachesTheOpenerWholeAndNeverAsAnAddress) {
  dorvtest::TempDir dir;
  const std::filesystem::path folder = dir / "q\" \"https:" / "evil.example";
  std::filesystem::create_directories(folder);
  dorvtest::WriteFile(folder / "file", "x");
  const std::wstring file = (folder / "file").wstring();
  FakeOpener opener;
  Launcher::SetMode(Launcher::Mode::Real);
  // The file manager's command line that once split the name apart.
  EXPECT_EQ(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", L"explorer.exe",
                                                    (L"/select, \"" + file + L"\"").c_str(), nullptr, 1)),
            SE_ERR_PNF);
  EXPECT_EQ(Launcher::Launch({L"select", L"https:/evil.example/file", L"", L"", 1}, nullptr), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(Launcher::Launch({L"select", file, L"", L"", 1}, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(opener.Arguments(), folder.string() + "\n");
  Launcher::SetMode(Launcher::Mode::Record);
}

}  // namespace
