#pragma once
// What keeps the engine's disk work inside the sync root: symbolic links are
// never followed (a walk lists them as neither file nor folder, a change to
// one is not synced), every name the service gives is one plain path
// component, and every local path built from the service's data is checked to
// lie inside the root, through no link, before anything is opened, created,
// renamed or deleted there. No state; any thread.
#include <string>
#include <vector>

#include <juce_core/juce_core.h>

namespace LocalPathGuard {

// The longest name, in bytes of the system's narrow encoding, that the local
// file system takes for one component.
constexpr int kMaxNameBytes = 255;

// The item itself is a symbolic link (or another reparse point); a link is
// never followed to answer.
bool IsLink(const juce::String& path);

// The path, or a folder between the sync root and it, is a link. Paths outside
// the root are judged by their last component alone.
bool IsThroughLink(const juce::String& path);

// The one check for a local path made from the service's data: strictly below
// the sync root (or the root itself), no empty, "." or ".." component in
// between, and no link on the way or at its end. Logs the refusal under tag.
bool IsInsideRoot(const juce::String& path, const char* tag);

// A name from the service as one path component: not empty, not "." or "..",
// no '/', '\\' or NUL, and at most kMaxNameBytes bytes. reason names the fault.
bool IsValidName(const std::string& name, juce::String* reason = nullptr);
bool IsValidName(const juce::String& name, juce::String* reason = nullptr);

// The folders and files directly in a folder, as full paths in name order.
// Links are in neither list: they go to links when it is given (a folder's
// delete or move takes the links themselves), else are noted in the log.
void ListFolder(const juce::String& folder, std::vector<juce::String>& folders, std::vector<juce::String>& files,
                std::vector<juce::String>* links = nullptr);

}  // namespace LocalPathGuard
