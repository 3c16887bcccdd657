#pragma once
// The tray's icons as resources of the program's module: 130 paused, 131
// synced, 135 offline (and every install), 136 error, and the eight frames
// 140-147 of the syncing animation. Loaded as shared handles, never destroyed.
#include "win32/Windows.h"

constexpr UINT IDI_TRAY_PAUSED = 130;
constexpr UINT IDI_TRAY_SYNCED = 131;
constexpr UINT IDI_TRAY_SYNCING = 132;  // not an image: starts the animation
constexpr UINT IDI_TRAY_OFFLINE = 135;
constexpr UINT IDI_TRAY_ERROR = 136;
constexpr UINT IDI_TRAY_FRAME_FIRST = 140;
constexpr int kTrayFrameCount = 8;

// The icon resource `id` of the program (registered on first use), at the
// small-icon size; the same handle on every call. Null for an id it doesn't carry.
HICON LoadTrayIcon(UINT id);
