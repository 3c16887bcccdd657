// The shell's choosers, file dialogs and recycle bin.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempDir.h"
#include "win32/NativePath.h"
#include "win32/Windows.h"

namespace {

namespace fs = std::filesystem;

class ShellChoosers : public testing::Test {
 protected:
  void SetUp() override { win32::Choosers::Reset(); }
  void TearDown() override { win32::Choosers::Reset(); }
};

int CALLBACK SelectFromData(HWND chooser, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

TEST_F(ShellChoosers, FolderChooserTakesTheStartFolderFromItsCallbackAndReturnsTheAnswer) {
  win32::Choosers::PushAnswer(L"/home/someone/Sync folder/");
  wchar_t display[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.pszDisplayName = display;
  info.lpszTitle = L"请选择文件夹";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_BROWSEFORCOMPUTER;
  info.lpfn = SelectFromData;
  info.lParam = reinterpret_cast<LPARAM>(L"/start/here");
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  ASSERT_NE(chosen, nullptr);
  wchar_t path[MAX_PATH];
  ASSERT_TRUE(SHGetPathFromIDListW(chosen, path));
  EXPECT_STREQ(path, L"/home/someone/Sync folder/");
  EXPECT_STREQ(display, L"Sync folder");
  CoTaskMemFree(chosen);

  auto requests = win32::Choosers::Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].kind, win32::ChooserRequest::Folder);
  EXPECT_EQ(requests[0].folder, L"/start/here");
  EXPECT_EQ(requests[0].title, L"请选择文件夹");
  EXPECT_EQ(requests[0].flags, 0x1001u);
}

TEST_F(ShellChoosers, AnUnansweredChooserIsCancelled) {
  BROWSEINFOW info{};
  EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);
  win32::Choosers::PushAnswer(std::nullopt);
  EXPECT_EQ(SHBrowseForFolderW(&info), nullptr);
  EXPECT_EQ(win32::Choosers::Requests().size(), 2u);
  EXPECT_FALSE(SHGetPathFromIDListW(nullptr, nullptr));
}

TEST_F(ShellChoosers, FileDialogsPassTheirSettingsAndAddTheDefaultExtension) {
  wchar_t file[MAX_PATH] = L"report.txt";
  wchar_t title[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = MAX_PATH;
  ofn.lpstrFilter = L"Text (*.txt)\0*.txt\0All\0*.*\0";
  ofn.lpstrInitialDir = L"/docs";
  ofn.lpstrTitle = L"Save as";
  ofn.lpstrDefExt = L"txt";
  ofn.Flags = OFN_OVERWRITEPROMPT;

  win32::Choosers::PushAnswer(L"/out/summary");
  ASSERT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_STREQ(file, L"/out/summary.txt");
  EXPECT_STREQ(title, L"summary.txt");
  EXPECT_EQ(ofn.nFileOffset, 5);
  EXPECT_EQ(ofn.nFileExtension, 13);
  auto request = win32::Choosers::Requests().back();
  EXPECT_EQ(request.kind, win32::ChooserRequest::SaveFile);
  EXPECT_EQ(request.folder, L"/docs");
  EXPECT_EQ(request.fileName, L"report.txt");
  EXPECT_EQ(request.filter, L"Text (*.txt)|*.txt|All|*.*");
  EXPECT_EQ(request.title, L"Save as");

  win32::Choosers::PushAnswer(L"/in/data.csv");
  ASSERT_TRUE(GetOpenFileNameW(&ofn));
  EXPECT_STREQ(file, L"/in/data.csv");  // it has an extension: nothing added
  EXPECT_EQ(win32::Choosers::Requests().back().kind, win32::ChooserRequest::OpenFile);

  EXPECT_FALSE(GetOpenFileNameW(&ofn));  // no answer: cancelled
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(ShellChoosers, FileDialogErrors) {
  wchar_t small[8] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn - 1;
  ofn.lpstrFile = small;
  ofn.nMaxFile = 8;
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);

  ofn.lStructSize = sizeof ofn;
  win32::Choosers::PushAnswer(L"/a/much/longer/path.txt");
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(small[0], static_cast<wchar_t>(24));  // the characters needed
}

TEST_F(ShellChoosers, AHandlerAnswersWhatNoQueuedAnswerDoes) {
  win32::Choosers::SetHandler([](const win32::ChooserRequest& r) -> win32::Choosers::Answer {
    return r.folder + L"/picked";
  });
  win32::Choosers::PushAnswer(L"/queued");
  BROWSEINFOW info{};
  info.lpfn = SelectFromData;
  info.lParam = reinterpret_cast<LPARAM>(L"/base");
  wchar_t path[MAX_PATH];
  for (const wchar_t* expected : {L"/queued", L"/base/picked"}) {
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    ASSERT_NE(chosen, nullptr);
    ASSERT_TRUE(SHGetPathFromIDListW(chosen, path));
    EXPECT_STREQ(path, expected);
    ILFree(chosen);
  }
}

// --- Recycle bin ---------------------------------------------------------------------

std::string TrashFolder() { return std::string(std::getenv("XDG_DATA_HOME")) + "/Trash"; }

int Delete(const fs::path& path, FILEOP_FLAGS flags) {
  std::wstring from = WidePath(path.c_str());
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = flags;
  return SHFileOperationW(&op);
}

// The real chooser is a child program; while it is open the asking thread must go
// on dispatching (the owner keeps painting and answering) with the owner disabled.
struct ModalProbe {
  std::string fifo;
  bool dispatched = false;
  bool ownerWasEnabled = true;
};
ModalProbe* g_probe = nullptr;

LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_APP && g_probe) {
    g_probe->dispatched = true;
    g_probe->ownerWasEnabled = IsWindowEnabled(hwnd);
    std::ofstream(g_probe->fifo) << "go\n";  // lets the stand-in chooser answer
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TEST_F(ShellChoosers, TheRealChooserKeepsTheAskingThreadDispatchingWithItsOwnerDisabled) {
  dorvtest::TempDir dir;
  ModalProbe probe;
  probe.fifo = (dir / "go").string();
  ASSERT_EQ(::mkfifo(probe.fifo.c_str(), 0600), 0);
  // Stands in for zenity: answers only after the owner's thread has dispatched the
  // message posted before the chooser opened, and gives up on its own if it never does.
  dorvtest::WriteFile(dir / "zenity",
                      "#!/bin/sh\ntimeout 20 head -n1 \"" + probe.fifo + "\" >/dev/null || exit 1\necho /home/someone/Chosen\n");
  fs::permissions(dir / "zenity", fs::perms::owner_all);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  const char* display = std::getenv("DISPLAY");
  const std::string oldDisplay = display ? display : "";
  ::setenv("PATH", (dir.path().string() + ":" + path).c_str(), 1);
  ::setenv("DISPLAY", ":dorv-no-display", 1);
  win32::Launcher::SetMode(win32::Launcher::Mode::Real);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ProbeProc;
  wc.lpszClassName = L"DorvChooserOwnerProbe";
  RegisterClassExW(&wc);
  HWND owner = CreateWindowExW(0, wc.lpszClassName, L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  g_probe = &probe;
  PostMessageW(owner, WM_APP, 0, 0);
  win32::ChooserRequest request;
  request.owner = owner;
  win32::Choosers::Answer answer = win32::Choosers::Ask(request);
  g_probe = nullptr;

  win32::Launcher::SetMode(win32::Launcher::Mode::Record);
  ::setenv("PATH", path.c_str(), 1);
  if (display) ::setenv("DISPLAY", oldDisplay.c_str(), 1); else ::unsetenv("DISPLAY");
  EXPECT_TRUE(probe.dispatched);
  EXPECT_FALSE(probe.ownerWasEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(answer, std::optional<std::wstring>(L"/home/someone/Chosen"));
  DestroyWindow(owner);
}

TEST(ShellFileOperation, DeletingWithUndoMovesItemsToTheTrashWithTheirPlace) {
  dorvtest::TempDir dir;
  fs::path first = dir / "same name.txt";
  dorvtest::WriteFile(first, "one");
  ASSERT_EQ(Delete(first, FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI), 0);
  EXPECT_FALSE(fs::exists(first));

  fs::path folder = dir / "same name.txt";  // a second item of the same name: a folder
  fs::create_directories(folder / "inner");
  dorvtest::WriteFile(folder / "inner" / "f", "two");
  ASSERT_EQ(Delete(folder, FOF_ALLOWUNDO), 0);

  std::string trash = TrashFolder();
  EXPECT_EQ(dorvtest::ReadFile(trash + "/files/same name.txt"), "one");
  EXPECT_EQ(dorvtest::ReadFile(trash + "/files/same name.txt.2/inner/f"), "two");
  std::string info = dorvtest::ReadFile(trash + "/info/same name.txt.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=", 0), 0u) << info;
  EXPECT_NE(info.find("/same%20name.txt\nDeletionDate="), std::string::npos) << info;
  EXPECT_TRUE(fs::exists(trash + "/info/same name.txt.2.trashinfo"));
}

TEST(ShellFileOperation, DeletingWithoutUndoRemovesForGoodAndMissingItemsFail) {
  dorvtest::TempDir dir;
  fs::create_directories(dir / "gone" / "sub");
  dorvtest::WriteFile(dir / "kept", "x");
  fs::create_symlink(dir / "kept", dir / "gone" / "link");
  EXPECT_EQ(Delete(dir / "gone", FOF_SILENT), 0);
  EXPECT_FALSE(fs::exists(dir / "gone"));
  EXPECT_TRUE(fs::exists(dir / "kept"));  // a link is removed, not followed
  EXPECT_EQ(Delete(dir / "missing", FOF_ALLOWUNDO), static_cast<int>(ERROR_FILE_NOT_FOUND));

  SHFILEOPSTRUCTW copy{};
  copy.wFunc = FO_COPY;
  copy.pFrom = L"/x\0";
  EXPECT_EQ(SHFileOperationW(&copy), static_cast<int>(ERROR_NOT_SUPPORTED));
}

}  // namespace
