#pragma once
// The sign-in and set-up wizard: one skinned form ("InitSetForm") holding the
// pages "LoginPage", "SelectPreSetOrNotPage", "CustomSetPage", the three guide
// pages and "SetCompletePage", one visible at a time. It signs the user in,
// lets the user keep the previous sync folder or choose one, finds or creates
// the service folder, checks and binds the local folder, and hands the result
// to the main form by posted messages (AppMessages.h).
//
// Modes: 0 normal; 1 after a change of account (a sign-in never finishes at
// once); 2 the re-binding stops the engine first and a close request closes
// without asking; 3 the sync folder is missing (starts on the folder page).
//
// UI thread only. The main form owns it while it is open; the window's close
// deletes it. Sign-in and service requests run on pool threads and reach the
// wizard only through its window (posted or sent messages); a result that
// arrives after the wizard has gone is dropped.
#include <memory>

#include "ui/UIForm.h"

class CMainForm;
class LoginManager;
class FolderPicker;
struct ServerDirInfo;
struct DirReply;
struct DirTreeReply;

namespace UI {
class CUIEditEx;
class CUIListBox;
class CUIPage;
}  // namespace UI

// Messages the wizard's pool-thread requests hand their results over with.
constexpr UINT WM_NOTIFY_LOGIN_DONE = 0x13C80;
constexpr UINT WM_NOTIFY_ADD_FOLDER_DONE = 0x13C81;
constexpr UINT WM_NOTIFY_SERVER_DIR_DONE = 0x13C82;
// Posted by the caption's help button (wParam 1).
constexpr UINT WM_WIZARD_HELP_LINK = WM_USER + 0x568;

class CInitSetForm : public UI::CUIForm {
 public:
  explicit CInitSetForm(CMainForm* owner);
  ~CInitSetForm() override;

  // Makes the window on the mode's start page, centred and on top; 0 when it
  // could not be made (the caller then deletes the form).
  int Create(int mode, CWnd* parent);

  // The sign-in page filled by the main form: name, password, and the
  // keyboard focus on the password.
  void FillLogin(CString name, CString password, bool focusPassword);
  // The text of a sign-in result code under the fields, which become usable again.
  void ShowLoginError(int code);
  // The main form forgets a wizard it replaces: its later close sends nothing.
  void DetachOwner() { m_pOwner = nullptr; }

  // Binds the sync root to a local folder: optionally stops the engine,
  // recreates the folder and file tables unless the root stays the same, and
  // stores the new root record (nothing stored without a server folder).
  // Also used by the settings form.
  static void BeforeChangeNextPageHandler(const ServerDirInfo* serverFolder, CString localPath, bool sameRoot,
                                          bool stopEngine);

  // Set by the main form after it filled the password edit with the stored
  // account: the password edit stands for the stored password hash. Any
  // typing in the password edit clears it.
  bool m_bUseSavedPassword = false;

  int GetMode() const { return m_nMode; }
  UI::CUIPage* GetCurrentPage() const { return m_pCurPage; }
  CString GetChosenFolder() const { return m_strLocalFolder; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnBuildControlAfter() override;
  void ArrangeAllSubControls() override;
  BOOL OnKeyMessage(UINT message, UINT key, UINT repeat, UINT flags) override;
  afx_msg void OnClose();
  afx_msg LRESULT OnHelpLink(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

 private:
  // Pages and flow.
  int InitPage(const CString& id);
  void GoToPage(const CString& id);
  // Moves from inside a page's own before-next / before-previous handler.
  void MoveFromPage(UI::CUIPage* page, const CString& target, bool next);
  void OnBeforeNextPage(UI::CUIPage* page, int& allow);
  void OnBeforePrevPage(UI::CUIPage* page, int& allow);
  int OnClick(UI::CUIControl* sender, void* data);
  int OnPageChanged(UI::CUIControl*, void*) { return 1; }
  int OnMouseHover(UI::CUIControl* sender, void* data);
  int OnMouseLeave(UI::CUIControl* sender, void* data);
  // Enter: the current page's default button; false on pages without one.
  bool PressDefaultButton();
  void Finish();
  void Complete(bool overButton);
  void AskExit();
  void PostToOwner(UINT message, WPARAM wParam, LPARAM lParam);

  // Sign-in page.
  int InitLoginPage();
  void StartLogin();
  static void OnLoginDone(void* window);
  void OnLoginCallBack();
  void LoginSuccess();
  void OnUserNameChanged(UI::CUIEditEx* edit);
  void OnEditFocusChanged(UI::CUIEditEx* edit);
  void AcceptSuggestion();
  bool IsSuggestionListShown();
  void SetEditNormalLook(UI::CUIEditEx* edit);
  void SetEditErrorLook(UI::CUIEditEx* edit);
  void EnableLoginFields(BOOL enable);
  int LastServerCode() const;

  // Folder and guide pages.
  int InitSelectPreSetPage();
  int InitCustomSetPage();
  int InitGuidePage(const CString& id);
  int InitSetCompletePage();
  void KeepPreviousSetting();
  void ChooseLocalFolder();
  void StartFolderStep();
  static void OnGetServerDirDone(void* window, int status, DirTreeReply* reply);
  static void OnAddFolderDone(void* window, int status, DirReply* reply);
  void OnServerDirResult(const DirTreeReply& reply);
  void OnAddFolderResult(const DirReply& reply);
  void ShowFolderError(const CString& text);
  int OnFolderStepDone();
  int ApplySyncFolder();
  void CommitSettings();
  void RememberAccount();
  void ShowChosenFolder(UI::CUIControl* edit);
  UI::CUIControl* CurrentNextButton();

  UI::CUIEditEx* m_pUserNameEdit = nullptr;
  UI::CUIEditEx* m_pPwdEdit = nullptr;
  UI::CUIEditEx* m_pComputerNameEdit = nullptr;
  UI::CUIControl* m_pForgetPwdLabel = nullptr;
  UI::CUIControl* m_pRegisterLabel = nullptr;
  UI::CUIControl* m_pUsernameTipLabel = nullptr;
  UI::CUIControl* m_pLoginButton = nullptr;
  UI::CUIControl* m_pSelectPreSetNext = nullptr;
  UI::CUIControl* m_pCustomSetNext = nullptr;
  UI::CUIControl* m_pGuideNext[3] = {};
  UI::CUIControl* m_pOverButton = nullptr;
  UI::CUIListBox* m_pAutoChooseList = nullptr;
  UI::CUIPage* m_pCurPage = nullptr;
  // The page whose initialiser ran last: a later layout pass leaves it be.
  UI::CUIPage* m_pInitedPage = nullptr;
  std::unique_ptr<LoginManager> m_pLoginManager;
  std::unique_ptr<ServerDirInfo> m_pServerSyncFolder;
  CString m_strStartPage;
  int m_nMode = 0;
  bool m_bMerge = false;
  CMainForm* m_pOwner = nullptr;
  CString m_strLocalFolder;
  // A lookup or creation on the Up pool whose answer is still to come. The
  // pool owns the task; its answer reaches the wizard only through its window.
  bool m_bFolderRequestPending = false;
  CString m_strDefaultFolderName;
  bool m_bSameRoot = false;
  FolderPicker* m_pFolderPicker = nullptr;
  // Set while the window closes from inside the folder picker.
  bool m_bClosing = false;
};
