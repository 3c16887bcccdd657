#include "client/core/account/AccountData.h"

#include <memory>

#include "client/core/context/GlobalContext.h"
#include "client/core/LogWriter.h"

AccountSnapshot AccountData::GetSnapshot() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_snapshot;
}

void AccountData::SetSnapshot(const AccountSnapshot& snapshot) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_snapshot = snapshot;
}

void AccountData::UpdateSnapshot(const std::function<void(AccountSnapshot&)>& change) {
  std::lock_guard<std::mutex> hold(m_lock);
  change(m_snapshot);
}

juce::String AccountData::GetAccount() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_snapshot.m_sAccount;
}

juce::String AccountData::GetSessionID() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_snapshot.m_sSessionID;
}

void AccountData::SetSessionID(const juce::String& sessionID) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_snapshot.m_sSessionID = sessionID;
}

juce::String AccountData::GetClientID() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_snapshot.m_sClientID;
}

void AccountData::SetClientID(const juce::String& clientID) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_snapshot.m_sClientID = clientID;
}

UserConfigInfo AccountData::GetUserConfig() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_userConfig;
}

void AccountData::SetUserConfig(const UserConfigInfo& config) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_userConfig = config;
}

void AccountData::UpdateUserConfig(const std::function<void(UserConfigInfo&)>& change) {
  std::lock_guard<std::mutex> hold(m_lock);
  change(m_userConfig);
}

namespace {

std::mutex g_accountLock;
std::unique_ptr<AccountData> g_accountData;

UserDataDBManager* UserDataManager() { return GetGlobalContext()->m_pUserDataDBManager.get(); }

}  // namespace

AccountData* GetAccountData() {
  std::lock_guard<std::mutex> hold(g_accountLock);
  if (!g_accountData) g_accountData = std::make_unique<AccountData>();
  return g_accountData.get();
}

void DeleteAccountData() {
  std::unique_ptr<AccountData> ending;
  std::lock_guard<std::mutex> hold(g_accountLock);
  ending.swap(g_accountData);
}

void SaveAccountData(const AccountSnapshot& snapshot, AccountData* accountData) {
  accountData->SetSnapshot(snapshot);
  if (UserDataDBManager* manager = UserDataManager()) manager->ReplaceUserData(snapshot);
}

bool LoadAccountData(const juce::String& name, AccountData* accountData) {
  if (name.isEmpty()) return false;
  UserDataDBManager* manager = UserDataManager();
  if (manager == nullptr) return false;
  AccountSnapshot snapshot = accountData->GetSnapshot();
  snapshot.m_sAccount = name;
  int rows = 0;
  if (manager->SelectUserData(snapshot, &rows) != 0 || rows == 0) return false;
  accountData->SetSnapshot(snapshot);
  return true;
}

bool InitUserTables() {
  UserDataDBManager* manager = UserDataManager();
  if (manager == nullptr) return false;
  if (!manager->IsDBTableExist() && manager->CreateDBTable() != 0) return false;
  if (!manager->IsUserConfigTableExist() && manager->CreateUserConfigTable() != 0) return false;
  return true;
}

void SaveUserConfig(AccountData* accountData, const UserConfigInfo& config) {
  accountData->SetUserConfig(config);
  if (UserDataDBManager* manager = UserDataManager())
    manager->ReplaceUserConfig(config, accountData->GetAccount());
  WriteMessageLog(KeyPoint, "GetUserConfig, FileSizeLimit is " + juce::String(config.UC_FileSizeLimit));
}

bool LoadUserConfig(AccountData* accountData, const juce::String& name) {
  if (name.isEmpty()) return false;
  UserDataDBManager* manager = UserDataManager();
  if (manager == nullptr) return false;
  UserConfigInfo config = accountData->GetUserConfig();
  int rows = 0;
  if (manager->SelectUserConfig(accountData->GetAccount(), config, &rows) != 0 || rows == 0)
    return false;
  accountData->SetUserConfig(config);
  return true;
}
