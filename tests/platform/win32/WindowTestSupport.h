#pragma once
// A window class whose procedure records every message it gets, for the window tests.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "win32/Windows.h"

namespace wintest {

struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  DWORD thread;
};

// Records messages of the windows of "RecorderClass"; a test may install a reaction
// that answers a message in place of DefWindowProcW (return true to take it).
class Recorder {
 public:
  static Recorder& Get();
  static LPCWSTR ClassName() { return L"RecorderClass"; }

  void Clear();
  std::vector<Seen> All();
  // The messages among `filter` that a window got, in the order they came.
  std::vector<UINT> Messages(HWND hwnd, const std::vector<UINT>& filter);
  std::vector<std::pair<HWND, UINT>> Sequence(const std::vector<UINT>& filter);
  int Count(HWND hwnd, UINT msg);

  using Reaction = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;
  void SetReaction(Reaction reaction);

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  Recorder();
  std::mutex m_lock;
  std::vector<Seen> m_seen;
  Reaction m_reaction;
};

// A top-level (or, with a parent, child) window of the recorder class.
HWND MakeWindow(const wchar_t* title = L"", HWND parent = nullptr, DWORD style = 0, DWORD exStyle = 0);

}  // namespace wintest
