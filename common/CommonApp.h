#pragma once
// The Common library's own application object. The library starts it when it is
// loaded and ends it when it is unloaded (at process end, after the program's
// own exit and its threads are over); ending it releases the trace loggers
// still alive and then deletes the registered singletons.
#include "mfc/Afx.h"

class CCommonApp {
 public:
  BOOL InitInstance();
  int ExitInstance();
};

// The library's one application object.
CCommonApp& GetCommonApp();
