#include "win32/TextMetrics.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "win32/FontFile.h"
#include "win32/Gdi.h"
#include "win32/GdiDc.h"
#include "win32/GdiFont.h"

namespace win32 {

namespace {

std::atomic<bool> g_testEverywhere{false};

juce::String ToJuceString(const std::wstring& text) {
  return juce::String(juce::CharPointer_UTF32(reinterpret_cast<const juce::juce_wchar*>(text.c_str())));
}

// Units of UTF-16 a character takes.
int Units(wchar_t c) { return static_cast<unsigned>(c) >= 0x10000 ? 2 : 1; }

class TestFace : public FontFace {
 public:
  explicit TestFace(const LOGFONTW& d) {
    int h = d.lfHeight == 0 ? 12 : std::abs(static_cast<int>(d.lfHeight));
    if (h < 2) h = 2;
    m_metrics.descent = h / 5;
    m_metrics.ascent = h - m_metrics.descent;
    m_metrics.externalLeading = h / 6;
    m_metrics.averageWidth = h / 2;
    m_metrics.maxWidth = h;
    m_metrics.weight = d.lfWeight == 0 ? 400 : static_cast<int>(d.lfWeight);
  }
  const FaceMetrics& Metrics() const override { return m_metrics; }
  std::vector<int> Extents(const std::wstring& text) const override {
    std::vector<int> extents;
    int x = 0;
    for (wchar_t c : text) {
      x += Advance(c);
      extents.push_back(x);
    }
    return extents;
  }
  void Draw(juce::Graphics& g, const std::wstring& text, int x, int top) const override {
    for (wchar_t c : text) {
      int advance = Advance(c);
      if (c != L' ' && c != L'\t' && advance > 2) g.fillRect(x + 1, top + 1, advance - 2, m_metrics.ascent - 1);
      x += advance;
    }
  }

 private:
  int Advance(wchar_t c) const {
    return IsWideCharacter(c) ? m_metrics.maxWidth : m_metrics.averageWidth * Units(c);
  }
  FaceMetrics m_metrics;
};

// The face with Chinese characters: the desktop's choice for Chinese text, else a plain
// TrueType file known to hold them. Null when the machine has none.
juce::Typeface::Ptr ChineseTypeface() {
  static juce::Typeface::Ptr typeface = [] {
    if (auto face = MatchFontFile("sans-serif", FontWeight::Regular, FontSlant::Upright, "zh-cn"))
      if (juce::Typeface::Ptr found = LoadFontFace(*face)) return found;
    const char* candidates[] = {
        "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
        "/usr/share/fonts/truetype/droid/DroidSansFallback.ttf",
    };
    for (const char* path : candidates) {
      juce::MemoryBlock data;
      if (juce::File(path).loadFileAsData(data) && data.getSize() > 0) {
        juce::Typeface::Ptr loaded = juce::Typeface::createSystemTypefaceFor(data.getData(), data.getSize());
        if (loaded) return loaded;
      }
    }
    return juce::Typeface::Ptr();
  }();
  return typeface;
}

bool NamesChineseFace(const juce::String& face) {
  static const char* names[] = {"SimSun", "NSimSun", "SimHei", "Microsoft YaHei", "\xe5\xae\x8b\xe4\xbd\x93",
                                "\xe5\xbe\xae\xe8\xbd\xaf\xe9\x9b\x85\xe9\xbb\x91", "\xe9\xbb\x91\xe4\xbd\x93",
                                "\xe6\x96\xb0\xe5\xae\x8b\xe4\xbd\x93"};
  for (const char* name : names)
    if (face.equalsIgnoreCase(juce::String::fromUTF8(name))) return true;
  return false;
}

// A font at the description's size: the em for a negative height, the cell for a positive one.
juce::Font Sized(juce::Font font, LONG height) {
  if (height < 0) return font.withPointHeight(static_cast<float>(-height));
  return font.withHeight(static_cast<float>(height));
}

class JuceFace : public FontFace {
 public:
  explicit JuceFace(const LOGFONTW& d) {
    juce::String face(juce::CharPointer_UTF32(reinterpret_cast<const juce::juce_wchar*>(d.lfFaceName)));
    LONG height = d.lfHeight == 0 ? -12 : d.lfHeight;
    int style = juce::Font::plain;
    bool bold = d.lfWeight >= 600;
    if (bold) style |= juce::Font::bold;
    if (d.lfItalic) style |= juce::Font::italic;
    if (d.lfUnderline) style |= juce::Font::underlined;
    juce::Typeface::Ptr chinese = ChineseTypeface();
    if (NamesChineseFace(face) && chinese) {
      m_main = Sized(juce::Font(chinese), height);
      // The face has no bold cut: a bold font is drawn with a heavier outline.
      m_main.setStyleFlags(style & ~juce::Font::bold);
      m_emboldened = bold;
    } else if (const auto file = MatchFontFile(face.toStdString(), bold ? FontWeight::Bold : FontWeight::Regular,
                                               d.lfItalic ? FontSlant::Italic : FontSlant::Upright);
               file && LoadFontFace(*file)) {
      // The family as the desktop resolves it, collections included; a family that is not
      // installed gets the desktop's own substitute, never a monospaced face.
      // Style flags would make JUCE look the face up again by name: a bold the face lacks is
      // drawn with a heavier outline instead.
      m_main = Sized(juce::Font(LoadFontFace(*file)), height);
      m_main.setUnderline(d.lfUnderline != 0);
      m_emboldened = bold && !file->bold;
    } else {
      static const juce::StringArray installed = juce::Font::findAllTypefaceNames();
      if (!installed.contains(face)) face = juce::Font::getDefaultSansSerifFontName();
      m_main = Sized(juce::Font(face, 12.0f, style), height);
    }
    if (chinese) {
      m_chinese = Sized(juce::Font(chinese), height);
      m_hasChinese = true;
    }
    m_metrics.ascent = static_cast<int>(std::ceil(m_main.getAscent()));
    m_metrics.descent = static_cast<int>(std::ceil(m_main.getDescent()));
    int em = static_cast<int>(std::lround(m_main.getHeightInPoints()));
    m_metrics.internalLeading = std::max(0, m_metrics.Height() - em);
    m_metrics.externalLeading = 0;
    m_metrics.averageWidth = static_cast<int>(std::lround(m_main.getStringWidthFloat("x")));
    m_metrics.maxWidth = std::max(em, static_cast<int>(std::ceil(m_main.getStringWidthFloat("W"))));
    m_metrics.weight = d.lfWeight == 0 ? 400 : static_cast<int>(d.lfWeight);
  }

  const FaceMetrics& Metrics() const override { return m_metrics; }

  // Every character advances by whole pixels, as a GDI font's do: the width of a text is
  // then the sum of its parts', so a caret or a selection measured on the whole line
  // stands where a piece of it drawn on its own ends.
  std::vector<int> Extents(const std::wstring& text) const override {
    std::vector<int> extents;
    int x = 0;
    ForEachRun(text, [&](const juce::Font& font, const std::wstring& run) {
      for (int advance : Advances(font, run)) extents.push_back(x += advance);
    });
    return extents;
  }

  void Draw(juce::Graphics& g, const std::wstring& text, int x, int top) const override {
    float at = static_cast<float>(x);
    float baseline = static_cast<float>(top + m_metrics.ascent);
    ForEachRun(text, [&](const juce::Font& font, const std::wstring& run) {
      juce::GlyphArrangement glyphs;
      glyphs.addLineOfText(font, ToJuceString(run), 0, baseline);
      const std::vector<int> advances = Advances(font, run);
      if (glyphs.getNumGlyphs() == static_cast<int>(advances.size())) {
        float left = at;
        for (int i = 0; i < glyphs.getNumGlyphs(); ++i) {
          juce::PositionedGlyph& glyph = glyphs.getGlyph(i);
          glyph.moveBy(left - glyph.getLeft(), 0);
          left += static_cast<float>(advances[static_cast<size_t>(i)]);
        }
      } else {
        glyphs.moveRangeOfGlyphs(0, -1, at, 0);
      }
      if (m_emboldened) {
        juce::Path outline;
        glyphs.createPath(outline);
        g.fillPath(outline);
        g.strokePath(outline, juce::PathStrokeType(std::max(0.5f, font.getHeight() / 24.0f)));
      } else {
        glyphs.draw(g);
      }
      for (int advance : Advances(font, run)) at += static_cast<float>(advance);
    });
  }

 private:
  // The whole-pixel advance of each character of a run of one face.
  static std::vector<int> Advances(const juce::Font& font, const std::wstring& run) {
    juce::Array<int> glyphs;
    juce::Array<float> offsets;
    font.getGlyphPositions(ToJuceString(run), glyphs, offsets);
    std::vector<int> advances;
    advances.reserve(run.size());
    for (size_t i = 0; i < run.size(); ++i) {
      const int n = static_cast<int>(i);
      const bool known = n + 1 < offsets.size();
      advances.push_back(known ? static_cast<int>(std::lround(offsets[n + 1] - offsets[n])) : 0);
    }
    return advances;
  }

  // Splits the text into runs of the main face and of the Chinese face.
  template <class F>
  void ForEachRun(const std::wstring& text, F&& visit) const {
    size_t start = 0;
    while (start < text.size()) {
      bool chinese = m_hasChinese && IsWideCharacter(text[start]);
      size_t end = start + 1;
      while (end < text.size() && (m_hasChinese && IsWideCharacter(text[end])) == chinese) ++end;
      visit(chinese ? m_chinese : m_main, text.substr(start, end - start));
      start = end;
    }
  }

  juce::Font m_main;
  juce::Font m_chinese;
  bool m_hasChinese = false;
  bool m_emboldened = false;
  FaceMetrics m_metrics;
};

bool IsTestFace(const LOGFONTW& d) {
  return g_testEverywhere || std::wcsncmp(d.lfFaceName, kTestFontFace, LF_FACESIZE) == 0;
}

}  // namespace

int FontFace::Width(const std::wstring& text) const {
  std::vector<int> extents = Extents(text);
  return extents.empty() ? 0 : extents.back();
}

bool IsWideCharacter(wchar_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::shared_ptr<const FontFace> FaceFor(const LOGFONTW& description) {
  static std::mutex lock;
  static auto* cache = new std::map<std::string, std::shared_ptr<const FontFace>>();
  bool test = IsTestFace(description);
  std::string key(reinterpret_cast<const char*>(&description), sizeof description);
  key += test ? 'T' : 'J';
  std::lock_guard guard(lock);
  auto found = cache->find(key);
  if (found != cache->end()) return found->second;
  std::shared_ptr<const FontFace> face;
  if (test)
    face = std::make_shared<TestFace>(description);
  else
    face = std::make_shared<JuceFace>(description);
  (*cache)[key] = face;
  return face;
}

std::shared_ptr<const FontFace> FaceOfDc(HDC dc) {
  auto* found = FindGdi<GdiDc>(dc);
  if (!found) return nullptr;
  HFONT font = found->SelectedFont() ? found->SelectedFont() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  auto* object = FindGdi<GdiFont>(font);
  return FaceFor(object ? object->Description() : DefaultGuiLogFont());
}

void UseTestFontEverywhere(bool on) { g_testEverywhere = on; }

}  // namespace win32
