#pragma once
// What the engine's notification becomes in the tray: the balloon's title,
// text, icon kind, display time and whether a click shows the item.
#include "client/sync/SyncNotify.h"
#include "mfc/Afx.h"

struct NotifyBalloon {
  CString title;
  CString text;  // empty: takes a balloon that is up down
  int kind = 2;  // 1 error, 2 information
  UINT elapse = static_cast<UINT>(-1);  // ms; -1 (held to 30 s) or 10000
  int clickable = 0;  // a click locates the notified item
};

// The account facts some texts need.
struct NotifyAccount {
  bool vip = false;
  int fileCountLimit = 0;   // UC_FilesTotalNumLimit
  int folderCountLimit = 0;  // UC_TotalDirsNumLinit
};

// Texts from the string table; the two strings are shown from their last
// path separator on (a path by its last part).
NotifyBalloon BuildNotifyBalloon(const SyncNotifyInfo& info, const NotifyAccount& account);

// The text after the last path separator; the text itself without one.
juce::String AfterLastSeparator(const juce::String& text);
