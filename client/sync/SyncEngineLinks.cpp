#include "client/sync/SyncEngineLinks.h"

#include <mutex>

namespace {

std::mutex g_linksLock;
SyncEngineLinks g_links;

template <typename F>
void Take(F& target, const F& source) {
  if (source) target = source;
}

}  // namespace

void InstallSyncEngineLinks(const SyncEngineLinks& links) {
  std::lock_guard<std::mutex> hold(g_linksLock);
  Take(g_links.setPathStatus, links.setPathStatus);
  Take(g_links.getRootStatus, links.getRootStatus);
  Take(g_links.queueServerFileAdd, links.queueServerFileAdd);
  Take(g_links.queueLocalFolderAdd, links.queueLocalFolderAdd);
  Take(g_links.queueLocalFileAdd, links.queueLocalFileAdd);
  Take(g_links.repathUpTasks, links.repathUpTasks);
  Take(g_links.ignoreProgramChange, links.ignoreProgramChange);
  Take(g_links.unignoreProgramChange, links.unignoreProgramChange);
  Take(g_links.pullFolderFromServer, links.pullFolderFromServer);
  Take(g_links.startImmediatePull, links.startImmediatePull);
  Take(g_links.isEngineIdle, links.isEngineIdle);
  Take(g_links.isLeavingPath, links.isLeavingPath);
}

void ClearSyncEngineLinks() {
  std::lock_guard<std::mutex> hold(g_linksLock);
  g_links = SyncEngineLinks();
}

SyncEngineLinks GetSyncEngineLinks() {
  std::lock_guard<std::mutex> hold(g_linksLock);
  return g_links;
}
