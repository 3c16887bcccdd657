// The application object's life cycle and its message loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/Desktop.h"
#include "mfc/AfxWin.h"

namespace {

std::vector<std::string> g_calls;

class CMainWnd : public CWnd {
 public:
  bool m_swallow = false;
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_USER + 5) {
      g_calls.push_back("pretranslate main");
      return m_swallow;
    }
    return FALSE;
  }

 protected:
  afx_msg LRESULT OnQuitNow(WPARAM code, LPARAM) {
    g_calls.push_back("quit message");
    ::PostQuitMessage(static_cast<int>(code));
    return 0;
  }
  afx_msg LRESULT OnSeen(WPARAM, LPARAM) {
    g_calls.push_back("dispatched");
    return 0;
  }
  afx_msg void OnClose() {
    g_calls.push_back("close");
    DestroyWindow();
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMainWnd, CWnd)
  ON_MESSAGE(WM_USER + 1, &CMainWnd::OnQuitNow)
  ON_MESSAGE(WM_USER + 5, &CMainWnd::OnSeen)
  ON_WM_CLOSE()
END_MESSAGE_MAP()

class CTestApp : public CWinApp {
 public:
  CTestApp() : CWinApp(L"TestApp") {}
  BOOL m_initResult = TRUE;
  std::vector<std::pair<UINT, LPARAM>> m_script;  // posted to the main window once the loop runs
  CMainWnd m_main;

  BOOL InitInstance() override {
    g_calls.push_back("init");
    CWinApp::InitInstance();
    if (!m_initResult) return FALSE;
    if (!m_main.CreateEx(0, nullptr, L"Main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr)) return FALSE;
    m_pMainWnd = &m_main;
    for (auto& [msg, param] : m_script) m_main.PostMessage(msg, static_cast<WPARAM>(param), 0);
    return TRUE;
  }
  int ExitInstance() override {
    g_calls.push_back("exit");
    int code = CWinApp::ExitInstance();
    return m_initResult ? code : 42;
  }
  DECLARE_MESSAGE_MAP()  // an application may have a (here empty) map of its own
};

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
END_MESSAGE_MAP()

class CWinAppTest : public testing::Test {
 protected:
  void SetUp() override { g_calls.clear(); }
};

TEST_F(CWinAppTest, FailedInitInstanceRunsExitInstanceAndEnds) {
  CTestApp app;
  app.m_initResult = FALSE;
  EXPECT_EQ(AfxGetApp(), &app);
  EXPECT_STREQ(app.m_pszAppName, L"TestApp");
  EXPECT_EQ(AfxWinMain(0, nullptr), 42);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"init", "exit"}));
}

TEST_F(CWinAppTest, LoopRunsUntilQuitAndExitInstanceGivesTheCode) {
  CTestApp app;
  app.m_script = {{WM_USER + 5, 0}, {WM_USER + 1, 3}};
  EXPECT_EQ(AfxWinMain(0, nullptr), 3);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"init", "pretranslate main", "dispatched", "quit message", "exit"}));
  EXPECT_EQ(AfxGetMainWnd(), &app.m_main);
  app.m_main.DestroyWindow();
  display::Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
  MSG m;
  ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);  // the quit of the main window's end
}

TEST_F(CWinAppTest, PreTranslateMessageCanTakeAMessage) {
  CTestApp app;
  app.m_main.m_swallow = true;
  app.m_script = {{WM_USER + 5, 0}, {WM_USER + 1, 0}};
  EXPECT_EQ(AfxWinMain(0, nullptr), 0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"init", "pretranslate main", "quit message", "exit"}));
  app.m_main.DestroyWindow();
  MSG m;
  ::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);
}

TEST_F(CWinAppTest, ClosingTheMainWindowEndsTheLoop) {
  CTestApp app;
  app.m_script = {{WM_CLOSE, 0}};
  EXPECT_EQ(AfxWinMain(0, nullptr), 0);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"init", "close", "exit"}));
  EXPECT_EQ(app.m_main.m_hWnd, nullptr);
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

}  // namespace

#include "../win32/ChildProcess.h"

namespace {

TEST(CWinAppProgramTest, AProgramsApplicationObjectSeesItsArgumentsWithoutItsName) {
  struct Row {
    std::vector<std::string> args;
    std::string seen;
  };
  for (const Row& row : {Row{{}, "[]"}, Row{{"ExploreRefresh"}, "[ExploreRefresh]"}, Row{{"a b", "c"}, "[\"a b\" c]"}}) {
    wintest::ChildProcess child(APP_CHILD_PATH, row.args);
    EXPECT_EQ(child.ReadLine(), row.seen);
    EXPECT_EQ(child.Wait(), 5);  // a failed InitInstance ends with ExitInstance's result
  }
}

TEST(CWinAppProgramTest, ALibrarysApplicationStartsWithItsLoadAndEndsWithItsUnloadOrAfterTheProgram) {
  struct Row {
    std::string mode;
    std::vector<std::string> lines;
    int code;
  };
  for (const Row& row : {
           Row{"unload", {"library init", "loaded", "no application object", "library exit", "freed"}, 0},
           Row{"program", {"library init", "loaded", "program init", "program exit", "library exit", "returned 3"}, 3},
       }) {
    SCOPED_TRACE(row.mode);
    wintest::ChildProcess child(LIBRARY_APP_CHILD_PATH, {row.mode, LIBRARY_APP_PATH});
    for (const std::string& line : row.lines) EXPECT_EQ(child.ReadLine(), line);
    EXPECT_EQ(child.ReadLine(), "") << "the library's application ends once";
    EXPECT_EQ(child.Wait(), row.code);
  }
}

}  // namespace
