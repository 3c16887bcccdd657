#pragma once
// Who is signed in, as a value: the part of the account data that other code
// copies (request builders, the windows).
#include <juce_core/juce_core.h>

struct AccountSnapshot {
  // The sign-in name up to its last at-sign (empty without one); a row read
  // from UserData puts the whole FullName here.
  juce::String m_sShortName;
  // The account as the service names it: the key of its UserData and
  // UserConfig rows and the account that requests send.
  juce::String m_sAccount;
  // MD5 of the password, 32 lower-case hexadecimal digits.
  juce::String m_sPassword;
  juce::String m_sSessionID;
  juce::String m_sClientID;
  juce::String m_sNickName;
  // Renews the session and client ids.
  juce::String m_sLoginToken;
  juce::int64 UserID = 0;
  int IsAutoLogin = 1;
  // The sign-in name as typed (UserData's key).
  juce::String FullName;
};
