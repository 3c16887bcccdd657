#pragma once
// The program's first start in the test process, against the local cloud
// service: an empty data folder, the main form opens the sign-in wizard, a user
// signs in with an account the test made on the service, takes the proposed
// sync folder through the pages, and the engine starts; then a file flows each
// way. The user's hands are the subclass's: keys and clicks injected into the
// headless desktop, or real input through an X server. Every step waits for
// what it can see, with a deadline.
#include <filesystem>
#include <functional>
#include <string>

#include "ServiceFixture.h"
#include "TempDir.h"
#include "mfc/AfxWin.h"
#include "win32/Windows.h"

class CMainForm;
class CInitSetForm;
namespace UI {
class CUIControl;
}

namespace firstrun {

class FirstRunFlow : public signintest::ServiceTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The user's hands. Input may arrive later than the call returns.
  virtual void Type(const std::wstring& text) = 0;
  virtual void Key(UINT virtualKey) = 0;
  virtual void Click(HWND window, UI::CUIControl* control) = 0;
  // Once the sign-in page shows, before anything is typed.
  virtual void SignInPageShown(HWND) {}

  // Pumps the UI thread until done, for at most `seconds`.
  static bool PumpUntil(const std::function<bool()>& done, int seconds = 60);
  // The whole first run, from the start of the program to files flowing both ways.
  void RunFirstStart();

  CMainForm* m_form = nullptr;

 private:
  CInitSetForm* Wizard() const;
  CString Page() const;
  bool ServerHas(const std::string& name, const std::string& content);
  std::string LocalContent(const std::string& name) const;

  dorvtest::TempDir m_dir{"dorv-firstrun"};
  std::filesystem::path m_home = m_dir / "home";
  std::string m_oldHome;
  std::filesystem::path m_root;
  std::string m_account;
};

}  // namespace firstrun
