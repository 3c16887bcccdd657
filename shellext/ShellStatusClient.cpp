#include "ShellStatusClient.h"

#include <cwchar>
#include <cwctype>
#include <string>

#include "ShellExtKind.h"

namespace {

class SectionLock {
 public:
  explicit SectionLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
  ~SectionLock() { LeaveCriticalSection(&m_section); }

 private:
  CRITICAL_SECTION& m_section;
};

// Whether `prefix` begins `text`, without regard to case.
bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::towlower(text[i]) != std::towlower(prefix[i])) return false;
  }
  return true;
}

}  // namespace

ShellStatusClient::ShellStatusClient() : m_disabled(1), m_pipe(INVALID_HANDLE_VALUE) {
  InitializeCriticalSection(&m_lock);
  m_root[0] = L'\0';
}

ShellStatusClient::~ShellStatusClient() {
  DeleteCriticalSection(&m_lock);
  ClosePipe();
}

void ShellStatusClient::ClosePipe() {
  if (m_pipe != INVALID_HANDLE_VALUE) CloseHandle(m_pipe);
  m_pipe = INVALID_HANDLE_VALUE;
}

bool ShellStatusClient::ReadSharedRoot() {
  SectionLock guard(m_lock);
  HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kShellMappingName);
  if (!mapping) return false;
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ShellRootMapping));
  if (!view) {
    CloseHandle(mapping);
    return false;
  }
  const auto* record = static_cast<const ShellRootMapping*>(view);
  // A root without its terminator is no root: no path is under it.
  std::wstring root;
  GetWirePath(record->root, root);
  if (root.size() >= kWirePathUnits) root.clear();  // a character outside the BMP counted twice
  std::wmemcpy(m_root, root.c_str(), root.size() + 1);
  m_disabled = record->disabled;
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  return true;
}

bool ShellStatusClient::IsDisabled() {
  SectionLock guard(m_lock);
  return m_disabled != 0;
}

bool ShellStatusClient::IsUnderRoot(const wchar_t* path) {
  if (!path) return false;
  std::wstring root;
  {
    SectionLock guard(m_lock);
    root = m_root;
  }
  if (root.empty()) return false;
  std::wstring candidate = path;
  // A path that does not fit the request's field cannot be asked about.
  if (WideToUtf16(candidate).size() >= kWirePathUnits) return false;
  if (root.back() != kPathSeparator) root += kPathSeparator;
  return StartsWithNoCase(candidate + kPathSeparator, root) || StartsWithNoCase(candidate, root);
}

// An instance that the wait found free can be taken by another client before this
// one opens it: the open then finds the pipe busy, and the client waits again for
// what is left of its time.
bool ShellStatusClient::ConnectStatusPipe() {
  ULONGLONG start = GetTickCount64();
  for (;;) {
    ULONGLONG waited = GetTickCount64() - start;
    if (waited >= kPipeWaitMs) return false;
    if (!WaitNamedPipeW(kStatusPipeName, static_cast<DWORD>(kPipeWaitMs - waited))) return false;
    m_pipe = CreateFileW(kStatusPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (m_pipe != INVALID_HANDLE_VALUE) return true;
    if (GetLastError() != ERROR_PIPE_BUSY) return false;
  }
}

// The server answers at once; one that has taken the connection and then hangs must
// not hold Explorer's thread, so the reply is awaited for a bounded time only. The
// wait ends as soon as the reply is written (or the server has gone).
bool ShellStatusClient::WaitForReply() {
  DWORD available = 0;
  return win32::WaitForPipeInput(m_pipe, kReplyWaitMs) &&
         PeekNamedPipe(m_pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0;
}

bool ShellStatusClient::QueryFileStatus(const wchar_t* path, StatusPipeReply* reply) {
  if (!path || !reply) return false;
  StatusPipeRequest request{};
  request.kind = PathIsDirectoryW(path) ? kStatusKindDirectory : kStatusKindFile;
  if (!PutWirePath(request.path, path)) return false;
  if (!ConnectStatusPipe()) return false;
  DWORD written = 0, read = 0;
  bool ok = WriteFile(m_pipe, &request, sizeof request, &written, nullptr) && written == sizeof request &&
            WaitForReply() && ReadFile(m_pipe, reply, sizeof *reply, &read, nullptr) && read == sizeof *reply;
  ClosePipe();
  return ok;
}
