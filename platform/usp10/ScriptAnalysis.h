#pragma once
// One measured string of the script library: for each unit of the string where its
// character starts and ends on the line, how many units the character takes, and its
// break attributes. A surrogate pair is one character of two units; control characters
// take no width. Left to right, no shaping.
#include <string>
#include <vector>

#include "win32/TextMetrics.h"
#include "win32/Usp10.h"

namespace usp10 {

class ScriptAnalysis {
 public:
  ScriptAnalysis(const win32::FontFace& face, const std::wstring& units);

  int Count() const { return static_cast<int>(m_leading.size()); }
  const int* CountPointer() const { return &m_count; }
  const SCRIPT_LOGATTR* Attributes() const { return m_attributes.data(); }
  // The edge of the character that holds unit cp; cp within the string.
  int Leading(int cp) const { return m_leading[static_cast<size_t>(cp)]; }
  int Trailing(int cp) const { return m_trailing[static_cast<size_t>(cp)]; }
  // The unit under x and the units before the caret when x lies in the character's
  // trailing half; (-1, 1) left of the text, (count, 0) right of it.
  void Hit(int x, int* cp, int* trailing) const;

 private:
  std::vector<int> m_leading;
  std::vector<int> m_trailing;
  std::vector<int> m_first;   // the first unit of each unit's character
  std::vector<int> m_length;  // the units of each unit's character
  std::vector<SCRIPT_LOGATTR> m_attributes;
  int m_count = 0;
};

}  // namespace usp10
