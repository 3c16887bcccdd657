#pragma once
// SHChangeNotify: telling the shell that items changed so that it redraws them.
// There is no shell here to redraw anything, so the notifications are kept in the
// process, in order, for whoever wants to know what was announced (tests, a host
// playing Explorer). Thread-safe.
#include <string>
#include <vector>

#include "win32/WinDef.h"

constexpr LONG SHCNE_RENAMEITEM = 0x00000001;
constexpr LONG SHCNE_CREATE = 0x00000002;
constexpr LONG SHCNE_DELETE = 0x00000004;
constexpr LONG SHCNE_MKDIR = 0x00000008;
constexpr LONG SHCNE_RMDIR = 0x00000010;
constexpr LONG SHCNE_ATTRIBUTES = 0x00000800;
constexpr LONG SHCNE_UPDATEDIR = 0x00001000;
constexpr LONG SHCNE_UPDATEITEM = 0x00002000;
constexpr LONG SHCNE_RENAMEFOLDER = 0x00020000;
constexpr LONG SHCNE_ASSOCCHANGED = 0x08000000;

constexpr UINT SHCNF_IDLIST = 0x0000;
constexpr UINT SHCNF_PATHA = 0x0001;
constexpr UINT SHCNF_PATHW = 0x0005;
constexpr UINT SHCNF_TYPE = 0x00FF;
constexpr UINT SHCNF_FLUSH = 0x1000;
constexpr UINT SHCNF_FLUSHNOWAIT = 0x3000;

// The items are wide paths with SHCNF_PATHW, UTF-8 paths with SHCNF_PATHA; other
// kinds of item are kept as empty paths.
void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2);

namespace win32 {

struct ShellNotification {
  LONG event;
  UINT flags;
  std::wstring path1, path2;
  bool operator==(const ShellNotification&) const = default;
};

// The newest 4096 notifications, oldest first; and forgetting them.
std::vector<ShellNotification> ShellNotifications();
void ClearShellNotifications();

}  // namespace win32
