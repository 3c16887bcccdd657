#include "win32/Clipboard.h"

#include <cstring>
#include <algorithm>
#include <map>
#include <set>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "win32/CodePage.h"
#include "win32/WinError.h"

namespace {

struct Board {
  std::mutex lock;
  bool open = false;
  std::thread::id opener;
  HWND openWindow = nullptr;
  HWND owner = nullptr;
  std::map<UINT, HGLOBAL> data;  // blocks set by callers or made on request
  std::set<UINT> made;           // the formats made from another one
};

Board& TheBoard() {
  static Board* board = new Board;  // used until the process ends
  return *board;
}

bool OpenedByCaller(Board& b) {
  if (b.open && b.opener == std::this_thread::get_id()) return true;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return false;
}

void FreeAll(Board& b) {
  for (auto& [format, block] : b.data) GlobalFree(block);
  b.data.clear();
  b.made.clear();
}

// The text of a block of the given text format, up to its terminator.
std::wstring TextOf(UINT format, HGLOBAL block) {
  SIZE_T size = GlobalSize(block);
  const void* bytes = GlobalLock(block);
  if (!bytes) return {};
  std::wstring text;
  if (format == CF_UNICODETEXT) {
    const auto* chars = static_cast<const wchar_t*>(bytes);
    size_t count = size / sizeof(wchar_t);
    text.assign(chars, std::find(chars, chars + count, L'\0'));
  } else {
    const auto* chars = static_cast<const char*>(bytes);
    text = AnsiToWide(std::string(chars, std::find(chars, chars + size, '\0')));
  }
  GlobalUnlock(block);
  return text;
}

HGLOBAL MakeBlock(UINT format, const std::wstring& text) {
  std::string bytes;
  if (format == CF_UNICODETEXT)
    bytes.assign(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
  else
    bytes = WideToAnsi(text) + '\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

UINT OtherTextFormat(UINT format) {
  return format == CF_TEXT ? CF_UNICODETEXT : format == CF_UNICODETEXT ? CF_TEXT : 0;
}

}  // namespace

BOOL OpenClipboard(HWND owner) {
  Board& b = TheBoard();
  std::lock_guard guard(b.lock);
  if (b.open && b.opener != std::this_thread::get_id()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  b.open = true;
  b.opener = std::this_thread::get_id();
  b.openWindow = owner;
  return TRUE;
}

BOOL CloseClipboard() {
  Board& b = TheBoard();
  std::lock_guard guard(b.lock);
  if (!OpenedByCaller(b)) return FALSE;
  b.open = false;
  b.openWindow = nullptr;
  return TRUE;
}

BOOL EmptyClipboard() {
  Board& b = TheBoard();
  std::lock_guard guard(b.lock);
  if (!OpenedByCaller(b)) return FALSE;
  FreeAll(b);
  b.owner = b.openWindow;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  Board& b = TheBoard();
  std::lock_guard guard(b.lock);
  if (!OpenedByCaller(b)) return nullptr;
  if (!data || !GlobalLock(data)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  GlobalUnlock(data);
  auto old = b.data.find(format);
  if (old != b.data.end() && old->second != data) GlobalFree(old->second);
  // A text set anew makes a text form made from the old one stale.
  UINT other = OtherTextFormat(format);
  if (other && b.made.count(other)) {
    GlobalFree(b.data[other]);
    b.data.erase(other);
    b.made.erase(other);
  }
  b.data[format] = data;
  b.made.erase(format);
  return data;
}

HANDLE GetClipboardData(UINT format) {
  Board& b = TheBoard();
  std::lock_guard guard(b.lock);
  if (!OpenedByCaller(b)) return nullptr;
  auto found = b.data.find(format);
  if (found != b.data.end()) return found->second;
  UINT other = OtherTextFormat(format);
  auto source = other ? b.data.find(other) : b.data.end();
  if (source == b.data.end()) {
    SetLastError(ERROR_SUCCESS);
    return nullptr;
  }
  HGLOBAL made = MakeBlock(format, TextOf(other, source->second));
  if (made) {
    b.data[format] = made;
    b.made.insert(format);
  }
  return made;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  Board& b = TheBoard();
  std::lock_guard guard(b.lock);
  if (b.data.count(format)) return TRUE;
  UINT other = OtherTextFormat(format);
  return other && b.data.count(other) ? TRUE : FALSE;
}

HWND GetClipboardOwner() {
  Board& b = TheBoard();
  std::lock_guard guard(b.lock);
  return b.owner;
}
