#pragma once
// The shell's change notice. There is no Explorer here to redraw anything, so
// the notices are kept in a bounded list that tests (and a diagnostic view)
// can read back.
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
constexpr LONG SHCNE_ALLEVENTS = 0x7FFFFFFF;

constexpr UINT SHCNF_IDLIST = 0x0000;
constexpr UINT SHCNF_PATHA = 0x0001;
constexpr UINT SHCNF_PATHW = 0x0005;
constexpr UINT SHCNF_TYPE = 0x00FF;
constexpr UINT SHCNF_FLUSH = 0x1000;
constexpr UINT SHCNF_FLUSHNOWAIT = 0x3000;
constexpr UINT SHCNF_PATH = SHCNF_PATHW;

// Records the notice. Items are read as paths for SHCNF_PATHW (wide) and
// SHCNF_PATHA (narrow, UTF-8); other item kinds are recorded without them.
void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2);

namespace win32 {

struct ShellChange {
  LONG eventId = 0;
  UINT flags = 0;
  std::wstring item1;
  std::wstring item2;
};

// The notices so far, oldest first; the oldest are dropped past 4096.
std::vector<ShellChange> RecordedShellChanges();
void ClearRecordedShellChanges();

}  // namespace win32
