#pragma once
// The conversation between a crash handler and the dump server (FaultCourier)
// over a Unix stream socket in the runtime folder.
//
//   handler -> server  RegisterRequest, then `infoBytes` bytes of custom
//                      information (UTF-16 name/value pairs, NUL after each)
//   server -> handler  Reply (ok = 1: registered)
//   ... the connection stays open while the handler is installed ...
//   handler -> server  CrashRequest, then the stack bytes, the code bytes and
//                      the map text that its snapshot header counts
//   server -> handler  Reply (ok = 1: the dump <dumpId>.dmp was written)
//
// The crashing process sends its own snapshot (the same one an in-process dump
// is written from) rather than having the server read its memory: reading
// another process's memory needs ptrace rights that Yama, containers and
// non-dumpable processes often withhold, while copying its own stack is safe
// (a bad page gives EFAULT, not a second fault). The server then does the
// rest - the file, its format and the report - outside the damaged process.
//
// The server believes no size it is sent: each is checked against the limits of
// the snapshot, and the client's process id is the socket's peer, not a field.
#include <cstdint>
#include <string>

#include "dump/CrashSnapshot.h"
#include "dump/DumpId.h"

namespace faultdump {

constexpr uint32_t kRegisterMagic = 0x47525446;  // "FTRG"
constexpr uint32_t kCrashMagic = 0x52435446;     // "FTCR"
constexpr uint32_t kReplyMagic = 0x4B4F5446;     // "FTOK"
constexpr uint32_t kProtocolVersion = 1;
constexpr uint32_t kMaxCustomInfoBytes = 64 * 1024;

struct RegisterRequest {
  uint32_t magic = kRegisterMagic;
  uint32_t version = kProtocolVersion;
  uint32_t infoBytes = 0;
  uint32_t reserved = 0;
};

struct CrashRequest {
  uint32_t magic = kCrashMagic;
  uint32_t reserved = 0;
  SnapshotHeader snapshot;
};

struct Reply {
  uint32_t magic = kReplyMagic;
  uint32_t ok = 0;
  char dumpId[kDumpIdLength + 1] = {};
  char reserved[3] = {};
};

// The socket of the dump server named `ipcName` (the pipe name without
// "\\.\pipe\"): <runtime folder>/pipes/<ipcName>. Empty when the name is empty
// or holds a separator.
std::string CourierSocketPath(const std::wstring& ipcName);

// Sends all bytes (no SIGPIPE); false on failure. Async-signal-safe.
bool SendAll(int fd, const void* data, size_t size);
// Receives exactly `size` bytes, waiting at most `timeoutMs` in all (-1: no
// limit); false on failure, end of stream or time-out. Async-signal-safe.
bool ReceiveAll(int fd, void* data, size_t size, int timeoutMs);
// Connects a stream socket to `path`; -1 on failure. Connecting and each send
// give up after 3 s of a server that takes nothing. Async-signal-safe.
int ConnectTo(const char* path);

}  // namespace faultdump
