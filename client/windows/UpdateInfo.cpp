#include "client/windows/UpdateInfo.h"

#include <juce_core/juce_core.h>

#include <vector>

#include "client/core/GlobalConfig.h"
#include "client/core/protocol/ServerList.h"
#include "client/windows/ExeDirectory.h"
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

bool UpdateInfo::ReadUpdateXml(const std::string& path) {
  std::unique_ptr<juce::XmlElement> root = juce::XmlDocument::parse(juce::File(juce::String::fromUTF8(path.c_str())));
  if (!root) return false;
  const juce::XmlElement* version = root->getChildByName("Version");
  if (!version) return false;
  m_bSilent = version->getBoolAttribute("Silent", false);
  m_sVersionID = version->getStringAttribute("VersionID").toStdString();
  m_sDescription = version->getStringAttribute("Description").toStdString();
  m_sURL = version->getStringAttribute("URL").toStdString();
  m_sMD5 = version->getStringAttribute("MD5").toStdString();
  return !m_sVersionID.empty() && !m_sDescription.empty() && !m_sURL.empty() && !m_sMD5.empty();
}
