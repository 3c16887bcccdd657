#pragma once
// The program's private window messages between its windows: the numbers are
// fixed (a second instance of the program posts one of them across processes).
#include "win32/Windows.h"

// Posted to the main form when the storage figures came back from the service.
constexpr UINT WM_NOTIFY_SPACE_INFO = 0x242D;
// Posted by a second instance of the program: lParam 1 when its command line
// was "ExploreRefresh", else 0.
constexpr UINT WM_NOTIFY_SECOND_INSTANCE = 0x424;
// Posted by the automatic sign-in's completion callback to the main form.
constexpr UINT WM_NOTIFY_AUTO_LOGIN = 0x425;
// Posted to the main form by the settings form when it closes.
constexpr UINT WM_NOTIFY_SETFORM_CLOSED = 0x426;
// Posted to the main form by the wizard when it closes.
constexpr UINT WM_NOTIFY_WIZARD_CLOSED = 0x427;
// The set-up is complete: posted by the wizard (wParam its mode, lParam its
// merge flag) and by the settings form after re-binding the sync folder
// (wParam 2, lParam the merge flag).
constexpr UINT WM_NOTIFY_SETUP_DONE = 0x428;
// The wizard's other finishing paths (wParam mode, lParam merge flag, or 0 / 0).
constexpr UINT WM_NOTIFY_SETUP_REUSED = 0x429;
// Posted by the settings form after saving bandwidth limits.
constexpr UINT WM_NOTIFY_BANDWIDTH_CHANGED = 0x430;
// Posted by the wizard and the settings form for their help links.
constexpr UINT WM_NOTIFY_OPEN_HELP = 0x431;
// Posted by the wizard for its credit guide.
constexpr UINT WM_NOTIFY_OPEN_CREDIT_GUIDE = 0x432;
// Posted by the settings form after the user confirmed a change of account.
constexpr UINT WM_NOTIFY_CHANGE_ACCOUNT = 0x1B71;
// Posted to the open settings form when the wizard has signed an account in.
constexpr UINT WM_NOTIFY_WIZARD_SIGNED_IN = 0x1B72;
// Posted to the open settings form when the engine's start-up workflow begins.
constexpr UINT WM_NOTIFY_INIT_FLOW_BEGUN = 0x1B73;
