#include "ScriptAnalysis.h"

namespace usp10 {

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// Unicode's white space.
bool IsWhiteSpace(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Punctuation and symbols outside the ideographs: ASCII's, Latin-1's, the general
// punctuation block, arrows to shapes.
bool IsPunctuation(char32_t c) {
  return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60 && c != 0x5F) ||
         (c >= 0x7B && c <= 0x7E) || (c >= 0xA1 && c <= 0xBF) || c == 0xD7 || c == 0xF7 ||
         (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) || (c >= 0x2190 && c <= 0x2BFF);
}

// What a word stop looks at: a run of one class is one word, except that every
// ideograph (every Chinese, Japanese or Korean character) stands alone. Control
// characters (the terminating NUL among them) start no word.
enum class CharClass { kSpace, kWord, kIdeograph, kOther, kControl };

CharClass ClassOf(char32_t c) {
  if (IsWhiteSpace(c)) return CharClass::kSpace;
  if (IsControl(c)) return CharClass::kControl;
  if (IsPunctuation(c)) return CharClass::kOther;
  if (win32::IsWideCharacter(static_cast<wchar_t>(c))) return CharClass::kIdeograph;
  return CharClass::kWord;
}

}  // namespace

ScriptAnalysis::ScriptAnalysis(const win32::FontFace& face, const std::wstring& units) {
  const size_t n = units.size();
  m_leading.assign(n, 0);
  m_trailing.assign(n, 0);
  m_first.assign(n, 0);
  m_length.assign(n, 1);
  m_attributes.assign(n, SCRIPT_LOGATTR{});
  m_count = static_cast<int>(n);

  // The characters: a surrogate pair joined, each with its first unit.
  struct Character {
    char32_t code;
    size_t first;
    size_t length;
  };
  std::vector<Character> characters;
  for (size_t i = 0; i < n; ++i) {
    const wchar_t c = units[i];
    if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(units[i + 1])) {
      const char32_t code = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      characters.push_back({code, i, 2});
      ++i;
    } else {
      characters.push_back({static_cast<char32_t>(c), i, 1});
    }
  }

  // Widths from the face, measured over the characters that show.
  std::wstring shown;
  for (const Character& ch : characters)
    if (!IsControl(ch.code)) shown.push_back(static_cast<wchar_t>(ch.code));
  const std::vector<int> ends = face.Extents(shown);

  int x = 0;
  size_t next = 0;
  CharClass previous = CharClass::kSpace;
  for (size_t k = 0; k < characters.size(); ++k) {
    const Character& ch = characters[k];
    int end = x;
    if (!IsControl(ch.code) && next < ends.size()) end = ends[next++];
    const CharClass kind = ClassOf(ch.code);
    for (size_t u = ch.first; u < ch.first + ch.length; ++u) {
      m_leading[u] = x;
      m_trailing[u] = end;
      m_first[u] = static_cast<int>(ch.first);
      m_length[u] = static_cast<int>(ch.length);
    }
    SCRIPT_LOGATTR& a = m_attributes[ch.first];
    a.fCharStop = 1;
    a.fWhiteSpace = kind == CharClass::kSpace ? 1 : 0;
    a.fWordStop = kind != CharClass::kSpace && kind != CharClass::kControl &&
                          (k == 0 || kind == CharClass::kIdeograph || kind != previous)
                      ? 1
                      : 0;
    a.fSoftBreak = k > 0 && kind != CharClass::kSpace &&
                           (previous == CharClass::kSpace || kind == CharClass::kIdeograph ||
                            previous == CharClass::kIdeograph)
                       ? 1
                       : 0;
    previous = kind;
    x = end;
  }
}

void ScriptAnalysis::Hit(int x, int* cp, int* trailing) const {
  if (x < 0) {
    *cp = -1;
    *trailing = 1;
    return;
  }
  for (int u = 0; u < m_count; ++u) {
    const size_t i = static_cast<size_t>(u);
    if (m_first[i] != u || m_trailing[i] <= m_leading[i]) continue;  // inside a pair, or no width
    if (x < m_trailing[i]) {
      *cp = u;
      *trailing = 2 * (x - m_leading[i]) >= m_trailing[i] - m_leading[i] ? m_length[i] : 0;
      return;
    }
  }
  *cp = m_count;
  *trailing = 0;
}

}  // namespace usp10
