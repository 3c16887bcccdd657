#include "FaultTrapImpl.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cwchar>
#include <cwctype>
#include <new>
#include <thread>

#include "dump/CourierProtocol.h"
#include "dump/DumpId.h"
#include "dump/SafeText.h"
#include "win32/CodePage.h"
#include "win32/FullPathName.h"
#include "win32/Handle.h"
#include "win32/Module.h"
#include "win32/PrivateFiles.h"
#include "win32/Process.h"
#include "win32/ShellDirectory.h"
#include "win32/Wait.h"
#include "win32/WinError.h"

namespace {

// Room the crash-time text needs at least: a dump name of up to 251 characters,
// the 36-character id, ".dmp" and the closing quote.
constexpr size_t kCrashTimeRoom = 292;
constexpr size_t kCommandLineReserve = 520;
// How long Start waits for a just-started dump server to accept clients.
constexpr auto kServerStartLimit = std::chrono::seconds(5);
constexpr auto kServerPoll = std::chrono::milliseconds(10);

bool EqualsTrueIgnoringCase(const wchar_t* value) {
  const wchar_t* expected = L"true";
  for (; *value && *expected; ++value, ++expected)
    if (std::towlower(static_cast<wint_t>(*value)) != static_cast<wint_t>(*expected)) return false;
  return !*value && !*expected;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The folder this library was loaded from, with a trailing separator.
std::string LibraryFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || !info.dli_fname) return {};
  std::string file = info.dli_fname;
  size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string() : file.substr(0, slash + 1);
}

}  // namespace

FaultTrapImpl::FaultTrapImpl() = default;

FaultTrapImpl::~FaultTrapImpl() {
  m_pHandler.reset();
  delete[] m_pCommandLine;
}

bool FaultTrapImpl::SetParameter(int kind, const wchar_t* value) {
  if (!value) return false;
  switch (kind) {
    case 0: m_strProductName = value; return true;
    case 1: m_strVersion = value; return true;
    case 2: m_strBuildID = value; return true;
    case 3: m_strDumpPath = value; return true;
    case 4:
      if (std::wcspbrk(value, L"\\/")) return false;
      m_strIpcName = value;
      return true;
    case 5: m_strReporterPath = value; return true;
    case 6: m_strSubmitUrl = value; return true;
    case 7: m_bNoUI = EqualsTrueIgnoringCase(value) ? 1 : 0; return true;
    case 8: m_bSingleton = EqualsTrueIgnoringCase(value) ? 1 : 0; return true;
    case 9: m_strUploadFiles = value; return true;
    default: return false;
  }
}

bool FaultTrapImpl::Start(bool outOfProcess) {
  if (m_pHandler) return true;
  m_bOutOfProcess = outOfProcess ? 1 : 0;
  if (outOfProcess) {
    StartReporterServer();
    m_customInfo.AddPair(L"ProductName", m_strProductName.c_str());
    m_customInfo.AddPair(L"Version", m_strVersion.c_str());
    m_customInfo.AddPair(L"BuildID", m_strBuildID.c_str());
    m_customInfo.AddPair(L"SubmitUrl", m_strSubmitUrl.c_str());
    m_customInfo.AddPair(L"UploadFiles", m_strUploadFiles.c_str());
    const std::wstring pipeName = L"\\\\.\\pipe\\" + m_strIpcName;
    // Should the server not take the handler, dumps are written here instead:
    // that needs the folder and the reporter's command line as well.
    CreateDumpDirectory();
    BuildReporterCommandLine();
    PrepareCrashLaunch();
    ExceptionHandler::CustomClientInfo info{
        reinterpret_cast<const ExceptionHandler::CustomInfoEntry*>(m_customInfo.Storage()),
        m_customInfo.Storage() ? m_customInfo.EntryCount() : 0};
    m_pHandler.reset(new (std::nothrow) ExceptionHandler(m_strDumpPath, OnFilterException, OnMinidumpWritten, this,
                                                         ExceptionHandler::HANDLER_ALL,
                                                         ExceptionHandler::MiniDumpNormal, pipeName.c_str(), &info));
  } else {
    BuildReporterCommandLine();
    if (!CreateDumpDirectory()) return false;
    PrepareCrashLaunch();
    m_pHandler.reset(new (std::nothrow) ExceptionHandler(m_strDumpPath, OnFilterException, OnMinidumpWritten, this,
                                                         ExceptionHandler::HANDLER_ALL));
  }
  return m_pHandler != nullptr;
}

void FaultTrapImpl::Release() { delete this; }

std::wstring FaultTrapImpl::ServerCommandLine() const {
  std::wstring line;
  if (!m_strIpcName.empty()) line += L"/ipcname " + Quoted(m_strIpcName) + L" ";
  if (!m_strDumpPath.empty()) line += L"/dumppath " + Quoted(m_strDumpPath) + L" ";
  if (m_bNoUI) line += L"/noui ";
  if (m_bSingleton) line += L"/singleton ";
  return line;
}

void FaultTrapImpl::StartReporterServer() {
  // A reporter that cannot be started is no reason to go without a handler.
  LaunchReporter(ReporterProgram(), ServerCommandLine(), faultdump::CourierSocketPath(m_strIpcName));
}

void FaultTrapImpl::BuildReporterCommandLine() {
  std::wstring line;
  line.reserve(kCommandLineReserve);
  wchar_t host[4096] = {};
  ::GetModuleFileNameW(nullptr, host, 4096);
  line += L"/info \"";
  const std::pair<const wchar_t*, std::wstring> fields[] = {
      {L"ProductName", m_strProductName}, {L"Version", m_strVersion}, {L"BuildID", m_strBuildID}, {L"FullPath", host}};
  for (const auto& [name, value] : fields)
    if (!value.empty()) line += std::wstring(name) + L":" + value + L"|";
  line += L"\" ";
  if (!m_strSubmitUrl.empty()) line += L"/submiturl " + Quoted(m_strSubmitUrl) + L" ";
  if (!m_strUploadFiles.empty()) line += L"UploadFiles " + Quoted(m_strUploadFiles) + L" ";
  if (m_bNoUI) line += L"/noui ";
  line += L"/dumppath \"";
  // Room for the dump's name whatever the folder's length: the folder, a
  // separator the handler may add, the id, ".dmp" and the closing quote.
  const size_t needed = m_strDumpPath.size() + 1 + faultdump::kDumpIdLength + 5;
  const size_t room = needed > kCrashTimeRoom ? needed : kCrashTimeRoom;
  delete[] m_pCommandLine;
  m_nCommandLineCapacity = line.size() + room + 1;
  m_pCommandLine = new (std::nothrow) wchar_t[m_nCommandLineCapacity];
  if (!m_pCommandLine) {
    m_nCommandLineCapacity = 0;
    return;
  }
  std::wmemcpy(m_pCommandLine, line.c_str(), line.size() + 1);
}

bool FaultTrapImpl::CreateDumpDirectory() {
  if (m_strDumpPath.empty()) return true;
  wchar_t full[MAX_PATH + 1] = {};
  DWORD length = ::GetFullPathNameW(m_strDumpPath.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length >= MAX_PATH) return false;
  int result = ::SHCreateDirectoryExW(nullptr, full, nullptr);
  if (result != static_cast<int>(ERROR_SUCCESS) && result != static_cast<int>(ERROR_FILE_EXISTS) &&
      result != static_cast<int>(ERROR_ALREADY_EXISTS))
    return false;
  // A dump holds the process's memory: the folder is the user's alone.
  win32::MakePrivateFolder(WideToUtf8(full));
  return true;
}

bool FaultTrapImpl::PrepareCrashLaunch() {
  if (!m_pCommandLine) return false;
  return m_launcher.Prepare(WideToUtf8(ReporterProgram()), m_pCommandLine,
                            m_nCommandLineCapacity - std::wcslen(m_pCommandLine));
}

std::wstring FaultTrapImpl::ReporterProgram() const {
  // A bare name is the reporter beside this library, which is where it is
  // installed; only then the name as it stands (the current folder).
  if (m_strReporterPath.find(L'/') == std::wstring::npos) {
    std::string beside = LibraryFolder() + WideToUtf8(m_strReporterPath);
    if (IsFile(beside)) return Utf8ToWide(beside);
  }
  return m_strReporterPath;
}

bool FaultTrapImpl::LaunchReporter(const std::wstring& program, const std::wstring& commandLine,
                                   const std::string& serverName) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring text = commandLine;
  if (!::CreateProcessW(program.c_str(), text.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process))
    return false;
  ::WaitForInputIdle(process.hProcess, INFINITE);
  if (!serverName.empty()) {
    // The server is ready once it accepts a connection; a reporter that ends
    // first (another one serves already) or never gets there is not waited for.
    const auto deadline = std::chrono::steady_clock::now() + kServerStartLimit;
    for (;;) {
      int fd = faultdump::ConnectTo(serverName.c_str());
      if (fd >= 0) {
        ::close(fd);
        break;
      }
      if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 || std::chrono::steady_clock::now() >= deadline)
        break;
      std::this_thread::sleep_for(kServerPoll);
    }
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return true;
}

bool FaultTrapImpl::OnFilterException(void*, const void*, const void*) { return true; }

bool FaultTrapImpl::OnMinidumpWritten(const wchar_t* dumpPath, const wchar_t* dumpId, void* context, const void*,
                                      const void*, bool succeeded) {
  auto* self = static_cast<FaultTrapImpl*>(context);
  if (!succeeded || !self) return true;
  // The dump server reports its own dumps; a dump written here goes to the reporter.
  if (self->m_pHandler && self->m_pHandler->IsOutOfProcess()) return true;
  if (!self->m_pCommandLine) return true;
  // The dump's name, then the whole line, each only when it fits the room.
  wchar_t name[4096] = {};
  if (!faultdump::AppendWide(name, 4096, dumpPath) || !faultdump::AppendWide(name, 4096, dumpId) ||
      !faultdump::AppendWide(name, 4096, L".dmp"))
    return true;
  if (!faultdump::AppendWide(self->m_pCommandLine, self->m_nCommandLineCapacity, name) ||
      !faultdump::AppendWide(self->m_pCommandLine, self->m_nCommandLineCapacity, L"\""))
    return true;
  self->m_launcher.Launch(self->m_pCommandLine, name);
  return true;
}
