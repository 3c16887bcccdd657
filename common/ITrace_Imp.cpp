#include "common/PrivateFiles.h"
#include "common/StringConvert.h"
#include "common/ITrace_Imp.h"

#include <algorithm>
#include <cwchar>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

#include "common/AppPaths.h"
#include "common/PathText.h"
#include "common/StringConvert.h"

ITrace* g_IHalvornTrace = nullptr;

namespace {

// Normalised name -> logger; a released logger leaves its name with null.
struct Registry {
  std::mutex lock;
  std::map<CString, ITrace*> loggers;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry();  // outlives every logger, even at exit
  return *registry;
}

CString TimePrefix() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  wchar_t text[64];
  if (!localtime_r(&now, &local) || std::wcsftime(text, 64, L"[%Y/%m/%d %H:%M:%S] ", &local) == 0)
    return CString();
  return CString(text);
}

bool WriteAll(HANDLE file, const char* bytes, size_t count) {
  while (count > 0) {
    DWORD written = 0;
    DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
    bytes += written;
    count -= written;
  }
  return true;
}

}  // namespace

ITrace* ITrace_Creater(int level, CString name, long maxBytes) {
  CString key = Common::ReparsePath(name.MakeLower());
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  auto found = registry.loggers.find(key);
  if (found != registry.loggers.end()) return found->second;
  ITrace* logger = new ITrace_Imp(level, key, maxBytes);
  registry.loggers[key] = logger;
  return logger;
}

void ITrace_ReleaseAll() {
  for (;;) {
    ITrace* logger = nullptr;
    {
      Registry& registry = TheRegistry();
      std::lock_guard<std::mutex> guard(registry.lock);
      for (auto& entry : registry.loggers)
        if (entry.second) {
          logger = entry.second;
          break;
        }
    }
    if (!logger) return;
    logger->Release();
  }
}

ITrace_Imp::ITrace_Imp(int level, CString name, long maxBytes) : m_nMaxSize(maxBytes), m_nLevel(level) {
  InitializeCriticalSection(&m_lock);
  CString folder;
  Common::GetAppDataPath(folder);
  m_strPath = folder + name;
  Open();
}

ITrace_Imp::~ITrace_Imp() {
  CloseFile();
  DeleteCriticalSection(&m_lock);
}

void ITrace_Imp::CloseFile() {
  if (m_hFile != INVALID_HANDLE_VALUE) CloseHandle(m_hFile);
  m_hFile = INVALID_HANDLE_VALUE;
  m_bOpen = FALSE;
}

void ITrace_Imp::Open() {
  const DWORD access = GENERIC_READ | GENERIC_WRITE;
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  Common::MakePrivateFile(Common::CString_to_utf8(m_strPath));
  m_hFile = CreateFileW(m_strPath, access, share, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (m_hFile == INVALID_HANDLE_VALUE) return;
  m_bOpen = TRUE;

  LARGE_INTEGER size{};
  if (!GetFileSizeEx(m_hFile, &size)) return CloseFile();
  if (size.QuadPart < m_nMaxSize) return;

  // Too large: keep the last half of the allowed size (the cut may fall inside a line). Only
  // that tail is read, however large the old file is.
  const LONGLONG keep = std::min<LONGLONG>(size.QuadPart, m_nMaxSize > 0 ? m_nMaxSize / 2 : 0);
  std::vector<char> tail(static_cast<size_t>(keep));
  DWORD read = 0;
  LARGE_INTEGER start{};
  start.QuadPart = size.QuadPart - keep;
  if (!SetFilePointerEx(m_hFile, start, nullptr, FILE_BEGIN) ||
      !ReadFile(m_hFile, tail.data(), static_cast<DWORD>(tail.size()), &read, nullptr) || read != tail.size())
    return CloseFile();
  CloseFile();
  DeleteFileW(m_strPath);
  Common::MakePrivateFile(Common::CString_to_utf8(m_strPath));
  m_hFile = CreateFileW(m_strPath, access, share, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (m_hFile == INVALID_HANDLE_VALUE) return;
  m_bOpen = TRUE;
  if (!WriteAll(m_hFile, tail.data(), tail.size())) CloseFile();
}

bool ITrace_Imp::Trace(int level, bool flush, const wchar_t* format, ...) {
  if (level < m_nLevel) return true;
  if (!format || std::wcslen(format) > static_cast<size_t>(kFormatLimit)) return false;
  va_list args;
  va_start(args, format);
  std::wstring message = FormatWide(format, args);
  va_end(args);
  if (message.size() > static_cast<size_t>(kFormatLimit)) message.resize(kFormatLimit);
  CString line = TimePrefix() + CString(message) + L"\r\n";
  return AddDequeData(line, flush);
}

bool ITrace_Imp::AddDequeData(CString& line, bool flush) {
  std::string bytes = Common::CString_to_MBCS(line);
  EnterCriticalSection(&m_lock);
  if (m_lines.size() >= kQueueLines) m_lines.pop_front();
  m_lines.push_back(bytes);
  bool ok = true;
  if (m_bOpen) {
    LARGE_INTEGER zero{};
    ok = SetFilePointerEx(m_hFile, zero, nullptr, FILE_END) && WriteAll(m_hFile, bytes.data(), bytes.size()) &&
         (!flush || FlushFileBuffers(m_hFile));
    if (!ok) CloseFile();
  }
  LeaveCriticalSection(&m_lock);
  return ok;
}

void ITrace_Imp::Release() {
  {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (auto& entry : registry.loggers)
      if (entry.second == this) entry.second = nullptr;
  }
  delete this;
}

CString ITrace_Imp::GetLogFilePath() { return m_strPath; }

std::deque<std::string> ITrace_Imp::GetRecentLines() {
  EnterCriticalSection(&m_lock);
  std::deque<std::string> copy = m_lines;
  LeaveCriticalSection(&m_lock);
  return copy;
}
