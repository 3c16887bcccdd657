#pragma once
// The whole Win32 subset, for code written against the Windows API.
// Each area has its own header; add one line per header here.
#include "win32/WinDef.h"
#include "win32/WinError.h"
#include "win32/Handle.h"
#include "win32/Files.h"
#include "win32/FileIo.h"
#include "win32/FindFile.h"
#include "win32/FileTime.h"
#include "win32/Stat.h"
#include "win32/Tick.h"
#include "win32/Module.h"
#include "win32/HResult.h"
#include "win32/ShellFolders.h"
#include "win32/CodePage.h"
