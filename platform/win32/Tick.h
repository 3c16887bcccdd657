#pragma once
// GetTickCount and GetTickCount64 read the process's one replaceable clock.
#include "win32/Clock.h"
