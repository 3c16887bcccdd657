// How the dialog controls look: drawn with the layer's GDI in the system's dialog font, in
// the system's colours, as plain versions of the system's own controls.
#include "win32/ControlPaint.h"

#include <algorithm>
#include <string>

#include "win32/DialogControls.h"
#include "win32/DialogManager.h"
#include "win32/Gdi.h"
#include "win32/GdiBlit.h"
#include "win32/GdiDraw.h"
#include "win32/GdiText.h"
#include "win32/Icon.h"

namespace win32 {
namespace {

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void Frame(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FrameRect(dc, &r, brush);
  DeleteObject(brush);
}

std::wstring TextOf(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

HFONT FontOf(HWND hwnd) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// Paints with BeginPaint/EndPaint, the control's font selected.
template <typename Draw>
void Paint(HWND hwnd, Draw draw) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client;
  GetClientRect(hwnd, &client);
  HGDIOBJ old = SelectObject(dc, FontOf(hwnd));
  SetBkMode(dc, TRANSPARENT);
  draw(dc, client);
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

}  // namespace

void PaintStatic(HWND hwnd, HANDLE image) {
  Paint(hwnd, [&](HDC dc, const RECT& client) {
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const DWORD kind = style & SS_TYPEMASK;
    if (kind == SS_WHITERECT) {
      Fill(dc, client, RGB(255, 255, 255));
      return;
    }
    // The parent chooses the background and the text colour, as with the system's statics.
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    HBRUSH brush = reinterpret_cast<HBRUSH>(
        SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    if (brush) FillRect(dc, &client, brush);
    else Fill(dc, client, GetSysColor(COLOR_BTNFACE));
    if (kind == SS_BITMAP && image) {
      BITMAP info{};
      GetObjectW(image, sizeof info, &info);
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, image);
      // A picture fills its control, as the pictures of the dialogs are made for their place.
      StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
      return;
    }
    if (kind == SS_ICON && image) {
      DrawIconEx(dc, 0, 0, static_cast<HICON>(image), 0, 0, 0, nullptr, DI_NORMAL);
      return;
    }
    std::wstring text = TextOf(hwnd);
    RECT area = client;
    UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
    if (kind == SS_CENTER) format |= DT_CENTER;
    if (kind == SS_RIGHT) format |= DT_RIGHT;
    if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
  });
}

void PaintButton(HWND hwnd, bool pressed) {
  Paint(hwnd, [&](HDC dc, const RECT& client) {
    const bool isDefault = (GetWindowLongPtrW(hwnd, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON;
    RECT r = client;
    Fill(dc, r, GetSysColor(COLOR_BTNFACE));
    // The default button has a dark outline of its own.
    if (isDefault) {
      Frame(dc, r, GetSysColor(COLOR_WINDOWFRAME));
      InflateRect(&r, -1, -1);
    }
    Frame(dc, r, GetSysColor(pressed ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW));
    std::wstring text = TextOf(hwnd);
    RECT label = r;
    if (pressed) OffsetRect(&label, 1, 1);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (GetFocus() == hwnd) {
      RECT focus = r;
      InflateRect(&focus, -3, -3);
      DrawFocusRect(dc, &focus);
    }
  });
}

void PaintProgress(HWND hwnd, int low, int high, int pos) {
  Paint(hwnd, [&](HDC dc, const RECT& client) {
    Fill(dc, client, GetSysColor(COLOR_WINDOW));
    if (high <= low) return;
    RECT done = client;
    done.right = client.left + static_cast<LONG>(static_cast<long long>(client.right - client.left) * (pos - low) / (high - low));
    Fill(dc, done, GetSysColor(COLOR_HIGHLIGHT));
  });
}

}  // namespace win32
