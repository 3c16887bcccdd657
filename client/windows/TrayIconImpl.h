#pragma once
// The mix-in that gives a window an icon in the notification area: it adds,
// changes and removes the icon, sets its tip and shows and hides balloons, all
// through Shell_NotifyIconW on the one record it keeps. T is the owning window
// class; its window handle (m_hWnd) carries the icon and the balloon timer.
// Every operation runs on the window's thread (the balloon timer is the
// window's, and only its thread may set it).
#include <algorithm>
#include <cwchar>

#include "win32/Windows.h"

// The owner's tray callback message and the id of its only icon.
constexpr UINT WM_TRAY_CALLBACK = 0x240D;
constexpr UINT kTrayIconId = 135;
// The owner's one-shot timer that takes a balloon down.
constexpr UINT_PTR TIMER_HIDE_BALLOON = 0x1020;

namespace UI {

template <class T>
class CTrayIconImpl {
 public:
  static constexpr UINT kMinBalloonMs = 10000;
  static constexpr UINT kMaxBalloonMs = 30000;

  CTrayIconImpl() { m_nid.cbSize = sizeof(NOTIFYICONDATAW); }
  virtual ~CTrayIconImpl() { RemoveIcon(); }

  // Adds the icon with the tip. While it is shown: removes it first when asked,
  // else fails without a call. True when the add succeeded.
  bool InstallIcon(const wchar_t* tip, HICON icon, bool removeFirst) {
    if (m_bTrayInstalled) {
      if (!removeFirst) return false;
      m_nid.uFlags = 0;
      if (::Shell_NotifyIconW(NIM_DELETE, &m_nid)) m_bTrayInstalled = 0;
    }
    m_nid.hWnd = static_cast<T*>(this)->m_hWnd;
    m_nid.uID = kTrayIconId;
    m_nid.hIcon = icon;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAY_CALLBACK;
    CopyText(m_nid.szTip, tip);
    m_bTrayInstalled = ::Shell_NotifyIconW(NIM_ADD, &m_nid) ? 1 : 0;
    return m_bTrayInstalled != 0;
  }

  bool SetTipText(const wchar_t* tip) {
    if (!m_bTrayInstalled) return false;
    m_nid.uFlags = NIF_TIP;
    CopyText(m_nid.szTip, tip);
    return ::Shell_NotifyIconW(NIM_MODIFY, &m_nid) != 0;
  }

  // Shows the balloon for `elapse` ms (taken as unsigned, held to 10-30 s);
  // kind 0 warning, 1 error, 2 information, 3 no icon, another keeps the last
  // icon. An empty text takes a balloon down. The caller checks that the icon
  // is shown.
  bool ShowBalloon(const wchar_t* title, UINT elapse, const wchar_t* text, int kind) {
    m_nid.uFlags |= NIF_INFO;
    CopyText(m_nid.szInfoTitle, title);
    CopyText(m_nid.szInfo, text);
    m_nid.uTimeout = kMaxBalloonMs;
    elapse = std::clamp(elapse, kMinBalloonMs, kMaxBalloonMs);
    switch (kind) {
      case 0: m_nid.dwInfoFlags = NIIF_WARNING; break;
      case 1: m_nid.dwInfoFlags = NIIF_ERROR; break;
      case 2: m_nid.dwInfoFlags = NIIF_INFO; break;
      case 3: m_nid.dwInfoFlags = NIIF_NONE; break;
      default: break;
    }
    HWND owner = static_cast<T*>(this)->m_hWnd;
    ::KillTimer(owner, TIMER_HIDE_BALLOON);
    ::SetTimer(owner, TIMER_HIDE_BALLOON, elapse, nullptr);
    return ::Shell_NotifyIconW(NIM_MODIFY, &m_nid) != 0;
  }

  void HideBalloon() {
    if (!m_bTrayInstalled) return;
    m_nid.uFlags |= NIF_INFO;
    m_nid.szInfoTitle[0] = L'\0';
    m_nid.szInfo[0] = L'\0';
    m_nid.dwInfoFlags = NIIF_INFO;
    ::Shell_NotifyIconW(NIM_MODIFY, &m_nid);
  }

  // Changes the icon when it is shown.
  bool ChangeIcon(HICON icon) {
    if (!m_bTrayInstalled) return false;
    m_nid.uFlags = NIF_ICON;
    m_nid.hIcon = icon;
    return ::Shell_NotifyIconW(NIM_MODIFY, &m_nid) != 0;
  }

  bool RemoveIcon() {
    if (!m_bTrayInstalled) return false;
    m_nid.uFlags = 0;
    if (!::Shell_NotifyIconW(NIM_DELETE, &m_nid)) return false;
    m_bTrayInstalled = 0;
    return true;
  }

  bool IsTrayIconShown() const { return m_bTrayInstalled != 0; }

  NOTIFYICONDATAW m_nid{};
  // 1 while the icon is in the notification area.
  BYTE m_bTrayInstalled = 0;

 private:
  // Copies what fits of the text (the rest is cut), always terminated.
  template <size_t N>
  static void CopyText(WCHAR (&field)[N], const wchar_t* text) {
    size_t length = text ? std::min(std::wcslen(text), N - 1) : 0;
    if (length) std::wmemcpy(field, text, length);
    field[length] = L'\0';
  }
};

}  // namespace UI
