#include "dump/MinidumpWriter.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "dump/BuildId.h"

namespace faultdump {
namespace {

constexpr uint32_t kStreamCount = 6;
constexpr uint32_t kHeaderSize = 32;
constexpr uint32_t kDirectoryEntrySize = 12;

// Sequential output with a fixed buffer; offsets are file offsets (RVAs).
class Output {
 public:
  Output(int fd, uint8_t* buffer, size_t capacity) : m_fd(fd), m_buffer(buffer), m_capacity(capacity) {}

  uint32_t Offset() const { return static_cast<uint32_t>(m_offset); }
  bool Failed() const { return m_failed; }

  void Put(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0 && !m_failed) {
      if (m_used == m_capacity) Flush();
      size_t n = m_capacity - m_used < size ? m_capacity - m_used : size;
      std::memcpy(m_buffer + m_used, bytes, n);
      m_used += n;
      m_offset += n;
      bytes += n;
      size -= n;
    }
  }
  void U8(uint8_t v) { Put(&v, 1); }
  void U16(uint16_t v) { Put(&v, 2); }
  void U32(uint32_t v) { Put(&v, 4); }
  void U64(uint64_t v) { Put(&v, 8); }
  void Zeros(size_t n) {
    static const uint8_t zero[64] = {};
    while (n > 0) {
      size_t k = n < sizeof zero ? n : sizeof zero;
      Put(zero, k);
      n -= k;
    }
  }
  void Align4() { Zeros((4 - m_offset % 4) % 4); }

  void Flush() {
    size_t done = 0;
    while (done < m_used && !m_failed) {
      ssize_t n = ::write(m_fd, m_buffer + done, m_used - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0)
        m_failed = true;
      else
        done += static_cast<size_t>(n);
    }
    m_used = 0;
  }

  // Overwrites bytes already flushed.
  void PutAt(uint32_t offset, const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t done = 0;
    while (done < size && !m_failed) {
      ssize_t n = ::pwrite(m_fd, bytes + done, size - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0)
        m_failed = true;
      else
        done += static_cast<size_t>(n);
    }
  }

 private:
  int m_fd;
  uint8_t* m_buffer;
  size_t m_capacity;
  size_t m_used = 0;
  uint64_t m_offset = 0;
  bool m_failed = false;
};

struct Location {
  uint32_t size = 0;
  uint32_t rva = 0;
};

// A string record: its length in bytes, the UTF-16 text and a NUL. The UTF-8
// input is decoded leniently (a broken sequence becomes U+FFFD).
uint32_t PutString(Output& out, const char* text, size_t length) {
  out.Align4();
  uint32_t rva = out.Offset();
  // First pass counts the UTF-16 units.
  uint32_t units = 0;
  auto decode = [&](auto emit) {
    size_t i = 0;
    while (i < length) {
      auto c = static_cast<uint8_t>(text[i]);
      uint32_t cp = 0xFFFD;
      size_t n = 1;
      if (c < 0x80)
        cp = c;
      else if ((c & 0xE0) == 0xC0) {
        cp = c & 0x1F;
        n = 2;
      } else if ((c & 0xF0) == 0xE0) {
        cp = c & 0x0F;
        n = 3;
      } else if ((c & 0xF8) == 0xF0) {
        cp = c & 0x07;
        n = 4;
      }
      if (n > 1) {
        if (i + n > length) {
          cp = 0xFFFD;
          n = 1;
        } else {
          for (size_t k = 1; k < n; ++k) {
            auto cc = static_cast<uint8_t>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
              cp = 0xFFFD;
              n = 1;
              break;
            }
            cp = (cp << 6) | (cc & 0x3F);
          }
        }
      }
      if (cp > 0x10FFFF) cp = 0xFFFD;
      if (cp >= 0x10000) {
        cp -= 0x10000;
        emit(static_cast<uint16_t>(0xD800 + (cp >> 10)));
        emit(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
      } else {
        emit(static_cast<uint16_t>(cp));
      }
      i += n;
    }
  };
  decode([&](uint16_t) { ++units; });
  out.U32(units * 2);
  decode([&](uint16_t u) { out.U16(u); });
  out.U16(0);
  return rva;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

uint64_t ParseHex(const char*& p, const char* end) {
  uint64_t v = 0;
  while (p < end) {
    char c = *p;
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : -1;
    if (d < 0) break;
    v = v * 16 + static_cast<uint64_t>(d);
    ++p;
  }
  return v;
}

// Executable files from the map: a run of consecutive lines naming the same
// file is one module, from its first mapping to the end of the run.
size_t ParseModules(const char* maps, size_t size, MinidumpScratch& scratch) {
  size_t count = 0;
  bool lastExecutable = false;
  const char* p = maps;
  const char* end = maps + size;
  while (p < end) {
    const char* lineEnd = p;
    while (lineEnd < end && *lineEnd != '\n') ++lineEnd;
    const char* q = p;
    uint64_t start = ParseHex(q, lineEnd);
    if (q < lineEnd && *q == '-') ++q;
    uint64_t stop = ParseHex(q, lineEnd);
    while (q < lineEnd && IsSpace(*q)) ++q;
    bool executable = lineEnd - q >= 4 && q[2] == 'x';
    // Skip permissions, offset, device and inode to the name.
    for (int field = 0; field < 4; ++field) {
      while (q < lineEnd && !IsSpace(*q)) ++q;
      while (q < lineEnd && IsSpace(*q)) ++q;
    }
    const char* name = q;
    size_t nameLength = static_cast<size_t>(lineEnd - q);
    if (nameLength > 0 && name[0] == '/') {
      MinidumpScratch::Module* last = count ? &scratch.modules[count - 1] : nullptr;
      bool sameFile = last && last->nameLength == nameLength && std::memcmp(last->name, name, nameLength) == 0 &&
                      last->end == start;
      if (sameFile) {
        last->end = stop;
        lastExecutable = lastExecutable || executable;
      } else {
        if (last && !lastExecutable) --count;  // the previous file was data only
        if (count < kMaxModules) {
          scratch.modules[count++] = {start, stop, name, static_cast<uint32_t>(nameLength), 0, 0, 0};
          lastExecutable = executable;
        }
      }
    }
    p = lineEnd < end ? lineEnd + 1 : end;
  }
  if (count && !lastExecutable) --count;
  return count;
}

uint32_t Now() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<uint32_t>(ts.tv_sec);
}

}  // namespace

bool WriteMinidump(int fd, const SnapshotView& view, MinidumpScratch& scratch) {
  const SnapshotHeader& h = *view.header;
  Output out(fd, scratch.buffer, sizeof scratch.buffer);
  // Header and directory are written last, over this room.
  out.Zeros(kHeaderSize + kStreamCount * kDirectoryEntrySize);

  // Data that streams point into.
  uint32_t releaseRva = PutString(out, h.osRelease, ::strnlen(h.osRelease, sizeof h.osRelease));
  out.Align4();
  Location context{static_cast<uint32_t>(kContextSize), out.Offset()};
  out.Put(h.context, kContextSize);
  Location stack{h.stackSize, out.Offset()};
  out.Put(view.stack, h.stackSize);
  out.Align4();
  Location code{h.codeSize, out.Offset()};
  out.Put(view.code, h.codeSize);
  size_t moduleCount = ParseModules(view.maps, h.mapsSize, scratch);
  for (size_t i = 0; i < moduleCount; ++i) {
    auto& m = scratch.modules[i];
    m.nameRva = PutString(out, m.name, m.nameLength);
    // The build id, read from the module's file, as a CodeView record.
    m.codeViewRva = m.codeViewSize = 0;
    if (m.nameLength < sizeof scratch.path) {
      std::memcpy(scratch.path, m.name, m.nameLength);
      scratch.path[m.nameLength] = '\0';
      uint8_t id[kMaxBuildId];
      size_t length = ReadBuildId(scratch.path, id, sizeof id);
      if (length > 0) {
        out.Align4();
        m.codeViewRva = out.Offset();
        m.codeViewSize = static_cast<uint32_t>(4 + length);
        out.U32(kCodeViewElfSignature);
        out.Put(id, length);
      }
    }
  }

  struct Entry {
    uint32_t type;
    Location where;
  } directory[kStreamCount];
  size_t entries = 0;
  auto begin = [&](uint32_t type) {
    out.Align4();
    directory[entries] = {type, {0, out.Offset()}};
  };
  auto end = [&]() {
    directory[entries].where.size = out.Offset() - directory[entries].where.rva;
    ++entries;
  };

  begin(kStreamSystemInfo);
  out.U16(kArchitectureAmd64);
  out.U16(static_cast<uint16_t>((h.cpuVersion >> 8) & 0xF));                                // processor family
  out.U16(static_cast<uint16_t>(((h.cpuVersion >> 4) & 0xF) << 8 | (h.cpuVersion & 0xF)));  // model, stepping
  out.U8(static_cast<uint8_t>(h.cpuCount > 255 ? 255 : h.cpuCount));
  out.U8(1);  // a workstation
  uint32_t version[3] = {};
  const char* r = h.osRelease;
  for (int i = 0; i < 3 && *r; ++i) {
    while (*r >= '0' && *r <= '9') version[i] = version[i] * 10 + static_cast<uint32_t>(*r++ - '0');
    if (*r == '.')
      ++r;
    else
      break;
  }
  out.U32(version[0]);
  out.U32(version[1]);
  out.U32(version[2]);
  out.U32(kPlatformLinux);
  out.U32(releaseRva);
  out.U16(0);  // suite mask
  out.U16(0);
  out.U32(h.cpuVendor[0]);
  out.U32(h.cpuVendor[1]);
  out.U32(h.cpuVendor[2]);
  out.U32(h.cpuVersion);
  out.U32(h.cpuFeatures);
  out.U32(0);
  end();

  begin(kStreamThreadList);
  out.U32(1);
  out.U32(h.tid);
  out.U32(0);  // suspend count
  out.U32(0);  // priority class
  out.U32(0);  // priority
  out.U64(0);  // thread environment block
  out.U64(h.stackStart);
  out.U32(stack.size);
  out.U32(stack.rva);
  out.U32(context.size);
  out.U32(context.rva);
  end();

  begin(kStreamModuleList);
  out.U32(static_cast<uint32_t>(moduleCount));
  for (size_t i = 0; i < moduleCount; ++i) {
    const auto& m = scratch.modules[i];
    out.U64(m.base);
    uint64_t size = m.end - m.base;
    out.U32(size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size));
    out.U32(0);  // checksum
    out.U32(0);  // time stamp
    out.U32(m.nameRva);
    out.Zeros(52);  // version information
    out.U32(m.codeViewSize);
    out.U32(m.codeViewRva);
    out.Zeros(8);   // miscellaneous record
    out.Zeros(16);  // reserved
  }
  end();

  begin(kStreamException);
  out.U32(h.tid);
  out.U32(0);
  out.U32(static_cast<uint32_t>(h.signo));
  out.U32(static_cast<uint32_t>(h.code));
  out.U64(0);  // no nested record
  out.U64(h.address);
  out.U32(0);  // no parameters
  out.U32(0);
  out.Zeros(15 * 8);
  out.U32(context.size);
  out.U32(context.rva);
  end();

  begin(kStreamMemoryList);
  uint32_t ranges = (stack.size ? 1 : 0) + (code.size ? 1 : 0);
  out.U32(ranges);
  if (stack.size) {
    out.U64(h.stackStart);
    out.U32(stack.size);
    out.U32(stack.rva);
  }
  if (code.size) {
    out.U64(h.codeStart);
    out.U32(code.size);
    out.U32(code.rva);
  }
  end();

  begin(kStreamLinuxMaps);
  out.Put(view.maps, h.mapsSize);
  end();

  out.Flush();
  uint8_t head[kHeaderSize + kStreamCount * kDirectoryEntrySize] = {};
  uint32_t fields[8] = {kMinidumpSignature, kMinidumpVersion, kStreamCount, kHeaderSize, 0, Now(), 0, 0};
  std::memcpy(head, fields, sizeof fields);
  for (size_t i = 0; i < entries; ++i) {
    uint32_t e[3] = {directory[i].type, directory[i].where.size, directory[i].where.rva};
    std::memcpy(head + kHeaderSize + i * kDirectoryEntrySize, e, sizeof e);
  }
  out.PutAt(0, head, sizeof head);
  return !out.Failed();
}

}  // namespace faultdump
