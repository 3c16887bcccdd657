#pragma once
// The state of the keyboard and mouse buttons as input left it: which keys are down
// (left and right Shift, Ctrl and Alt kept apart) and which are toggled (Caps Lock).
// Input injected through the headless desktop updates it; any thread may read it.
#include "win32/Keyboard.h"
#include "win32/WinDef.h"

constexpr UINT VK_LBUTTON = 0x01;
constexpr UINT VK_RBUTTON = 0x02;
constexpr UINT VK_MBUTTON = 0x04;
constexpr UINT VK_LSHIFT = 0xA0;
constexpr UINT VK_RSHIFT = 0xA1;
constexpr UINT VK_LCONTROL = 0xA2;
constexpr UINT VK_RCONTROL = 0xA3;
constexpr UINT VK_LMENU = 0xA4;
constexpr UINT VK_RMENU = 0xA5;

// High bit (negative value): the key is down; low bit: it is toggled on. GetKeyState and
// GetKeyboardState tell the state as of the last input message the thread retrieved (the
// state now until it has retrieved one); GetAsyncKeyState the state now.
SHORT GetKeyState(int virtualKey);
SHORT GetAsyncKeyState(int virtualKey);
BOOL GetKeyboardState(BYTE* keyState);

namespace win32 {

// The key a left or right modifier stands for (VK_LSHIFT: VK_SHIFT); any other key itself.
UINT GenericKey(UINT virtualKey);

// Records a key going down or up; for a left or right modifier the generic key
// (VK_SHIFT, VK_CONTROL, VK_MENU) follows both sides. Returns whether it was down before.
bool SetKeyDown(UINT virtualKey, bool down);

// Posts an input message (key or mouse) carrying the key state of this moment, and the
// pointer's position and the time, as the system's input does.
BOOL PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, POINT cursor);

}  // namespace win32
