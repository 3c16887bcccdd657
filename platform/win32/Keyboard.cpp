#include "win32/Keyboard.h"

#include <cwchar>

namespace {

struct ScanName {
  UINT scan;
  const wchar_t* name;
};

// Scan codes of the US layout with the names Windows gives the keys.
constexpr ScanName kPlain[] = {
    {0x01, L"Esc"},  {0x02, L"1"},  {0x03, L"2"},  {0x04, L"3"},  {0x05, L"4"},  {0x06, L"5"},
    {0x07, L"6"},    {0x08, L"7"},  {0x09, L"8"},  {0x0A, L"9"},  {0x0B, L"0"},  {0x0C, L"-"},
    {0x0D, L"="},    {0x0E, L"Backspace"},          {0x0F, L"Tab"}, {0x10, L"Q"}, {0x11, L"W"},
    {0x12, L"E"},    {0x13, L"R"},  {0x14, L"T"},  {0x15, L"Y"},  {0x16, L"U"},  {0x17, L"I"},
    {0x18, L"O"},    {0x19, L"P"},  {0x1A, L"["},  {0x1B, L"]"},  {0x1C, L"Enter"}, {0x1D, L"Ctrl"},
    {0x1E, L"A"},    {0x1F, L"S"},  {0x20, L"D"},  {0x21, L"F"},  {0x22, L"G"},  {0x23, L"H"},
    {0x24, L"J"},    {0x25, L"K"},  {0x26, L"L"},  {0x27, L";"},  {0x28, L"'"},  {0x29, L"`"},
    {0x2A, L"Shift"}, {0x2B, L"\\"}, {0x2C, L"Z"}, {0x2D, L"X"},  {0x2E, L"C"},  {0x2F, L"V"},
    {0x30, L"B"},    {0x31, L"N"},  {0x32, L"M"},  {0x33, L","},  {0x34, L"."},  {0x35, L"/"},
    {0x36, L"Right Shift"},         {0x37, L"Num *"}, {0x38, L"Alt"}, {0x39, L"Space"},
    {0x3A, L"Caps Lock"}, {0x3B, L"F1"}, {0x3C, L"F2"}, {0x3D, L"F3"}, {0x3E, L"F4"}, {0x3F, L"F5"},
    {0x40, L"F6"},   {0x41, L"F7"}, {0x42, L"F8"}, {0x43, L"F9"}, {0x44, L"F10"}, {0x45, L"Pause"},
    {0x46, L"Scroll Lock"},         {0x47, L"Num 7"}, {0x48, L"Num 8"}, {0x49, L"Num 9"},
    {0x4A, L"Num -"}, {0x4B, L"Num 4"}, {0x4C, L"Num 5"}, {0x4D, L"Num 6"}, {0x4E, L"Num +"},
    {0x4F, L"Num 1"}, {0x50, L"Num 2"}, {0x51, L"Num 3"}, {0x52, L"Num 0"}, {0x53, L"Num Del"},
    {0x54, L"Sys Req"}, {0x57, L"F11"}, {0x58, L"F12"},
};

constexpr ScanName kExtended[] = {
    {0x1C, L"Num Enter"}, {0x1D, L"Right Ctrl"}, {0x35, L"Num /"},   {0x37, L"Prnt Scrn"},
    {0x38, L"Right Alt"}, {0x45, L"Num Lock"},   {0x47, L"Home"},    {0x48, L"Up"},
    {0x49, L"Page Up"},   {0x4B, L"Left"},       {0x4D, L"Right"},   {0x4F, L"End"},
    {0x50, L"Down"},      {0x51, L"Page Down"},  {0x52, L"Insert"},  {0x53, L"Delete"},
    {0x5B, L"Left Windows"}, {0x5C, L"Right Windows"}, {0x5D, L"Application"},
};

struct VkScan {
  UINT vk;
  UINT scan;
};

constexpr VkScan kKeys[] = {
    {VK_BACK, 0x0E},     {VK_TAB, 0x0F},      {VK_RETURN, 0x1C},   {VK_SHIFT, 0x2A},
    {VK_CONTROL, 0x1D},  {VK_MENU, 0x38},     {VK_PAUSE, 0x45},    {VK_CAPITAL, 0x3A},
    {VK_ESCAPE, 0x01},   {VK_SPACE, 0x39},    {VK_PRIOR, 0x49},    {VK_NEXT, 0x51},
    {VK_END, 0x4F},      {VK_HOME, 0x47},     {VK_LEFT, 0x4B},     {VK_UP, 0x48},
    {VK_RIGHT, 0x4D},    {VK_DOWN, 0x50},     {VK_SNAPSHOT, 0x54}, {VK_INSERT, 0x52},
    {VK_DELETE, 0x53},   {VK_LWIN, 0x5B},     {VK_RWIN, 0x5C},     {VK_APPS, 0x5D},
    {0x60, 0x52}, {0x61, 0x4F}, {0x62, 0x50}, {0x63, 0x51}, {0x64, 0x4B},
    {0x65, 0x4C}, {0x66, 0x4D}, {0x67, 0x47}, {0x68, 0x48}, {0x69, 0x49},
    {VK_MULTIPLY, 0x37}, {VK_ADD, 0x4E},      {VK_SUBTRACT, 0x4A}, {VK_DECIMAL, 0x53},
    {VK_DIVIDE, 0x35},   {VK_NUMLOCK, 0x45},  {VK_SCROLL, 0x46},   {VK_OEM_1, 0x27},
    {VK_OEM_PLUS, 0x0D}, {VK_OEM_COMMA, 0x33}, {VK_OEM_MINUS, 0x0C}, {VK_OEM_PERIOD, 0x34},
    {VK_OEM_2, 0x35},    {VK_OEM_3, 0x29},    {VK_OEM_4, 0x1A},    {VK_OEM_5, 0x2B},
    {VK_OEM_6, 0x1B},    {VK_OEM_7, 0x28},
    {0x7A, 0x57}, {0x7B, 0x58},  // F11, F12
};

// The scan code of a letter, digit or F1-F10 from the name table.
UINT ScanOfName(const wchar_t* name) {
  for (const ScanName& k : kPlain)
    if (std::wcscmp(k.name, name) == 0) return k.scan;
  return 0;
}

UINT VkToScan(UINT vk) {
  for (const VkScan& k : kKeys)
    if (k.vk == vk) return k.scan;
  wchar_t name[4] = {};
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
    name[0] = static_cast<wchar_t>(vk);
    return ScanOfName(name);
  }
  if (vk >= VK_F1 && vk < VK_F1 + 10) {
    std::swprintf(name, 4, L"F%u", vk - VK_F1 + 1);
    return ScanOfName(name);
  }
  return 0;
}

UINT ScanToVk(UINT scan) {
  for (UINT vk = 1; vk < 0xFF; ++vk)
    if ((vk < VK_NUMPAD0 || vk > VK_DIVIDE) && VkToScan(vk) == scan) return vk;
  return 0;
}

}  // namespace

UINT MapVirtualKeyW(UINT code, UINT mapType) {
  if (mapType == MAPVK_VK_TO_VSC) return VkToScan(code);
  if (mapType == MAPVK_VSC_TO_VK) return ScanToVk(code);
  return 0;
}

int GetKeyNameTextW(LONG lParam, LPWSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  UINT scan = (static_cast<DWORD>(lParam) >> 16) & 0xFF;
  bool extended = (static_cast<DWORD>(lParam) >> 24) & 1;
  const wchar_t* name = nullptr;
  if (extended)
    for (const ScanName& k : kExtended)
      if (k.scan == scan) name = k.name;
  if (!name)
    for (const ScanName& k : kPlain)
      if (k.scan == scan) name = k.name;
  if (!name) {
    buffer[0] = L'\0';
    return 0;
  }
  int length = static_cast<int>(std::wcslen(name));
  if (length > size - 1) length = size - 1;
  std::wmemcpy(buffer, name, length);
  buffer[length] = L'\0';
  return length;
}
