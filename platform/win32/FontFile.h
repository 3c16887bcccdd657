#pragma once
// The desktop's fonts as files: fontconfig names the file and the face in it for a family
// (its own substitute when the family is not installed), and FreeType reads that face at
// its index, so that a face inside a collection (.ttc) draws like any other. Any thread.
#include <juce_graphics/juce_graphics.h>

#include <optional>
#include <string>

namespace win32 {

struct FontFileFace {
  std::string path;
  int index = 0;       // the face within the file
  std::string family;  // the family the face belongs to (not always the one asked for)
  bool bold = false;   // the face itself is bold, or italic: nothing to imitate
  bool italic = false;
};

enum class FontWeight { Regular, Bold };
enum class FontSlant { Upright, Italic };

// The face fontconfig gives for a family (UTF-8); `language` (as "zh-cn"), when given, asks
// for a face that covers it. Nothing when fontconfig finds no file at all.
std::optional<FontFileFace> MatchFontFile(const std::string& family, FontWeight weight, FontSlant slant,
                                          const char* language = nullptr);
// A typeface drawing that face (one per face, kept for the process); null when FreeType
// cannot read it or it has no outlines.
juce::Typeface::Ptr LoadFontFace(const FontFileFace& face);

}  // namespace win32
