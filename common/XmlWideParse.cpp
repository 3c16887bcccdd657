#include "common/XmlWideParse.h"

#include "common/StringConvert.h"

namespace Common {

CString ParseWideText(TiXmlNode* node, const wchar_t* text, TiXmlParsingData* data, TiXmlEncoding encoding) {
  if (!node || !text) return CString();
  const std::string bytes = CString_to_MBCS(CString(text));
  const char* rest = node->Parse(bytes.c_str(), data, encoding);
  CString out;
  if (rest) MBCS_to_CString(rest, out);
  return out;
}

}  // namespace Common
