#include "client/sync/LocalPathGuard.h"

#include "client/core/LogWriter.h"
#include "client/sync/records/SyncRootFolder.h"
#include "common/PathText.h"
#include "win32/Windows.h"

namespace LocalPathGuard {
namespace {

const juce::String kSeparator = juce::String::charToString(Common::kPathSeparator);

juce::String WithoutTrailingSeparator(juce::String path) {
  while (path.length() > 1 && path.endsWith(kSeparator)) path = path.dropLastCharacters(1);
  return path;
}

// The components of path below root, or false when path is not root or below it.
bool RelativeParts(const juce::String& root, const juce::String& path, juce::StringArray& parts) {
  const juce::String top = WithoutTrailingSeparator(root);
  if (top.isEmpty()) return false;
  if (path == top) return true;
  const juce::String prefix = top == kSeparator ? top : top + kSeparator;
  if (!path.startsWith(prefix)) return false;
  parts.addTokens(path.substring(prefix.length()), kSeparator, "");
  return true;
}

}  // namespace

bool IsLink(const juce::String& path) {
  if (path.isEmpty()) return false;
  const DWORD attributes = GetFileAttributesW(path.toWideCharPointer());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsThroughLink(const juce::String& path) {
  juce::StringArray parts;
  const juce::String root = WithoutTrailingSeparator(SyncRootFolder::GetInstance()->GetRootPath());
  if (!RelativeParts(root, path, parts)) return IsLink(path);
  juce::String at = root;
  for (const juce::String& part : parts) {
    at += kSeparator + part;
    const DWORD attributes = GetFileAttributesW(at.toWideCharPointer());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;  // nothing further exists to follow
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  }
  return false;
}

bool IsInsideRoot(const juce::String& path, const char* tag) {
  const juce::String root = SyncRootFolder::GetInstance()->GetRootPath();
  juce::StringArray parts;
  juce::String fault;
  if (!RelativeParts(root, path, parts)) {
    fault = "not inside the sync root";
  } else {
    for (const juce::String& part : parts)
      if (part.isEmpty() || part == "." || part == "..") fault = "a component is empty, \".\" or \"..\"";
    if (fault.isEmpty() && IsThroughLink(path)) fault = "a symbolic link is on the way";
  }
  if (fault.isEmpty()) return true;
  WriteLog(ErrorLog, tag, "Refused a path from the server's data (" + fault + "), path is " + path);
  return false;
}

bool IsValidName(const std::string& name, juce::String* reason) {
  const char* fault = nullptr;
  if (name.empty()) fault = "empty";
  else if (name == "." || name == "..") fault = "\".\" or \"..\"";
  else if (name.find_first_of(std::string("/\\\0", 3)) != std::string::npos) fault = "holds '/', '\\' or NUL";
  else if (static_cast<int>(name.size()) > kMaxNameBytes) fault = "too long for the file system";
  if (fault && reason) *reason = fault;
  return fault == nullptr;
}

bool IsValidName(const juce::String& name, juce::String* reason) {
  return IsValidName(name.toStdString(), reason);
}

void ListFolder(const juce::String& folder, std::vector<juce::String>& folders, std::vector<juce::String>& files,
                std::vector<juce::String>* links) {
  const juce::String base = folder.endsWith(kSeparator) ? folder : folder + kSeparator;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + "*").toWideCharPointer(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const juce::String name(data.cFileName);
    if (name == "." || name == "..") continue;
    const juce::String path = base + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      if (links) {
        links->push_back(path);
        continue;
      }
      WriteLog(NormalLog, "LocalPathGuard::ListFolder", "A symbolic link is not synced, path is " + path);
      continue;
    }
    (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files).push_back(path);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace LocalPathGuard
