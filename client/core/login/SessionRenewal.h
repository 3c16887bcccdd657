#pragma once
// Renewal of the session id (APP_GET_SID, when a request was refused with
// 401) and of the client id (APP_GET_CID, when the link poll answered 413).
// Both run on the Up pool while the caller, an engine thread or the link
// thread, waits. A renewal counts only when the service answered with code
// 200 and a new id; a failed one leaves the account data as it was.
#include "base/WaitReleaseWorkTask.h"

class AccountData;

class UpdateSIDTask final : public juce::_WaitRelease_Work_Task {
 public:
  UpdateSIDTask(const juce::String& loginToken, const juce::String& clientID)
      : _WaitRelease_Work_Task("UpdateSIDTask"), m_sLoginToken(loginToken), m_sClientID(clientID) {}

  int ExecuteWorkTask() override;
  juce::String GetSID() const { return m_sSessionID; }

 private:
  juce::String m_sLoginToken;
  juce::String m_sClientID;
  juce::String m_sSessionID;
};

class UpdateClientIDTask final : public juce::_WaitRelease_Work_Task {
 public:
  explicit UpdateClientIDTask(const juce::String& loginToken)
      : _WaitRelease_Work_Task("UpdateClientIDTask"), m_sLoginToken(loginToken) {}

  int ExecuteWorkTask() override;
  juce::String GetClientID() const { return m_sClientID; }

 private:
  juce::String m_sLoginToken;
  juce::String m_sClientID;
};

// Renews the account's session id with its login token and client id; true
// when the account data holds a new one.
bool UpdateSID(AccountData* accountData);
// Renews the account's client id with its login token; true when the account
// data holds a new one.
bool UpdateClientID(AccountData* accountData);
