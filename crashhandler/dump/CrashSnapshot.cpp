#include "dump/CrashSnapshot.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/utsname.h>
#include <ucontext.h>
#include <unistd.h>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

#include <cerrno>
#include <cstring>
#include <new>

namespace faultdump {
namespace {

constexpr uint64_t kPage = 4096;

template <typename T>
void PutAt(uint8_t* context, size_t offset, T value) {
  std::memcpy(context + offset, &value, sizeof value);
}

// Reads our own memory through /proc/self/mem, for systems that refuse
// process_vm_readv.
size_t CopyThroughProcMem(uint8_t* to, uint64_t address, size_t size) {
  int fd = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, to + done, size - done, static_cast<off_t>(address + done));
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return done;
}

void ReadMaps(Snapshot& snapshot) {
  snapshot.header.mapsSize = 0;
  int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  size_t used = 0;
  while (used < kMapsMax) {
    ssize_t n = ::read(fd, snapshot.maps + used, kMapsMax - used);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    used += static_cast<size_t>(n);
  }
  ::close(fd);
  // A map cut short keeps only whole lines.
  if (used == kMapsMax) {
    while (used > 0 && snapshot.maps[used - 1] != '\n') --used;
  }
  snapshot.header.mapsSize = static_cast<uint32_t>(used);
}

// Offsets of the x86-64 thread context record.
enum ContextOffset : size_t {
  kContextFlags = 0x30,
  kMxCsr = 0x34,
  kSegCs = 0x38,
  kSegDs = 0x3A,
  kSegEs = 0x3C,
  kSegFs = 0x3E,
  kSegGs = 0x40,
  kSegSs = 0x42,
  kEFlags = 0x44,
  kRax = 0x78,
  kRip = 0xF8,
  kFloatSave = 0x100,
};
// x86-64 | control | integer | segments | floating point.
constexpr uint32_t kContextFull = 0x100000 | 0x1 | 0x2 | 0x4 | 0x8;

void FillContext(SnapshotHeader& header, const void* ucontext, uint64_t& sp, uint64_t& ip) {
  std::memset(header.context, 0, kContextSize);
  sp = ip = 0;
#if defined(__x86_64__)
  const auto* uc = static_cast<const ucontext_t*>(ucontext);
  const greg_t* g = uc->uc_mcontext.gregs;
  uint8_t* c = header.context;
  PutAt<uint32_t>(c, kContextFlags, kContextFull);
  const uint64_t csgsfs = static_cast<uint64_t>(g[REG_CSGSFS]);
  PutAt<uint16_t>(c, kSegCs, static_cast<uint16_t>(csgsfs & 0xFFFF));
  PutAt<uint16_t>(c, kSegGs, static_cast<uint16_t>((csgsfs >> 16) & 0xFFFF));
  PutAt<uint16_t>(c, kSegFs, static_cast<uint16_t>((csgsfs >> 32) & 0xFFFF));
  PutAt<uint16_t>(c, kSegSs, static_cast<uint16_t>((csgsfs >> 48) & 0xFFFF));
  PutAt<uint32_t>(c, kEFlags, static_cast<uint32_t>(g[REG_EFL]));
  // Rax, Rcx, Rdx, Rbx, Rsp, Rbp, Rsi, Rdi, R8-R15: the record's order.
  const int order[16] = {REG_RAX, REG_RCX, REG_RDX, REG_RBX, REG_RSP, REG_RBP, REG_RSI, REG_RDI,
                         REG_R8,  REG_R9,  REG_R10, REG_R11, REG_R12, REG_R13, REG_R14, REG_R15};
  for (int i = 0; i < 16; ++i) PutAt<uint64_t>(c, kRax + 8 * i, static_cast<uint64_t>(g[order[i]]));
  PutAt<uint64_t>(c, kRip, static_cast<uint64_t>(g[REG_RIP]));
  if (uc->uc_mcontext.fpregs) {
    // The kernel's floating-point frame is the 512-byte FXSAVE image the record keeps.
    std::memcpy(c + kFloatSave, uc->uc_mcontext.fpregs, 512);
    PutAt<uint32_t>(c, kMxCsr, uc->uc_mcontext.fpregs->mxcsr);
  }
  sp = static_cast<uint64_t>(g[REG_RSP]);
  ip = static_cast<uint64_t>(g[REG_RIP]);
#else
  (void)ucontext;
#endif
}

}  // namespace

size_t SafeCopy(void* to, uint64_t address, size_t size) {
  if (size == 0) return 0;
  // One element per page: a partial read never splits an element, so the copy
  // stops exactly at the first page that is not mapped.
  constexpr size_t kMaxPieces = 64;
  iovec local{to, size};
  iovec remote[kMaxPieces];
  size_t pieces = 0;
  uint64_t at = address;
  const uint64_t end = address + size;
  while (at < end && pieces < kMaxPieces) {
    uint64_t next = (at / kPage + 1) * kPage;
    if (next > end || next < at) next = end;
    remote[pieces].iov_base = reinterpret_cast<void*>(at);
    remote[pieces].iov_len = static_cast<size_t>(next - at);
    ++pieces;
    at = next;
  }
  ssize_t n = ::process_vm_readv(::getpid(), &local, 1, remote, pieces, 0);
  if (n >= 0) return static_cast<size_t>(n);
  if (errno == EFAULT) return 0;
  return CopyThroughProcMem(static_cast<uint8_t*>(to), address, size);
}

Snapshot* PrepareSnapshot() {
  void* memory = ::mmap(nullptr, sizeof(Snapshot), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) return nullptr;
  auto* snapshot = new (memory) Snapshot;
  SnapshotHeader& h = snapshot->header;
  long cpus = ::sysconf(_SC_NPROCESSORS_ONLN);
  h.cpuCount = cpus > 0 ? static_cast<uint32_t>(cpus) : 1;
#if defined(__x86_64__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(0, &a, &b, &c, &d)) {
    h.cpuVendor[0] = b;
    h.cpuVendor[1] = d;
    h.cpuVendor[2] = c;
  }
  if (__get_cpuid(1, &a, &b, &c, &d)) {
    h.cpuVersion = a;
    h.cpuFeatures = d;
  }
#endif
  utsname name;
  if (::uname(&name) == 0) {
    std::strncpy(h.osRelease, name.release, sizeof h.osRelease - 1);
  }
  return snapshot;
}

void FreeSnapshot(Snapshot* snapshot) {
  if (snapshot) ::munmap(snapshot, sizeof(Snapshot));
}

void CaptureSnapshot(Snapshot& snapshot, int signo, const siginfo_t* info, const void* ucontext) {
  SnapshotHeader& h = snapshot.header;
  h.pid = static_cast<uint32_t>(::getpid());
  h.tid = static_cast<uint32_t>(::syscall(SYS_gettid));
  h.signo = signo;
  h.code = info ? info->si_code : 0;
  h.address = info ? reinterpret_cast<uint64_t>(info->si_addr) : 0;
  uint64_t sp = 0, ip = 0;
  if (ucontext) FillContext(h, ucontext, sp, ip);
  h.stackStart = sp >= kStackBelow ? sp - kStackBelow : 0;
  h.stackSize = sp ? static_cast<uint32_t>(SafeCopy(snapshot.stack, h.stackStart, kStackMax)) : 0;
  if (sp && h.stackSize == 0) {
    // A stack that overflowed: the pointer lies in the guard page, and the
    // stack's bytes begin at the page above it.
    h.stackStart = (sp / kPage + 1) * kPage;
    h.stackSize = static_cast<uint32_t>(SafeCopy(snapshot.stack, h.stackStart, kStackMax));
  }
  h.codeStart = ip >= kCodeMax / 2 ? ip - kCodeMax / 2 : 0;
  h.codeSize = ip ? static_cast<uint32_t>(SafeCopy(snapshot.code, h.codeStart, kCodeMax)) : 0;
  if (h.codeSize == 0) {
    // The code before the instruction may be unmapped: try from the instruction on.
    h.codeStart = ip;
    h.codeSize = ip ? static_cast<uint32_t>(SafeCopy(snapshot.code, ip, kCodeMax / 2)) : 0;
  }
  ReadMaps(snapshot);
}

}  // namespace faultdump
