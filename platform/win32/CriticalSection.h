#pragma once
// CRITICAL_SECTION: a recursive lock for the threads of one process. The record
// holds a pointer to the lock itself, made by InitializeCriticalSection and freed
// by DeleteCriticalSection.
#include "win32/WinDef.h"

struct CRITICAL_SECTION {
  void* lock;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
// The spin count means nothing here; always TRUE.
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
