#include "client/core/GlobalConfig.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tinyxml.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "common/StringConvert.h"

namespace {

namespace fs = std::filesystem;

fs::path ConfigFile() { return fs::path(Common::CString_to_utf8(GetGlobalConfigPath())); }

Net::ProxyCfg Proxy(int type, std::string host, int port, std::string user, std::string password) {
  Net::ProxyCfg p;
  p.m_type = type;
  p.m_host = std::move(host);
  p.m_port = port;
  p.m_user = std::move(user);
  p.m_password = std::move(password);
  return p;
}

void ExpectProxy(const Net::ProxyCfg& actual, const Net::ProxyCfg& expected) {
  EXPECT_EQ(actual.m_type, expected.m_type);
  EXPECT_EQ(actual.m_host, expected.m_host);
  EXPECT_EQ(actual.m_port, expected.m_port);
  EXPECT_EQ(actual.m_user, expected.m_user);
  EXPECT_EQ(actual.m_password, expected.m_password);
}

void ExpectDefaults(const GlobalConfig& c) {
  EXPECT_EQ(c.m_bDisplayNotify, 1);
  EXPECT_EQ(c.m_strVersion, CString(L"1.0.2"));
  EXPECT_EQ(c.m_bBandWidthLimit, 0);
  EXPECT_EQ(c.m_nUploadLimit, 50);
  EXPECT_EQ(c.m_nDownloadLimit, 50);
  ExpectProxy(c.GetCurrentProxy(), Net::ProxyCfg());
  for (int type : {1, 2, 3}) ExpectProxy(c.GetStoredProxy(type), Proxy(type, "", 0, "", ""));
}

// Runs body in a child process that then ends normally (so the end-of-process
// save runs); the child's exit code is 0 when body returned true.
int RunInChild(const std::function<bool()>& body) {
  pid_t child = fork();
  if (child == 0) std::exit(body() ? 0 : 1);
  int status = -1;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class GlobalConfigTest : public testing::Test {
 protected:
  void SetUp() override { fs::remove(ConfigFile()); }
  void TearDown() override { fs::remove(ConfigFile()); }
};

TEST_F(GlobalConfigTest, MissingFileGivesDefaults) {
  GlobalConfig config;
  InitGlobalConfig(config);
  ExpectDefaults(config);
}

TEST_F(GlobalConfigTest, DefaultsAreSavedInTheFilesLayout) {
  GlobalConfig config;
  InitGlobalConfig(config);
  SaveGlobalConfig(config);

  TiXmlDocument doc;
  ASSERT_TRUE(doc.LoadFile(ConfigFile().string()));
  const TiXmlDeclaration* decl = doc.FirstChild()->ToDeclaration();
  ASSERT_NE(decl, nullptr);
  EXPECT_STREQ(decl->Version(), "1.0");
  EXPECT_STREQ(decl->Encoding(), "utf-8");
  const TiXmlElement* root = doc.RootElement();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->ValueStr(), "DorvConfig");

  auto attributes = [](const TiXmlElement* e) {
    std::string text;
    for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next())
      text += std::string(a->Name()) + "=" + a->Value() + " ";
    return text;
  };
  std::vector<std::string> children;
  for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement())
    children.push_back(e->ValueStr() + ": " + attributes(e));
  EXPECT_EQ(children, (std::vector<std::string>{"DisplayNotify: Value=1 ",
                                                "BandWidthLimit: Value=0 UploadBandWidthLimit=50 DownloadBandWidthLimit=50 ",
                                                "ProxyConfig: ProxyType=0 "}));
  std::vector<std::string> proxies;
  for (const TiXmlElement* e = root->FirstChildElement("ProxyConfig")->FirstChildElement(); e; e = e->NextSiblingElement())
    proxies.push_back(e->ValueStr() + ": " + attributes(e));
  EXPECT_EQ(proxies, (std::vector<std::string>{"HttpProxy: Address= Port=0 Username= Password= ",
                                               "Socks4Proxy: Address= Port=0 Username= Password= ",
                                               "Socks5Proxy: Address= Port=0 Username= Password= "}));
  EXPECT_FALSE(fs::exists(ConfigFile().string() + ".tmp"));
}

TEST_F(GlobalConfigTest, TheFileIsTheUsersAloneWhateverTheUmask) {
  GlobalConfig config;
  InitGlobalConfig(config);
  const mode_t old = umask(0);
  SaveGlobalConfig(config);
  umask(old);
  EXPECT_EQ(fs::status(ConfigFile()).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(ConfigFile().parent_path()).permissions(), fs::perms::owner_all);
}

TEST_F(GlobalConfigTest, SavedSettingsLoadBack) {
  GlobalConfig config;
  InitGlobalConfig(config);
  config.m_bDisplayNotify = 0;
  config.m_bBandWidthLimit = 1;
  config.m_nUploadLimit = 128;
  config.m_nDownloadLimit = -5;  // no range test: kept as given
  const auto http = Proxy(1, "proxy.lan", 3128, "用户", "p&<\"'>;=\xE5\xAF\x86");
  const auto socks5 = Proxy(3, "10.0.0.1", 1080, "u", "pw");
  config.SetStoredProxy(1, http);
  config.SetStoredProxy(2, Proxy(2, "s4", 1081, "", ""));
  config.SetStoredProxy(3, socks5);
  config.SetCurrentProxy(socks5);
  SaveGlobalConfig(config);

  GlobalConfig loaded;
  InitGlobalConfig(loaded);
  EXPECT_EQ(loaded.m_bDisplayNotify, 0);
  EXPECT_EQ(loaded.m_bBandWidthLimit, 1);
  EXPECT_EQ(loaded.m_nUploadLimit, 128);
  EXPECT_EQ(loaded.m_nDownloadLimit, -5);
  ExpectProxy(loaded.GetStoredProxy(1), http);
  ExpectProxy(loaded.GetStoredProxy(2), Proxy(2, "s4", 1081, "", ""));
  ExpectProxy(loaded.GetCurrentProxy(), socks5);
}

struct LoadCase {
  const char* name;
  std::string file;
  std::function<void(const GlobalConfig&)> check;
};

TEST_F(GlobalConfigTest, FilesLoadAsTheirElementsSay) {
  const LoadCase cases[] = {
      {"ProxyType 2 copies the SOCKS4 entry into the current proxy",
       R"(<DorvConfig><ProxyConfig ProxyType="2"><Socks4Proxy Address="s" Port="1080" Username="u" Password="p"/></ProxyConfig></DorvConfig>)",
       [](const GlobalConfig& c) {
         ExpectProxy(c.GetCurrentProxy(), Proxy(2, "s", 1080, "u", "p"));
         ExpectProxy(c.GetStoredProxy(2), Proxy(2, "s", 1080, "u", "p"));
       }},
      {"ProxyType 7 leaves the current proxy while the entries load",
       R"(<X><ProxyConfig ProxyType="7"><HttpProxy Address="h" Port="81"/><Socks5Proxy Address="s5" Port="9"/></ProxyConfig></X>)",
       [](const GlobalConfig& c) {
         ExpectProxy(c.GetCurrentProxy(), Net::ProxyCfg());
         ExpectProxy(c.GetStoredProxy(1), Proxy(1, "h", 81, "", ""));
         ExpectProxy(c.GetStoredProxy(3), Proxy(3, "s5", 9, "", ""));
       }},
      {"missing ProxyType means none; missing or bad Port stays",
       R"(<DorvConfig><ProxyConfig><HttpProxy Address="h"/><Socks4Proxy Port="abc"/></ProxyConfig></DorvConfig>)",
       [](const GlobalConfig& c) {
         ExpectProxy(c.GetCurrentProxy(), Net::ProxyCfg());
         ExpectProxy(c.GetStoredProxy(1), Proxy(1, "h", 0, "", ""));
         ExpectProxy(c.GetStoredProxy(2), Proxy(2, "", 0, "", ""));
       }},
      {"DisplayNotify without Value is on",
       R"(<DorvConfig><DisplayNotify/></DorvConfig>)",
       [](const GlobalConfig& c) { EXPECT_EQ(c.m_bDisplayNotify, 1); }},
      {"DisplayNotify 0 is off", R"(<DorvConfig><DisplayNotify Value="0"/></DorvConfig>)",
       [](const GlobalConfig& c) { EXPECT_EQ(c.m_bDisplayNotify, 0); }},
      {"BandWidthLimit without Value is off, limits as given",
       R"(<DorvConfig><BandWidthLimit DownloadBandWidthLimit="7"/></DorvConfig>)",
       [](const GlobalConfig& c) {
         EXPECT_EQ(c.m_bBandWidthLimit, 0);
         EXPECT_EQ(c.m_nDownloadLimit, 7);
         EXPECT_EQ(c.m_nUploadLimit, 50);
       }},
      {"BandWidthLimit 2 is on", R"(<DorvConfig><BandWidthLimit Value="2"/></DorvConfig>)",
       [](const GlobalConfig& c) { EXPECT_EQ(c.m_bBandWidthLimit, 1); }},
      {"malformed file gives defaults", R"(<DorvConfig><DisplayNotify Value="0"/><BandWidthLimit Value="1")",
       ExpectDefaults},
      {"empty file gives defaults", "", ExpectDefaults},
      {"declaration without root gives defaults", R"(<?xml version="1.0" encoding="utf-8" ?>)", ExpectDefaults},
      {"binary junk gives defaults", std::string("\x00\xFF\xFE<\x01>", 6), ExpectDefaults},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    dorvtest::WriteFile(ConfigFile(), c.file);
    GlobalConfig config;
    InitGlobalConfig(config);
    c.check(config);
    EXPECT_EQ(dorvtest::ReadFile(ConfigFile()), c.file) << "loading never writes the file";
  }
}

// The process's configuration: the first use loads the file and arranges the
// save at process end; a process that never used it writes nothing.
TEST_F(GlobalConfigTest, FirstUseLoadsAndProcessEndSaves) {
  dorvtest::WriteFile(ConfigFile(),
                      R"(<DorvConfig><ProxyConfig ProxyType="1"><HttpProxy Address="h" Port="8080"/></ProxyConfig></DorvConfig>)");
  EXPECT_EQ(RunInChild([] {
              GlobalConfig* config = GetGlobalConfig();
              if (config != GetGlobalConfig() || config->GetCurrentProxy().m_host != "h") return false;
              config->m_nUploadLimit = 99;
              return true;
            }),
            0);
  GlobalConfig reread;
  InitGlobalConfig(reread);
  EXPECT_EQ(reread.m_nUploadLimit, 99);
  ExpectProxy(reread.GetCurrentProxy(), Proxy(1, "h", 8080, "", ""));
}

TEST_F(GlobalConfigTest, ProcessEndWithoutAFileWritesTheDefaults) {
  EXPECT_EQ(RunInChild([] { return GetGlobalConfig() != nullptr; }), 0);
  GlobalConfig reread;
  reread.m_nUploadLimit = 1;
  LoadGlobalConfig(reread);
  EXPECT_EQ(reread.m_nUploadLimit, 50) << "the file was written";
  ExpectDefaults(reread);
}

TEST_F(GlobalConfigTest, ProcessThatNeverUsedItWritesNothing) {
  EXPECT_EQ(RunInChild([] { return true; }), 0);
  EXPECT_FALSE(fs::exists(ConfigFile()));
}

// Request threads copy the current proxy while the settings window replaces
// it: every copy is one whole setting, never a mix of two.
TEST_F(GlobalConfigTest, CurrentProxyIsNeverReadTorn) {
  GlobalConfig config;
  InitGlobalConfig(config);
  const auto a = Proxy(1, std::string(64, 'a'), 1111, std::string(40, 'A'), std::string(40, 'a'));
  const auto b = Proxy(3, std::string(200, 'b'), 2222, std::string(90, 'B'), std::string(90, 'b'));
  config.SetCurrentProxy(a);
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i) {
    readers.emplace_back([&] {
      while (!stop) {
        Net::ProxyCfg p = config.GetCurrentProxy();
        bool isA = p.m_type == a.m_type && p.m_host == a.m_host && p.m_port == a.m_port && p.m_user == a.m_user &&
                   p.m_password == a.m_password;
        bool isB = p.m_type == b.m_type && p.m_host == b.m_host && p.m_port == b.m_port && p.m_user == b.m_user &&
                   p.m_password == b.m_password;
        if (!isA && !isB) ++torn;
      }
    });
  }
  for (int i = 0; i < 20000; ++i) config.SetCurrentProxy(i % 2 ? a : b);
  stop = true;
  for (auto& r : readers) r.join();
  EXPECT_EQ(torn, 0);
}

}  // namespace
