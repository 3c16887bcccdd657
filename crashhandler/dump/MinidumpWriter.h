#pragma once
// Writes a minidump (the "MDMP" file format of crash dumps) from a snapshot.
//
// The file holds, after its header and stream directory:
//   SystemInfo  - x86-64, Linux (platform id 0x8201), processor count and id,
//                 the kernel release as the service-pack text;
//   ThreadList  - the crashing thread with its full register context and the
//                 stack bytes taken around its stack pointer;
//   ModuleList  - each file that is mapped executable, from its first mapping
//                 to the end of its last consecutive one, with the file's GNU
//                 build id as its CodeView record (signature "LEpB", then the id);
//   Exception   - the crashing thread; code = the signal number, flags = si_code,
//                 address = si_addr;
//   MemoryList  - the stack bytes and the code around the instruction pointer;
//   LinuxMaps   - the process's memory map as text (stream 0x47670009).
// Every number is little-endian, every record 4-byte aligned.
//
// Writing is async-signal-safe: it only calls open, pread, write, pwrite and close, and its
// working memory is the caller's (MinidumpScratch).
#include <cstddef>
#include <cstdint>

#include "dump/CrashSnapshot.h"

namespace faultdump {

constexpr uint32_t kMinidumpSignature = 0x504D444D;  // "MDMP"
constexpr uint32_t kMinidumpVersion = 0xA793;
constexpr uint32_t kStreamThreadList = 3;
constexpr uint32_t kStreamModuleList = 4;
constexpr uint32_t kStreamMemoryList = 5;
constexpr uint32_t kStreamException = 6;
constexpr uint32_t kStreamSystemInfo = 7;
constexpr uint32_t kStreamLinuxMaps = 0x47670009;
constexpr uint16_t kArchitectureAmd64 = 9;
constexpr uint32_t kPlatformLinux = 0x8201;
constexpr size_t kMaxModules = 1024;
constexpr uint32_t kCodeViewElfSignature = 0x4270454C;

// The parts of a snapshot, wherever they are kept.
struct SnapshotView {
  const SnapshotHeader* header = nullptr;
  const uint8_t* stack = nullptr;
  const uint8_t* code = nullptr;
  const char* maps = nullptr;
};

struct MinidumpScratch {
  struct Module {
    uint64_t base;
    uint64_t end;
    const char* name;
    uint32_t nameLength;
    uint32_t nameRva;
    uint32_t codeViewRva;
    uint32_t codeViewSize;
  } modules[kMaxModules];
  char path[4096];
  uint8_t buffer[8192];
};

// Writes the whole dump to `fd` (positioned at its start, normally a new file).
// False when a write failed.
bool WriteMinidump(int fd, const SnapshotView& snapshot, MinidumpScratch& scratch);

}  // namespace faultdump
