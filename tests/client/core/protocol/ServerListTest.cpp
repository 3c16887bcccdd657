#include <gtest/gtest.h>

#include "TempDir.h"
#include "client/core/protocol/ServerList.h"

namespace {

std::string ListXml(int skip = -1, int emptyUrl = -1, const std::string& root = "servers") {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + ">\n";
  for (int i = 0; i < ServerList::EntryCount; ++i) {
    if (i == skip) continue;
    const std::string url =
        i == emptyUrl ? "" : "http://127.0.0.1:1808" + std::to_string(i) + "/s" + std::to_string(i) + "/";
    xml += std::string("  <") + ServerList::ElementName(ServerList::Entry(i)) + " url=\"" + url + "\"/>\n";
  }
  return xml + "</" + root + ">\n";
}

void ExpectDefaults(const ServerList& list) {
  const ServerList defaults;
  for (int i = 0; i < ServerList::EntryCount; ++i)
    EXPECT_EQ(list.Get(ServerList::Entry(i)), defaults.Get(ServerList::Entry(i)));
}

}  // namespace

TEST(ServerList, DefaultsArePlainHttpAndServiceUrlsEndWithASlash) {
  const ServerList list;
  for (int i = 0; i < ServerList::EntryCount; ++i) {
    const std::string& url = list.Get(ServerList::Entry(i));
    EXPECT_EQ(url.rfind("http://", 0), 0u) << url;
    if (i != ServerList::UpdateXmlUrl) {
      EXPECT_EQ(url.back(), '/') << url;
    }
  }
  EXPECT_NE(list.GetAppServer().find("/app/service/"), std::string::npos);
  EXPECT_NE(list.GetRpcServer().find("/fs/service/"), std::string::npos);
  EXPECT_NE(list.GetLinkServer().find("/link/service/"), std::string::npos);
  EXPECT_NE(list.GetUpdateXmlUrl().find("/client/dorv/update/update.xml"), std::string::npos);
}

TEST(ServerList, AllSevenUrlsReplaceTheDefaultsAtOnce) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "server_list.xml", ListXml(-1, -1, "anything"));
  ServerList list;
  list.LoadFromFile(juce::File((dir / "server_list.xml").string()));
  EXPECT_EQ(list.GetLinkServer(), "http://127.0.0.1:18080/s0/");
  EXPECT_EQ(list.GetAppServer(), "http://127.0.0.1:18081/s1/");
  EXPECT_EQ(list.GetRpcServer(), "http://127.0.0.1:18082/s2/");
  EXPECT_EQ(list.GetUploadServer(), "http://127.0.0.1:18083/s3/");
  EXPECT_EQ(list.GetDownloadServer(), "http://127.0.0.1:18084/s4/");
  EXPECT_EQ(list.GetRsyncServer(), "http://127.0.0.1:18085/s5/");
  EXPECT_EQ(list.GetUpdateXmlUrl(), "http://127.0.0.1:18086/s6/");
}

TEST(ServerList, AnIncompleteOrBrokenFileLeavesEveryDefault) {
  dorvtest::TempDir dir;
  struct Row {
    const char* name;
    std::string content;
  } rows[] = {
      {"six of seven", ListXml(ServerList::RsyncServer)},
      {"one empty url", ListXml(-1, ServerList::UploadServer)},
      {"not xml", "server_list"},
      {"empty file", ""},
  };
  for (const Row& row : rows) {
    dorvtest::WriteFile(dir / "server_list.xml", row.content);
    ServerList list;
    list.LoadFromFile(juce::File((dir / "server_list.xml").string()));
    SCOPED_TRACE(row.name);
    ExpectDefaults(list);
  }
  ServerList missing;
  missing.LoadFromFile(juce::File((dir / "absent.xml").string()));
  ExpectDefaults(missing);
}

// The file is read by the program's own XML parser: entities of a document
// type, inline or from a file it names, are never expanded into a URL.
TEST(ServerList, EntitiesAreNeverExpandedIntoAUrl) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "elsewhere.dtd", "<!ENTITY host \"http://evil.example/\">");
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  for (const std::string& doctype : {std::string("<!DOCTYPE servers [ <!ENTITY host \"http://evil.example/\"> ]>\n"),
                                     "<!DOCTYPE servers SYSTEM \"" + (dir / "elsewhere.dtd").string() + "\">\n"}) {
    std::string list = ListXml();
    list.replace(0, head.size(), head + doctype);
    const std::string first = "http://127.0.0.1:18080/s0/";
    list.replace(list.find(first), first.size(), "&host;");
    dorvtest::WriteFile(dir / "server_list.xml", list);
    ServerList loaded;
    loaded.LoadFromFile(juce::File((dir / "server_list.xml").string()));
    for (int i = 0; i < ServerList::EntryCount; ++i)
      EXPECT_EQ(loaded.Get(ServerList::Entry(i)).find("evil"), std::string::npos)
          << doctype << loaded.Get(ServerList::Entry(i));
  }
}

// Two runs that share one program folder each name their own service.
TEST(ServerList, TheFileNamedByTheEnvironmentReplacesTheOneBesideTheProgram) {
  dorvtest::TempDir dir;
  dorvtest::WriteFile(dir / "run-a.xml", ListXml());
  ::setenv("DORV_SERVER_LIST", (dir / "run-a.xml").c_str(), 1);
  ServerList list;
  list.LoadFromFile();
  ::unsetenv("DORV_SERVER_LIST");
  EXPECT_EQ(list.GetAppServer(), "http://127.0.0.1:18081/s1/");
}
