#include "dump/BuildId.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace faultdump {
namespace {

bool ReadAt(int fd, void* to, size_t size, uint64_t offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::pread(fd, static_cast<char*>(to) + done, size - done, static_cast<off_t>(offset + done));
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

size_t FindInNotes(int fd, const Elf64_Phdr& segment, uint8_t* out, size_t capacity) {
  uint8_t notes[2048];
  size_t size = segment.p_filesz < sizeof notes ? static_cast<size_t>(segment.p_filesz) : sizeof notes;
  if (!ReadAt(fd, notes, size, segment.p_offset)) return 0;
  size_t at = 0;
  while (at + sizeof(Elf64_Nhdr) <= size) {
    Elf64_Nhdr note;
    std::memcpy(&note, notes + at, sizeof note);
    size_t name = at + sizeof note;
    size_t desc = name + ((note.n_namesz + 3) & ~3u);
    size_t next = desc + ((note.n_descsz + 3) & ~3u);
    if (next > size || next <= at) return 0;
    if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && std::memcmp(notes + name, "GNU", 4) == 0) {
      if (note.n_descsz == 0 || note.n_descsz > capacity) return 0;
      std::memcpy(out, notes + desc, note.n_descsz);
      return note.n_descsz;
    }
    at = next;
  }
  return 0;
}

}  // namespace

size_t ReadBuildId(const char* path, uint8_t* out, size_t capacity) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  size_t found = 0;
  Elf64_Ehdr header;
  if (ReadAt(fd, &header, sizeof header, 0) && std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 &&
      header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_ident[EI_DATA] == ELFDATA2LSB &&
      header.e_phentsize == sizeof(Elf64_Phdr)) {
    for (unsigned i = 0; i < header.e_phnum && i < 64 && !found; ++i) {
      Elf64_Phdr segment;
      if (!ReadAt(fd, &segment, sizeof segment, header.e_phoff + uint64_t{i} * sizeof segment)) break;
      if (segment.p_type == PT_NOTE) found = FindInNotes(fd, segment, out, capacity);
    }
  }
  ::close(fd);
  return found;
}

}  // namespace faultdump
