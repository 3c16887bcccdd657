#include "client/sync/registry/DownSyncPathRegistry.h"

#include "client/sync/LazyInstance.h"
#include "client/sync/SyncEngineLinks.h"
#include "common/PathText.h"

namespace {

LazyInstance<DownSyncPathRegistry> g_instance;

constexpr int kStatusNormal = 1;
constexpr int kStatusInTransfer = 2;

void SetPathStatus(const juce::String& path, int status) {
  const SyncEngineLinks links = GetSyncEngineLinks();
  if (links.setPathStatus) links.setPathStatus(path, status);
}

}  // namespace

DownSyncPathRegistry* DownSyncPathRegistry::GetInstance() {
  return g_instance.Get([] { return new DownSyncPathRegistry(); });
}

void DownSyncPathRegistry::DeleteInstance() { g_instance.Delete(); }

DownSyncPathRegistry::~DownSyncPathRegistry() {
  const juce::ScopedLock hold(m_lock);
  m_holds.clear();
}

juce::String DownSyncPathRegistry::Key(const juce::String& path) {
  if (path.endsWithChar(Common::kPathSeparator)) return path.dropLastCharacters(1);
  return path;
}

void DownSyncPathRegistry::Acquire(const juce::String& path) {
  const juce::String key = Key(path);
  if (key.isEmpty()) return;
  const juce::ScopedLock hold(m_lock);
  ++m_holds[key];
  SetPathStatus(key, kStatusInTransfer);
}

void DownSyncPathRegistry::Release(const juce::String& path) {
  const juce::String key = Key(path);
  if (key.isEmpty()) return;
  const juce::ScopedLock hold(m_lock);
  auto it = m_holds.find(key);
  if (it == m_holds.end()) return;
  if (--it->second <= 0) {
    SetPathStatus(key, kStatusNormal);
    m_holds.erase(it);
  }
}

void DownSyncPathRegistry::Reset() {
  const juce::ScopedLock hold(m_lock);
  for (const auto& entry : m_holds)
    if (entry.first.isNotEmpty()) SetPathStatus(entry.first, kStatusNormal);
  m_holds.clear();
}

int DownSyncPathRegistry::GetHoldCount(const juce::String& path) {
  const juce::ScopedLock hold(m_lock);
  auto it = m_holds.find(Key(path));
  return it == m_holds.end() ? 0 : it->second;
}
