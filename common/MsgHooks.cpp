#include "common/MsgHooks.h"

#include <algorithm>
#include <vector>

namespace Common {
namespace {

using PreTranslate = int (*)(MSG*);

std::vector<HINSTANCE>& Modules() {
  static auto* modules = new std::vector<HINSTANCE>;
  return *modules;
}

}  // namespace

void RegisterMsgInstance(HINSTANCE module) { Modules().push_back(module); }

void UnRegisterMsgInstance(HINSTANCE module) {
  auto& modules = Modules();
  auto found = std::find(modules.begin(), modules.end(), module);
  if (found != modules.end()) modules.erase(found);
}

int DoMyPreTranslateMessage(MSG* message) {
  // A copy: a hook may register or unregister modules while it runs.
  std::vector<HINSTANCE> modules = Modules();
  for (HINSTANCE module : modules) {
    auto hook = reinterpret_cast<PreTranslate>(GetProcAddress(module, "MyPreTranslateMessage"));
    if (hook && hook(message)) return 1;
  }
  return 0;
}

}  // namespace Common
