#include "WindowTestSupport.h"

#include <algorithm>

namespace wintest {

Recorder& Recorder::Get() {
  static Recorder recorder;
  return recorder;
}

Recorder::Recorder() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Proc;
  wc.cbWndExtra = 2 * sizeof(LONG_PTR);
  wc.lpszClassName = ClassName();
  RegisterClassExW(&wc);
}

void Recorder::Clear() {
  std::lock_guard guard(m_lock);
  m_seen.clear();
  m_reaction = nullptr;
}

std::vector<Seen> Recorder::All() {
  std::lock_guard guard(m_lock);
  return m_seen;
}

std::vector<UINT> Recorder::Messages(HWND hwnd, const std::vector<UINT>& filter) {
  std::vector<UINT> out;
  for (auto& s : All()) {
    if (s.hwnd == hwnd && std::find(filter.begin(), filter.end(), s.msg) != filter.end()) out.push_back(s.msg);
  }
  return out;
}

std::vector<std::pair<HWND, UINT>> Recorder::Sequence(const std::vector<UINT>& filter) {
  std::vector<std::pair<HWND, UINT>> out;
  for (auto& s : All()) {
    if (std::find(filter.begin(), filter.end(), s.msg) != filter.end()) out.emplace_back(s.hwnd, s.msg);
  }
  return out;
}

int Recorder::Count(HWND hwnd, UINT msg) {
  auto all = All();
  return static_cast<int>(std::count_if(all.begin(), all.end(), [&](const Seen& s) { return s.hwnd == hwnd && s.msg == msg; }));
}

void Recorder::SetReaction(Reaction reaction) {
  std::lock_guard guard(m_lock);
  m_reaction = std::move(reaction);
}

LRESULT CALLBACK Recorder::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Recorder& r = Get();
  Reaction reaction;
  {
    std::lock_guard guard(r.m_lock);
    r.m_seen.push_back(Seen{hwnd, msg, wParam, lParam, GetCurrentThreadId()});
    reaction = r.m_reaction;
  }
  LRESULT result = 0;
  if (reaction && reaction(hwnd, msg, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND MakeWindow(const wchar_t* title, HWND parent, DWORD style, DWORD exStyle) {
  Recorder::Get();
  if (parent) style |= WS_CHILD;
  return CreateWindowExW(exStyle, Recorder::ClassName(), title, style, 10, 20, 200, 100, parent,
                         nullptr, nullptr, nullptr);
}

}  // namespace wintest
