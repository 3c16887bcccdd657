#pragma once
// Drives one sign-in at a time: hashes the password, posts a LoginTask to the
// Up pool and, when the service accepted, fills the account data and product
// information, restarts the link poll, reports the usage event and fetches the
// user's quota with a QueryUserDataTask on the Down pool. When that query, or
// a failed sign-in, has ended, the after-login callback of the windows is
// called — on a pool thread, never the UI thread; the windows hand it over
// themselves and read the result and server codes from the manager.
//
// Once the exiting flag is set (the program is ending), a late reply changes
// nothing and calls nothing. The pool tasks reach the manager only through a
// shared alive token: once the destructor has returned, a reply still on its
// way finds the token empty and touches nothing.
#include <atomic>
#include <memory>
#include <mutex>

#include <juce_core/juce_core.h>

#include "client/core/protocol/AppRequests.h"
#include "client/core/protocol/FileReplies.h"

class LoginTask;

typedef void (*AfterLoginCallBackFunc)(void* context);

class LoginManager {
 public:
  // The result codes of a sign-in.
  enum Result {
    kNone = 0,
    kOk = 1,                  // signed in, user config fetched
    kNetworkError = 2,        // no reply, an HTTP status other than 200, 500 and 503, or service code -1
    kWrongAccount = 3,        // 401, 420, 460
    kServerBusy = 4,          // HTTP status or service code 500 or 503
    kCode412 = 5,
    kCode422 = 6,
    kCode423 = 7,
    kCode415 = 8,
    kCode417Or418 = 9,
    kCode416Or419 = 10,
    kCode577 = 11,
    kOkLocalConfig = 12,      // signed in, the user config came from the local table
    kForbidden = 13,          // 403
    kOtherError = 14,
  };

  LoginManager();
  // Empties the alive token, after a callback that may be running has
  // returned; a sign-in still in flight then reports to nobody.
  ~LoginManager();
  LoginManager(const LoginManager&) = delete;
  LoginManager& operator=(const LoginManager&) = delete;

  // Starts a sign-in (UI thread). useStored: the password is the account
  // data's stored hash. Refused while one is running.
  void Login(const juce::String& name, const juce::String& password, bool autoLogin, bool useStored);
  // Signs in with the stored account: its FullName and password hash.
  void AutoLogin();

  void SetAfterLoginCallBack(void* context, AfterLoginCallBackFunc callback);
  // Silences every later callback of this manager.
  void SetExiting();

  juce::String GetUserName() const;
  int GetResultCode() const { return m_nResultCode.load(); }
  int GetServerCode() const { return m_nServerCode.load(); }
  bool IsLogining() const { return m_bLogining.load(); }

  // Set by a successful sign-in for the windows: no account had signed in on
  // this computer before it, and the service's first-sign-in flag.
  static bool IsFirstAccount() { return s_bFirstAccount.load(); }
  static bool IsFirstLogin() { return s_bFirstLogin.load(); }

  // The result code a failed sign-in's service code maps to.
  static int ResultForServiceCode(int code);

 private:
  // What the pool tasks hold: the manager while it lives, null afterwards.
  struct Alive {
    std::recursive_mutex lock;
    LoginManager* manager = nullptr;
  };

  static void LoginResultCallBack(void* context, int httpStatus, AuthenReply reply);
  static void QueryUserDataCallBack(void* context, const ServerUserInfo* user);
  void OnLoginResult(int httpStatus, const AuthenReply& reply);
  void OnUserData(const ServerUserInfo* user);
  void AfterLoginProcess();
  void SaveLoginData(const AuthenReply& reply);
  void ProcessLoginError(const AuthenReply& reply);

  std::atomic<int> m_nResultCode{kNone};
  std::atomic<int> m_nServerCode{0};
  std::atomic<bool> m_bLogining{false};
  juce::String m_sUserName;
  juce::String m_sPasswordHash;
  bool m_bAutoLogin = true;
  void* m_pAfterLoginContext = nullptr;
  AfterLoginCallBackFunc m_pAfterLoginCallBack = nullptr;
  LoginTask* m_pCurrentTask = nullptr;  // the last posted sign-in (not owned)
  bool m_bExiting = false;
  // Guards the exiting flag and the fields the pool threads read (name, hash,
  // auto-login flag, callback). Re-entrant: the result callback holds it
  // while it ends the sign-in.
  juce::CriticalSection m_lock;

  std::shared_ptr<Alive> m_alive;

  static std::atomic<bool> s_bFirstAccount;
  static std::atomic<bool> s_bFirstLogin;
};
