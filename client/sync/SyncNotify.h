#pragma once
// How the engine reports to the windows: the tray state, a path's final state and
// user notifications. The engine never touches a window; it calls the sink that
// SyncLogic holds, from whichever engine thread is working (pumps, start-up,
// link, filters), and skips the call when no sink is set.
#include <juce_core/juce_core.h>

// Notification kinds; the window picks its balloon texts by these codes.
// 11-13 are reserved: the engine never sends them and the window ignores them.
enum SyncNotifyType {
  SNT_FILE_TOO_BIG = 0,             // a, b: see the producers (size check, error 600)
  SNT_OCCUPIED = 1,                 // a path, b "File" or "Folder"
  SNT_LOCAL_DISK_FULL = 2,          // a download path
  SNT_SERVER_SPACE_FULL = 3,        // a file name
  SNT_SERVER_ERROR = 4,
  SNT_ONE_FILE_RENAMED = 5,         // a, b: the change entry's two strings
  SNT_ONE_FILE_DELETED = 6,
  SNT_ONE_FILE_MODIFIED = 7,
  SNT_ONE_FILE_MOVED = 8,
  SNT_ONE_FILE_ADDED = 9,
  SNT_ONE_FOLDER_RENAMED = 10,
  SNT_MANY_ADDED = 14,              // a file count, b "0"
  SNT_MANY_DELETED = 15,            // a file count, b "0"
  SNT_MANY_MOVED = 16,              // a file count, b "0"
  SNT_MANY_RENAMED = 17,            // a file count, b folder count
  SNT_SYNC_COMPLETED = 18,          // a file count, b folder count or "0"
  SNT_FILE_COUNT_LIMIT = 19,        // a file name
  SNT_FOLDER_DEPTH_LIMIT = 20,      // b the product's FileMaxDepth
  SNT_BAD_REQUEST = 21,
  SNT_CANNOT_CONNECT = 22,
  SNT_SERVER_COMMON_ERROR = 23,
  SNT_LOCAL_NETWORK_ERROR = 24,
  SNT_NAME_TOO_LONG = 25,           // a path, b "File" or "Folder"
  SNT_FOLDER_COUNT_LIMIT = 26,      // a folder name
  SNT_LOCAL_PATH_TOO_LONG = 27,     // a path, b "File" or "Folder"
  SNT_PROXY_UNREACHABLE = 28,       // nothing gets through the proxy set in the settings
};

struct SyncNotifyInfo {
  int type = 0;  // a SyncNotifyType
  juce::String a;
  juce::String b;
};

// Tray state codes passed to SetTrayIcon (the resource ids of the tray icons).
enum SyncTrayIcon {
  TRAY_PAUSED = 130,
  TRAY_SYNCED = 131,
  TRAY_SYNCING = 132,  // animated
  TRAY_OFFLINE = 135,  // offline or not running
  TRAY_ERROR = 136,
};

// Final path states passed to NotifyPathStatus.
enum SyncPathState {
  SYNC_PATH_FAILED = 2,
  SYNC_PATH_SYNCED = 3,
};

// Implemented by the main window. Every operation may be called from any engine
// thread at any time and must return at once.
class ISyncNotifyUI {
 public:
  virtual void SetTrayIcon(int icon) = 0;
  virtual void NotifyPathStatus(juce::String path, int state) = 0;
  virtual void NotifySyncEvent(SyncNotifyInfo info) = 0;

 protected:
  virtual ~ISyncNotifyUI();
};
