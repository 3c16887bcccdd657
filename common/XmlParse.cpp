#include "common/XmlParse.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace Common {

namespace {

// Longer than any step TinyXML takes past a lead byte, so that every step past
// the terminator still lands on a NUL inside the buffer.
constexpr size_t kPadding = 8;
constexpr off_t kMaxFileBytes = 64 << 20;

std::string Padded(std::string_view bytes) {
  std::string text(bytes.substr(0, bytes.find('\0')));
  text.append(kPadding, '\0');
  return text;
}

std::string NormalisedLineEnds(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      out += bytes[i];
      continue;
    }
    out += '\n';
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  return out;
}

bool ReadRegularFile(const std::string& path, std::string& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= kMaxFileBytes;
  if (ok) {
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    bytes.resize(done);
  }
  ::close(fd);
  return ok;
}

// TinyXML's own skipping of white space (and, in UTF-8, of byte order marks).
struct TinyXmlSkip : TiXmlBase {
  using TiXmlBase::SkipWhiteSpace;
};

// An element parsed on its own asserts inside TinyXML, which ends the process,
// when its text ends right after the '<'; a document's parse never gets there,
// as it looks for a name after the '<' first.
bool ElementCanStart(const char* text, TiXmlEncoding encoding) {
  const char* start = TinyXmlSkip::SkipWhiteSpace(text, encoding);
  return !(start && start[0] == '<' && start[1] == '\0');
}

}  // namespace

bool IsWellFormedUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    if (second < low || second > high) return false;
    for (size_t k = 2; k < length; ++k)
      if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
    i += length;
  }
  return true;
}

int ParseXmlNode(TiXmlNode& node, std::string_view bytes, TiXmlParsingData* data, TiXmlEncoding encoding) {
  const std::string text = Padded(bytes);
  if (node.ToElement() && !ElementCanStart(text.c_str(), encoding)) return -1;
  const char* rest = node.Parse(text.c_str(), data, encoding);
  if (!rest) return -1;
  // A parse that stepped into the padding consumed the whole text.
  return static_cast<int>(std::min<size_t>(rest - text.c_str(), text.size() - kPadding));
}

bool ParseXmlText(TiXmlDocument& doc, std::string_view bytes, XmlBytes kind, TiXmlEncoding encoding) {
  doc.Clear();
  doc.ClearError();
  if (kind == XmlBytes::Utf8Only) {
    if (!IsWellFormedUtf8(bytes)) return false;
    encoding = TIXML_ENCODING_UTF8;
  }
  ParseXmlNode(doc, NormalisedLineEnds(bytes), nullptr, encoding);
  return !doc.Error();
}

bool LoadXmlFile(TiXmlDocument& doc, const std::string& path, XmlBytes kind, TiXmlEncoding encoding) {
  doc.Clear();
  doc.SetValue(path);
  std::string bytes;
  if (!ReadRegularFile(path, bytes)) return false;
  return ParseXmlText(doc, bytes, kind, encoding);
}

}  // namespace Common
