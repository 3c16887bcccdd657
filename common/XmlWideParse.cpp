#include "common/XmlWideParse.h"

#include "common/StringConvert.h"
#include "common/XmlParse.h"

namespace Common {

CString ParseWideText(TiXmlNode* node, const wchar_t* text, TiXmlParsingData* data, TiXmlEncoding encoding) {
  if (!node || !text) return CString();
  const std::string bytes = CString_to_MBCS(CString(text));
  const int consumed = ParseXmlNode(*node, bytes, data, encoding);
  CString out;
  if (consumed >= 0) MBCS_to_CString(bytes.c_str() + consumed, out);
  return out;
}

}  // namespace Common
