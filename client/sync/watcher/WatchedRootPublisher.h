#pragma once
// Where the watcher announces the directory it watches, so that the shell
// extension shows overlays under it, and withdraws it when watching stops (the
// status cache implements it). Called on the thread that calls AddDirectory and
// Stop.
#include "mfc/Afx.h"

class IWatchedRootPublisher {
 public:
  virtual void PublishRoot(const CString& root) = 0;
  virtual void ReleaseRoot() = 0;

 protected:
  ~IWatchedRootPublisher() = default;
};
