#pragma once
// File names in the runtime folder (win32/NamedObject.h) for named objects whose
// state lives in a file of their own (pipes, shared memory).
#include <string>

namespace win32 {

// "<runtime folder>/<prefix>.<readable part of name>-<hash of name>": the hash keeps
// names apart that differ only in the characters left out, and long names short.
std::string RuntimeFileName(const char* prefix, const std::wstring& name);

}  // namespace win32
