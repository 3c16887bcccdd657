#include "mfc/AfxOle.h"

#include <atomic>

namespace {
std::atomic<bool> g_containerEnabled{false};
}  // namespace

void AfxEnableControlContainer() { g_containerEnabled = true; }

bool AfxControlContainerEnabled() { return g_containerEnabled; }
