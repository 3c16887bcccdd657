#pragma once
// The global versions of the queued down tasks, in ascending order. The
// root's stored version may only advance to a version once every task that
// carries it is done and no older one is pending, so that a restart never
// skips a change that was listed but not yet applied.
//
// Versions are "n|G" texts compared by G. A G that is not a 64-bit number
// (missing, not digits, out of range) is never listed and never stored: such
// a version would become a root version that the service can't pull from.
#include <functional>
#include <map>

#include <juce_core/juce_core.h>

class PendingVersionList {
 public:
  // The number after the first '|', when it is one.
  static bool ParseVersionNumber(const juce::String& version, juce::int64& number);

  // Lists the version (counted once more when its number is listed already).
  void Add(const juce::String& version);
  // A task carrying the version is done. When it was the last task of the
  // oldest pending version, store() runs under the list's lock with the
  // newest version done so far that no pending one precedes; the last task of
  // a newer version leaves its version to be stored with that older one.
  void Finish(const juce::String& version, const std::function<void(const juce::String&)>& store);
  // A task carrying the version ended without its change applied; its count
  // goes (dropping the whole entry would let the oldest version of
  // a still-queued task be skipped).
  void Drop(const juce::String& version);
  void Clear();

  // The listed versions' texts, oldest first (one per number).
  juce::StringArray GetVersions();
  int GetCount(const juce::String& version);

 private:
  struct Entry {
    juce::String text;
    int count = 0;
  };
  juce::CriticalSection m_lock;
  std::map<juce::int64, Entry> m_versions;
  // Versions whose tasks are all done while an older one is still pending.
  std::map<juce::int64, juce::String> m_done;
};
