// A skin file: the XML wrapper loads it and every element is read with each
// of the skin reader's value getters, on each of its attributes.
#include <tinyxml.h>

#include <string>

#include "FuzzSupport.h"
#include "XmlWalk.h"
#include "common/StringConvert.h"
#include "common/XmlDocument.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/SkinReader.h"

namespace {

void ReadAll(const UI::CSkinReader& reader, const CString& name) {
  CString text;
  int number = 0;
  DWORD word = 0;
  float real = 0;
  CSize size;
  CPoint point;
  CRect rect;
  reader.GetString(text, name);
  reader.GetInt(number, name);
  reader.GetDWORD(word, name);
  reader.GetReal(real, name);
  reader.GetBool(number, name);
  reader.GetSize(size, name);
  reader.GetPoint(point, name);
  reader.GetColor(word, name);
  reader.GetRect(rect, name, 0);
  reader.GetRect(rect, name, 1);
}

void ReadElement(void* node) {
  UI::CSkinReader reader(node);
  ReadAll(reader, L"");
  for (const TiXmlAttribute* a = static_cast<TiXmlElement*>(node)->FirstAttribute(); a; a = a->Next()) {
    CString name;
    Common::MBCS_to_CString(a->Name(), name);
    ReadAll(reader, name);
  }
  UI::CEdge edge;
  reader.GetEdge(edge);
  LOGFONTW font{};
  DWORD colour = 0;
  reader.ReadFont(font, colour);
  reader.GetFont(font, colour, L"Font");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Common::CXmlDocument document;
  if (dorvfuzz::LoadInput(document, data, size, "Skin.xml")) {
    void* root = document.PathWalk(L"UIRoot");
    dorvfuzz::WalkElements(root ? root : Common::CXmlDocument::GetFirstChild(document.PathWalk(L"SkinsRoot")),
                           ReadElement);
  }
  return 0;
}
