// Message boxes on a real X server (Xvfb), answered by key and pointer events.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "X11Server.h"
#include "display/Desktop.h"
#include "display/x11/X11Presenter.h"

// Last: Xlib's macros (None, Bool, True) would spoil the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrender.h>
#include <X11/keysym.h>

namespace {

class X11MessageBoxTest : public testing::Test {
 public:
  void SetUp() override {
    m_server = x11test::X11Server::Start(800, 600);
    if (!m_server) GTEST_SKIP() << "Xvfb or xdotool is not installed";
    m_name = m_server->Name();
    m_presenter = display::X11Presenter::Open(m_name.c_str());
    ASSERT_TRUE(m_presenter);
    m_input = XOpenDisplay(m_name.c_str());
    ASSERT_TRUE(m_input);
  }
  void TearDown() override {
    if (m_input) XCloseDisplay(m_input);
    m_presenter.reset();
  }

  void SendKey(unsigned long window, KeySym key) {
    XEvent e{};
    e.xkey.type = KeyPress;
    e.xkey.display = m_input;
    e.xkey.window = window;
    e.xkey.root = DefaultRootWindow(m_input);
    e.xkey.keycode = XKeysymToKeycode(m_input, key);
    e.xkey.same_screen = True;
    XSendEvent(m_input, window, True, KeyPressMask, &e);
    XFlush(m_input);
  }
  void Click(unsigned long window, const RECT& r) {
    XEvent e{};
    e.xbutton.type = ButtonPress;
    e.xbutton.display = m_input;
    e.xbutton.window = window;
    e.xbutton.button = Button1;
    e.xbutton.x = (r.left + r.right) / 2;
    e.xbutton.y = (r.top + r.bottom) / 2;
    e.xbutton.same_screen = True;
    XSendEvent(m_input, window, True, ButtonPressMask, &e);
    XFlush(m_input);
  }
  int Show(UINT type, std::function<void(const display::X11Presenter::ShownBox&)> act) {
    m_presenter->SetShownHook(std::move(act));
    return m_presenter->ShowMessageBox(display::MessageBoxCall{nullptr, L"对不起，程序安装不完整，请重新安装!", L"错误", type, 0});
  }

  std::unique_ptr<x11test::X11Server> m_server;
  std::string m_name;
  std::unique_ptr<display::X11Presenter> m_presenter;
  Display* m_input = nullptr;
};

TEST_F(X11MessageBoxTest, KeysAndClicksChooseTheButtons) {
  EXPECT_EQ(Show(MB_YESNO | MB_DEFBUTTON2, [&](auto& box) { SendKey(box.window, XK_Return); }), IDNO);
  EXPECT_EQ(Show(MB_OKCANCEL, [&](auto& box) { SendKey(box.window, XK_Escape); }), IDCANCEL);
  EXPECT_EQ(Show(MB_YESNOCANCEL, [&](auto& box) {
              ASSERT_EQ(box.buttons.size(), 3u);
              Click(box.window, box.buttons[0]);
            }),
            IDYES);
  EXPECT_EQ(Show(MB_OK | MB_ICONERROR, [&](auto& box) { SendKey(box.window, XK_Escape); }), IDOK);
}

// A connection that drew text and closed leaves nothing behind that a later one (often at
// the same address) would take for its own: each new connection asks the server for the
// Render extension anew, instead of using a dead connection's codes.
TEST_F(X11MessageBoxTest, ANewConnectionDoesNotInheritAClosedOnesRenderRecord) {
  EXPECT_EQ(Show(MB_OK, [&](auto& box) { SendKey(box.window, XK_Escape); }), IDOK);
  m_presenter.reset();
  std::vector<Display*> fresh;
  for (int i = 0; i < 4; ++i) {
    Display* d = XOpenDisplay(m_name.c_str());
    ASSERT_TRUE(d);
    fresh.push_back(d);
    const unsigned long before = XNextRequest(d);
    int event = 0, error = 0;
    EXPECT_TRUE(XRenderQueryExtension(d, &event, &error));
    EXPECT_GT(XNextRequest(d), before) << "connection " << i << " took a closed one's record";
  }
  for (Display* d : fresh) XCloseDisplay(d);
}

LRESULT CALLBACK AnswerProc(HWND h, UINT m, WPARAM w, LPARAM l);
X11MessageBoxTest* g_test = nullptr;
unsigned long g_box = 0;

LRESULT CALLBACK AnswerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) g_test->SendKey(g_box, XK_Return);
  return DefWindowProcW(h, m, w, l);
}

TEST_F(X11MessageBoxTest, TheThreadsMessagesAreDispatchedWhileTheBoxIsUpAndTheOwnerWaits) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = AnswerProc;
  wc.lpszClassName = L"X11AnswerClass";
  RegisterClassW(&wc);
  HWND owner = CreateWindowExW(0, L"X11AnswerClass", L"", WS_OVERLAPPED, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  g_test = this;
  bool ownerDisabled = false;
  m_presenter->SetShownHook([&](auto& box) {
    g_box = box.window;
    ownerDisabled = !IsWindowEnabled(owner);
    PostMessageW(owner, WM_USER, 0, 0);  // its handler answers the box
  });
  auto& desktop = display::Desktop::Get();
  desktop.SetPresenter(std::move(m_presenter));
  desktop.ClearMessageBoxes();
  EXPECT_EQ(MessageBoxW(owner, L"text", L"caption", MB_OKCANCEL), IDOK);
  desktop.SetPresenter(nullptr);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  ASSERT_EQ(desktop.MessageBoxes().size(), 1u);  // recorded as in the headless desktop
  EXPECT_EQ(desktop.MessageBoxes()[0].answer, IDOK);
  DestroyWindow(owner);
}

}  // namespace
