#pragma once
// The pending changes of one coalescing pass as a linked list with look-ups,
// so that finding the partner of a change costs a few look-ups instead of a
// walk over every later change.
//
// Each record keeps the position it had when the pass began; "the first
// record after i that ..." is a search in the ordered positions kept
// per key. Besides single records (removals by path, additions by path and
// by file name, modifications by path, renames and moves by the path they
// left) it indexes the adjacent pairs that open a three-record merge, and
// keeps both kinds in step as records are erased or changed.
//
// Every text a key is made of (a path, another path, a file name) is hashed
// once and known by its number from then on: two texts have the same number
// exactly when they are equal, character for character.
//
// Used only inside one pass, under the owner's lock.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "client/sync/watcher/WatcherEvent.h"

class CWatcherPendingIndex {
 public:
  static constexpr size_t kNone = static_cast<size_t>(-1);
  using TextId = uint32_t;
  static constexpr TextId kUnknownText = static_cast<TextId>(-1);
  static constexpr TextId kEmptyText = 0;
  // What a key is looked up by: one text, or two for the keys of pairs.
  using Term = uint64_t;

  enum Key {
    kRemovedByPath,
    kRemovedByName,
    kAddedByPath,
    kAddedByName,
    kModifiedByPath,
    kLeftPath,                    // a rename or move: keyed by its old path
    kRemovedThenAddedSameName,    // (removal, addition of that name): keyed by the addition's path
    kRemovedThenRenamedOntoIt,    // (removal of p, rename onto p): keyed by the rename's old path
    kRenamedThenRemoved,          // (rename, removal): keyed by the rename's new path and the removal's path
    kKeyCount
  };

  explicit CWatcherPendingIndex(std::vector<WatcherEvent> records);

  size_t First() const { return m_head; }
  size_t Next(size_t at) const { return m_next[at]; }
  const WatcherEvent& At(size_t at) const { return m_records[at]; }
  TextId PathOf(size_t at) const { return m_path[at]; }
  TextId OtherPathOf(size_t at) const { return m_other[at]; }
  // The file name of the record's path (as Common::GetFileNameFromPath).
  TextId NameOf(size_t at) const { return m_name[at]; }
  // The number of a text, kUnknownText when no record has had it.
  TextId Find(std::wstring_view text) const;
  // Texts are numbered from 0 up; every number is below this count.
  size_t TextCount() const { return m_ids.size(); }

  static Term One(TextId text) { return text; }
  static Term Two(TextId first, TextId second) { return (Term{first} << 32) | second; }

  void Erase(size_t at);
  // Erases the record and hands it over.
  WatcherEvent TakeOut(size_t at);
  void Replace(size_t at, const WatcherEvent& record);

  // The first live record after `after` indexed under the key, or kNone.
  size_t FirstAfter(Key key, Term term, size_t after) const;
  // Erases the live records strictly between `after` and `before` indexed under the key.
  void EraseBetween(Key key, Term term, size_t after, size_t before);
  bool Has(Key key, Term term, size_t except) const;

  // The live records in order; the index is spent afterwards.
  std::vector<WatcherEvent> TakeRemaining();

 private:
  enum class Change { kAdd, kDrop };
  void Single(size_t at, Change change);
  void Pair(size_t first, size_t second, Change change);
  void Apply(Key key, Term term, size_t at, Change change);
  TextId Intern(std::wstring_view text);
  // A copy of the text that stays where it is for the life of the index.
  std::wstring_view Keep(std::wstring_view text);
  void MakeTexts(size_t at);
  // Everything that mentions the record, itself and the pairs it is part of.
  void Around(size_t at, Change change);

  std::vector<WatcherEvent> m_records;
  // The texts, copied one after another into blocks that are never moved
  // or grown, so that the views in m_ids stay valid.
  std::vector<std::unique_ptr<wchar_t[]>> m_blocks;
  wchar_t* m_free = nullptr;  // the unused end of the last block
  size_t m_freeCount = 0;
  std::unordered_map<std::wstring_view, TextId> m_ids;
  std::vector<TextId> m_path, m_other, m_name;
  std::vector<size_t> m_prev;
  std::vector<size_t> m_next;
  size_t m_head = kNone;
  // The positions under one key, in order. A key rarely has more than one,
  // which is kept without an allocation of its own.
  class Positions {
   public:
    bool Empty() const { return m_first == kNone; }
    size_t Size() const { return Empty() ? 0 : 1 + m_rest.size(); }
    bool Contains(size_t at) const;
    size_t FirstAfter(size_t after) const;
    void Insert(size_t at);
    void Remove(size_t at);

   private:
    size_t m_first = kNone;    // the lowest
    std::vector<size_t> m_rest;  // the others, in order
  };
  std::array<std::unordered_map<Term, Positions>, kKeyCount> m_keys;
};

// The file name of a path and the folder holding it, as Common::GetFileNameFromPath
// and Common::GetFileDirFromPath give them, as views of the path itself where
// the path is already in normal form (else spare holds the text).
std::wstring_view FileNameView(const CString& path, CString& spare);
std::wstring_view FileDirView(const CString& path, CString& spare);
