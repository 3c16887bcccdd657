#pragma once
// The messages the settings form receives from the program's other windows,
// posted (wParam 0, lParam 0) while it is open; on both it reads the account
// and the sync folder again.
#include "win32/WinDef.h"

// The wizard signed a user in.
constexpr UINT WM_NOTIFY_WIZARD_SIGNED_IN = 0x1B72;
// The main form began the engine's start-up workflow.
constexpr UINT WM_NOTIFY_INIT_FLOW_BEGUN = 0x1B73;
