// The "Internet" page of the settings form: the proxy of each type, its test
// and the bandwidth limits.
#include "client/core/GlobalConfig.h"
#include "client/core/context/ThreadsPools.h"
#include "client/core/stats/TestProxyTask.h"
#include "client/windows/InlineTips.h"
#include "client/windows/settings/SetForm.h"
#include "common/MutiLanSupport.h"
#include "common/NumberText.h"
#include "common/StringConvert.h"
#include "net/ProxyCfg.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIComboBox.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UIListBox.h"

#include <algorithm>

namespace {

// The combo box's rows, in the order of the proxy types.
constexpr const wchar_t* kProxyTypeKeys[] = {L"STRID_SETFORM_NOUSEPROXY", L"STRID_SETFORM_HTTPPROXY",
                                              L"STRID_SETFORM_SOCK4PROXY", L"STRID_SETFORM_SOCK5PROXY"};
constexpr int kProxyTypeCount = 4;
constexpr int kMinLimit = 1;
constexpr int kMaxLimit = 9999;

CString Text(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

CString Utf8Text(const std::string& utf8) {
  CString text;
  Common::utf8_to_CString(utf8, text);
  return text;
}

}  // namespace

void CSetForm::BuildProxyPage() {
  m_pProxyTypeCombo = dynamic_cast<UI::CUIComboBox*>(FindControlRecusive(L"ProxyTypeComboBox"));
  if (!m_pProxyTypeCombo || !m_pProxyTypeCombo->GetInnerListBox() || !m_pProxyTypeCombo->m_pEditEx) return;
  UI::CUIListBox* list = m_pProxyTypeCombo->GetInnerListBox();
  for (const wchar_t* key : kProxyTypeKeys) list->AddItemData(new UI::ListBoxItemData(Text(key)));
  const int type = GetGlobalConfig()->GetCurrentProxy().m_type;
  if (type < kNoProxy || type >= kProxyTypeCount) return;
  m_pProxyTypeCombo->m_pEditEx->SetText(Text(kProxyTypeKeys[type]).GetString());
  // The list's rows follow its scroll bar (child 0).
  list->SetSelected(type + 1);
  LoadProxyFields(type);
}

int CSetForm::GetComboProxyType() {
  if (!m_pProxyTypeCombo || !m_pProxyTypeCombo->m_pEditEx) return -1;
  const CString shown = EditText(m_pProxyTypeCombo->m_pEditEx);
  for (int type = 0; type < kProxyTypeCount; ++type) {
    if (shown == Text(kProxyTypeKeys[type])) return type;
  }
  return -1;
}

void CSetForm::LoadProxyFields(int type) {
  UI::CUIEditEx* const edits[] = {m_pServerAddressEdit, m_pPortEdit, m_pUserEdit, m_pPwdEdit};
  if (type == kNoProxy) {
    for (UI::CUIEditEx* edit : edits) {
      if (!edit) continue;
      edit->SetText(L"");
      edit->SetEnabled(FALSE);
    }
    m_pProxyCfg->SetNull();
    return;
  }
  if (type < kHttpProxy || type > kSocks5Proxy) return;
  *m_pProxyCfg = GetGlobalConfig()->GetStoredProxy(type);
  m_pProxyCfg->m_type = type;
  // A port of 0 was never set: an empty box asks for one.
  const CString texts[] = {Utf8Text(m_pProxyCfg->m_host),
                           m_pProxyCfg->m_port > 0 ? Common::Int2CString(m_pProxyCfg->m_port) : CString(),
                           Utf8Text(m_pProxyCfg->m_user), Utf8Text(m_pProxyCfg->m_password)};
  for (int i = 0; i < 4; ++i) {
    if (!edits[i]) continue;
    edits[i]->SetText(texts[i].GetString());
    edits[i]->SetEnabled(TRUE);
  }
}

void CSetForm::SaveProxyFields() {
  const int type = m_pProxyCfg->m_type;
  if (type < kHttpProxy || type > kSocks5Proxy) return;
  Net::ProxyCfg proxy;
  proxy.m_type = type;
  proxy.m_host = Common::CString_to_utf8(EditText(m_pServerAddressEdit));
  proxy.m_port = Common::CString2Int(EditText(m_pPortEdit));
  proxy.m_user = Common::CString_to_utf8(EditText(m_pUserEdit));
  proxy.m_password = Common::CString_to_utf8(EditText(m_pPwdEdit));
  GetGlobalConfig()->SetStoredProxy(type, proxy);
}

void CSetForm::SelectProxyType() {
  const int type = GetComboProxyType();
  if (type >= kNoProxy) LoadProxyFields(type);
}

int CSetForm::OnComboTextFilled(UI::CUIControl* sender, void*) {
  if (!sender || sender != m_pProxyTypeCombo) return 1;
  SaveProxyFields();
  SelectProxyType();
  Repaint();
  return 1;
}

void CSetForm::SetInternetTabOrder() {
  ClearTABOrder();
  for (UI::CUIEditEx* edit : {m_pServerAddressEdit, m_pPortEdit, m_pUserEdit, m_pPwdEdit}) {
    if (!edit) continue;
    AddTABOrder(edit);
    if (edit->IsKBFocused()) edit->SetKBFocused(FALSE);
    if (GetKeyFocusControl() == edit) SetKeyFocusControl(this);
  }
}

void CSetForm::CloseProxyList(const CPoint& point) {
  if (!m_pCurPage || m_pCurPage->GetObjectID().CompareNoCase(L"Internet") != 0 || !m_pProxyTypeCombo) return;
  UI::CUIListBox* list = m_pProxyTypeCombo->GetInnerListBox();
  if (!list || m_pProxyTypeCombo->GetBounds().PtInRect(point) || list->GetBounds().PtInRect(point)) return;
  list->SetVisible(FALSE);
  Repaint();
}

// --- the proxy test -----------------------------------------------------------

int CSetForm::OnProxyTest() {
  if (m_proxyTest.IsPending()) return 1;
  const CString address = EditText(m_pServerAddressEdit);
  const CString port = EditText(m_pPortEdit);
  // The combo box shows one of the table's texts; anything else tests HTTP.
  int type = GetComboProxyType();
  if (type < kNoProxy) type = kHttpProxy;
  if (type != kNoProxy && (address.IsEmpty() || port.IsEmpty())) {
    ShowBox(2, L"ProxyAddressOrPortNull", L"STRID_PROXYSETTIP_TIETLE");
    return 1;
  }
  const std::string host = Common::CString_to_utf8(address);
  const std::string portText = Common::CString_to_utf8(port);
  const std::string user = Common::CString_to_utf8(EditText(m_pUserEdit));
  const std::string password = Common::CString_to_utf8(EditText(m_pPwdEdit));
  // On the Stat pool: the Up pool may be busy with uploads for a long time.
  const bool started = m_proxyTest.Start(GetStatThreadsPool(), m_hWnd, kProxyTestDoneMsg, [=] {
    TestProxyTask test("SetForm: TestProxy", type, host, portText, user, password);
    test.ExecuteWorkTask();
    return test.GetResult() == 1;
  });
  if (!started) {
    EndProxyTest(false, type);
    return 1;
  }
  m_nTestingType = type;
  EnableControl(L"TestProxyButton", FALSE);
  ShowInfoTip(FindControlRecusive(L"TipPanel"), Text(L"STRID_SETFORM_PROXYTESTING"), this);
  RegisterTimerHandler(kProxyTestTimer, kProxyTestLimitMs, fastdelegate::MakeDelegate(this, &CSetForm::OnProxyTestTimeout));
  Repaint();
  return 1;
}

void CSetForm::OnProxyTestAnswer(WPARAM ticket) {
  const std::optional<bool> ok = m_proxyTest.Take(ticket);
  if (!ok) return;
  UnRegisterTimerHandler(kProxyTestTimer);
  EndProxyTest(*ok, m_nTestingType);
}

void CSetForm::OnProxyTestTimeout(UINT id) {
  UnRegisterTimerHandler(id);
  if (!m_proxyTest.IsPending()) return;
  m_proxyTest.Abandon();
  EndProxyTest(false, m_nTestingType);
}

void CSetForm::EndProxyTest(bool ok, int type) {
  EnableControl(L"TestProxyButton", TRUE);
  if (UI::CUIControl* tip = FindControlRecusive(L"TipPanel")) tip->SetVisible(FALSE);
  Repaint();
  if (ok)
    ShowBox(5, L"ProxySetOK", L"STRID_PROXYSETTIP_TIETLE");
  else
    ShowBox(2, type == kNoProxy ? L"LocalConnectFailed" : L"ProxySetWrong", L"STRID_PROXYSETTIP_TIETLE");
}

// --- bandwidth ----------------------------------------------------------------

BOOL CSetForm::BuildBandwidthPanel() {
  UI::CUIControl* panel = FindControlRecusive(L"BandWidthPanel");
  if (!panel) return FALSE;
  m_pLimitCheckBox = dynamic_cast<UI::CUICheckBox*>(panel->FindControlRecusive(L"LimitCheckBox"));
  m_pUploadLimitEdit = dynamic_cast<UI::CUIEditEx*>(panel->FindControlRecusive(L"UploadLimitEdit"));
  m_pDownloadLimitEdit = dynamic_cast<UI::CUIEditEx*>(panel->FindControlRecusive(L"DownloadLimitEdit"));
  if (!m_pLimitCheckBox || !m_pUploadLimitEdit || !m_pDownloadLimitEdit) return FALSE;
  const GlobalConfig* config = GetGlobalConfig();
  const BOOL limit = config->m_bBandWidthLimit ? TRUE : FALSE;
  m_pDownloadLimitEdit->SetText(Common::Int2CString(config->m_nDownloadLimit).GetString());
  m_pUploadLimitEdit->SetText(Common::Int2CString(config->m_nUploadLimit).GetString());
  for (UI::CUIEditEx* edit : {m_pUploadLimitEdit, m_pDownloadLimitEdit}) {
    edit->SetEnabled(limit);
    edit->m_CharJudgeHandler = fastdelegate::MakeDelegate(this, &CSetForm::OnLimitEditChar);
    edit->m_FocusChangedHandler = fastdelegate::MakeDelegate(this, &CSetForm::OnLimitEditFocusChanged);
  }
  m_pLimitCheckBox->SetChecked(limit, 0);
  return TRUE;
}

void CSetForm::OnLimitEditChar(UI::CUIEditEx*, wchar_t ch, int& accept) { accept = ch >= L'0' && ch <= L'9' ? 1 : 0; }

void CSetForm::OnLimitEditFocusChanged(UI::CUIEditEx* edit) {
  if (edit && !edit->IsKBFocused()) TakeLimit(edit);
}

int CSetForm::TakeLimit(UI::CUIEditEx* edit) {
  if (!edit) return kMinLimit;
  const CString text = EditText(edit);
  // The leading digits, read without overflowing however many were typed.
  int value = 0;
  for (int i = 0; i < text.GetLength() && text[i] >= L'0' && text[i] <= L'9' && value <= kMaxLimit; ++i)
    value = value * 10 + (text[i] - L'0');
  value = std::clamp(value, kMinLimit, kMaxLimit);
  const CString clamped = Common::Int2CString(value);
  if (clamped != text) edit->SetText(clamped.GetString());
  return value;
}
