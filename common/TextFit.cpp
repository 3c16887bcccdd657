#include "common/TextFit.h"

#include "win32/TextLayout.h"
#include "win32/TextMetrics.h"

namespace Common {

CSize GetTextSize(CWnd*, CString& text, LOGFONTW& description) {
  auto face = win32::FaceFor(description);
  return CSize(face->Width(text.str()), face->Metrics().Height());
}

void PathCompactPathInCommon(CWnd*, CString& path, LOGFONTW& description, int width) {
  auto face = win32::FaceFor(description);
  path = CString(win32::CompactPath(path.str(), width, [&face](const std::wstring& t) { return face->Width(t); }));
}

}  // namespace Common
