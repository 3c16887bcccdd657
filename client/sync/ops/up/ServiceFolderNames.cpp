#include "client/sync/ops/up/ServiceFolderNames.h"

#include "client/core/LogWriter.h"
#include "client/core/tasks/PullTasks.h"
#include "client/sync/ops/up/UpRequest.h"
#include "win32/Clock.h"

ServiceFolderNames& ServiceFolderNames::Get() {
  static ServiceFolderNames names;
  return names;
}

bool ServiceFolderNames::FindSameFile(const RequestHeader& header, juce::int64 folderID, const juce::String& name,
                                      const juce::String& md5, juce::int64 size, ServerFileInfo& file) {
  if (md5.isEmpty()) return false;
  ServerFileInfo candidate;
  if (!Find(header, folderID, name, kListingLifeMs, candidate)) return false;
  if (juce::String(candidate.doc.md5) != md5 || candidate.doc.size != size) return false;
  file = candidate;
  return true;
}

bool ServiceFolderNames::FindCurrentFile(const RequestHeader& header, juce::int64 folderID, const juce::String& name,
                                         ServerFileInfo& file) {
  return Find(header, folderID, name, 0, file);
}

bool ServiceFolderNames::Find(const RequestHeader& header, juce::int64 folderID, const juce::String& name,
                              juce::uint64 maxAgeMs, ServerFileInfo& file) {
  if (folderID <= 0 || name.isEmpty()) return false;
  const juce::uint64 now = win32::CurrentClock().NowMs();
  std::lock_guard<std::mutex> hold(m_lock);
  auto found = m_listings.find(folderID);
  if (found == m_listings.end() || maxAgeMs == 0 || now - found->second.takenMs > maxAgeMs) {
    GetDirFilesRequest request;
    request.header = header;
    request.id = folderID;
    request.owner = header.userId;
    request.recursive = false;
    request.getFiles = true;
    auto* task = new ImmediateSyncFromServerTask("ServiceFolderNamesTask", request);
    GetUpThreadsPool()->PostWorkTask(task, true);
    task->WaitExecuteFinishEvent();
    const bool ok = task->IsSuccess() && task->m_pReply && task->m_pReply->dir.id == folderID;
    Listing listing;
    listing.takenMs = now;
    if (ok)
      for (const auto& entry : task->m_pReply->dir.files)
        if (entry && entry->status != 1) listing.files[juce::String::fromUTF8(entry->fileName.c_str())] = *entry;
    task->SignReleaseEvent();
    if (!ok) {
      WriteLog(ErrorLog, "ServiceFolderNames::FindSameFile", "Listing the folder failed, id is " + juce::String(folderID));
      m_listings.erase(folderID);
      return false;
    }
    found = m_listings.insert_or_assign(folderID, std::move(listing)).first;
  }
  auto same = found->second.files.find(name);
  if (same == found->second.files.end()) return false;
  file = same->second;
  return true;
}

void ServiceFolderNames::Forget(juce::int64 folderID) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_listings.erase(folderID);
}

void ServiceFolderNames::Clear() {
  std::lock_guard<std::mutex> hold(m_lock);
  m_listings.clear();
}
