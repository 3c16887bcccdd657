#include "client/windows/ExeDirectory.h"

#include "common/PathText.h"
#include "win32/Module.h"

juce::String GetExeDirectory() {
  wchar_t name[260] = {};
  ::GetModuleFileNameW(nullptr, name, 260);
  const juce::String path(name);
  int cut = path.lastIndexOfChar(Common::kPathSeparator);
  if (cut < 0) cut = path.lastIndexOfChar(L':');
  return path.substring(0, cut + 1);
}
