#include "DownOpsFixture.h"

#include <algorithm>
#include <juce_cryptography/juce_cryptography.h>

#include "client/core/account/AccountData.h"
#include "client/core/context/GlobalContext.h"
#include "client/core/db/LocalDatabases.h"
#include "client/core/protocol/QueryString.h"
#include "client/sync/SyncEngineLinks.h"
#include "client/sync/SyncHelper.h"
#include "client/sync/SyncLogic.h"
#include "client/sync/pull/ImmediateSyncFromServerOp.h"
#include "client/sync/pull/SyncFolderFromServerOp.h"
#include "client/sync/records/SyncFileDataManager.h"
#include "client/sync/records/SyncRootFolder.h"
#include "client/sync/registry/DownSyncPathRegistry.h"
#include "client/sync/registry/MovedFolderRegistry.h"

namespace downtest {

namespace {

std::string Account() { return signintest::kAccount; }

std::string Escaped(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '.' || c == '-' || c == '_') out += static_cast<char>(c);
    else {
      char buffer[4];
      snprintf(buffer, sizeof buffer, "%%%02X", c);
      out += buffer;
    }
  }
  return out;
}

}  // namespace

std::string Md5(const std::string& bytes) { return juce::MD5(bytes.data(), bytes.size()).toHexString().toStdString(); }

void Sink::NotifySyncEvent(SyncNotifyInfo info) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_events.push_back(info);
}

int Sink::Count(int type) {
  std::lock_guard<std::mutex> hold(m_lock);
  return static_cast<int>(std::count_if(m_events.begin(), m_events.end(),
                                        [&](const SyncNotifyInfo& e) { return e.type == type; }));
}

void DownOpsTest::SetUp() {
  InstallSyncEngine();
  ServiceTest::SetUp();
  ASSERT_NO_FATAL_FAILURE(SignInWithEngineTables(m_login));
  ASSERT_NE(GetSyncLogic(), nullptr);
  GetSyncLogic()->SetNotifyUI(&m_sink);

  // The sync root: a folder of the service's root, and its local folder.
  m_rootID = Mkdir(-1, "Dorv");
  m_rootPath = m_dir.path() / "Dorv";
  std::filesystem::create_directories(m_rootPath);
  SyncRootFolder::DeleteInstance();
  SyncFolderData root;
  root.m_FolderID = m_rootID;
  root.m_ParentID = -1;
  root.m_FolderName = "Dorv";
  root.m_FolderSysType = 18;
  root.m_ParentPath = "/";
  root.m_VersionValue = "0|0";
  root.m_FolderPath = Local("");
  SyncRootFolder::GetInstance()->SetRootFolder(Local(""), "0|0", root);
  ASSERT_EQ(SyncRootFolder::GetInstance()->GetRootFolderID(), m_rootID);

  m_dispatcher = std::make_unique<SyncTaskDispatcher>();
  m_manager = std::make_unique<SyncDownTaskManager>(m_dispatcher.get());
  ClearSyncEngineLinks();
  SyncEngineLinks links;
  links.queueServerFileAdd = [this](const SyncFileData& row) {
    m_manager->QueueServerFileAdd(row, row.m_FileID, row.m_ParentID);
  };
  links.queueLocalFolderAdd = [this](const juce::String& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_localAdds.push_back(path.toStdString() + "/");
  };
  links.queueLocalFileAdd = [this](const juce::String& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_localAdds.push_back(path.toStdString());
  };
  links.ignoreProgramChange = [this](const juce::String& from, const juce::String& to, int type) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_ignored.push_back(std::to_string(type) + " " + from.toStdString() + " -> " + to.toStdString());
  };
  links.unignoreProgramChange = [this](const juce::String& from, const juce::String& to, int type) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string entry = std::to_string(type) + " " + from.toStdString() + " -> " + to.toStdString();
    auto at = std::find(m_ignored.begin(), m_ignored.end(), entry);
    if (at == m_ignored.end()) return false;
    m_ignored.erase(at);
    return true;
  };
  InstallSyncEngineLinks(links);
  // Staging files of earlier tests would be taken for downloads done.
  juce::File(SyncHelper::GetDownloadTempDirectory()).deleteRecursively();
  Admin("log/clear");
}

void DownOpsTest::TearDown() {
  ClearSyncEngineLinks();
  m_manager.reset();
  m_dispatcher.reset();
  MovedFolderRegistry::GetInstance()->Clear();
  DownSyncPathRegistry::GetInstance()->Reset();
  SyncRootFolder::DeleteInstance();
  if (SyncLogic* logic = GetSyncLogic()) logic->SetNotifyUI(nullptr);
  m_login.SetExiting();
  ServiceTest::TearDown();
}

juce::int64 DownOpsTest::Mkdir(juce::int64 parent, const std::string& name) {
  return Admin("mkdir?account=" + Account() + "&parentId=" + std::to_string(parent) + "&name=" + Escaped(name))["dir"]["id"]
      .asInt64();
}

juce::int64 DownOpsTest::Put(juce::int64 parent, const std::string& name, const std::string& bytes) {
  return Admin("put?account=" + Account() + "&parentId=" + std::to_string(parent) + "&name=" + Escaped(name), bytes)["file"]["id"]
      .asInt64();
}

void DownOpsTest::Rename(juce::int64 id, const std::string& name) {
  Admin("rename?account=" + Account() + "&id=" + std::to_string(id) + "&name=" + Escaped(name));
}

void DownOpsTest::Move(juce::int64 id, juce::int64 parent) {
  Admin("move?account=" + Account() + "&id=" + std::to_string(id) + "&parentId=" + std::to_string(parent));
}

void DownOpsTest::Delete(juce::int64 id) { Admin("delete?account=" + Account() + "&id=" + std::to_string(id)); }

int DownOpsTest::FullPull() {
  ImmediateSyncFromServerOp op(m_manager.get());
  return op.Run();
}

int DownOpsTest::IncrementalPull() {
  SyncFolderFromServerOp op(SyncRootFolder::GetInstance()->GetGlobalVersion(), m_rootID, m_manager.get());
  return op.Run();
}

std::vector<int> DownOpsTest::Drain(int maxRuns) {
  std::vector<int> results;
  for (int i = 0; i < maxRuns && !m_manager->AreQueuesEmpty(); ++i) {
    if (m_manager->HasTasks(DOWN_QUEUE_NORMAL)) results.push_back(m_manager->RunDownTask(DOWN_QUEUE_NORMAL));
    else results.push_back(m_manager->RunWaitAndRetryTask());
  }
  return results;
}

juce::String DownOpsTest::Local(const std::string& relative) const {
  std::string path = (m_rootPath / relative).string();
  if (!path.empty() && path.back() == '/') path.pop_back();
  return juce::String::fromUTF8(path.c_str());
}

std::vector<std::string> DownOpsTest::LocalTree() const {
  std::vector<std::string> tree;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(m_rootPath)) {
    const std::string relative = std::filesystem::relative(entry.path(), m_rootPath).string();
    if (entry.is_directory()) tree.push_back(relative + "/");
    else tree.push_back(relative + "=" + dorvtest::ReadFile(entry.path()));
  }
  std::sort(tree.begin(), tree.end());
  return tree;
}

std::vector<std::string> DownOpsTest::ServerTree() {
  const Json::Value tree = Admin("tree?account=" + Account());
  std::vector<std::string> out;
  std::string rootPrefix;
  for (const Json::Value& item : tree["items"])
    if (item["id"].asInt64() == m_rootID) rootPrefix = item["path"].asString() + "/";
  for (const Json::Value& item : tree["items"]) {
    const std::string path = item["path"].asString();
    if (item["status"].asInt() == 1 || path.rfind(rootPrefix, 0) != 0) continue;
    const std::string relative = path.substr(rootPrefix.size());
    if (item["isDir"].asBool()) out.push_back(relative + "/");
    else
      out.push_back(relative + "=" + AdminRaw("content?account=" + Account() + "&id=" + std::to_string(item["id"].asInt64())));
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string DownOpsTest::RowPath(juce::int64 id) { return SyncFileDataManager::GetFilePathByID(id).toStdString(); }

std::string DownOpsTest::RowMd5(juce::int64 id) {
  SyncFileData row;
  GetGlobalContext()->m_pFileDBManager->SelectFileByID(id, row);
  return row.m_FileID == -1 ? std::string() : row.m_Md5.toStdString();
}

std::vector<std::string> DownOpsTest::IgnoredChanges() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_ignored;
}

}  // namespace downtest
