#include "client/sync/RenamedFolderMatch.h"

#include <algorithm>

#include "client/core/context/GlobalContext.h"
#include "client/core/db/FileDBManager.h"
#include "client/core/db/FolderDBManager.h"
#include "client/sync/SyncHelper.h"
#include "common/PathText.h"

namespace {

// The items of the gone folder's rows that the new folder holds alike.
int Shared(const SyncFolderData& gone, const juce::String& added) {
  GlobalContext* context = GetGlobalContext();
  if (!context || !context->m_pFileDBManager || !context->m_pFolderDBManager) return 0;
  int shared = 0;
  std::vector<SyncFileData> files;
  if (context->m_pFileDBManager->SelectFilesByParentID(gone.m_FolderID, files) == 0)
    for (const SyncFileData& row : files) {
      const juce::File file(added + "/" + Common::String_GetFileName(row.m_FilePath));
      if (file.existsAsFile() && SyncHelper::GetFileMD5(file.getFullPathName()) == row.m_Md5) ++shared;
    }
  std::vector<SyncFolderData> folders;
  if (context->m_pFolderDBManager->SelectFoldersByParentID(gone.m_FolderID, folders) == 0)
    for (const SyncFolderData& row : folders)
      if (juce::File(added + "/" + row.m_FolderName).isDirectory()) ++shared;
  return shared;
}

}  // namespace

std::vector<RenamedFolder> MatchRenamedFolders(const std::vector<SyncFolderData>& gone,
                                               const std::vector<juce::String>& added) {
  std::vector<RenamedFolder> pairs;
  if (gone.empty() || added.empty()) return pairs;
  std::vector<bool> taken(gone.size(), false);
  for (size_t a = 0; a < added.size(); ++a) {
    int best = 0;
    size_t bestGone = 0;
    for (size_t g = 0; g < gone.size(); ++g) {
      if (taken[g]) continue;
      const int shared = Shared(gone[g], added[a]);
      if (shared > best) {
        best = shared;
        bestGone = g;
      }
    }
    if (best == 0) continue;
    taken[bestGone] = true;
    pairs.push_back({bestGone, a});
  }
  return pairs;
}
