#pragma once
// The few words that tell the user what the engine is doing, for the tray
// icon's tip and the tray menu's status lines: the state of the network and
// the engine, the transfers with speed, count and time left, then the most
// recent changes. The text fits the tip's 127 characters with the caller's
// reserve in front of it.
#include <juce_core/juce_core.h>

#include "mfc/Afx.h"

class SyncPathList;
class SyncStatusTracker;

// One transfer line: the count, the speed in KB or MB per second and the time
// left in hours, minutes or seconds (rounded to the nearest, halves to even).
void FormatTransferTip(bool upload, CString& out, juce::int64 rate, juce::int64 count, juce::int64 secondsLeft);

// The status text of the tracker's states and the tip list's entries (either
// may be null); reserve is what the caller puts in front of it.
void BuildStatusTipText(SyncStatusTracker* tracker, SyncPathList* tipList, CString& out, int reserve);

// The tip: the version line, then a line break and the status text when
// there is one.
CString BuildTrayTip(SyncStatusTracker* tracker, SyncPathList* tipList);
