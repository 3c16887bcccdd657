#pragma once
// The checks a local folder passes before it becomes the sync root: not a
// system location, no more files than the account may still store, a folder
// tree at most 10 levels deep, and the user's consent when both the local
// folder and the service folder already hold content. Each refusal tells the
// user why in a message box owned by the caller's window. UI thread only.
//
// Besides, a folder is refused that is itself a symbolic link (the engine
// never follows one), that this user cannot write into (downloads could not
// land), or that lies inside the current sync root or holds it (the old
// root's files would sync into the new one, or the new root's into itself).
//
// System locations on this platform: the file-system root, the system folders
// /bin /boot /dev /etc /lib* /proc /run /sbin /sys /usr /var and everything
// below them (compared by whole path components, with their case, also after
// resolving symbolic links), and the user's home folder itself.
#include "mfc/AfxWin.h"

struct ServerDirInfo;

// 1 accepted; 0 refused (the user has been told), also when the message box
// could not be made.
int CheckSyncFolder(CString path, CWnd* owner);
// Counts the files below folder into count, descending into sub-folders
// (symbolic links are counted, never followed). 1 when the walk completed; 0
// when it stopped at a folder entered with the count past the allowance of
// the last CheckSyncFolder, or deeper than 10 levels (folder is level depth).
int CountFolderFiles(CString folder, int& count, int depth);
// 0 no question needed; 1 the user agreed to merge the local folder with the
// service folder's content; -1 the user refused, or the question could not be shown.
int CheckFolderMerge(CString path, const ServerDirInfo* serverFolder, CWnd* owner);
// True when the folder holds nothing but "desktop.ini", or cannot be listed.
bool IsFolderEmptyForSync(CString path);

// The tests of CheckSyncFolder, without the message.
bool IsSystemFolderForSync(const CString& path);
// The folder itself (not a folder above it) is a symbolic link.
bool IsLinkFolderForSync(const CString& path);
// An existing folder that this process may create files in; for the
// super-user, one whose mode also grants writing.
bool IsWritableFolderForSync(const CString& path);
// One folder lies strictly inside the other, compared after resolving links.
bool AreSyncFoldersNested(const CString& one, const CString& other);
// The files the signed-in account may still add (its file-number limit less
// its file count, at least 0), as computed by the last CheckSyncFolder.
int GetSyncFolderFileAllowance();
