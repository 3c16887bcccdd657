// Keys through the headless desktop: the key state, the messages and their characters.
#include <gtest/gtest.h>

#include "WindowTestSupport.h"
#include "display/Desktop.h"

using display::Desktop;
using wintest::MakeWindow;
using wintest::Recorder;

namespace {

class KeyTest : public testing::Test {
 protected:
  void SetUp() override {
    m_hwnd = MakeWindow(L"keys", nullptr, WS_VISIBLE);
    SetFocus(m_hwnd);
    Desktop::Get().PumpUntilIdle();
    Recorder::Get().Clear();
  }
  void TearDown() override {
    DestroyWindow(m_hwnd);
    Desktop::Get().PumpUntilIdle();
    Recorder::Get().Clear();
  }
  // "down A", "char a", "up A" ... for the key messages the window got.
  std::vector<std::string> Keys() {
    std::vector<std::string> out;
    for (auto& s : Recorder::Get().All()) {
      if (s.hwnd != m_hwnd) continue;
      std::string name;
      switch (s.msg) {
        case WM_KEYDOWN: name = "down "; break;
        case WM_KEYUP: name = "up "; break;
        case WM_SYSKEYDOWN: name = "sysdown "; break;
        case WM_SYSKEYUP: name = "sysup "; break;
        case WM_CHAR: name = "char "; break;
        case WM_SYSCHAR: name = "syschar "; break;
        default: continue;
      }
      out.push_back(name + (s.wParam < 0x20 || s.wParam > 0x7E ? std::to_string(s.wParam)
                                                                : std::string(1, static_cast<char>(s.wParam))));
    }
    return out;
  }
  HWND m_hwnd = nullptr;
};

TEST_F(KeyTest, ShiftedLettersComeWithTheirCharacterBetweenDownAndUp) {
  // Inside the handler, the key state is that of the message: Shift down with the A.
  static SHORT shiftWithA, leftWithA, rightWithA;
  Recorder::Get().SetReaction([](HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT&) {
    if (msg == WM_KEYDOWN && wParam == 'A') {
      shiftWithA = GetKeyState(VK_SHIFT);
      leftWithA = GetKeyState(VK_LSHIFT);
      rightWithA = GetKeyState(VK_RSHIFT);
    }
    return false;
  });
  Desktop& d = Desktop::Get();
  d.KeyDown(VK_LSHIFT);
  EXPECT_LT(GetAsyncKeyState(VK_LSHIFT), 0);
  d.KeyPress('A');
  d.KeyUp(VK_LSHIFT);
  EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);
  d.KeyPress('B');
  d.PumpUntilIdle();  // all of it queued first: each message still has its own key state
  EXPECT_EQ(Keys(), (std::vector<std::string>{"down 16", "down A", "char A", "up A", "up 16", "down B", "char b",
                                              "up B"}));
  EXPECT_LT(shiftWithA, 0);
  EXPECT_LT(leftWithA, 0);
  EXPECT_GE(rightWithA, 0);  // the sides are kept apart
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);  // as of the last message: up
}

TEST_F(KeyTest, ControlLettersAndCapsLockAndAltMakeTheirOwnCharacters) {
  Desktop& d = Desktop::Get();
  d.KeyDown(VK_LCONTROL);
  d.KeyPress('C');
  d.KeyUp(VK_LCONTROL);
  d.KeyPress(VK_CAPITAL);  // on
  d.KeyPress('Q');
  d.KeyPress(VK_CAPITAL);  // off again
  d.KeyDown(VK_LMENU);
  d.KeyPress('F');
  d.KeyUp(VK_LMENU);
  d.PumpUntilIdle();
  std::vector<std::string> chars;
  for (const auto& k : Keys()) {
    if (k.rfind("char", 0) == 0 || k.rfind("syschar", 0) == 0) chars.push_back(k);
  }
  EXPECT_EQ(chars, (std::vector<std::string>{"char 3", "char Q", "syschar f"}));
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
}

TEST_F(KeyTest, KeyMessagesCarryWindowsBits) {
  Desktop& d = Desktop::Get();
  d.KeyDown(VK_LEFT);
  d.KeyDown(VK_LEFT);  // held: a repeat
  d.KeyUp(VK_LEFT);
  d.PumpUntilIdle();
  std::vector<LPARAM> bits;
  for (auto& s : Recorder::Get().All()) {
    if (s.hwnd == m_hwnd && (s.msg == WM_KEYDOWN || s.msg == WM_KEYUP)) bits.push_back(s.lParam);
  }
  ASSERT_EQ(bits.size(), 3u);
  const LPARAM extended = 1 << 24, previous = 1 << 30, released = static_cast<LPARAM>(1u << 31);
  EXPECT_EQ(bits[0] & (extended | previous | released), extended);
  EXPECT_EQ(bits[1] & (extended | previous | released), extended | previous);
  EXPECT_EQ(bits[2] & (extended | previous | released), extended | previous | released);
  EXPECT_EQ(LOWORD(static_cast<DWORD_PTR>(bits[0])), 1);  // one stroke
}

TEST_F(KeyTest, TypedTextArrivesAsCharactersOfAnyScript) {
  Desktop::Get().TypeText(L"中文a");
  Desktop::Get().PumpUntilIdle();
  EXPECT_EQ(Keys(), (std::vector<std::string>{"char 20013", "char 25991", "char a"}));
}

}  // namespace
