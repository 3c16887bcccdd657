#pragma once
// Counts the local folders that are receiving something from the server right
// now, so that Explorer shows them in transfer: the first holder of a folder
// marks it 2 in the status cache, the last one to let go marks it 1. Keys
// carry no trailing separator and compare case-sensitively.
#include <map>

#include <juce_core/juce_core.h>

class DownSyncPathRegistry {
 public:
  // Made by the first call; ended at exit.
  static DownSyncPathRegistry* GetInstance();
  static void DeleteInstance();

  void Acquire(const juce::String& path);
  // A folder that is not held is ignored.
  void Release(const juce::String& path);
  // Lets every folder go (each marked 1); the down manager's call when both
  // of its queues are empty.
  void Reset();
  // The folder's hold count (0 when not held).
  int GetHoldCount(const juce::String& path);

  ~DownSyncPathRegistry();

 private:
  DownSyncPathRegistry() = default;
  static juce::String Key(const juce::String& path);

  juce::CriticalSection m_lock;
  std::map<juce::String, int> m_holds;
};
