#include "ui/skin/SkinReader.h"

#include <cwchar>
#include <cwctype>

#include "common/XmlDocument.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/AssData.h"
#include "ui/skin/UISkinManager.h"

namespace UI {

namespace {

using Xml = Common::CXmlDocument;

struct NamedCode {
  const wchar_t* name;
  unsigned int code;
};

constexpr NamedCode kDockStyles[] = {{L"top", DockTop},   {L"bottom", DockBottom}, {L"left", DockLeft},
                                     {L"right", DockRight}, {L"fill", DockFill},    {L"caption", DockCaption}};
constexpr NamedCode kAnchorStyles[] = {{L"topleft", AnchorTopLeft},         {L"topright", AnchorTopRight},
                                       {L"bottomleft", AnchorBottomLeft},   {L"bottomright", AnchorBottomRight},
                                       {L"topcenter", AnchorTopCenter},     {L"center", AnchorCenter},
                                       {L"bottomcenter", AnchorBottomCenter}};

bool FindCode(const CString& text, const NamedCode* table, size_t count, unsigned int& code) {
  for (size_t i = 0; i < count; ++i) {
    if (text.CompareNoCase(table[i].name) == 0) {
      code = table[i].code;
      return true;
    }
  }
  return false;
}

// Up to four integers in the list format "%d, %d, %d, %d"; the count read.
int ScanInts(const CString& text, int count, int* out) {
  int v[4] = {0, 0, 0, 0};
  const int read = std::swscanf(text, L"%d, %d, %d, %d", &v[0], &v[1], &v[2], &v[3]);
  const int got = read < 0 ? 0 : std::min(read, count);
  for (int i = 0; i < got; ++i) out[i] = v[i];
  return got;
}

constexpr const wchar_t* k5States[] = {L"Normal", L"Focus", L"Press", L"Disable", L"KBFocus"};
constexpr const wchar_t* k8States[] = {L"UncheckNormal", L"UncheckHover", L"UncheckPress",   L"CheckNormal",
                                       L"CheckHover",    L"CheckPress",   L"UncheckDisable", L"CheckDisable"};

RectF ToRectF(const CRect& r) { return RectF(r); }

}  // namespace

int CSkinReader::FindChild(CSkinReader& child, const CString& name) const {
  void* node = Xml::GetFirstChild(m_pNode, name);
  if (!node) return 0;
  child.m_pNode = node;
  child.m_bFromDefault = m_bFromDefault;
  return 1;
}

CString CSkinReader::TranslatePath(const CString& path) const {
  CUISkinManager* skins = CUISkinManager::GetInstance();
  return skins ? skins->TranslatePath(path, m_bFromDefault) : CString();
}

int CSkinReader::GetString(CString& out, const CString& name) const {
  out = name.IsEmpty() ? Xml::GetNodeText(m_pNode) : Xml::GetNodeAttribute(m_pNode, name);
  return out.IsEmpty() ? 0 : 1;
}

int CSkinReader::GetInt(int& out, const CString& name) const {
  CString text;
  if (!GetString(text, name)) return 0;
  ScanInts(text, 1, &out);
  return 1;
}

int CSkinReader::GetDWORD(DWORD& out, const CString& name) const {
  CString text;
  if (!GetString(text, name)) return 0;
  // "%i": decimal, "0x" hexadecimal or leading-zero octal, kept to 32 bits.
  const wchar_t* begin = text;
  wchar_t* end = nullptr;
  const long long value = std::wcstoll(begin, &end, 0);
  if (end != begin) out = static_cast<DWORD>(value);
  return 1;
}

int CSkinReader::GetReal(float& out, const CString& name) const {
  CString text;
  if (!GetString(text, name)) return 0;
  float value = 0;
  if (std::swscanf(text, L"%f", &value) == 1) out = value;
  return 1;
}

int CSkinReader::GetBool(int& out, const CString& name) const {
  CString text;
  if (!GetString(text, name)) return 0;
  if (text.CompareNoCase(L"T") == 0 || text.CompareNoCase(L"true") == 0) {
    out = 1;
    return 1;
  }
  if (text.CompareNoCase(L"F") == 0 || text.CompareNoCase(L"false") == 0) {
    out = 0;
    return 1;
  }
  return 0;
}

int CSkinReader::GetSize(CSize& out, const CString& name) const {
  CString text;
  if (!GetString(text, name)) return 0;
  int v[2] = {static_cast<int>(out.cx), static_cast<int>(out.cy)};
  ScanInts(text, 2, v);
  out.cx = v[0], out.cy = v[1];
  return 1;
}

int CSkinReader::GetPoint(CPoint& out, const CString& name) const {
  CString text;
  if (!GetString(text, name)) return 0;
  int v[2] = {static_cast<int>(out.x), static_cast<int>(out.y)};
  ScanInts(text, 2, v);
  out.x = v[0], out.y = v[1];
  return 1;
}

int CSkinReader::GetColor(DWORD& out, const CString& name) const {
  CString text;
  if (!GetString(text, name)) return 0;
  int v[4] = {0, 0, 0, 0};
  const int count = ScanInts(text, 4, v);
  auto byte = [](int x) { return static_cast<DWORD>(x) & 0xFF; };
  if (count == 3)
    out = 0xFF000000u | (byte(v[0]) << 16) | (byte(v[1]) << 8) | byte(v[2]);
  else if (count == 4)
    out = (byte(v[0]) << 24) | (byte(v[1]) << 16) | (byte(v[2]) << 8) | byte(v[3]);
  else
    out = 0;
  return 1;
}

int CSkinReader::GetRect(CRect& out, const CString& name, int asEdges) const {
  CString text;
  if (!GetString(text, name)) return 0;
  if (asEdges) {
    int v[4] = {static_cast<int>(out.left), static_cast<int>(out.top), static_cast<int>(out.right),
                static_cast<int>(out.bottom)};
    ScanInts(text, 4, v);
    out.SetRect(v[0], v[1], v[2], v[3]);
  } else {
    int v[4] = {static_cast<int>(out.left), static_cast<int>(out.top), static_cast<int>(out.Width()),
                static_cast<int>(out.Height())};
    ScanInts(text, 4, v);
    out.SetRect(v[0], v[1], v[0] + v[2], v[1] + v[3]);
  }
  return 1;
}

int CSkinReader::GetEdge(CEdge& out) const {
  GetRect(out.m_first, L"left", 0);
  GetRect(out.m_middle, L"mid", 0);
  GetRect(out.m_last, L"right", 0);
  GetColor(out.m_pureColor, L"PureColor");
  return 1;
}

int CSkinReader::GetFont(LOGFONTW& font, DWORD& colour, const CString& name) const {
  CSkinReader child;
  if (!FindChild(child, name)) return 0;
  child.ReadFont(font, colour);
  return 1;
}

void CSkinReader::ReadFont(LOGFONTW& font, DWORD& colour) const {
  GetColor(colour, L"TextColor");
  CString face;
  if (GetString(face, L"FontFace")) {
    // The face name holds at most LF_FACESIZE - 1 characters; longer names are cut.
    const int length = std::min(face.GetLength(), LF_FACESIZE - 1);
    for (int i = 0; i < length; ++i) font.lfFaceName[i] = face[i];
    font.lfFaceName[length] = 0;
  }
  int height = static_cast<int>(font.lfHeight);
  if (GetInt(height, L"FontSize")) font.lfHeight = height;
  int bold = 0;
  if (GetBool(bold, L"FontBold") && bold) font.lfWeight = 700;
}

int CSkinReader::ReadPiece(_ImageConfig& piece) const {
  CString file;
  if (!GetString(file, L"File")) return 0;
  const CString path = TranslatePath(file);
  if (!path.IsEmpty()) piece.m_strFile = path;
  CRect source(static_cast<int>(piece.m_rcSource.left), static_cast<int>(piece.m_rcSource.top),
               static_cast<int>(piece.m_rcSource.right), static_cast<int>(piece.m_rcSource.bottom));
  if (GetRect(source, L"Rect", 0)) piece.m_rcSource = ToRectF(source);
  GetDWORD(piece.m_color, L"Color");
  return 1;
}

int CSkinReader::GetImage(_ImageConfig& piece, const CString& name) const {
  CSkinReader child;
  if (!FindChild(child, name)) return 0;
  return child.ReadPiece(piece);
}

int CSkinReader::GetImage(_ImageEdgeConfig& piece, const CString& name) const {
  CSkinReader child;
  if (!FindChild(child, name) || !child.ReadPiece(piece)) return 0;
  CEdge edge;
  child.GetEdge(edge);
  piece.m_edge = edge;
  int horizontal = piece.m_bHorizontal;
  if (child.GetBool(horizontal, L"Hor")) piece.m_bHorizontal = horizontal;
  piece.Caculate();
  return 1;
}

int CSkinReader::GetImage(_ImageBorderConfig& piece, const CString& name) const {
  CSkinReader child;
  if (!FindChild(child, name) || !child.ReadPiece(piece)) return 0;
  CSkinReader band;
  if (child.FindChild(band, L"EdgeTop")) band.GetEdge(piece.m_top);
  band = CSkinReader();
  if (child.FindChild(band, L"EdgeCenter")) band.GetEdge(piece.m_center);
  band = CSkinReader();
  if (child.FindChild(band, L"EdgeBottom")) band.GetEdge(piece.m_bottom);
  return 1;
}

int CSkinReader::GetStateImages(_ImageConfig* states, const CString& name, const wchar_t* const* attributes,
                                int count) const {
  CSkinReader child;
  if (!states || !FindChild(child, name)) return 0;
  CString file;
  if (!child.GetString(file, L"File")) return 0;
  const CString path = TranslatePath(file);
  for (int i = 0; i < count; ++i) {
    CRect source;
    if (!child.GetRect(source, attributes[i], 0)) continue;
    if (!path.IsEmpty()) states[i].m_strFile = path;
    states[i].m_rcSource = ToRectF(source);
  }
  return 1;
}

int CSkinReader::Get5StateImage(_ImageConfig* states, const CString& name) const {
  return GetStateImages(states, name, k5States, 5);
}

int CSkinReader::Get8StateImage(_ImageConfig* states, const CString& name) const {
  return GetStateImages(states, name, k8States, 8);
}

void CSkinReader::GetAssData(_AssData* data) const {
  if (!data) return;
  GetSize(data->m_size, L"Size");
  GetRect(data->m_margin, L"Margin", 1);
  GetRect(data->m_padding, L"Padding", 1);
  CString dock;
  if (GetString(dock, L"DockStyle")) {
    FindCode(dock, kDockStyles, std::size(kDockStyles), data->m_anchor);
    return;
  }
  CString anchor;
  if (GetString(anchor, L"AnchorStyle")) FindCode(anchor, kAnchorStyles, std::size(kAnchorStyles), data->m_anchor);
}

}  // namespace UI
