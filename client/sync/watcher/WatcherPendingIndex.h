#pragma once
// The pending changes of one coalescing pass as a linked list with look-ups,
// so that finding the partner of a change costs a few look-ups instead of a
// walk over every later change.
//
// Each record keeps the position it had when the pass began; "the first
// record after i that ..." is a search in the ordered positions kept
// per key. Besides single records (removals by path, additions by path and
// by file name, modifications by path) it indexes the adjacent pairs that
// open a three-record merge, and keeps both kinds in step as records are
// erased or changed.
//
// Used only inside one pass, under the owner's lock.
#include <array>
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "client/sync/watcher/WatcherEvent.h"

class CWatcherPendingIndex {
 public:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  enum Key {
    kRemovedByPath,
    kRemovedByName,
    kAddedByPath,
    kAddedByName,
    kModifiedByPath,
    kRemovedThenAddedSameName,    // (removal, addition of that name): keyed by the addition's path
    kRemovedThenRenamedOntoIt,    // (removal of p, rename onto p): keyed by the rename's old path
    kRenamedThenRemoved,          // (rename, removal): keyed by the rename's new path and the removal's path
    kKeyCount
  };

  explicit CWatcherPendingIndex(std::vector<WatcherEvent> records);

  size_t First() const { return m_head; }
  size_t Next(size_t at) const { return m_next[at]; }
  const WatcherEvent& At(size_t at) const { return m_records[at]; }
  // The file name of the record's path (as Common::GetFileNameFromPath).
  std::wstring_view NameOf(size_t at) const { return m_name[at]; }

  void Erase(size_t at);
  void Replace(size_t at, const WatcherEvent& record);

  // The first live record after `after` indexed under the key, or kNone.
  size_t FirstAfter(Key key, std::wstring_view text, size_t after) const;
  // Erases the live records strictly between `after` and `before` indexed under the key.
  void EraseBetween(Key key, std::wstring_view text, size_t after, size_t before);
  bool Has(Key key, std::wstring_view text, size_t except) const;

  static std::wstring PairText(const CString& first, const CString& second);

  // The live records in order; the index is spent afterwards.
  std::vector<WatcherEvent> TakeRemaining();

 private:
  enum class Change { kAdd, kDrop };
  void Single(size_t at, Change change);
  void Pair(size_t first, size_t second, Change change);
  void Apply(Key key, std::wstring_view text, size_t at, Change change);
  // The texts the keys are made of, kept per record while it is unchanged.
  void MakeTexts(size_t at);
  std::wstring_view Keep(std::wstring text);
  // Everything that mentions the record, itself and the pairs it is part of.
  void Around(size_t at, Change change);

  std::vector<WatcherEvent> m_records;
  // Keys are views of texts kept here, which never move, so that a key made
  // from one record's text outlives a change of that record.
  std::deque<std::wstring> m_texts;
  std::vector<std::wstring_view> m_path, m_other, m_name;
  std::vector<size_t> m_prev;
  std::vector<size_t> m_next;
  size_t m_head = kNone;
  // The positions under one key, in order; a key rarely has more than a few.
  using Positions = std::vector<size_t>;
  std::array<std::unordered_map<std::wstring_view, Positions>, kKeyCount> m_keys;
};
