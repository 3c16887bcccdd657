#pragma once
// Loading a fuzz input with the XML wrapper, and visiting an element, its
// following siblings and all their descendants (to a depth of 64).
#include "FuzzSupport.h"
#include "common/StringConvert.h"
#include "common/XmlDocument.h"

namespace dorvfuzz {

// Writes the input to Home()/name and loads it into the document.
inline bool LoadInput(Common::CXmlDocument& document, const uint8_t* data, size_t size, const std::string& name) {
  CString path;
  Common::utf8_to_CString(WriteInput(data, size, name), path);
  return document.LoadFile(path) != 0;
}

template <class Visit>
void WalkElements(void* node, Visit visit, int depth = 0) {
  for (; node && depth < 64; node = Common::CXmlDocument::GetNextSibling(node)) {
    visit(node);
    WalkElements(Common::CXmlDocument::GetFirstChild(node), visit, depth + 1);
  }
}

}  // namespace dorvfuzz
