#pragma once
// The engine's toolbox: file facts (digest, size, time, kind, occupation),
// path tests, the per-user folder, conversions of the service's listings into
// database rows, version comparison, the download staging folder, the
// free-space test, display shortening of names and a few notices. No state.
#include <string>

#include <juce_core/juce_core.h>

#include "client/core/db/SyncFileData.h"
#include "client/core/db/SyncFolderData.h"

struct ServerDirInfo;
struct ServerFileInfo;

namespace SyncHelper {

// Below this much free space a download is not started.
constexpr juce::int64 kLowDiskSpaceBytes = 52428800;  // 50 MiB

// Path kinds of GetPathType.
enum PathType { PATH_FOLDER = 1, PATH_FILE = 2, PATH_UNKNOWN = 3 };

// 32 lower-case hex digits of the file's MD5; empty when there is no file to
// read (gone, a folder, unreadable).
juce::String GetFileMD5(const juce::String& path);
// On disk: folder or file. Gone: file when FileList knows the path, else
// folder when FolderList does, else unknown.
int GetPathType(const juce::String& path);
// The first IPv4 address of the host's name, dotted; empty on failure.
std::string GetLocalIP();
juce::String GetLocalComputerName();
bool IsFileSizeChanged(juce::int64 size, const juce::String& path);
// Compared to the second.
bool IsFileTimeChanged(const juce::String& path, juce::Time time);
juce::Time GetFileModifiedTime(const juce::String& path);
// The application-data folder + "users/<account>/".
juce::String GetUserFolder(const juce::String& account);
juce::String GetUserDBPath(const juce::String& account);
void ServerDirToSyncFolderData(const ServerDirInfo& dir, SyncFolderData& row);
// 0 for a missing file.
juce::int64 GetFileSize(const juce::String& path);
void ServerFileToSyncFileData(const ServerFileInfo& file, SyncFileData& row);
// The download staging folder with a trailing separator, made when missing:
// the program folder's "temp", or the folder DORV_STAGING_DIR names; empty
// (and logged) when it can't be made.
juce::String GetDownloadTempDirectory();
// 0 for equal texts or equal numbers after the first '|'; else 1 when a's
// number is greater, -1 otherwise.
int CompareVersionValue(const juce::String& a, const juce::String& b);
// The text after the first '|' when that '|' is not the first character.
juce::String GetVersionNumber(const juce::String& version);
// With the engine idle: the tracker's in-transfer list is cleared and the
// root's overlay state recomputed.
void RefreshTrayWhenIdle();
// True when path lies strictly below folder (exact, case-sensitive).
bool IsUnderFolder(const juce::String& folder, const juce::String& path);
// True while another program holds the file (opening it for reading and
// writing without sharing fails with a sharing violation).
bool IsFileOccupied(const juce::String& path);
// Notice, path state and tip for a file above the account's size limit.
void ReportFileTooBig(const juce::String& path);
// True when the volume that will hold path has less than 50 MiB free for the
// user; false for an empty path or when the space can't be asked.
bool IsDiskSpaceLow(const juce::String& path);
// A long base name becomes its first two characters, "..." and its last two;
// an extension is cut to the dot and three characters.
juce::String ShortenFileName(const juce::String& name);
bool IsFolderEmpty(const juce::String& path);
bool IsVip(const juce::String& userName);
void LogDownloadFromServer(juce::int64 id, const juce::String& fileName, const juce::String& op,
                           const juce::String& versionValue, const juce::String& type);
// "Thumbs.db" and "desktop.ini", without regard to case.
bool IsIgnoredFileName(const juce::String& name);

// Moves a file or folder without ever replacing what is at the target: an
// existing target makes it fail with ERROR_ALREADY_EXISTS, an occupied file
// with ERROR_SHARING_VIOLATION, a folder holding one with ERROR_ACCESS_DENIED
// (GetLastError tells which).
bool MoveWithoutReplace(const juce::String& from, const juce::String& to);
// A path beside path named "name (n).ext" (n from 1) that no file, folder or
// FileList row takes; empty when none is found.
juce::String FreeCopyPath(const juce::String& path);

}  // namespace SyncHelper
