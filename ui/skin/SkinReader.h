#pragma once
// A cursor on one element of a skin or build file, with one getter per kind of
// attribute value. The element belongs to the skin manager's documents, which
// outlive every reader. The default-skin flag chooses the images folder that
// bare image file names resolve against.
//
// Numbers are read with the formats "%d", "%i", "%f", "%d, %d" and
// "%d, %d, %d, %d": a comma follows its number at once, blanks may follow it.
// A getter parses only non-empty text, then reports 1 whether or not a number
// was found; components not parsed keep the target's value.
#include "mfc/Afx.h"

namespace UI {

struct _AssData;
struct CEdge;
class _ImageConfig;
class _ImageEdgeConfig;
class _ImageBorderConfig;

class CSkinReader {
 public:
  CSkinReader() = default;
  explicit CSkinReader(void* node) : m_pNode(node) {}

  int IsValid() const { return m_pNode != nullptr; }
  void* GetNode() const { return m_pNode; }
  int IsFromDefault() const { return m_bFromDefault; }
  void SetFromDefault(int fromDefault) { m_bFromDefault = fromDefault; }

  // 1 with child on the first child element of that name (and this reader's
  // flag); 0 leaves child as it was.
  int FindChild(CSkinReader& child, const CString& name) const;
  CString TranslatePath(const CString& path) const;

  // out := the attribute's value (the element's text for an empty name);
  // 1 when out is not empty.
  int GetString(CString& out, const CString& name) const;
  int GetInt(int& out, const CString& name) const;
  int GetDWORD(DWORD& out, const CString& name) const;
  int GetReal(float& out, const CString& name) const;
  // "T"/"true" 1, "F"/"false" 0, any case; other text returns 0, target kept.
  int GetBool(int& out, const CString& name) const;
  int GetSize(CSize& out, const CString& name) const;
  int GetPoint(CPoint& out, const CString& name) const;
  // R, G, B (opaque) or A, R, G, B; any other count stores 0.
  int GetColor(DWORD& out, const CString& name) const;
  // asEdges 0: x, y, width, height; else left, top, right, bottom.
  int GetRect(CRect& out, const CString& name, int asEdges) const;

  // The slices and pure colour of a 3-slice from this element. Always 1.
  int GetEdge(CEdge& out) const;
  // The font of the child element name over font: 0 when there is no such child.
  int GetFont(LOGFONTW& font, DWORD& colour, const CString& name) const;
  // "TextColor", "FontFace", "FontSize" and "FontBold" of this element over
  // font and colour; absent ones (and a false "FontBold") change nothing.
  void ReadFont(LOGFONTW& font, DWORD& colour) const;
  int GetImage(_ImageConfig& piece, const CString& name) const;
  int GetImage(_ImageEdgeConfig& piece, const CString& name) const;
  int GetImage(_ImageBorderConfig& piece, const CString& name) const;
  int Get5StateImage(_ImageConfig* states, const CString& name) const;
  int Get8StateImage(_ImageConfig* states, const CString& name) const;
  void GetAssData(_AssData* data) const;

 private:
  int GetStateImages(_ImageConfig* states, const CString& name, const wchar_t* const* attributes, int count) const;
  // The base piece (file, rectangle, colour) from the element itself.
  int ReadPiece(_ImageConfig& piece) const;

  void* m_pNode = nullptr;
  int m_bFromDefault = 1;
};

}  // namespace UI
