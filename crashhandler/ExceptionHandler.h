#pragma once
// The process's crash catcher: signal handlers for SIGSEGV, SIGBUS, SIGFPE,
// SIGILL, SIGABRT and SIGTRAP on an alternate stack, which write a minidump of
// the crashing thread and then let the signal end the process as it would have.
//
// In process, the handler writes <dump folder><id>.dmp itself. Out of process,
// it registers with a dump server (FaultCourier) when it is created and, at the
// crash, sends the server its snapshot and waits (bounded) for the dump to be
// written; when registration fails, or the server does not answer, it writes
// the dump itself instead, so a crash is never lost.
//
// Handlers nest: the newest one serves, and destroying it gives the signals
// back to the one before (or to the actions in force before the first).
// Everything the crash-time path needs is prepared at construction; the path
// itself allocates nothing. The alternate stack serves the thread that creates
// the handler.
#include <cstdint>
#include <string>

namespace faultdump {
struct Snapshot;
struct MinidumpScratch;
}  // namespace faultdump

class ExceptionHandler {
 public:
  enum HandlerType {
    HANDLER_NONE = 0,
    HANDLER_EXCEPTION = 1,
    HANDLER_INVALID_PARAMETER = 2,
    HANDLER_PURECALL = 4,
    HANDLER_ALL = 7,
  };
  enum DumpType { MiniDumpNormal = 0 };

  struct CustomInfoEntry {
    uint8_t bytes[256];
  };
  struct CustomClientInfo {
    const CustomInfoEntry* entries;
    size_t count;
  };

  // True: write a dump for this crash. `exceptionInfo` is the siginfo_t.
  using FilterCallback = bool (*)(void* context, const void* exceptionInfo, const void* assertion);
  // After a dump: the dump folder (with its trailing separator), the dump id
  // (the file is <folder><id>.dmp) and whether it was written.
  using MinidumpCallback = bool (*)(const wchar_t* dumpPath, const wchar_t* dumpId, void* context,
                                    const void* exceptionInfo, const void* assertion, bool succeeded);

  // In process.
  ExceptionHandler(const std::wstring& dumpPath, FilterCallback filter, MinidumpCallback callback, void* context,
                   int handlerTypes);
  // Out of process, with the server at `pipeName` ("\\.\pipe\<name>").
  ExceptionHandler(const std::wstring& dumpPath, FilterCallback filter, MinidumpCallback callback, void* context,
                   int handlerTypes, DumpType dumpType, const wchar_t* pipeName, const CustomClientInfo* customInfo);
  ~ExceptionHandler();
  ExceptionHandler(const ExceptionHandler&) = delete;
  ExceptionHandler& operator=(const ExceptionHandler&) = delete;

  // Whether dumps go to a dump server (registration succeeded).
  bool IsOutOfProcess() const { return m_serverSocket >= 0; }

  // Called by the signal handler.
  void HandleCrash(int signo, const void* info, const void* ucontext);

 private:
  void Prepare(const std::wstring& dumpPath, int handlerTypes);
  void Register(const wchar_t* pipeName, const CustomClientInfo* customInfo);
  bool WriteHere(wchar_t* dumpId);
  bool SendToServer(wchar_t* dumpId);

  FilterCallback m_filter;
  MinidumpCallback m_callback;
  void* m_context;
  bool m_installed = false;
  int m_serverSocket = -1;
  std::wstring m_dumpFolder;       // with its trailing separator
  std::string m_dumpFolderNative;  // the same, UTF-8
  faultdump::Snapshot* m_snapshot = nullptr;
  faultdump::MinidumpScratch* m_scratch = nullptr;
  char* m_fileName = nullptr;  // room for <folder><id>.dmp
  size_t m_fileNameCapacity = 0;
};
