#pragma once
// The step that a down rename and a down move of a file share: the file is
// moved to its new path without replacing anything there, and afterwards its
// row takes the server's record at the new path.
#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"

class DownSyncTask;
class SyncDownBaseOperation;

namespace DownOps {

// The file at the row's path holds another item's synced content, and that
// item's row is at the same path: the file is that item's, not this row's to
// move (this item's own copy is gone from here).
bool FileIsAnotherItems(const SyncFileData& row);

// The file is not at the row's path because its folder is not there either:
// the folder was renamed or moved here (while the program did not run, or a
// moment ago), and that change, still to go up, takes the row to where the
// file is. The first try waits a turn for it; a later one fetches the file
// anew. Fetched at once, the file would stand twice in the folder.
bool WaitsForFolderChange(DownSyncTask* task, const juce::String& source);

// 0 moved; 4 when the source is held by another program; 3 otherwise (an
// existing target is a conflict: both files stay). Announces the move in
// the ignore list and withdraws it when the move did not happen.
int RelocateFile(SyncDownBaseOperation& op, DownSyncTask* task, const juce::String& source,
                 const juce::String& target, int ignoreType, const juce::String& failedText);

// The server's record at the new path. When the local content was not the
// server's (the server changed the file as well), the row keeps the old
// digest and version, and a download of the server's content is queued: it
// finds an unchanged local file at the new place and replaces it.
void WriteRelocatedRow(const SyncFileData& record, const SyncFileData& oldRow, const juce::String& newPath);

// The success step of both: the row, the log, the path's state, the tips and
// the tracker's note of the change.
int FinishRelocation(SyncDownBaseOperation& op, DownSyncTask* task, const SyncFileData& oldRow,
                     const juce::String& from, const juce::String& to, const juce::String& opName);

}  // namespace DownOps
