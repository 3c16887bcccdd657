#pragma once
// The one way into TinyXML's parser. TinyXML 2.6 reads past the end of its
// text when the text ends inside a UTF-8 sequence (it steps over a whole
// sequence before looking for the terminator), so every parse here runs over a
// copy padded with NULs, and text from the network is checked to be UTF-8 first.
// TinyXML itself never loads a DTD or an external entity.
#include <tinyxml.h>

#include <string>
#include <string_view>

namespace Common {

enum class XmlBytes {
  AsFound,   // local files in whatever encoding they declare (the ANSI code page included)
  Utf8Only,  // text from outside: refused unless it is well-formed UTF-8
};

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values past U+10FFFF, no sequence cut short).
bool IsWellFormedUtf8(std::string_view bytes);

// Runs node->Parse over the bytes (up to the first NUL, as TinyXML reads text) and
// returns how many bytes it consumed, or -1 when it returned null.
int ParseXmlNode(TiXmlNode& node, std::string_view bytes, TiXmlParsingData* data, TiXmlEncoding encoding);

// Replaces the document by the one the bytes hold, line ends made "\n" as
// TiXmlDocument::LoadFile does. False when the bytes do not parse (or are not
// UTF-8 under XmlBytes::Utf8Only, which also parses them as UTF-8).
bool ParseXmlText(TiXmlDocument& doc, std::string_view bytes, XmlBytes kind,
                  TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

// Reads a regular file (at most 64 MiB) and parses it as ParseXmlText does; the
// document keeps the path as its name, so that SaveFile() writes it back there.
bool LoadXmlFile(TiXmlDocument& doc, const std::string& path, XmlBytes kind = XmlBytes::AsFound,
                 TiXmlEncoding encoding = TIXML_DEFAULT_ENCODING);

}  // namespace Common
