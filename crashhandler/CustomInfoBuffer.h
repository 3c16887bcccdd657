#pragma once
// The custom information handed to the dump server: name/value pairs of UTF-16
// text laid end to end (name, NUL, value, NUL), zero after the last pair, in
// storage that grows in blocks of 256 bytes and is read as entries of 256 bytes.
#include <cstddef>
#include <cstdint>

class CustomInfoBuffer {
 public:
  static constexpr size_t kBlockBytes = 256;

  CustomInfoBuffer() = default;
  ~CustomInfoBuffer();
  CustomInfoBuffer(const CustomInfoBuffer&) = delete;
  CustomInfoBuffer& operator=(const CustomInfoBuffer&) = delete;

  // False when either text is null or empty (or memory runs out).
  bool AddPair(const wchar_t* name, const wchar_t* value);

  // Null while nothing was added.
  const uint8_t* Storage() const { return m_pStorage; }
  // Entries of 256 bytes that cover every used byte and at least one zero.
  size_t EntryCount() const { return (2 * m_nUsed + kBlockBytes) / kBlockBytes; }
  size_t Used() const { return m_nUsed; }  // in UTF-16 units
  size_t CapacityBlocks() const { return m_nCapacity; }

 private:
  size_t m_nUsed = 0;      // UTF-16 units
  size_t m_nCapacity = 0;  // blocks of 256 bytes
  uint8_t* m_pStorage = nullptr;
};
