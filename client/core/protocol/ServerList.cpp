#include "client/core/protocol/ServerList.h"

#include <cstdlib>
#include <memory>
#include <mutex>

#include "common/AppPaths.h"
#include "common/StringConvert.h"
#include "common/XmlParse.h"

namespace {

const char* const kElementNames[ServerList::EntryCount] = {
    "link_server", "app_server", "rpc_server", "upload_server", "download_server", "rsync_server", "update_xml_url"};

const char* const kDefaults[ServerList::EntryCount] = {"http://link.halvorn.net/link/service/",
                                                       "http://api.halvorn.net/app/service/",
                                                       "http://api.halvorn.net/fs/service/",
                                                       "http://dfs.halvorn.net/dfs/service/",
                                                       "http://dfs.halvorn.net/dfs/service/",
                                                       "http://dfs.halvorn.net/dfs/service/",
                                                       "http://update.halvorn.net/client/dorv/update/update.xml"};

std::unique_ptr<ServerList>& Instance() {
  static std::unique_ptr<ServerList> instance;
  return instance;
}

// Threads ask for the list from their first request on (the UI's, the
// engine's, the statistics' pool): its making and replacing are one step each.
std::mutex g_instanceLock;

}  // namespace

ServerList* ServerList::GetInstance() {
  std::lock_guard<std::mutex> hold(g_instanceLock);
  std::unique_ptr<ServerList>& instance = Instance();
  if (!instance) {
    instance = std::make_unique<ServerList>();
    instance->LoadFromFile();
  }
  return instance.get();
}

void ServerList::DeleteInstance() {
  std::unique_ptr<ServerList> gone;
  std::lock_guard<std::mutex> hold(g_instanceLock);
  gone.swap(Instance());
}

ServerList* ServerList::LoadInstance(const juce::File& file) {
  auto list = std::make_unique<ServerList>();
  list->LoadFromFile(file);
  std::lock_guard<std::mutex> hold(g_instanceLock);
  list.swap(Instance());
  return Instance().get();
}

ServerList::ServerList() {
  for (int i = 0; i < EntryCount; ++i) m_urls[i] = kDefaults[i];
}

const char* ServerList::ElementName(Entry entry) { return kElementNames[entry]; }

void ServerList::LoadFromFile() {
  // DORV_SERVER_LIST names another file: runs that share one program folder
  // each talk to their own service.
  if (const char* custom = std::getenv("DORV_SERVER_LIST"); custom && *custom) {
    LoadFromFile(juce::File(juce::String::fromUTF8(custom)));
    return;
  }
  // The program's folder: JUCE's "current executable" is the JUCE library,
  // which need not lie beside the program.
  LoadFromFile(juce::File(Common::CString_to_String(Common::GetAppPath())).getChildFile("server_list.xml"));
}

void ServerList::LoadFromFile(const juce::File& file) {
  if (!file.existsAsFile()) return;
  // Whoever can write beside the program writes this file: it goes through the
  // program's one XML parser, which loads no DTD or entity and stays inside
  // the text.
  TiXmlDocument document;
  if (!Common::LoadXmlFile(document, file.getFullPathName().toStdString())) return;
  const TiXmlElement* root = document.RootElement();
  if (!root) return;

  std::array<std::string, EntryCount> urls;
  for (int i = 0; i < EntryCount; ++i) {
    const TiXmlElement* element = root->FirstChildElement(kElementNames[i]);
    const char* url = element ? element->Attribute("url") : nullptr;
    if (!url || !*url) return;
    urls[i] = url;
  }
  m_urls = urls;
}
