#include "win32/FontFile.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <map>
#include <mutex>

namespace win32 {

namespace {

// One FreeType library for every face; FreeType wants the calls on one library and its
// faces serialised.
std::mutex& FreeTypeLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

FT_Library FreeType() {
  static FT_Library library = [] {
    FT_Library made = nullptr;
    return FT_Init_FreeType(&made) == 0 ? made : nullptr;
  }();
  return library;
}

// Builds a JUCE path from a glyph's outline, in units of the face's height (ascent to
// descent), y growing downwards from the baseline.
struct OutlineToPath {
  juce::Path path;
  float scale = 1.0f;
  bool open = false;

  juce::Point<float> At(const FT_Vector* v) const {
    return {static_cast<float>(v->x) * scale, -static_cast<float>(v->y) * scale};
  }
  static int Move(const FT_Vector* to, void* user) {
    auto* self = static_cast<OutlineToPath*>(user);
    if (self->open) self->path.closeSubPath();
    self->path.startNewSubPath(self->At(to));
    self->open = true;
    return 0;
  }
  static int Line(const FT_Vector* to, void* user) {
    auto* self = static_cast<OutlineToPath*>(user);
    self->path.lineTo(self->At(to));
    return 0;
  }
  static int Conic(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* self = static_cast<OutlineToPath*>(user);
    self->path.quadraticTo(self->At(control), self->At(to));
    return 0;
  }
  static int Cubic(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
    auto* self = static_cast<OutlineToPath*>(user);
    self->path.cubicTo(self->At(control1), self->At(control2), self->At(to));
    return 0;
  }
};

// A typeface whose glyphs are read from one face of a font file as they are first needed.
class FileFaceTypeface : public juce::CustomTypeface {
 public:
  explicit FileFaceTypeface(FT_Face face) : m_face(face) {
    const float height = static_cast<float>(face->ascender - face->descender);
    setCharacteristics(juce::String::fromUTF8(face->family_name ? face->family_name : ""),
                       juce::String::fromUTF8(face->style_name ? face->style_name : ""),
                       height > 0 ? static_cast<float>(face->ascender) / height : 0.8f, L' ');
  }
  ~FileFaceTypeface() override {
    std::lock_guard guard(FreeTypeLock());
    FT_Done_Face(m_face);
  }

 protected:
  bool loadGlyphIfPossible(juce::juce_wchar character) override {
    std::lock_guard guard(FreeTypeLock());
    const FT_UInt glyph = FT_Get_Char_Index(m_face, static_cast<FT_ULong>(character));
    if (glyph == 0 && character != L' ') return false;
    if (FT_Load_Glyph(m_face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0 ||
        m_face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
      return false;
    const float height = static_cast<float>(m_face->ascender - m_face->descender);
    if (height <= 0) return false;
    OutlineToPath shape;
    shape.scale = 1.0f / height;
    FT_Outline_Funcs funcs{};
    funcs.move_to = &OutlineToPath::Move;
    funcs.line_to = &OutlineToPath::Line;
    funcs.conic_to = &OutlineToPath::Conic;
    funcs.cubic_to = &OutlineToPath::Cubic;
    if (FT_Outline_Decompose(&m_face->glyph->outline, &funcs, &shape) != 0) return false;
    if (shape.open) shape.path.closeSubPath();
    addGlyph(character, shape.path, static_cast<float>(m_face->glyph->metrics.horiAdvance) / height);
    return true;
  }

 private:
  FT_Face m_face;
};

std::string StringOf(FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  return FcPatternGetString(pattern, object, 0, &value) == FcResultMatch && value
             ? std::string(reinterpret_cast<const char*>(value))
             : std::string();
}

int IntOf(FcPattern* pattern, const char* object, int fallback) {
  int value = fallback;
  return FcPatternGetInteger(pattern, object, 0, &value) == FcResultMatch ? value : fallback;
}

}  // namespace

std::optional<FontFileFace> MatchFontFile(const std::string& family, FontWeight weight, FontSlant slant,
                                          const char* language) {
  static std::once_flag started;
  static bool ready = false;
  std::call_once(started, [] { ready = FcInit() == FcTrue; });
  if (!ready) return std::nullopt;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return std::nullopt;
  if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, weight == FontWeight::Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, slant == FontSlant::Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (language) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>(language));
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;
  FontFileFace face;
  face.path = StringOf(match, FC_FILE);
  face.index = IntOf(match, FC_INDEX, 0);
  face.family = StringOf(match, FC_FAMILY);
  face.bold = IntOf(match, FC_WEIGHT, FC_WEIGHT_REGULAR) >= FC_WEIGHT_DEMIBOLD;
  face.italic = IntOf(match, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
  FcPatternDestroy(match);
  if (face.path.empty()) return std::nullopt;
  return face;
}

juce::Typeface::Ptr LoadFontFace(const FontFileFace& face) {
  static std::mutex cacheLock;
  static auto* cache = new std::map<std::pair<std::string, int>, juce::Typeface::Ptr>();
  std::lock_guard cached(cacheLock);
  const auto key = std::make_pair(face.path, face.index);
  if (auto found = cache->find(key); found != cache->end()) return found->second;
  juce::Typeface::Ptr typeface;
  {
    std::lock_guard guard(FreeTypeLock());
    FT_Face loaded = nullptr;
    if (FreeType() && FT_New_Face(FreeType(), face.path.c_str(), face.index, &loaded) == 0) {
      if (FT_IS_SCALABLE(loaded) && loaded->ascender - loaded->descender > 0)
        typeface = new FileFaceTypeface(loaded);
      else
        FT_Done_Face(loaded);
    }
  }
  (*cache)[key] = typeface;
  return typeface;
}

}  // namespace win32
