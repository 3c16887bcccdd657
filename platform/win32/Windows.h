#pragma once
// The whole Win32 subset, for code written against the Windows API.
// Each area has its own header; add one line per header here.
#include "win32/WinDef.h"
#include "win32/WinError.h"
#include "win32/Handle.h"
#include "win32/Clock.h"
#include "win32/WinUser.h"
