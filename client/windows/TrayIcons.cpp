#include "client/windows/TrayIcons.h"

#include <map>
#include <mutex>

#include "client/windows/TrayIconData.h"

HICON LoadTrayIcon(UINT id) {
  static std::mutex lock;
  static std::map<UINT, HICON> loaded;
  std::lock_guard guard(lock);
  HMODULE module = ::GetModuleHandleW(nullptr);
  static bool registered = false;
  if (!registered) {
    for (unsigned long i = 0; i < kTrayIconDataCount; ++i)
      win32::AddIconResource(module, kTrayIconData[i].id, kTrayIconData[i].bytes, kTrayIconData[i].size);
    registered = true;
  }
  auto it = loaded.find(id);
  if (it != loaded.end()) return it->second;
  auto icon = static_cast<HICON>(
      ::LoadImageW(module, MAKEINTRESOURCEW(static_cast<WORD>(id)), IMAGE_ICON, 16, 16, LR_SHARED));
  if (icon) loaded[id] = icon;
  return icon;
}
