#include "mfc/AfxOle.h"

#include <atomic>

#include "mfc/OleControlSite.h"

namespace {
std::atomic<bool> g_containerEnabled{false};
std::atomic<COccManager*> g_manager{nullptr};
}  // namespace

void AfxEnableControlContainer(COccManager* manager) {
  g_containerEnabled = true;
  g_manager = manager;
}

bool AfxControlContainerEnabled() { return g_containerEnabled; }

COccManager* AfxGetOccManager() {
  static COccManager framework;
  COccManager* manager = g_manager;
  return manager ? manager : &framework;
}
