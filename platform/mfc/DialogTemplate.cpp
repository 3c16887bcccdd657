#include "mfc/DialogTemplate.h"

#include <map>
#include <mutex>

namespace {

std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

std::map<UINT, const DialogTemplate*>& Resources() {
  static std::map<UINT, const DialogTemplate*> resources;
  return resources;
}

// The average character of "MS Shell Dlg" at 8 points on a 96-dpi screen.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

}  // namespace

AfxDialogResource::AfxDialogResource(UINT id, const DialogTemplate& dialog) : m_id(id) {
  std::lock_guard hold(Lock());
  Resources()[id] = &dialog;
}

AfxDialogResource::~AfxDialogResource() {
  std::lock_guard hold(Lock());
  Resources().erase(m_id);
}

const DialogTemplate* AfxFindDialogTemplate(UINT id) {
  std::lock_guard hold(Lock());
  auto found = Resources().find(id);
  return found == Resources().end() ? nullptr : found->second;
}

void AfxMapDialogRect(RECT& rect) {
  rect.left = rect.left * kBaseUnitX / 4;
  rect.right = rect.right * kBaseUnitX / 4;
  rect.top = rect.top * kBaseUnitY / 8;
  rect.bottom = rect.bottom * kBaseUnitY / 8;
}
