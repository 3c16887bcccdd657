#pragma once
// The seven base URLs of the service: from server_list.xml beside the
// program when it names all seven, else the built-in defaults. Created on
// first use (the start-up's update check, on the UI thread) and read from any
// thread afterwards; it is not changed after loading.
#include <juce_core/juce_core.h>

#include <array>
#include <string>

class ServerList {
 public:
  enum Entry {
    LinkServer = 0,
    AppServer,
    RpcServer,
    UploadServer,
    DownloadServer,
    RsyncServer,
    UpdateXmlUrl,
    EntryCount
  };

  // The process-wide list, loaded on the first call.
  static ServerList* GetInstance();
  // Ends the process-wide list at exit; a later use loads it again.
  static void DeleteInstance();
  // Makes the process-wide list the defaults overlaid with the given file
  // (a program pointed at another service, a test at the local one).
  static ServerList* LoadInstance(const juce::File& file);

  // The defaults alone.
  ServerList();

  // Reads server_list.xml from the program's folder, or the file that
  // DORV_SERVER_LIST names.
  void LoadFromFile();
  // Reads the given file: all seven elements with non-empty url attributes
  // replace the seven entries at once; anything less leaves them as they are.
  void LoadFromFile(const juce::File& file);

  const std::string& Get(Entry entry) const { return m_urls[entry]; }
  const std::string& GetLinkServer() const { return m_urls[LinkServer]; }
  const std::string& GetAppServer() const { return m_urls[AppServer]; }
  const std::string& GetRpcServer() const { return m_urls[RpcServer]; }
  const std::string& GetUploadServer() const { return m_urls[UploadServer]; }
  const std::string& GetDownloadServer() const { return m_urls[DownloadServer]; }
  const std::string& GetRsyncServer() const { return m_urls[RsyncServer]; }
  const std::string& GetUpdateXmlUrl() const { return m_urls[UpdateXmlUrl]; }

  // The element name of each entry in server_list.xml.
  static const char* ElementName(Entry entry);

 private:
  std::array<std::string, EntryCount> m_urls;
};
