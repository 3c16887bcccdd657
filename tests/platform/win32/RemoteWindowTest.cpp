// Windows seen from another process, and registered messages shared between processes.
#include <gtest/gtest.h>

#include <filesystem>

#include "ChildProcess.h"
#include "TempDir.h"
#include "WindowTestSupport.h"
#include "display/Desktop.h"

using wintest::ChildProcess;
using wintest::Recorder;

namespace {

class RemoteWindowTest : public testing::Test {
 protected:
  void SetUp() override { Recorder::Get().Clear(); }
  void TearDown() override {
    display::Desktop::Get().PumpUntilIdle();
    Recorder::Get().Clear();
  }
};

LRESULT CALLBACK MainFormProc(HWND h, UINT m, WPARAM w, LPARAM l) { return Recorder::Proc(h, m, w, l); }

TEST_F(RemoteWindowTest, SecondProcessFindsHiddenWindowByClassAndTitleAndPostsIt) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MainFormProc;
  wc.lpszClassName = L"DorvMainFormClass";
  RegisterClassExW(&wc);
  HWND main = CreateWindowExW(0, L"DorvMainFormClass", L"Dorv", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr,
                              nullptr, nullptr, nullptr);
  ASSERT_TRUE(main);
  ASSERT_FALSE(IsWindowVisible(main));

  ChildProcess child({"post", "DorvMainFormClass", "Dorv", "0x424", "0", "1"});
  EXPECT_EQ(child.Wait(), 0);
  ASSERT_TRUE(display::Desktop::Get().PumpUntil([&] { return Recorder::Get().Count(main, 0x424) > 0; }, 10000));
  for (auto& s : Recorder::Get().All()) {
    if (s.msg != 0x424) continue;
    EXPECT_EQ(s.hwnd, main);
    EXPECT_EQ(s.wParam, 0u);
    EXPECT_EQ(s.lParam, 1);
    EXPECT_EQ(s.thread, GetCurrentThreadId());  // arrives in the owning thread's queue
  }

  // A title that does not match finds nothing; a destroyed window is gone for others too.
  EXPECT_EQ(ChildProcess({"post", "DorvMainFormClass", "Other", "0x424", "0", "0"}).Wait(), 1);
  DestroyWindow(main);
  EXPECT_EQ(ChildProcess({"post", "DorvMainFormClass", "Dorv", "0x424", "0", "0"}).Wait(), 1);
  UnregisterClassW(L"DorvMainFormClass", nullptr);
}

TEST_F(RemoteWindowTest, WindowOfAKilledProcessCannotBeFound) {
  ChildProcess host({"host", "HostClass", "Host Title"});
  ASSERT_EQ(host.ReadLine(), "ready");
  HWND remote = FindWindowW(L"hostclass", L"HOST TITLE");
  ASSERT_TRUE(remote);
  EXPECT_TRUE(IsWindow(remote));
  DWORD pid = 0;
  EXPECT_NE(GetWindowThreadProcessId(remote, &pid), 0u);
  EXPECT_EQ(pid, static_cast<DWORD>(host.pid()));
  // Pointers cannot cross; integers can.
  EXPECT_FALSE(PostMessageW(remote, WM_SETTEXT, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_MESSAGE_SYNC_ONLY);
  EXPECT_FALSE(SendMessageW(remote, WM_USER, 0, 0));
  EXPECT_TRUE(PostMessageW(remote, WM_USER, 1, 2));

  host.Kill();
  EXPECT_EQ(host.Wait(), 128 + 9);
  EXPECT_EQ(FindWindowW(L"HostClass", L"Host Title"), nullptr);
  EXPECT_FALSE(IsWindow(remote));
  EXPECT_FALSE(PostMessageW(remote, WM_USER, 0, 0));
  // The dead process's files were cleared on the way.
  auto folder = std::filesystem::path(getenv("XDG_RUNTIME_DIR")) / "dorv" / "windows";
  EXPECT_FALSE(std::filesystem::exists(folder / (std::to_string(host.pid()) + ".list")));
}

// A list left by an earlier run of a process whose pid came back must not steer messages
// to the windows of the new run.
TEST_F(RemoteWindowTest, MessagesAddressedThroughAnotherRunsListAreRefused) {
  ChildProcess host({"host", "HostClass", "Reborn"});
  ASSERT_EQ(host.ReadLine(), "ready");
  auto list = std::filesystem::path(getenv("XDG_RUNTIME_DIR")) / "dorv" / "windows" /
              (std::to_string(host.pid()) + ".list");
  std::string real = dorvtest::ReadFile(list);
  ASSERT_EQ(real.rfind("instance ", 0), 0u);
  std::string stale = "instance 1" + real.substr(real.find('\n'));
  dorvtest::WriteFile(list, stale);
  HWND old = FindWindowW(L"HostClass", L"Reborn");
  ASSERT_TRUE(old);
  EXPECT_TRUE(PostMessageW(old, WM_USER + 99, 5, 0));  // taken by the socket, refused by the process
  dorvtest::WriteFile(list, real);
  EXPECT_FALSE(IsWindow(old));
  HWND current = FindWindowW(L"HostClass", L"Reborn");
  ASSERT_TRUE(current);
  EXPECT_NE(current, old);
  EXPECT_TRUE(PostMessageW(current, WM_USER + 99, 6, 0));
  EXPECT_EQ(host.Wait(), 6);
}

TEST_F(RemoteWindowTest, ClosedProcessTakesItsWindowAlong) {
  ChildProcess host({"host", "HostClass", "Closing"});
  ASSERT_EQ(host.ReadLine(), "ready");
  HWND remote = FindWindowW(L"HostClass", L"Closing");
  ASSERT_TRUE(remote);
  EXPECT_TRUE(PostMessageW(remote, WM_CLOSE, 0, 0));  // DefWindowProc destroys it; the host quits
  EXPECT_EQ(host.Wait(), 0);
  EXPECT_EQ(FindWindowW(L"HostClass", L"Closing"), nullptr);
}

TEST_F(RemoteWindowTest, ABroadcastReachesTheTopLevelWindowsOfOtherProcesses) {
  ChildProcess host({"host", "HostClass", "Broadcast"});
  ASSERT_EQ(host.ReadLine(), "ready");
  HWND own = wintest::MakeWindow(L"own");
  EXPECT_TRUE(PostMessageW(HWND_BROADCAST, WM_USER + 99, 7, 0));
  EXPECT_EQ(host.Wait(), 7);
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(Recorder::Get().Count(own, WM_USER + 99), 1);  // and ours
  DestroyWindow(own);
}

TEST_F(RemoteWindowTest, RegisteredMessagesAreOneIdPerNameAcrossProcesses) {
  UINT id = RegisterWindowMessageW(L"DorvTestMessage");
  EXPECT_GE(id, 0xC000u);
  EXPECT_LE(id, 0xFFFFu);
  EXPECT_EQ(RegisterWindowMessageW(L"dorvtestmessage"), id);
  UINT other = RegisterWindowMessageW(L"TaskbarCreated");
  EXPECT_NE(other, id);
  EXPECT_NE(other, 0u);
  EXPECT_EQ(RegisterWindowMessageW(L""), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  ChildProcess child({"register", "DORVTESTMESSAGE"});
  EXPECT_EQ(child.ReadLine(), std::to_string(id));
  ChildProcess fresh({"register", "OnlyInTheChild"});
  UINT childId = static_cast<UINT>(std::stoul(fresh.ReadLine()));
  EXPECT_EQ(RegisterWindowMessageW(L"onlyinthechild"), childId);
}

TEST(MessageBoxTest, RecordsTheCallAndAnswersAsTheTestSays) {
  auto& desktop = display::Desktop::Get();
  desktop.ClearMessageBoxes();
  desktop.PushMessageBoxAnswer(IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, L"对不起", L"错误", MB_YESNO | MB_ICONERROR), IDNO);
  // Without an answer, the default button.
  EXPECT_EQ(MessageBoxW(nullptr, L"t", L"c", MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
  EXPECT_EQ(MessageBoxW(nullptr, L"t", nullptr, MB_OK), IDOK);
  desktop.SetMessageBoxHandler([](const display::MessageBoxCall& call) { return call.text == L"ask" ? IDRETRY : 0; });
  EXPECT_EQ(MessageBoxW(nullptr, L"ask", L"c", MB_RETRYCANCEL), IDRETRY);
  desktop.SetMessageBoxHandler(nullptr);
  auto boxes = desktop.MessageBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].text, L"对不起");
  EXPECT_EQ(boxes[0].caption, L"错误");
  EXPECT_EQ(boxes[0].type, MB_YESNO | MB_ICONERROR);
  EXPECT_EQ(boxes[2].caption, L"Error");
  desktop.ClearMessageBoxes();
}

}  // namespace
