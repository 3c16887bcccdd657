#pragma once
// The name filter of the watcher's pipeline and of the start-up walk: names of
// files that never take part in sync (office lock files, temporary copies,
// the folder's own desktop.ini, thumbnail caches). One instance per process,
// made on first use; read-only after that, so any thread may ask.
#include <vector>

#include "mfc/Afx.h"

class CPathFilter {
 public:
  static constexpr const wchar_t* kDefaultExcludes = L"~*.tmp;~$*;desktop.ini;Thumbs.db;*~mp;*_mp;*$$$;*.cache";

  static CPathFilter* GetInstance();

  // Patterns separated by ";" (empty pieces skipped); an empty text gives no list.
  CPathFilter(const CString& includes, const CString& excludes);
  virtual ~CPathFilter() = default;

  // With no include list every name is included.
  bool IsIncluded(const CString& name) const;
  // With no exclude list nothing is excluded.
  bool IsExcluded(const CString& name) const;
  // The name part of the path is included and not excluded, and holds none of
  // the characters the service's other clients cannot name a file with
  // (\ : * ? " < > |, legal in names here).
  bool IsPathAllowed(const CString& path) const;
  static bool HasForeignNameCharacter(const CString& name);
  // The same test on the last part of a path, taken as it is on disk.
  static bool HasForeignName(const CString& path);

  // "?" one character, "*" any run (none too); letters compared lower-cased.
  static bool MatchPattern(const CString& pattern, const CString& name);

 private:
  static std::vector<CString> Split(const CString& patterns);

  std::vector<CString> m_includes;
  std::vector<CString> m_excludes;
};
