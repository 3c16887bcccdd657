#pragma once
// The records that the main program's status cache and the Explorer extension
// exchange: the status pipe's request and reply, and the shared root mapping.
// Their bytes cross processes, so the text in them is UTF-16 little-endian
// (char16_t) in fixed fields, whatever the width of wchar_t.
#include <bit>
#include <cstdint>
#include <string>

#include "win32/CodePage.h"

static_assert(std::endian::native == std::endian::little, "the records are little-endian");

// The pipe on which the extension asks for one path's state per connection.
inline constexpr wchar_t kStatusPipeName[] = L"\\\\.\\pipe\\DorvCache";
// The shared memory with the sync root and the overlays-off flag.
inline constexpr wchar_t kShellMappingName[] = L"DorvShellFileMappingObject";

// UTF-16 code units of a path field, terminator included.
constexpr std::size_t kWirePathUnits = 260;

// The kinds of a request.
constexpr std::uint32_t kStatusKindFile = 1;
constexpr std::uint32_t kStatusKindDirectory = 2;

// The reply's flags when the server knew the path.
constexpr std::uint32_t kStatusFlagKnown = 4;

// The states of a path.
constexpr std::uint32_t kStatusNone = 0;     // not known (the server answers it as normal)
constexpr std::uint32_t kStatusNormal = 1;   // in step
constexpr std::uint32_t kStatusSyncing = 2;  // in transfer
constexpr std::uint32_t kStatusError = 3;

struct StatusPipeRequest {
  std::uint32_t kind;
  char16_t path[kWirePathUnits];  // NUL-terminated within the field
};
static_assert(sizeof(StatusPipeRequest) == 524);

struct StatusPipeReply {
  std::uint32_t flags;
  std::uint32_t status;
};
static_assert(sizeof(StatusPipeReply) == 8);

struct ShellRootMapping {
  char16_t root[kWirePathUnits];  // without a trailing separator, NUL-padded; all zero when released
  std::uint8_t disabled;          // 0 overlays on, 1 off (sync paused)
  std::uint8_t reserved;          // 0
};
static_assert(sizeof(ShellRootMapping) == 522);

// Writes `path` into a path field, NUL-padded; false (the field all zero) when it
// does not fit with its terminator.
inline bool PutWirePath(char16_t (&field)[kWirePathUnits], const std::wstring& path) {
  std::u16string units = WideToUtf16(path);
  for (auto& unit : field) unit = 0;
  if (units.size() >= kWirePathUnits || units.find(u'\0') != std::u16string::npos) return false;
  for (std::size_t i = 0; i < units.size(); ++i) field[i] = units[i];
  return true;
}

// Reads a path field up to its terminator; false (and an empty path) when the field
// holds no terminator, so that a damaged record names no path.
inline bool GetWirePath(const char16_t (&field)[kWirePathUnits], std::wstring& path) {
  path.clear();
  std::size_t length = 0;
  while (length < kWirePathUnits && field[length] != 0) ++length;
  if (length == kWirePathUnits) return false;
  path = Utf16ToWide(std::u16string_view(field, length));
  return true;
}
