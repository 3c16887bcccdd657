// A small program that the process tests start as a real child:
//   hold-event <name> <fifo>   creates the named event, reports on the fifo, waits for ever
//   exit <code>                returns the code
//   crash                      dies of SIGSEGV
//   args <file>                writes its command line and its split arguments, one per line
//   reg-write <prefix> <count> writes <count> values into HKCU\Software\DorvTest
//   (with argv[0] "/info")     writes its command line and arguments to the file named last
#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "win32/Windows.h"

namespace {

std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += static_cast<char>(c < 0x80 ? c : '?');
  return out;
}

}  // namespace

// Under AddressSanitizer the "crash" mode must still end the process by its signal,
// as a crashing Windows process ends with its exception code.
extern "C" const char* __asan_default_options() { return "handle_segv=0"; }

int main(int argc, char** argv) {
  // Started with a command line that does not name the program (as a crash
  // reporter is): argv[0] is its first word. Report to the file named last.
  if (argc >= 2 && std::string(argv[0]) == "/info") {
    std::ofstream out(argv[argc - 1]);
    out << Utf8(GetCommandLineW()) << "\n";
    for (int i = 0; i < argc; ++i) out << argv[i] << "\n";
    return 0;
  }
  if (argc < 2) return 100;
  std::string mode = argv[1];
  if (mode == "hold-event" && argc == 4) {
    std::wstring name(argv[2], argv[2] + std::strlen(argv[2]));
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    DWORD error = GetLastError();
    {
      std::ofstream fifo(argv[3]);
      fifo << (event ? "created " : "failed ") << error << std::endl;
    }
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    WaitForSingleObject(never, INFINITE);
    return 0;
  }
  if (mode == "exit" && argc == 3) return std::atoi(argv[2]);
  if (mode == "crash") {
    std::raise(SIGSEGV);
    return 0;
  }
  if (mode == "args" && argc >= 3) {
    std::ofstream out(argv[2]);
    out << Utf8(GetCommandLineW()) << "\n";
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 0; i < count; ++i) out << Utf8(args[i]) << "\n";
    LocalFree(args);
    return 0;
  }
  if (mode == "reg-write" && argc == 4) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\DorvTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
      return 2;
    std::wstring prefix(argv[2], argv[2] + std::strlen(argv[2]));
    int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
      DWORD value = static_cast<DWORD>(i);
      std::wstring name = prefix + std::to_wstring(i);
      if (RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
          ERROR_SUCCESS)
        return 3;
    }
    RegCloseKey(key);
    return 0;
  }
  return 101;
}
