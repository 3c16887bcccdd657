#pragma once
// The signed-in account: its snapshot (names, password hash, session and
// client ids, user id), its quota record and the logged-in flag. Sign-in and
// renewal callbacks write it on pool threads while pumps and request builders
// read it, so every access goes through the lock and readers get copies.
#include <atomic>
#include <functional>
#include <mutex>

#include <juce_core/juce_core.h>

#include "client/core/account/AccountSnapshot.h"
#include "client/core/account/UserConfigInfo.h"

class AccountData {
 public:
  AccountData() = default;
  AccountData(const AccountData&) = delete;
  AccountData& operator=(const AccountData&) = delete;

  AccountSnapshot GetSnapshot() const;
  void SetSnapshot(const AccountSnapshot& snapshot);
  // Changes some fields of the snapshot in one step (a renewal replaces the
  // session id, a settings page the automatic sign-in flag). change runs
  // under the lock: it must not reach the account data again.
  void UpdateSnapshot(const std::function<void(AccountSnapshot&)>& change);

  juce::String GetAccount() const;
  juce::String GetSessionID() const;
  void SetSessionID(const juce::String& sessionID);
  juce::String GetClientID() const;
  void SetClientID(const juce::String& clientID);

  UserConfigInfo GetUserConfig() const;
  void SetUserConfig(const UserConfigInfo& config);
  // The same rule as UpdateSnapshot.
  void UpdateUserConfig(const std::function<void(UserConfigInfo&)>& change);

  // Set when the user-data query of a sign-in has completed; cleared by a
  // change of account.
  bool IsLoggedIn() const { return m_bLoggedIn.load(); }
  void SetLoggedIn(bool loggedIn) { m_bLoggedIn.store(loggedIn); }

 private:
  mutable std::mutex m_lock;
  AccountSnapshot m_snapshot;
  UserConfigInfo m_userConfig;
  std::atomic<bool> m_bLoggedIn{false};
};

// The process-wide account data, created on first use.
AccountData* GetAccountData();
// Ends the process-wide account data at exit, after FreeThreadsPools (sign-in
// and renewal tasks write it); a later use starts a fresh one.
void DeleteAccountData();

// Copies the snapshot into the account data and, when the user-data manager
// exists, writes the account's UserData row (FullName, nick name, password,
// UserID, IsAutoLogin).
void SaveAccountData(const AccountSnapshot& snapshot, AccountData* accountData = GetAccountData());
// Loads the UserData row of name into the account data (FullName, short name,
// nick name, password, UserID, IsAutoLogin; the account field becomes name).
// False, with the account data unchanged, for an empty name, an unknown name
// or a failed read.
bool LoadAccountData(const juce::String& name, AccountData* accountData = GetAccountData());
// Creates the UserData and UserConfig tables when missing. False without the
// user-data manager or when a creation fails.
bool InitUserTables();
// Stores the quota record in the account data and, when the user-data manager
// exists, writes it as the UserConfig row of the account; then logs the file
// size limit.
void SaveUserConfig(AccountData* accountData, const UserConfigInfo& config);
// Reads the UserConfig row of the account data's account (name only has to be
// non-empty) into its quota record. False, with the record unchanged, for an
// empty name, a missing row or a failed read.
bool LoadUserConfig(AccountData* accountData, const juce::String& name);
