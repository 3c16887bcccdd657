#pragma once
// Named trace loggers: each writes time-stamped lines to one file in the application-data
// folder. Obtain one with ITrace_Creater and end it with Release.
#include "mfc/Afx.h"

struct ITrace {
  // Writes one line when level is at least the logger's level (a lower level writes nothing and
  // returns true). The message is formatted printf-style with the Windows specifiers and cut to
  // 1023 characters. false for a format text longer than 1023 characters or a file error.
  virtual bool Trace(int level, bool flush, const wchar_t* format, ...) = 0;
  // Unregisters and deletes the logger.
  virtual void Release() = 0;
  virtual CString GetLogFilePath() = 0;
};

// One logger per name, compared after lower-casing and ReparsePath: a later call returns the
// same logger (its level and size are ignored), or null when that logger has been released.
ITrace* ITrace_Creater(int level, CString name, long maxBytes);

// Releases every logger still registered; the library calls it when it unloads.
void ITrace_ReleaseAll();

// Offered to the library's users; the library itself neither sets nor reads it.
extern ITrace* g_IHalvornTrace;
