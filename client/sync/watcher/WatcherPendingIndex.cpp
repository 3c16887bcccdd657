#include "client/sync/watcher/WatcherPendingIndex.h"

#include <algorithm>

#include "client/sync/watcher/FileSystemEventArgs.h"
#include "common/PathText.h"

namespace {

constexpr wchar_t kSeparator = Common::kPathSeparator;

// Whether Common::ReparsePath leaves the path as it is: no foreign separator,
// no doubled separator (nor a stray NUL, which the text functions stop at).
bool IsNormal(std::wstring_view path) {
  const wchar_t twice[2] = {kSeparator, kSeparator};
  return path.find(Common::kForeignPathSeparator) == std::wstring_view::npos &&
         path.find(std::wstring_view(twice, 2)) == std::wstring_view::npos &&
         path.find(L'\0') == std::wstring_view::npos;
}

std::wstring_view ViewOf(const CString& text) { return text.str(); }

}  // namespace

std::wstring_view FileNameView(const CString& path, CString& spare) {
  std::wstring_view text = ViewOf(path);
  if (!IsNormal(text) || (!text.empty() && text.back() == kSeparator)) {
    spare = Common::GetFileNameFromPath(path);
    return ViewOf(spare);
  }
  size_t cut = text.rfind(kSeparator);
  return cut == std::wstring_view::npos ? text : text.substr(cut + 1);
}

std::wstring_view FileDirView(const CString& path, CString& spare) {
  std::wstring_view text = ViewOf(path);
  if (!IsNormal(text)) {
    spare = Common::GetFileDirFromPath(path);
    return ViewOf(spare);
  }
  size_t cut = text.rfind(kSeparator);
  if (cut == std::wstring_view::npos) cut = text.rfind(L':');
  return cut == std::wstring_view::npos ? std::wstring_view() : text.substr(0, cut + 1);
}

CWatcherPendingIndex::CWatcherPendingIndex(std::vector<WatcherEvent> records)
    : m_records(std::move(records)),
      m_path(m_records.size()),
      m_other(m_records.size()),
      m_name(m_records.size()),
      m_prev(m_records.size()),
      m_next(m_records.size()) {
  size_t count = m_records.size();
  m_ids.reserve(count * 2);
  Intern(std::wstring_view());  // number kEmptyText
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

CWatcherPendingIndex::TextId CWatcherPendingIndex::Find(std::wstring_view text) const {
  auto found = m_ids.find(text);
  return found == m_ids.end() ? kUnknownText : found->second;
}

std::wstring_view CWatcherPendingIndex::Keep(std::wstring_view text) {
  constexpr size_t kBlockSize = 64 * 1024;
  if (text.size() > m_freeCount) {
    size_t size = std::max(kBlockSize, text.size());
    m_blocks.push_back(std::make_unique<wchar_t[]>(size));
    m_free = m_blocks.back().get();
    m_freeCount = size;
  }
  std::copy(text.begin(), text.end(), m_free);
  std::wstring_view kept(m_free, text.size());
  m_free += text.size();
  m_freeCount -= text.size();
  return kept;
}

CWatcherPendingIndex::TextId CWatcherPendingIndex::Intern(std::wstring_view text) {
  if (text.empty() && !m_ids.empty()) return kEmptyText;  // most records have no other path
  auto found = m_ids.find(text);
  if (found != m_ids.end()) return found->second;
  TextId id = static_cast<TextId>(m_ids.size());
  m_ids.emplace(Keep(text), id);
  return id;
}

void CWatcherPendingIndex::MakeTexts(size_t at) {
  const WatcherEvent& e = m_records[at];
  CString spare;
  m_path[at] = Intern(ViewOf(e.path));
  m_other[at] = Intern(ViewOf(e.otherPath));
  m_name[at] = Intern(FileNameView(e.path, spare));
}

bool CWatcherPendingIndex::Positions::Contains(size_t at) const {
  return at == m_first || std::binary_search(m_rest.begin(), m_rest.end(), at);
}

size_t CWatcherPendingIndex::Positions::FirstAfter(size_t after) const {
  if (Empty() || m_first > after) return m_first;
  auto next = std::upper_bound(m_rest.begin(), m_rest.end(), after);
  return next == m_rest.end() ? kNone : *next;
}

void CWatcherPendingIndex::Positions::Insert(size_t at) {
  if (Empty()) {
    m_first = at;
  } else if (at < m_first) {
    m_rest.insert(m_rest.begin(), m_first);
    m_first = at;
  } else if (at != m_first) {
    auto place = std::lower_bound(m_rest.begin(), m_rest.end(), at);
    if (place == m_rest.end() || *place != at) m_rest.insert(place, at);
  }
}

void CWatcherPendingIndex::Positions::Remove(size_t at) {
  if (at == m_first) {
    m_first = m_rest.empty() ? kNone : m_rest.front();
    if (!m_rest.empty()) m_rest.erase(m_rest.begin());
    return;
  }
  auto place = std::lower_bound(m_rest.begin(), m_rest.end(), at);
  if (place != m_rest.end() && *place == at) m_rest.erase(place);
}

void CWatcherPendingIndex::Apply(Key key, Term term, size_t at, Change change) {
  auto& map = m_keys[key];
  if (change == Change::kAdd) {
    map[term].Insert(at);
    return;
  }
  auto found = map.find(term);
  if (found == map.end()) return;
  found->second.Remove(at);
  if (found->second.Empty()) map.erase(found);
}

void CWatcherPendingIndex::Single(size_t at, Change change) {
  switch (m_records[at].type) {
    case WATCHER_EVENT_REMOVED:
      Apply(kRemovedByPath, One(m_path[at]), at, change);
      Apply(kRemovedByName, One(m_name[at]), at, change);
      break;
    case WATCHER_EVENT_ADDED:
      Apply(kAddedByPath, One(m_path[at]), at, change);
      Apply(kAddedByName, One(m_name[at]), at, change);
      break;
    case WATCHER_EVENT_MODIFIED:
      Apply(kModifiedByPath, One(m_path[at]), at, change);
      break;
    case WATCHER_EVENT_RENAMED:
    case WATCHER_EVENT_MOVED:
      Apply(kLeftPath, One(m_other[at]), at, change);
      break;
    default:
      break;
  }
}

void CWatcherPendingIndex::Pair(size_t first, size_t second, Change change) {
  int b = m_records[first].type;
  int c = m_records[second].type;
  if (b == WATCHER_EVENT_REMOVED && c == WATCHER_EVENT_ADDED && m_name[first] == m_name[second]) {
    Apply(kRemovedThenAddedSameName, One(m_path[second]), first, change);
  } else if (b == WATCHER_EVENT_REMOVED && c == WATCHER_EVENT_RENAMED && m_path[first] == m_path[second]) {
    Apply(kRemovedThenRenamedOntoIt, One(m_other[second]), first, change);
  } else if (b == WATCHER_EVENT_RENAMED && c == WATCHER_EVENT_REMOVED) {
    Apply(kRenamedThenRemoved, Two(m_path[first], m_path[second]), first, change);
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

WatcherEvent CWatcherPendingIndex::TakeOut(size_t at) {
  Erase(at);
  return std::move(m_records[at]);
}

void CWatcherPendingIndex::Replace(size_t at, const WatcherEvent& record) {
  Around(at, Change::kDrop);
  m_records[at] = record;
  MakeTexts(at);
  Around(at, Change::kAdd);
}

size_t CWatcherPendingIndex::FirstAfter(Key key, Term term, size_t after) const {
  const auto& map = m_keys[key];
  auto found = map.find(term);
  return found == map.end() ? kNone : found->second.FirstAfter(after);
}

void CWatcherPendingIndex::EraseBetween(Key key, Term term, size_t after, size_t before) {
  for (;;) {
    size_t at = FirstAfter(key, term, after);
    if (at == kNone || at >= before) return;
    Erase(at);
  }
}

bool CWatcherPendingIndex::Has(Key key, Term term, size_t except) const {
  const auto& map = m_keys[key];
  auto found = map.find(term);
  if (found == map.end()) return false;
  const Positions& positions = found->second;
  return positions.Size() > (positions.Contains(except) ? 1u : 0u);
}

std::vector<WatcherEvent> CWatcherPendingIndex::TakeRemaining() {
  std::vector<WatcherEvent> live;
  for (size_t at = m_head; at != kNone; at = m_next[at]) live.push_back(std::move(m_records[at]));
  return live;
}
