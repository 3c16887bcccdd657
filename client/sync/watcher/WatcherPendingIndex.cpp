#include "client/sync/watcher/WatcherPendingIndex.h"

#include <algorithm>

#include "client/sync/watcher/FileSystemEventArgs.h"
#include "common/PathText.h"

CWatcherPendingIndex::CWatcherPendingIndex(std::vector<WatcherEvent> records)
    : m_records(std::move(records)),
      m_path(m_records.size()),
      m_other(m_records.size()),
      m_name(m_records.size()),
      m_prev(m_records.size()),
      m_next(m_records.size()) {
  size_t count = m_records.size();
  for (size_t i = 0; i < count; ++i) {
    MakeTexts(i);
    m_prev[i] = i == 0 ? kNone : i - 1;
    m_next[i] = i + 1 == count ? kNone : i + 1;
  }
  m_head = count ? 0 : kNone;
  for (auto& keys : m_keys) keys.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    Single(i, Change::kAdd);
    if (m_next[i] != kNone) Pair(i, m_next[i], Change::kAdd);
  }
}

std::wstring CWatcherPendingIndex::PairText(const CString& first, const CString& second) {
  std::wstring text(first.GetString());
  text += L'\0';
  text += second.GetString();
  return text;
}

std::wstring_view CWatcherPendingIndex::Keep(std::wstring text) { return m_texts.emplace_back(std::move(text)); }

void CWatcherPendingIndex::MakeTexts(size_t at) {
  const WatcherEvent& e = m_records[at];
  m_path[at] = Keep(e.path.GetString());
  m_other[at] = Keep(e.otherPath.GetString());
  m_name[at] = Keep(Common::GetFileNameFromPath(e.path).GetString());
}

void CWatcherPendingIndex::Apply(Key key, std::wstring_view text, size_t at, Change change) {
  auto& map = m_keys[key];
  if (change == Change::kAdd) {
    Positions& positions = map[text];
    if (positions.empty() || positions.back() < at) {
      positions.push_back(at);  // the usual case: records are indexed in order
    } else {
      auto place = std::lower_bound(positions.begin(), positions.end(), at);
      if (place == positions.end() || *place != at) positions.insert(place, at);
    }
    return;
  }
  auto found = map.find(text);
  if (found == map.end()) return;
  Positions& positions = found->second;
  auto place = std::lower_bound(positions.begin(), positions.end(), at);
  if (place != positions.end() && *place == at) positions.erase(place);
  if (positions.empty()) map.erase(found);
}

void CWatcherPendingIndex::Single(size_t at, Change change) {
  switch (m_records[at].type) {
    case WATCHER_EVENT_REMOVED:
      Apply(kRemovedByPath, m_path[at], at, change);
      Apply(kRemovedByName, m_name[at], at, change);
      break;
    case WATCHER_EVENT_ADDED:
      Apply(kAddedByPath, m_path[at], at, change);
      Apply(kAddedByName, m_name[at], at, change);
      break;
    case WATCHER_EVENT_MODIFIED:
      Apply(kModifiedByPath, m_path[at], at, change);
      break;
    default:
      break;
  }
}

void CWatcherPendingIndex::Pair(size_t first, size_t second, Change change) {
  int b = m_records[first].type;
  int c = m_records[second].type;
  if (b == WATCHER_EVENT_REMOVED && c == WATCHER_EVENT_ADDED && m_name[first] == m_name[second]) {
    Apply(kRemovedThenAddedSameName, m_path[second], first, change);
  } else if (b == WATCHER_EVENT_REMOVED && c == WATCHER_EVENT_RENAMED && m_path[first] == m_path[second]) {
    Apply(kRemovedThenRenamedOntoIt, m_other[second], first, change);
  } else if (b == WATCHER_EVENT_RENAMED && c == WATCHER_EVENT_REMOVED) {
    std::wstring text = PairText(m_records[first].path, m_records[second].path);
    Apply(kRenamedThenRemoved, change == Change::kAdd ? Keep(std::move(text)) : std::wstring_view(text), first, change);
  }
}

void CWatcherPendingIndex::Around(size_t at, Change change) {
  Single(at, change);
  if (m_prev[at] != kNone) Pair(m_prev[at], at, change);
  if (m_next[at] != kNone) Pair(at, m_next[at], change);
}

void CWatcherPendingIndex::Erase(size_t at) {
  Around(at, Change::kDrop);
  size_t prev = m_prev[at];
  size_t next = m_next[at];
  if (prev != kNone) m_next[prev] = next;
  else m_head = next;
  if (next != kNone) m_prev[next] = prev;
  m_prev[at] = m_next[at] = kNone;
  if (prev != kNone && next != kNone) Pair(prev, next, Change::kAdd);
}

void CWatcherPendingIndex::Replace(size_t at, const WatcherEvent& record) {
  Around(at, Change::kDrop);
  m_records[at] = record;
  MakeTexts(at);
  Around(at, Change::kAdd);
}

size_t CWatcherPendingIndex::FirstAfter(Key key, std::wstring_view text, size_t after) const {
  const auto& map = m_keys[key];
  auto found = map.find(text);
  if (found == map.end()) return kNone;
  const Positions& positions = found->second;
  auto next = std::upper_bound(positions.begin(), positions.end(), after);
  return next == positions.end() ? kNone : *next;
}

void CWatcherPendingIndex::EraseBetween(Key key, std::wstring_view text, size_t after, size_t before) {
  for (;;) {
    size_t at = FirstAfter(key, text, after);
    if (at == kNone || at >= before) return;
    Erase(at);
  }
}

bool CWatcherPendingIndex::Has(Key key, std::wstring_view text, size_t except) const {
  const auto& map = m_keys[key];
  auto found = map.find(text);
  if (found == map.end()) return false;
  const Positions& positions = found->second;
  bool holdsExcept = std::binary_search(positions.begin(), positions.end(), except);
  return positions.size() > (holdsExcept ? 1u : 0u);
}

std::vector<WatcherEvent> CWatcherPendingIndex::TakeRemaining() {
  std::vector<WatcherEvent> live;
  for (size_t at = m_head; at != kNone; at = m_next[at]) live.push_back(std::move(m_records[at]));
  return live;
}
