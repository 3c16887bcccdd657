#pragma once
// What a crash leaves for its dump: the crashing thread's registers, the bytes
// around its stack pointer and its instruction pointer, and the process's map
// of memory. Taken inside the signal handler of the crashing thread, so taking
// it allocates nothing and calls only async-signal-safe system calls; the
// storage is prepared (PrepareSnapshot) while the process is still sound.
//
// The same record travels to the dump server in the out-of-process mode: a
// fixed header, then the stack bytes, the code bytes and the map text.
#include <signal.h>

#include <cstddef>
#include <cstdint>

namespace faultdump {

// The thread context as the dump format keeps it for x86-64.
constexpr size_t kContextSize = 1232;
// Below the stack pointer: the red zone that leaf functions use.
constexpr size_t kStackBelow = 128;
constexpr size_t kStackAbove = 32 * 1024;
constexpr size_t kStackMax = kStackBelow + kStackAbove;
// Code around the instruction pointer, half before and half after.
constexpr size_t kCodeMax = 256;
// The text of /proc/<pid>/maps; a longer map is cut at a line end.
constexpr size_t kMapsMax = 512 * 1024;

struct SnapshotHeader {
  uint32_t pid = 0;
  uint32_t tid = 0;
  int32_t signo = 0;
  int32_t code = 0;      // si_code
  uint64_t address = 0;  // si_addr
  uint64_t stackStart = 0;
  uint32_t stackSize = 0;
  uint32_t codeSize = 0;
  uint64_t codeStart = 0;
  uint32_t mapsSize = 0;
  uint32_t cpuCount = 0;
  uint32_t cpuVendor[3] = {};
  uint32_t cpuVersion = 0;
  uint32_t cpuFeatures = 0;
  uint32_t reserved = 0;
  char osRelease[68] = {};  // uname's release text, NUL-terminated
  uint8_t context[kContextSize] = {};
};

struct Snapshot {
  SnapshotHeader header;
  uint8_t stack[kStackMax];
  uint8_t code[kCodeMax];
  char maps[kMapsMax];
};

// Memory for one snapshot (mapped, not from the heap), with the facts that
// never change during the process's life filled in. Null when it cannot be had.
Snapshot* PrepareSnapshot();
void FreeSnapshot(Snapshot* snapshot);

// Fills the snapshot for the signal `signo` that the calling thread is handling.
// Async-signal-safe.
void CaptureSnapshot(Snapshot& snapshot, int signo, const siginfo_t* info, const void* ucontext);

// Copies up to `size` bytes of our own memory from `address`, stopping at the
// first page that cannot be read, and returns how many were copied. Never faults.
size_t SafeCopy(void* to, uint64_t address, size_t size);

}  // namespace faultdump
