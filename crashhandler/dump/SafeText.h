#pragma once
// Bounded text helpers for the crash-time path: no allocation, no locale.
#include <cstddef>

namespace faultdump {

// Appends UTF-8 of the wide (UTF-32) text to `out` (holding `used` bytes, room
// for `capacity` with its NUL). Returns false, leaving `out` as it was, when
// the whole text does not fit.
bool AppendUtf8(char* out, size_t& used, size_t capacity, const wchar_t* text);
// Appends narrow text; false, unchanged, when it does not fit.
bool AppendText(char* out, size_t& used, size_t capacity, const char* text);
// Appends wide text to a wide buffer of `capacity` characters with its NUL;
// false, unchanged, when it does not fit.
bool AppendWide(wchar_t* out, size_t capacity, const wchar_t* text);

}  // namespace faultdump
