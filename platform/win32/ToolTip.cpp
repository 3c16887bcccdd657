#include "win32/ToolTip.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "win32/Gdi.h"
#include "win32/GdiDraw.h"
#include "win32/GdiText.h"
#include "win32/Metrics.h"
#include "win32/WinError.h"

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kHideTimer = 2;
constexpr int kPadding = 4;
constexpr int kBelowPointer = 20;  // the pointer's height: the tip shows under it

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  std::wstring text;
};

struct TipState {
  std::vector<Tool> tools;
  bool active = true;
  UINT initial = 500;
  UINT autopop = 5000;
  UINT reshow = 100;
  int maxWidth = -1;
  int current = -1;  // the tool under the pointer
  bool shown = false;
  bool blocked = false;  // a click on the current tool: no tip until the pointer leaves it
};

TipState* StateOf(HWND hwnd) { return reinterpret_cast<TipState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

bool Same(const Tool& tool, const TOOLINFOW& info) { return tool.hwnd == info.hwnd && tool.id == info.uId; }

int Find(const TipState& s, const TOOLINFOW* info) {
  if (!info) return -1;
  for (size_t i = 0; i < s.tools.size(); ++i)
    if (Same(s.tools[i], *info)) return static_cast<int>(i);
  return -1;
}

// The tool under a point of a window's client area, or -1.
int Hit(const TipState& s, HWND window, POINT at) {
  for (size_t i = 0; i < s.tools.size(); ++i) {
    const Tool& t = s.tools[i];
    const bool hit = (t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) == window
                                              : t.hwnd == window && PtInRect(&t.rect, at);
    if (hit) return static_cast<int>(i);
  }
  return -1;
}

void Hide(HWND hwnd, TipState& s) {
  KillTimer(hwnd, kShowTimer);
  KillTimer(hwnd, kHideTimer);
  if (s.shown) ShowWindow(hwnd, SW_HIDE);
  s.shown = false;
}

// The text's box in the GUI font, wrapped at the maximum width when there is one.
SIZE TextSize(HDC dc, const std::wstring& text, int maxWidth) {
  RECT r{0, 0, maxWidth > 0 ? maxWidth : 0x7FFF, 0};
  DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | (maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void Show(HWND hwnd, TipState& s) {
  KillTimer(hwnd, kShowTimer);
  if (s.current < 0 || !s.active) return;
  const Tool& tool = s.tools[static_cast<size_t>(s.current)];
  if (tool.text.empty()) return;
  SetWindowTextW(hwnd, tool.text.c_str());
  HDC screen = GetDC(nullptr);
  const SIZE text = TextSize(screen, tool.text, s.maxWidth);
  ReleaseDC(nullptr, screen);
  const int width = text.cx + 2 * kPadding, height = text.cy + 2 * kPadding;
  POINT at{};
  GetCursorPos(&at);
  at.y += kBelowPointer;
  const RECT screenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  at.x = std::max(screenRect.left, std::min(at.x, screenRect.right - width));
  if (at.y + height > screenRect.bottom) at.y -= kBelowPointer + height;  // above the pointer
  at.y = std::max(screenRect.top, at.y);
  SetWindowPos(hwnd, HWND_TOPMOST, at.x, at.y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd, nullptr, FALSE);
  s.shown = true;
  SetTimer(hwnd, kHideTimer, s.autopop, nullptr);
}

void Relay(HWND hwnd, TipState& s, const MSG* msg) {
  if (!msg) return;
  switch (msg->message) {
    case WM_MOUSEMOVE: {
      const POINT at{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
      const int tool = Hit(s, msg->hwnd, at);
      if (tool == s.current) return;
      const bool wasShown = s.shown;
      Hide(hwnd, s);
      s.current = tool;
      s.blocked = false;
      if (tool >= 0 && s.active) SetTimer(hwnd, kShowTimer, wasShown ? s.reshow : s.initial, nullptr);
      return;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
      Hide(hwnd, s);
      s.blocked = s.current >= 0;
      return;
    case WM_MOUSELEAVE:
      Hide(hwnd, s);
      s.current = -1;
      s.blocked = false;
      return;
    default: return;
  }
}

void SetDelay(TipState& s, WPARAM which, LPARAM value) {
  const int ms = static_cast<short>(LOWORD(value));
  switch (which) {
    case TTDT_AUTOMATIC: {
      const UINT base = ms < 0 ? 500 : static_cast<UINT>(ms);
      s.initial = base;
      s.autopop = base * 10;
      s.reshow = base / 5;
      break;
    }
    case TTDT_INITIAL: s.initial = ms < 0 ? 500 : static_cast<UINT>(ms); break;
    case TTDT_AUTOPOP: s.autopop = ms < 0 ? 5000 : static_cast<UINT>(ms); break;
    case TTDT_RESHOW: s.reshow = ms < 0 ? 100 : static_cast<UINT>(ms); break;
    default: break;
  }
}

void Paint(HWND hwnd) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client{};
  GetClientRect(hwnd, &client);
  HBRUSH back = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
  FillRect(dc, &client, back);
  DeleteObject(back);
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
  FrameRect(dc, &client, frame);
  DeleteObject(frame);
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd, text, 1024);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  RECT inside{client.left + kPadding, client.top + kPadding, client.right - kPadding, client.bottom - kPadding};
  TipState* s = StateOf(hwnd);
  DrawTextW(dc, text, -1, &inside, DT_NOPREFIX | (s && s->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TipState* s = StateOf(hwnd);
  if (!s && message != WM_NCCREATE) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new TipState));
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      delete s;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_TIMER:
      if (wParam == kShowTimer && !s->blocked) Show(hwnd, *s);
      if (wParam == kHideTimer) Hide(hwnd, *s);
      return 0;
    case TTM_ACTIVATE:
      s->active = wParam != 0;
      if (!s->active) Hide(hwnd, *s);
      return 0;
    case TTM_SETDELAYTIME: SetDelay(*s, wParam, lParam); return 0;
    case TTM_GETDELAYTIME:
      return wParam == TTDT_AUTOPOP ? s->autopop : wParam == TTDT_RESHOW ? s->reshow : s->initial;
    case TTM_SETMAXTIPWIDTH: {
      const int previous = s->maxWidth;
      s->maxWidth = static_cast<int>(lParam);
      return previous;
    }
    case TTM_GETMAXTIPWIDTH: return s->maxWidth;
    case TTM_RELAYEVENT: Relay(hwnd, *s, reinterpret_cast<const MSG*>(lParam)); return 0;
    case TTM_POP: Hide(hwnd, *s); return 0;
    case TTM_GETTOOLCOUNT: return static_cast<LRESULT>(s->tools.size());
    case TTM_ADDTOOLW: {
      const auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
      if (!info) return FALSE;
      Tool tool{info->uFlags, info->hwnd, info->uId, info->rect, info->lpszText ? info->lpszText : L""};
      s->tools.push_back(std::move(tool));
      return TRUE;
    }
    case TTM_DELTOOLW: {
      const int found = Find(*s, reinterpret_cast<const TOOLINFOW*>(lParam));
      if (found < 0) return 0;
      if (found == s->current) {
        Hide(hwnd, *s);
        s->current = -1;
      } else if (found < s->current) {
        --s->current;
      }
      s->tools.erase(s->tools.begin() + found);
      return 0;
    }
    case TTM_NEWTOOLRECTW: {
      const auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
      const int found = Find(*s, info);
      if (found >= 0) s->tools[static_cast<size_t>(found)].rect = info->rect;
      return 0;
    }
    case TTM_GETTOOLINFOW: {
      auto* info = reinterpret_cast<TOOLINFOW*>(lParam);
      const int found = Find(*s, info);
      if (found < 0) return FALSE;
      info->uFlags = s->tools[static_cast<size_t>(found)].flags;
      info->rect = s->tools[static_cast<size_t>(found)].rect;
      return TRUE;
    }
    case TTM_GETTEXTW: {
      auto* info = reinterpret_cast<TOOLINFOW*>(lParam);
      const int found = Find(*s, info);
      if (!info || !info->lpszText || wParam == 0) return 0;
      const std::wstring& text = found >= 0 ? s->tools[static_cast<size_t>(found)].text : std::wstring();
      const size_t n = std::min(text.size(), static_cast<size_t>(wParam) - 1);
      std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), info->lpszText);
      info->lpszText[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case TTM_UPDATETIPTEXTW: {
      const auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
      const int found = Find(*s, info);
      if (found < 0) return 0;
      s->tools[static_cast<size_t>(found)].text = info->lpszText ? info->lpszText : L"";
      if (found == s->current && s->shown) Show(hwnd, *s);
      return 0;
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

namespace win32 {

void RegisterToolTipClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc{};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = ToolTipProc;
    wc.lpszClassName = TOOLTIPS_CLASSW;
    RegisterClassW(&wc);
  });
}

}  // namespace win32
