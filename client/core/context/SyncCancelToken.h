#pragma once
// Shared by every sync operation: the exit command sets the flag and each
// operation stops when it sees it. The flag is read on pump threads.
#include <atomic>

#include <juce_core/juce_core.h>

struct SyncCancelToken {
  juce::String m_sText;
  std::atomic<bool> m_bCancel{false};
};
