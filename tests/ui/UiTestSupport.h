#pragma once
// Helpers of the UI framework's tests: XML elements from text, and test bodies
// run inside a program folder of their own (a copy of the test program beside
// theme files), since the skin manager reads its files beside the program.
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include "TempDir.h"
#include "common/XmlDocument.h"
#include "mfc/Afx.h"

// Rectangles and sizes in failure messages, as (left, top, right, bottom).
inline void PrintTo(const CRect& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
inline void PrintTo(const CSize& s, std::ostream* os) { *os << s.cx << " x " << s.cy; }

namespace uitest {

// A document parsed from text.
class XmlText {
 public:
  explicit XmlText(const std::string& xml);
  // The element at a path of names from the root ("UIRoot css").
  void* Path(const wchar_t* path) { return m_doc.PathWalk(path); }

 private:
  dorvtest::TempDir m_dir{"dorv-xml"};
  Common::CXmlDocument m_doc;
};

// Files by path relative to the program folder, with their content.
using Files = std::map<std::string, std::string>;

// In the test process: copies this program into a fresh folder with the files,
// runs the current test there and returns false (the caller returns; failures
// of the copy fail the current test). In that copy: returns true, and the
// caller runs the test's body.
bool InProgramFolder(const Files& files);

// A skin set: the list (Default and Blue), a build file and the two skins.
Files SkinTheme(const std::string& defaultCss, const std::string& blueCss, const std::string& build = "");

}  // namespace uitest
