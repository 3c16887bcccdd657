#pragma once
// The UI library's own application object: loading the library prepares the
// thumbnail manager (its extractor and its cache's lock); unloading it releases
// the Uniscribe library and the thumbnail manager.
#include "mfc/AfxWin.h"

class CUIApp : public CWinApp {
 public:
  BOOL InitInstance() override;
  int ExitInstance() override;

 protected:
  DECLARE_MESSAGE_MAP()
};
