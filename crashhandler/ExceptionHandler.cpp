#include "ExceptionHandler.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

#include "dump/CourierProtocol.h"
#include "dump/CrashSnapshot.h"
#include "dump/DumpId.h"
#include "dump/MinidumpWriter.h"
#include "dump/SafeText.h"
#include "win32/CodePage.h"

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP};
constexpr size_t kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr size_t kAltStackSize = 64 * 1024;
constexpr size_t kMaxHandlers = 16;
// How long a crashing process waits for the dump server's answer.
constexpr int kServerReplyMs = 10000;
// How long registration waits for the server's answer.
constexpr int kRegisterReplyMs = 3000;

// Under g_lock while handlers come and go; read by the signal handler.
std::mutex g_lock;
ExceptionHandler* g_handlers[kMaxHandlers];
std::atomic<size_t> g_handlerCount{0};
struct sigaction g_previous[kSignalCount];
void* g_altStack = nullptr;
// The first crashing thread takes it; any other waits for the process to end.
std::atomic<int> g_crashing{0};

void RestorePrevious() {
  for (size_t i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &g_previous[i], nullptr);
}

void OnSignal(int signo, siginfo_t* info, void* ucontext) {
  if (g_crashing.exchange(1) != 0) {
    // Another thread is writing the dump; the process ends when it is done.
    for (;;) ::pause();
  }
  size_t count = g_handlerCount.load();
  if (count > 0) g_handlers[count - 1]->HandleCrash(signo, info, ucontext);
  RestorePrevious();
  // A signal that was sent rather than caused by the instruction is sent again;
  // a fault repeats by itself when the instruction runs again.
  if (info->si_code <= 0 || signo == SIGABRT) ::syscall(SYS_tgkill, ::getpid(), ::syscall(SYS_gettid), signo);
}

void InstallSignals() {
  if (!g_altStack) {
    void* stack = ::mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (stack != MAP_FAILED) g_altStack = stack;
  }
  if (g_altStack) {
    stack_t ss{};
    ss.ss_sp = g_altStack;
    ss.ss_size = kAltStackSize;
    ::sigaltstack(&ss, nullptr);
  }
  struct sigaction action {};
  action.sa_sigaction = OnSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int s : kSignals) sigaddset(&action.sa_mask, s);
  for (size_t i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &action, &g_previous[i]);
}

void UninstallSignals() {
  RestorePrevious();
  if (g_altStack) {
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && current.ss_sp == g_altStack) {
      stack_t off{};
      off.ss_flags = SS_DISABLE;
      ::sigaltstack(&off, nullptr);
    }
  }
  // The alternate stack is kept: another thread may still have it set.
}

void WideFromAscii(wchar_t* out, const char* text) {
  while ((*out++ = static_cast<unsigned char>(*text++))) {
  }
}

}  // namespace

ExceptionHandler::ExceptionHandler(const std::wstring& dumpPath, FilterCallback filter, MinidumpCallback callback,
                                   void* context, int handlerTypes)
    : m_filter(filter), m_callback(callback), m_context(context) {
  Prepare(dumpPath, handlerTypes);
}

ExceptionHandler::ExceptionHandler(const std::wstring& dumpPath, FilterCallback filter, MinidumpCallback callback,
                                   void* context, int handlerTypes, DumpType, const wchar_t* pipeName,
                                   const CustomClientInfo* customInfo)
    : m_filter(filter), m_callback(callback), m_context(context) {
  Prepare(dumpPath, handlerTypes);
  if (m_installed) Register(pipeName, customInfo);
}

void ExceptionHandler::Prepare(const std::wstring& dumpPath, int handlerTypes) {
  m_dumpFolder = dumpPath;
  if (!m_dumpFolder.empty() && m_dumpFolder.back() != L'/') m_dumpFolder += L'/';
  m_dumpFolderNative = WideToUtf8(m_dumpFolder);
  m_fileNameCapacity = m_dumpFolderNative.size() + faultdump::kDumpIdLength + 8;
  m_fileName = new (std::nothrow) char[m_fileNameCapacity];
  m_snapshot = faultdump::PrepareSnapshot();
  void* scratch =
      ::mmap(nullptr, sizeof(faultdump::MinidumpScratch), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  m_scratch = scratch == MAP_FAILED ? nullptr : static_cast<faultdump::MinidumpScratch*>(scratch);
  if (!m_fileName || !m_snapshot || !m_scratch || (handlerTypes & HANDLER_ALL) == 0) return;
  std::lock_guard lock(g_lock);
  size_t count = g_handlerCount.load();
  if (count == kMaxHandlers) return;
  if (count == 0) InstallSignals();
  g_handlers[count] = this;
  g_handlerCount.store(count + 1);
  m_installed = true;
}

void ExceptionHandler::Register(const wchar_t* pipeName, const CustomClientInfo* customInfo) {
  std::wstring name = pipeName ? pipeName : L"";
  const std::wstring prefix = L"\\\\.\\pipe\\";
  if (name.compare(0, prefix.size(), prefix) == 0) name = name.substr(prefix.size());
  std::string path = faultdump::CourierSocketPath(name);
  if (path.empty()) return;
  int fd = faultdump::ConnectTo(path.c_str());
  if (fd < 0) return;
  faultdump::RegisterRequest request;
  size_t infoBytes = customInfo && customInfo->entries ? customInfo->count * sizeof(CustomInfoEntry) : 0;
  if (infoBytes > faultdump::kMaxCustomInfoBytes) infoBytes = 0;
  request.infoBytes = static_cast<uint32_t>(infoBytes);
  faultdump::Reply reply;
  bool ok = faultdump::SendAll(fd, &request, sizeof request) &&
            (infoBytes == 0 || faultdump::SendAll(fd, customInfo->entries, infoBytes)) &&
            faultdump::ReceiveAll(fd, &reply, sizeof reply, kRegisterReplyMs) &&
            reply.magic == faultdump::kReplyMagic && reply.ok == 1;
  if (!ok) {
    ::close(fd);
    return;
  }
  m_serverSocket = fd;
}

ExceptionHandler::~ExceptionHandler() {
  if (m_installed) {
    std::lock_guard lock(g_lock);
    size_t count = g_handlerCount.load();
    size_t at = 0;
    while (at < count && g_handlers[at] != this) ++at;
    if (at < count) {
      for (size_t i = at; i + 1 < count; ++i) g_handlers[i] = g_handlers[i + 1];
      g_handlerCount.store(count - 1);
      if (count == 1) UninstallSignals();
    }
  }
  if (m_serverSocket >= 0) ::close(m_serverSocket);
  faultdump::FreeSnapshot(m_snapshot);
  if (m_scratch) ::munmap(m_scratch, sizeof(faultdump::MinidumpScratch));
  delete[] m_fileName;
}

void ExceptionHandler::HandleCrash(int signo, const void* info, const void* ucontext) {
  if (m_filter && !m_filter(m_context, info, nullptr)) return;
  faultdump::CaptureSnapshot(*m_snapshot, signo, static_cast<const siginfo_t*>(info), ucontext);
  wchar_t dumpId[faultdump::kDumpIdLength + 1] = {};
  bool written = (m_serverSocket >= 0 && SendToServer(dumpId)) || WriteHere(dumpId);
  if (m_callback) m_callback(m_dumpFolder.c_str(), dumpId, m_context, info, nullptr, written);
}

bool ExceptionHandler::SendToServer(wchar_t* dumpId) {
  const faultdump::SnapshotHeader& h = m_snapshot->header;
  faultdump::CrashRequest request;
  std::memcpy(&request.snapshot, &h, sizeof h);
  faultdump::Reply reply;
  bool ok = faultdump::SendAll(m_serverSocket, &request, sizeof request) &&
            faultdump::SendAll(m_serverSocket, m_snapshot->stack, h.stackSize) &&
            faultdump::SendAll(m_serverSocket, m_snapshot->code, h.codeSize) &&
            faultdump::SendAll(m_serverSocket, m_snapshot->maps, h.mapsSize) &&
            faultdump::ReceiveAll(m_serverSocket, &reply, sizeof reply, kServerReplyMs) &&
            reply.magic == faultdump::kReplyMagic && reply.ok == 1;
  if (!ok) return false;
  reply.dumpId[faultdump::kDumpIdLength] = '\0';
  WideFromAscii(dumpId, reply.dumpId);
  return true;
}

bool ExceptionHandler::WriteHere(wchar_t* dumpId) {
  char id[faultdump::kDumpIdLength + 1];
  faultdump::MakeDumpId(id);
  WideFromAscii(dumpId, id);
  size_t used = 0;
  m_fileName[0] = '\0';
  if (!faultdump::AppendText(m_fileName, used, m_fileNameCapacity, m_dumpFolderNative.c_str()) ||
      !faultdump::AppendText(m_fileName, used, m_fileNameCapacity, id) ||
      !faultdump::AppendText(m_fileName, used, m_fileNameCapacity, ".dmp"))
    return false;
  int fd = ::open(m_fileName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  faultdump::SnapshotView view{&m_snapshot->header, m_snapshot->stack, m_snapshot->code, m_snapshot->maps};
  bool ok = faultdump::WriteMinidump(fd, view, *m_scratch);
  ::close(fd);
  return ok;
}
