#include "client/sync/tasks/PendingVersionList.h"

#include <iterator>
#include <limits>

bool PendingVersionList::ParseVersionNumber(const juce::String& version, juce::int64& number) {
  const int bar = version.indexOfChar('|');
  if (bar < 1) return false;
  const juce::String text = version.substring(bar + 1);
  if (text.isEmpty() || text.length() > 19 || !text.containsOnly("0123456789")) return false;
  juce::uint64 value = 0;
  for (auto p = text.getCharPointer(); !p.isEmpty(); ++p) value = value * 10 + static_cast<juce::uint64>(*p - '0');
  if (value > static_cast<juce::uint64>(std::numeric_limits<juce::int64>::max())) return false;
  number = static_cast<juce::int64>(value);
  return true;
}

void PendingVersionList::Add(const juce::String& version) {
  juce::int64 number = 0;
  if (!ParseVersionNumber(version, number)) return;
  const juce::ScopedLock hold(m_lock);
  Entry& entry = m_versions[number];
  if (entry.count == 0) entry.text = version;
  ++entry.count;
}

void PendingVersionList::Finish(const juce::String& version,
                                const std::function<void(const juce::String&)>& store) {
  juce::int64 number = 0;
  if (!ParseVersionNumber(version, number)) return;
  const juce::ScopedLock hold(m_lock);
  auto found = m_versions.find(number);
  if (found == m_versions.end()) return;
  if (--found->second.count > 0) return;
  const bool oldest = found == m_versions.begin();
  juce::String text = found->second.text;
  m_versions.erase(found);
  if (!oldest) {
    // Stored once every older change is applied too.
    m_done[number] = text;
    return;
  }
  // The newest done version that no pending one precedes goes in its place.
  const auto limit = m_versions.empty() ? m_done.end() : m_done.lower_bound(m_versions.begin()->first);
  if (limit != m_done.begin()) {
    const auto newest = std::prev(limit);
    if (newest->first > number) text = newest->second;
    m_done.erase(m_done.begin(), limit);
  }
  if (store) store(text);
}

void PendingVersionList::Drop(const juce::String& version) {
  juce::int64 number = 0;
  if (!ParseVersionNumber(version, number)) return;
  const juce::ScopedLock hold(m_lock);
  auto found = m_versions.find(number);
  if (found != m_versions.end() && --found->second.count <= 0) m_versions.erase(found);
}

void PendingVersionList::Clear() {
  const juce::ScopedLock hold(m_lock);
  m_versions.clear();
  m_done.clear();
}

juce::StringArray PendingVersionList::GetVersions() {
  const juce::ScopedLock hold(m_lock);
  juce::StringArray texts;
  for (const auto& [number, entry] : m_versions) texts.add(entry.text);
  return texts;
}

int PendingVersionList::GetCount(const juce::String& version) {
  juce::int64 number = 0;
  if (!ParseVersionNumber(version, number)) return 0;
  const juce::ScopedLock hold(m_lock);
  auto found = m_versions.find(number);
  return found == m_versions.end() ? 0 : found->second.count;
}
