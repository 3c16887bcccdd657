#pragma once
// The table of user-visible texts, keyed by "STRID_..." identifiers and read from
// the theme's UTF-8 file of key=value lines. A process-wide singleton: filled on
// the UI thread at start-up, before other threads exist, and only read after
// that, from any thread, without a lock. The library deletes it when it unloads.
#include "common/DeletedAtShutdown.h"
#include "mfc/Afx.h"

namespace Common {

class CMutiLanSupport : public CDeletedAtShutdown {
 public:
  // The one instance, created by the first call (not locked: the first call
  // comes from the UI thread during start-up). Null when it can't be allocated.
  static CMutiLanSupport* GetInstance();

  // Adds the file's lines to the table; an existing key is replaced by a line
  // of the file only. 1 when the file could be opened, else 0 (the table is
  // left as it was).
  int LoadStringTable(const CString& path);
  // The text with its "\r" and "\n" escapes resolved; empty for an empty or
  // unknown identifier.
  CString GetStringViaID(const CString& id);
  void ClearAll();

  ~CMutiLanSupport() override;

  static CMutiLanSupport* m_pInstance;

 protected:
  CMutiLanSupport();

 private:
  int AnalyzeStringTable(const CStringList& lines);

  CMapStringToString m_map;
};

}  // namespace Common
