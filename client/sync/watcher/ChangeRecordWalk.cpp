#include "client/sync/watcher/ChangeRecordWalk.h"

#include <cstddef>
#include <cstring>
#include <optional>

#include "client/sync/watcher/FileSystemEventArgs.h"

namespace {

constexpr DWORD kHeaderBytes = offsetof(FILE_NOTIFY_INFORMATION, FileName);

struct Record {
  DWORD action;
  CString name;
  DWORD next;  // offset of the following record from the start of the buffer; 0 for none
};

// The record at `offset`, or nothing when it does not lie whole within `bytes`.
std::optional<Record> ReadRecord(const BYTE* records, DWORD bytes, DWORD offset) {
  if (offset > bytes || bytes - offset < kHeaderBytes) return std::nullopt;
  FILE_NOTIFY_INFORMATION header;
  std::memcpy(&header, records + offset, kHeaderBytes);
  if (header.FileNameLength % sizeof(WCHAR) || header.FileNameLength > bytes - offset - kHeaderBytes) {
    return std::nullopt;
  }
  std::wstring name(header.FileNameLength / sizeof(WCHAR), L'\0');
  std::memcpy(name.data(), records + offset + kHeaderBytes, header.FileNameLength);
  DWORD next = 0;
  if (header.NextEntryOffset) {
    // A next record must follow this one whole, not overlap it.
    if (header.NextEntryOffset < kHeaderBytes + header.FileNameLength || header.NextEntryOffset % sizeof(DWORD) ||
        header.NextEntryOffset >= bytes - offset) {
      next = 0;
    } else {
      next = offset + header.NextEntryOffset;
    }
  }
  return Record{header.Action, CString(name), next};
}

}  // namespace

std::vector<WatcherChange> CChangeRecordWalk::Walk(const BYTE* records, DWORD bytes, const CString& directory) {
  std::vector<WatcherChange> changes;
  std::optional<Record> record = bytes ? ReadRecord(records, bytes, 0) : std::nullopt;
  if (m_holding) {
    m_holding = false;
    if (record && record->action == FILE_ACTION_RENAMED_NEW_NAME) {
      changes.push_back({WATCHER_EVENT_RENAMED, directory + record->name, m_heldOldPath});
      record = record->next ? ReadRecord(records, bytes, record->next) : std::nullopt;
    } else {
      changes.push_back({WATCHER_EVENT_REMOVED, m_heldOldPath, CString()});
    }
    m_heldOldPath.Empty();
  }
  while (record) {
    CString path = directory + record->name;
    std::optional<Record> next = record->next ? ReadRecord(records, bytes, record->next) : std::nullopt;
    switch (record->action) {
      case FILE_ACTION_ADDED:
      case FILE_ACTION_RENAMED_NEW_NAME:  // its old name was lost
        changes.push_back({WATCHER_EVENT_ADDED, path, CString()});
        break;
      case FILE_ACTION_REMOVED: changes.push_back({WATCHER_EVENT_REMOVED, path, CString()}); break;
      case FILE_ACTION_MODIFIED: changes.push_back({WATCHER_EVENT_MODIFIED, path, CString()}); break;
      case FILE_ACTION_RENAMED_OLD_NAME:
        if (!next) {
          m_heldOldPath = path;
          m_holding = true;
        } else if (next->action == FILE_ACTION_RENAMED_NEW_NAME) {
          changes.push_back({WATCHER_EVENT_RENAMED, directory + next->name, path});
          next = next->next ? ReadRecord(records, bytes, next->next) : std::nullopt;
        } else {
          changes.push_back({WATCHER_EVENT_REMOVED, path, CString()});
        }
        break;
      default: break;
    }
    record = std::move(next);
  }
  return changes;
}

std::vector<WatcherChange> CChangeRecordWalk::Flush() {
  std::vector<WatcherChange> changes;
  if (m_holding) changes.push_back({WATCHER_EVENT_REMOVED, m_heldOldPath, CString()});
  m_holding = false;
  m_heldOldPath.Empty();
  return changes;
}
