// A program that binds the crash handler as the main program does and then
// crashes for real:
//   FaultTrapChild <library> <out|in> <how> [<kind>=<value> ...]
// It loads the library with LoadLibraryW, takes "CreateFaultTrap2", sets the
// parameters given (in their order), calls Start with true for "out", prints
// "started <0|1>" and then, by <how>:
//   segv    writes through a null pointer        abort  calls abort()
//   fpe     divides an integer by zero           thread crashes on a second thread
//   overflow runs out of stack                  exit   releases the handler and ends with 0
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "crashhandler/FaultTrapInterface.h"
#include "win32/Windows.h"

namespace {

std::wstring Wide(const char* text) {
  std::wstring out;
  for (const char* p = text; *p; ++p) out += static_cast<wchar_t>(static_cast<unsigned char>(*p));
  return out;
}

// Kept out of the compiler's sight, so the faults below really happen.
int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;

__attribute__((noinline)) void WriteNull() { *g_nowhere = 42; }

volatile int g_seven = 7;

// Recurses until the stack runs out.
volatile bool g_deeper = true;

__attribute__((noinline)) int Recurse(int depth) {
  volatile char frame[512];
  frame[0] = static_cast<char>(depth);
  return (g_deeper ? Recurse(depth + 1) : 0) + frame[0];
}

__attribute__((noinline)) int DivideByZero() { return g_seven / g_zero; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 100;
  HMODULE library = ::LoadLibraryW(Wide(argv[1]).c_str());
  if (!library) return 101;
  auto create = reinterpret_cast<CreateFaultTrap2Fn>(::GetProcAddress(library, "CreateFaultTrap2"));
  if (!create) return 102;
  FaultTrapInterface* trap = nullptr;
  create(&trap);
  if (!trap) return 103;
  for (int i = 4; i < argc; ++i) {
    const char* eq = std::strchr(argv[i], '=');
    if (!eq) return 104;
    trap->SetParameter(std::atoi(argv[i]), Wide(eq + 1).c_str());
  }
  bool started = trap->Start(std::strcmp(argv[2], "out") == 0);
  std::printf("started %d\n", started ? 1 : 0);
  std::fflush(stdout);
  const std::string how = argv[3];
  if (how == "segv") WriteNull();
  if (how == "abort") std::abort();
  if (how == "fpe") std::printf("%d\n", DivideByZero());
  if (how == "thread") std::thread(WriteNull).join();
  if (how == "overflow") std::printf("%d\n", Recurse(0));
  trap->Release();
  return how == "exit" ? 0 : 105;
}
