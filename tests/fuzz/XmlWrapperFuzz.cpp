// The XML document wrapper over a file, every node it walks to, and the wide
// text parse.
#include <string>

#include "FuzzSupport.h"
#include "XmlWalk.h"
#include "common/XmlDocument.h"
#include "common/XmlWideParse.h"
#include "common/StringConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Common::CXmlDocument document;
  if (dorvfuzz::LoadInput(document, data, size, "wrapper.xml")) {
    dorvfuzz::WalkElements(document.PathWalk(L"UIRoot"), [](void* node) {
      Common::CXmlDocument::GetNodeName(node);
      Common::CXmlDocument::GetNodeText(node);
      Common::CXmlDocument::GetNodeAttribute(node, L"type");
    });
    void* top = document.InsertEndChild(L"Extra");
    Common::CXmlDocument::SetNodeAttribute(top, L"a", L"b");
  }
  CString text;
  Common::MBCS_to_CString(std::string(reinterpret_cast<const char*>(data), size).c_str(), text);
  TiXmlElement element("x");
  Common::ParseWideText(&element, text, nullptr, TIXML_ENCODING_UNKNOWN);
  return 0;
}
