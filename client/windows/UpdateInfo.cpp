#include "client/windows/UpdateInfo.h"

#include <juce_core/juce_core.h>
#include <tinyxml.h>

#include <cstring>
#include <vector>

#include "client/core/GlobalConfig.h"
#include "client/core/protocol/ServerList.h"
#include "client/windows/ExeDirectory.h"
#include "common/XmlParse.h"
#include "net/HttpRequest.h"
#include "net/HttpResponse.h"
#include "net/HttpTransport.h"

void UpdateInfo::Reset() {
  m_sLocalVersion.clear();
  m_sVersionID.clear();
  m_sURL.clear();
  m_sDescription.clear();
  m_sMD5.clear();
  m_bSilent = false;
  m_sSignature.clear();
}

bool ReadLocalVersion(UpdateInfo& info) {
  juce::FileInputStream in(juce::File(GetExeDirectory() + "Qelmark.dll"));
  if (!in.openedOk()) return false;
  const juce::int64 length = in.getTotalLength();
  if (length <= 0) return false;
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  if (in.read(buffer.data(), static_cast<int>(length)) != static_cast<int>(length)) return false;
  info.m_sLocalVersion = buffer.data();
  return true;
}

bool UpdateInfo::FetchUpdateXml() {
  // Deleted when the check ends.
  juce::TemporaryFile temporary;
  const juce::String path = temporary.getFile().getFullPathName();
  {
    Net::HttpRequest request(Net::HTTP_GET, ServerList::GetInstance()->GetUpdateXmlUrl());
    Net::HttpResponse response(path);
    Net::HttpTransport transport(false);
    transport.SetProxy(GetGlobalConfig()->GetCurrentProxy());
    // The start waits for this exchange: it is held short.
    transport.SetLimits(Net::LimitsFor(Net::RequestKind::SmallFile));
    if (!transport.Transport(request, response)) return false;
    // An error page is no description, even when it happens to be XML.
    if (response.GetStatusCode() != 200) return false;
  }
  return ReadUpdateXml(path.toStdString());
}

namespace {

std::string TextAttribute(const TiXmlElement& element, const char* name) {
  const char* value = element.Attribute(name);
  return value ? value : "";
}

// A boolean attribute reads true when its first character after white space is
// '1', 't', 'y', 'T' or 'Y'.
bool BoolAttribute(const TiXmlElement& element, const char* name, bool fallback) {
  const char* value = element.Attribute(name);
  if (!value) return fallback;
  while (*value == ' ' || *value == '\t' || *value == '\r' || *value == '\n') ++value;
  return std::strchr("1tyTY", *value) && *value;
}

}  // namespace

bool UpdateInfo::ReadUpdateXml(const std::string& path) {
  // The description comes over plain HTTP from whoever answers: TinyXML over
  // checked UTF-8 loads no DTD or entity and stays inside the text.
  TiXmlDocument document;
  if (!Common::LoadXmlFile(document, path, Common::XmlBytes::Utf8Only)) return false;
  const TiXmlElement* root = document.RootElement();
  if (!root) return false;
  const TiXmlElement* version = root->FirstChildElement("Version");
  if (!version) return false;
  m_bSilent = BoolAttribute(*version, "Silent", false);
  m_sVersionID = TextAttribute(*version, "VersionID");
  m_sDescription = TextAttribute(*version, "Description");
  m_sURL = TextAttribute(*version, "URL");
  m_sMD5 = TextAttribute(*version, "MD5");
  m_sSignature = TextAttribute(*version, "Signature");
  return !m_sVersionID.empty() && !m_sDescription.empty() && !m_sURL.empty() && !m_sMD5.empty();
}
