#pragma once
// Small file and folder operations on local paths. None raises an error: each
// reports failure through its result.
#include <string>

#include "mfc/Afx.h"

namespace Common {

int IsFileExist(const CString& path);
int IsDirectory(const CString& path);
// 0 when the file is missing or its status can't be read.
unsigned long long GetFileSize(const CString& path);
// "2012/03/5-07:08:09" in local time (the day without a leading zero).
int GetFileLastWriteTime(const CString& path, std::string& out);
// 32 lower-case hexadecimal digits of the MD5 of every byte of the file.
int GetFileMd5(const CString& path, CString& out);
// Appends the file's bytes to out (which is not cleared first).
int LoadFile(const CString& path, std::string& out);

// Deletes what the folder holds, going into subfolders but never through links
// (a link is removed itself). Removes the folder too when remove is non-zero and
// then returns whether that worked; else returns 1.
int EmptyFolder(const CString& folder, int remove);
// Copies the files (not subfolders) of from (ending with a separator) into to
// (ending with a separator), overwriting; 1 when every copy worked.
int CopyFolder(CString from, CString to);
// Creates the missing folders of the path; 1 when it exists afterwards.
int CreateDirRecursive(CString path);

void SafeDeleteFile(const wchar_t* path);
// Copies onto the target without losing it on failure: the copy is made beside
// it and then renamed over it. 1 on success.
int SafeCopyFile(const wchar_t* from, const wchar_t* to);
// Renames over an existing target in one step. 1 on success; on failure both
// files stay as they were.
int SafeRenameFile(const wchar_t* from, const wchar_t* to);

}  // namespace Common
