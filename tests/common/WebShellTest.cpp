// Web pages, the file manager and programs through the launcher; the choosers.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "TempDir.h"
#include "common/AppPaths.h"
#include "common/Choosers.h"
#include "common/WebShell.h"
#include "display/Desktop.h"
#include "mfc/AfxWin.h"
#include "win32/ManualClock.h"
#include "win32/NativePath.h"

namespace {

namespace fs = std::filesystem;
using win32::LaunchRequest;
using win32::Launcher;

class WebShell : public testing::Test {
 protected:
  void SetUp() override {
    Launcher::ClearRecorded();
    Launcher::SetResponder(nullptr);
    display::Desktop::Get().ClearMessageBoxes();
  }
  void TearDown() override {
    Launcher::SetResponder(nullptr);
    win32::SetReportedVersion(0, 0);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Software");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"http");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"https");
  }

  static void SetText(HKEY root, const wchar_t* path, const wchar_t* name, const wchar_t* value) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  static void SetIEVersion(const wchar_t* version) {
    SetText(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", L"Version", version);
  }
};

TEST_F(WebShell, WithoutAnOldBrowserTheAddressItselfIsOpened) {
  EXPECT_FLOAT_EQ(Common::GetIEVersion(), 5.0f);  // no browser registered here
  EXPECT_FALSE(Common::IsUsingIEAsHttpBrowser());
  EXPECT_FALSE(Common::IsUsingIEAsHttpsBrowser());
  Common::SafeOpenWeb(L"https://drive.example/", SW_SHOWMAXIMIZED);
  auto launched = Launcher::Recorded();
  ASSERT_EQ(launched.size(), 1u);
  EXPECT_EQ(launched[0], (LaunchRequest{L"open", L"https://drive.example/", L"", L"", SW_SHOWMAXIMIZED}));
}

TEST_F(WebShell, RegisteredOldBrowsersAreStartedByNameWithTheUntrimmedAddress) {
  // Version 6 systems: the scheme's user choice; the HTTPS test for " HTTPS:".
  SetText(HKEY_CLASSES_ROOT,
          L"Software\\MicroSoft\\Windows\\Shell\\Associations\\UrlAssociations\\https\\UserChoice", L"Progid",
          L"ie.https");
  Common::SafeOpenWeb(L" HTTPS://host/", SW_SHOW);
  Common::SafeOpenWeb(L"http://host/", SW_SHOW);  // no choice for http
  auto launched = Launcher::Recorded();
  ASSERT_EQ(launched.size(), 2u);
  EXPECT_EQ(launched[0], (LaunchRequest{L"open", L"IEXPLORE.EXE", L" HTTPS://host/", L"", SW_SHOW}));
  EXPECT_EQ(launched[1].file, L"http://host/");

  // A version 7 browser or later is never started by name.
  SetIEVersion(L"8.00.7600.16385");
  EXPECT_FLOAT_EQ(Common::GetIEVersion(), 8.0f);
  Common::SafeOpenWeb(L"https://host/", SW_SHOW);
  EXPECT_EQ(Launcher::Recorded().back().file, L"https://host/");
}

TEST_F(WebShell, OlderSystemsReadTheOpenCommandAndAssumeTheOldBrowserForHttps) {
  win32::SetReportedVersion(5, 1);
  EXPECT_FALSE(Common::IsUsingIEAsHttpBrowser());
  EXPECT_TRUE(Common::IsUsingIEAsHttpsBrowser());  // no command registered
  SetText(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"",
          L"\"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\" -nohome");
  SetText(HKEY_CLASSES_ROOT, L"https\\shell\\open\\command", L"", L"\"C:\\Other\\browser.exe\" %1");
  EXPECT_TRUE(Common::IsUsingIEAsHttpBrowser());
  EXPECT_FALSE(Common::IsUsingIEAsHttpsBrowser());
}

TEST_F(WebShell, FailedStartsFallBackToTheOldBrowserThenTellTheUser) {
  Launcher::SetResponder([](const LaunchRequest& r) {
    return r.file == L"IEXPLORE.EXE" ? ERROR_SUCCESS : ERROR_NO_ASSOCIATION;
  });
  Common::SafeOpenWeb(L"http://host/", SW_SHOW);
  ASSERT_EQ(Launcher::Recorded().size(), 2u);
  EXPECT_EQ(Launcher::Recorded()[1].file, L"IEXPLORE.EXE");
  EXPECT_TRUE(display::Desktop::Get().MessageBoxes().empty());

  Launcher::SetResponder([](const LaunchRequest&) { return ERROR_FILE_NOT_FOUND; });
  Common::SafeOpenWeb(L"http://host/", SW_SHOW);
  auto boxes = display::Desktop::Get().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"tips message!");
  EXPECT_EQ(boxes[0].text, L"can't open iexplore.exe, please setup iexplore !");
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, MB_ICONINFORMATION);
}

// The path goes to the shell whole, quotes and spaces and all.
TEST_F(WebShell, LocateFileSelectsExistingItemsOnly) {
  dorvtest::TempDir dir;
  std::filesystem::create_directories(dir / "q\" \"https:" / "evil.example");
  dorvtest::WriteFile(dir / "q\" \"https:" / "evil.example" / "a file.txt", "x");
  CString path(WidePath((dir / "q\" \"https:" / "evil.example" / "a file.txt").c_str()).c_str());
  EXPECT_EQ(Common::LocateFile(path + L".missing"), 0);
  EXPECT_TRUE(Launcher::Recorded().empty());
  EXPECT_EQ(Common::LocateFile(path), 1);
  ASSERT_EQ(Launcher::Recorded().size(), 1u);
  EXPECT_EQ(Launcher::Recorded()[0], (LaunchRequest{L"select", path.str(), L"", L"", SW_SHOWNORMAL}));
}

TEST_F(WebShell, LocalProgramsStartFromTheProgramsFolder) {
  HANDLE process = Common::LoadLocalExe(L"Updater.exe", L"/silent", SW_HIDE);
  ASSERT_NE(process, nullptr);
  CloseHandle(process);
  CString folder = Common::GetAppPath();
  EXPECT_EQ(Launcher::Recorded().back(),
            (LaunchRequest{L"open", (folder + L"Updater.exe").str(), L"/silent", folder.str(), SW_HIDE}));
  Launcher::SetResponder([](const LaunchRequest&) { return ERROR_FILE_NOT_FOUND; });
  EXPECT_EQ(Common::LoadLocalExe(L"Missing.exe", L"", SW_SHOW), nullptr);
}

TEST_F(WebShell, APageIsWrittenOpenedAndDeletedAfterThePause) {
  dorvtest::TempDir tmp;
  setenv("TMPDIR", tmp.path().c_str(), 1);
  win32::ManualClock clock;
  win32::ScopedClock useClock(clock);
  int result = -1;
  std::thread show([&] { result = Common::SaveOpenFileHTML(L"<html>同步</html>"); });
  clock.WaitForWaiters(1);  // the page is open in the browser; the pause has begun

  auto launched = Launcher::Recorded();
  ASSERT_EQ(launched.size(), 1u);
  std::string page = WideToUtf8(launched[0].file);
  EXPECT_EQ(page.rfind(tmp.path().string() + "/ewf", 0), 0u) << page;
  EXPECT_EQ(fs::path(page).extension(), ".html");
  EXPECT_EQ(dorvtest::ReadFile(page), "\xFF\xFE" + WideToUtf16LE(L"<html>同步</html>"));
  EXPECT_EQ(launched[0].show, SW_SHOWNORMAL);

  clock.Advance(3000);
  show.join();
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(fs::is_empty(tmp.path()));  // the page and the name it was made from are gone
  unsetenv("TMPDIR");
}

TEST_F(WebShell, APageThatCannotBeMadeIsReported) {
  dorvtest::TempDir tmp;
  setenv("TMPDIR", (tmp.path() / "missing").c_str(), 1);
  EXPECT_EQ(Common::SaveOpenFileHTML(L"<html/>"), 0);
  unsetenv("TMPDIR");
  EXPECT_TRUE(Launcher::Recorded().empty());
  auto boxes = display::Desktop::Get().MessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"错误！");
  EXPECT_EQ(boxes[0].text, L"无法创建临时文件！请检查是否有足够的磁盘空间！");
  EXPECT_EQ(boxes[0].type & MB_ICONMASK, MB_ICONWARNING);
}

// --- Choosers --------------------------------------------------------------------------

class Choosers : public testing::Test {
 protected:
  void SetUp() override { win32::Choosers::Reset(); }
  void TearDown() override { win32::Choosers::Reset(); }
};

TEST_F(Choosers, BrowseFolderSelectsTheStartFolderAndReturnsTheChoice) {
  win32::Choosers::PushAnswer(L"/home/me/云盘");
  EXPECT_EQ(Common::BrowseFolder(nullptr, L"/home/me"), L"/home/me/云盘");
  auto request = win32::Choosers::Requests().back();
  EXPECT_EQ(request.kind, win32::ChooserRequest::Folder);
  EXPECT_EQ(request.title, L"请选择文件夹");
  EXPECT_EQ(request.folder, L"/home/me");
  EXPECT_EQ(request.flags, 0x1001u);

  EXPECT_EQ(Common::BrowseFolder(nullptr, L"/home/me"), L"");  // cancelled
}

TEST_F(Choosers, FileDialogsTakeTheirDefaultExtensionFromTheFileName) {
  struct Case {
    int open;
    const wchar_t* fileName;
    const wchar_t* answer;
    const wchar_t* result;
  } cases[] = {
      {0, L"report.final.txt", L"/out/summary", L"/out/summary.txt"},
      {0, L"notes", L"/out/summary", L"/out/summary.notes"},  // no '.': the whole name
      {1, L"a.log", L"/in/b.log", L"/in/b.log"},
      {1, nullptr, L"/in/any", L"/in/any"},
  };
  for (const Case& c : cases) {
    win32::Choosers::PushAnswer(c.answer);
    EXPECT_EQ(Common::OpenFileDialog(c.open, L"/start", c.fileName, L"选择文件", L"Text (*.txt)|*.txt||",
                                     OFN_OVERWRITEPROMPT, nullptr),
              c.result);
    auto request = win32::Choosers::Requests().back();
    EXPECT_EQ(request.kind, c.open ? win32::ChooserRequest::OpenFile : win32::ChooserRequest::SaveFile);
    EXPECT_EQ(request.folder, L"/start");
    EXPECT_EQ(request.title, L"选择文件");
    EXPECT_EQ(request.fileName, c.fileName ? c.fileName : L"");
    EXPECT_EQ(request.filter, L"Text (*.txt)|*.txt");
    EXPECT_TRUE(request.flags & OFN_OVERWRITEPROMPT);
  }
  EXPECT_EQ(Common::OpenFileDialog(1, nullptr, L"a.txt", nullptr, nullptr, 0, nullptr), L"");  // cancelled
}

}  // namespace
