#pragma once
// Parsing a TinyXML node from wide text, through the ANSI code page.
#include <tinyxml.h>

#include "mfc/Afx.h"

namespace Common {

// Converts text to the ANSI code page, runs node->Parse on it with the same parsing data and
// encoding, and returns the part the parse did not consume, read back from the ANSI code page.
// Empty for a null text or node, or when the parse returns nothing.
CString ParseWideText(TiXmlNode* node, const wchar_t* text, TiXmlParsingData* data, TiXmlEncoding encoding);

}  // namespace Common
