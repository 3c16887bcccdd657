#pragma once
// The main tables UserData (the accounts that signed in on this computer,
// keyed by FullName) and UserConfig (their quota records, keyed by account).
#include "client/core/account/AccountSnapshot.h"
#include "client/core/account/UserConfigInfo.h"
#include "client/core/db/DBManagerBase.h"

class UserDataDBManager : public DBManagerBase {
 public:
  int CreateDBTable() override;
  bool IsDBTableExist() override;
  int DropDBTable() override;

  virtual int CreateUserConfigTable();
  virtual bool IsUserConfigTableExist();
  virtual int DropUserConfigTable();

  // True when UserData holds no row (or cannot be read): no account has
  // signed in on this computer yet.
  bool IsUserDataEmpty();
  // Reads the UserData row whose FullName is the snapshot's account field
  // into the snapshot (FullName also becomes the short name). 1 without a
  // query when that field is empty; else the execution result. rowsRead, when
  // given, receives the number of rows read (0 for an unknown name).
  int SelectUserData(AccountSnapshot& snapshot, int* rowsRead = nullptr);
  // Writes the snapshot's UserData row: FullName, NickName, Password, UserID,
  // IsAutoLogin.
  int ReplaceUserData(const AccountSnapshot& snapshot);
  // Sets the stored password hash of the account named fullName.
  int UpdateUserPassword(const juce::String& fullName, const juce::String& password);
  // 1 without a query when name is empty; else the execution result; rowsRead
  // as for SelectUserData.
  int SelectUserConfig(const juce::String& name, UserConfigInfo& config, int* rowsRead = nullptr);
  int ReplaceUserConfig(const UserConfigInfo& config, const juce::String& name);
};
