#include "ui/photo/UIListItem.h"

#include <cwchar>

#include "common/MutiLanSupport.h"
#include "ui/controls/ControlEvents.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIPanel.h"
#include "ui/photo/ListConfig.h"
#include "ui/photo/ListItemData.h"
#include "ui/photo/UIList.h"
#include "ui/photo/UIPhotoEx.h"
#include "ui/skin/UISkinManager.h"

namespace UI {

namespace {

constexpr wchar_t kSelfStyle[] = L"ListItemSelf";

CString Text(const wchar_t* key) { return Common::CMutiLanSupport::GetInstance()->GetStringViaID(key); }

// The sub-controls by object ID, with the style name that styles each and its class.
struct SubControl {
  const wchar_t* id;
  CString _ListItemConfig::*style;
  const wchar_t* className;
};
constexpr SubControl kSubControls[] = {
    {L"downNumButton", &_ListItemConfig::m_strDownNumButton, L"CUIButton"},
    {L"UpNumButton", &_ListItemConfig::m_strUpNumButton, L"CUIButton"},
    {L"PreviewButton", &_ListItemConfig::m_strPreviewButton, L"CUIButton"},
    {L"PixNotEnoughPhoto", &_ListItemConfig::m_strPixNotEnoughPhoto, L"CUIPhoto"},
    {L"ClippedFlagPhoto", &_ListItemConfig::m_strClippedFlagPhoto, L"CUIPhotoEx"},
    {L"bigPhoto", &_ListItemConfig::m_strBigPhoto, L"CUIPhotoEx"},
    {L"bottompanel", &_ListItemConfig::m_strBottomPanel, L"CUIPanel"},
    {L"numberEdit", &_ListItemConfig::m_strNumberEdit, L"CUIEditEx"},
    {L"numberLabel", &_ListItemConfig::m_strNumLabel, L"CUILabel"},
    {L"DeleteButton", &_ListItemConfig::m_strDeleteButton, L"CUIButton"},
    {L"modifyInchLabel", &_ListItemConfig::m_strModifyInchLabel, L"CUILabel"},
    {L"ManualClipButton", &_ListItemConfig::m_strManualClipButton, L"CUIButton"},
    {L"PreserveFlagPhoto", &_ListItemConfig::m_strPreserveFlagPhoto, L"CUIPhotoEx"},
    {L"EditButton", &_ListItemConfig::m_strEditButton, L"CUIButton"},
};

// The template with its first two "%d" replaced by a and b; any other '%' is
// kept as text, so a translated text can never be read as a format.
CString FillTwoNumbers(const CString& pattern, int a, int b) {
  std::wstring out;
  const std::wstring& in = pattern.str();
  int used = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    if (used < 2 && in[i] == L'%' && i + 1 < in.size() && in[i + 1] == L'd') {
      out += std::to_wstring(used == 0 ? a : b);
      ++used;
      ++i;
    } else {
      out += in[i];
    }
  }
  return CString(out);
}

// A count typed or shown in the edit; huge numbers read as 999 rather than wrapping.
int ReadCount(const wchar_t* text) {
  const long v = std::wcstol(text ? text : L"", nullptr, 10);
  return v > 999 ? 999 : static_cast<int>(v);
}

bool Inside(const CRect& r, const CPoint& p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

template <typename T>
T* Make(CUIControl* parent, const wchar_t* id, unsigned layout, CSize size) {
  auto* c = new T;
  c->SetObjectID(id);
  c->SetAnchorStyle(static_cast<AnchorStyle>(layout));
  c->SetSize(size);
  parent->RegisterControl(c);
  return c;
}

}  // namespace

CUIListItem::CUIListItem() {
  m_strTypeName = L"CUIListItem";
  ListenEvent(kClickEvent, fastdelegate::MakeDelegate(this, &CUIListItem::OnButtonClick));
  ListenEvent(kMouseLeaveEvent, fastdelegate::MakeDelegate(this, &CUIListItem::OnItemMouseLeave));
}

CUIListItem::~CUIListItem() { m_pParentList = nullptr; }

ListItemData* CUIListItem::GetRecord() const { return dynamic_cast<ListItemData*>(m_pItemData); }

_ListItemConfig* CUIListItem::GetSelfConfig() {
  if (!m_pParentList) return nullptr;
  CSubControlResManager& store = m_pParentList->GetSubControlStore();
  if (auto* kept = dynamic_cast<_ListItemConfig*>(store.GetItemConfig(kSelfStyle))) return kept;
  auto* own = dynamic_cast<_ListItemConfig*>(GetSkinConfig(L""));
  if (own) store.AddConfig(kSelfStyle, own->Clone());
  return own;
}

_SkinConfig* CUIListItem::GetSubControlConfig(CString name) {
  _ListItemConfig* self = GetSelfConfig();
  for (const SubControl& s : kSubControls) {
    if (name != s.id) continue;
    CSubControlResManager& store = m_pParentList->GetSubControlStore();
    if (_SkinConfig* kept = store.GetItemConfig(name)) return kept;
    if (!self || (self->*s.style).IsEmpty()) return nullptr;
    _SkinConfig* record = nullptr;
    CUISkinManager::GetInstance()->ReadCssData(self->*s.style, s.className, record);
    if (record) store.AddConfig(name, record);
    return record;
  }
  return nullptr;
}

void CUIListItem::ApplyStyle(CUIControl* control, const wchar_t* id) {
  if (!control) return;
  if (_SkinConfig* style = GetSubControlConfig(id)) control->SetSkinConfig(style);
}

void CUIListItem::CreateSubControl() {
  const CSize S = GetItemSize();
  ListItemData* R = GetRecord();
  m_pMainPanel = Make<CUIPanel>(this, L"mainpanel", DockTop, CSize(0, kPhotoAreaHeight));
  m_pToolbarPanel = Make<CUIPanel>(this, L"toolbarpanel", DockBottom, CSize(0, S.cy - kPhotoAreaHeight));
  if (m_pMainPanel) {
    m_pBigPhoto = Make<CUIPhotoEx>(m_pMainPanel, L"bigPhoto", DockFill, CSize());
    ApplyStyle(m_pBigPhoto, L"bigPhoto");
    if (R) {
      const CString thumb = R->GetPhotoThumbPath();
      if (!thumb.IsEmpty()) {
        m_pBigPhoto->SetImage(thumb);
      } else if (_ListItemConfig* self = GetSelfConfig()) {
        m_pBigPhoto->SetImage(self->m_defaultImage);
      }
    }
    m_pBottomPanel = Make<CUIPanel>(this, L"bottompanel", DockBottom, CSize(0, 20));
    m_pBottomPanel->SetMargin(5, 0, 5, 6);
    m_pBottomPanel->SetVisible(FALSE);
    ApplyStyle(m_pBottomPanel, L"bottompanel");
  }
  if (m_pBigPhoto) {
    m_pWarningIcon = Make<CUIPhoto>(m_pBigPhoto, L"PixNotEnoughPhoto", AnchorNone, CSize(16, 16));
    m_pClippedIcon = Make<CUIPhotoEx>(m_pBigPhoto, L"ClippedFlagPhoto", AnchorNone, CSize(16, 16));
    m_pPreserveIcon = Make<CUIPhotoEx>(m_pBigPhoto, L"PreserveFlagPhoto", AnchorNone, CSize(16, 16));
    const struct {
      CUIControl* icon;
      const wchar_t* id;
      CString tip;
    } icons[] = {{m_pWarningIcon, L"PixNotEnoughPhoto", GetPixNotEnoughTooltip()},
                 {m_pClippedIcon, L"ClippedFlagPhoto", Text(L"STRID_CLIPPHOTO_TOOLTIP")},
                 {m_pPreserveIcon, L"PreserveFlagPhoto", Text(L"STRID_PRESERVEPHOTO_TOOLTIP")}};
    for (const auto& i : icons) {
      i.icon->SetVisible(FALSE);
      ApplyStyle(i.icon, i.id);
      i.icon->SetTooltipText(i.tip);
    }
    UpdateTooltip(nullptr);
  }
  if (m_pBottomPanel) {
    const struct {
      const wchar_t* id;
      CSize size;
      int right;
      const wchar_t* tip;
    } buttons[] = {{L"DeleteButton", CSize(16, 16), 8, L"STRID_LISTITEM_DELETE"},
                   {L"PreviewButton", CSize(16, 16), 32, L"STRID_LISTITEM_PREVIEW"},
                   {L"ManualClipButton", CSize(16, 16), 56, L"STRID_LISTITEM_MANUALCROP"},
                   {L"EditButton", CSize(17, 17), 80, L"STRID_LISTITEM_EDIT"}};
    for (const auto& b : buttons) {
      auto* button = Make<CUIButton>(m_pBottomPanel, b.id, AnchorBottomRight, b.size);
      button->SetMargin(0, 0, b.right, 2);
      ApplyStyle(button, b.id);
      button->SetTooltipText(Text(b.tip));
      if (CString(b.id) == L"PreviewButton") m_pPreviewButton = button;
      if (CString(b.id) == L"ManualClipButton") m_pManualClipButton = button;
      if (CString(b.id) == L"EditButton") m_pEditButton = button;
    }
  }
  if (!m_pToolbarPanel) return;
  auto* sizeLabel = Make<CUILabel>(m_pToolbarPanel, L"modifyInchLabel", DockLeft, CSize(50, 0));
  sizeLabel->SetMargin(20, 0, 0, 0);
  ApplyStyle(sizeLabel, L"modifyInchLabel");
  sizeLabel->SetText(Text(L"STRID_LISTITEM_MODIFYSIZE"), FALSE);
  auto* down = Make<CUIButton>(m_pToolbarPanel, L"downNumButton", AnchorCenter, CSize(14, 14));
  down->SetMargin(3, 0, 0, 0);
  ApplyStyle(down, L"downNumButton");
  m_pNumberEdit = Make<CUIEditEx>(m_pToolbarPanel, L"numberEdit", AnchorCenter, CSize(28, 14));
  m_pNumberEdit->SetMargin(30, 0, 0, 0);
  ApplyStyle(m_pNumberEdit, L"numberEdit");
  m_pNumberEdit->m_CharJudgeHandler = fastdelegate::MakeDelegate(this, &CUIListItem::HandleEditCharJudge);
  m_pNumberEdit->m_TextChangedHandler = fastdelegate::MakeDelegate(this, &CUIListItem::HandleEditChanged);
  m_pNumberEdit->m_FocusChangedHandler = fastdelegate::MakeDelegate(this, &CUIListItem::HandleEditLostFocus);
  if (R) SetEditNumber(R->m_nPrintCount);
  auto* unit = Make<CUILabel>(m_pToolbarPanel, L"numberLabel", AnchorCenter, CSize(14, 14));
  unit->SetMargin(58, 2, 0, 0);
  ApplyStyle(unit, L"numberLabel");
  unit->SetText(Text(L"STRID_PUBLIC_LABEL_PIECE"), FALSE);
  auto* up = Make<CUIButton>(m_pToolbarPanel, L"UpNumButton", AnchorCenter, CSize(14, 14));
  up->SetMargin(71, 0, 0, 0);
  ApplyStyle(up, L"UpNumButton");
}

void CUIListItem::SetSubControlNull() {
  m_pMainPanel = m_pBottomPanel = m_pToolbarPanel = nullptr;
  m_pBigPhoto = m_pClippedIcon = m_pPreserveIcon = nullptr;
  m_pPreviewButton = m_pManualClipButton = nullptr;
  m_pWarningIcon = nullptr;
  m_pNumberEdit = nullptr;
}

CString CUIListItem::GetPixNotEnoughTooltip() {
  static const wchar_t* const kKeys[] = {L"STRID_SIXINCH_PIXNOTENOUGH", L"STRID_FULLSIXINCH_PIXNOTENOUGH",
                                         L"STRID_SEVENINCH_PIXNOTENOUGH", L"STRID_EIGHTINCH_PIXNOTENOUGH",
                                         L"STRID_TENINCH_PIXNOTENOUGH"};
  ListItemData* R = GetRecord();
  if (!R || R->m_nPrintSize < 1 || R->m_nPrintSize > 5) return CString();
  return Text(kKeys[R->m_nPrintSize - 1]);
}

void CUIListItem::UpdateTooltip(void* record) {
  auto* r = record ? static_cast<ListItemData*>(record) : GetRecord();
  if (!r || !m_pBigPhoto || !m_pWarningIcon) return;
  if (r->m_bPixNotEnough) {
    m_pWarningIcon->SetVisible(TRUE);
    int a = r->m_effectiveSize.cx, b = r->m_effectiveSize.cy;
    if (r->IsManualClip()) {
      const RECT& clip = r->m_pClipData->m_rcClip;
      a = clip.right - clip.left;
      b = clip.bottom - clip.top;
    }
    // Formatted from the string table's template each time, never from the last result.
    m_pWarningIcon->SetTooltipText(FillTwoNumbers(GetPixNotEnoughTooltip(), a, b));
  }
  if (m_pClippedIcon && m_pPreserveIcon) {
    if (r->m_pClipData->m_bPreserve == 1) {
      m_pClippedIcon->SetVisible(FALSE);
      m_pPreserveIcon->SetVisible(TRUE);
    } else {
      m_pClippedIcon->SetVisible(r->m_pClipData->m_bClip == 1);
      m_pPreserveIcon->SetVisible(FALSE);
    }
  }
}

void CUIListItem::UpdateImage(CString path, void* record) {
  if (m_pBigPhoto) m_pBigPhoto->SetImage(path);
  UpdateTooltip(record);
  Refresh(TRUE, nullptr);
}

void CUIListItem::RenderSelf(DXCore* core, const CRect*) {
  auto* own = dynamic_cast<_ListItemConfig*>(GetSkinConfig(L""));
  if (own && !own->m_bkImage.m_strFile.IsEmpty()) own->m_bkImage.Render(core, GetBounds());
}

void CUIListItem::RenderAfterSubCtrls(DXCore* core, const CRect* clip, const CRect* paint) {
  if (!m_pWarningIcon || !m_pBigPhoto) return;
  const CRect P = m_pBigPhoto->GetPhotoBounds();
  auto place = [&](CUIControl* icon, int x) {
    const CSize s = icon->GetSize();
    icon->SetBounds(CRect(x, P.top, x + s.cx, P.top + s.cy));
    icon->Render(core, clip, paint);
  };
  const bool warning = m_pWarningIcon->IsVisible();
  if (warning) place(m_pWarningIcon, P.left);
  const int x = warning ? m_pWarningIcon->GetBounds().right + 2 : P.left;
  if (m_pClippedIcon && m_pClippedIcon->IsVisible()) place(m_pClippedIcon, x);
  if (m_pPreserveIcon && m_pPreserveIcon->IsVisible()) place(m_pPreserveIcon, x);
}

BOOL CUIListItem::OnMouseMessage(UINT message, UINT flags, const CPoint& point) {
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(flags, point);
      return 0;
    case WM_LBUTTONDOWN:
      return OnLButtonDown(flags, point);
    case WM_RBUTTONDOWN:
      return OnRButtonDown(flags, point);
    default:
      return 0;
  }
}

int CUIListItem::OnLButtonDown(UINT, CPoint point) {
  if (!m_pParentList || !m_pMainPanel) return 1;
  if (!Inside(m_pMainPanel->GetBounds(), point)) return 0;
  CUIList* list = m_pParentList;
  ListItemData* R = GetRecord();
  list->ListenItemClicked(this, 0);
  list->SetKBFocused(TRUE);
  if (R && R->GetCanDrag() && Inside(GetPhotoBounds(), point)) list->OnDrag(R);
  return 1;
}

int CUIListItem::OnRButtonDown(UINT, CPoint point) {
  if (!m_pParentList) return 1;
  if (m_pMainPanel && Inside(m_pMainPanel->GetBounds(), point)) {
    m_pParentList->ListenItemClicked(this, 1);
    m_pParentList->SetKBFocused(TRUE);
  }
  return 1;
}

void CUIListItem::OnMouseMove(UINT, CPoint point) {
  if (!Inside(GetBounds(), point) || !m_pMainPanel || !m_pBigPhoto) return;
  if (!Inside(m_pMainPanel->GetBounds(), point) || !m_pBottomPanel || m_pBottomPanel->IsVisible()) return;
  m_pBottomPanel->SetVisible(TRUE);
  Refresh(FALSE, nullptr);
}

int CUIListItem::OnItemMouseLeave(CUIControl* sender, void*) {
  if (sender && sender->GetObjectID().CompareNoCase(L"bigPhoto") == 0 && m_pBottomPanel &&
      m_pBottomPanel->IsVisible()) {
    m_pBottomPanel->SetVisible(FALSE);
    Refresh(FALSE, nullptr);
  }
  return 1;
}

void CUIListItem::SetSelected(int selected) {
  if (m_pItemData) m_pItemData->m_bSelected = selected;
  SetPhotoSelected(selected);
}

void CUIListItem::SetPhotoSelected(int selected) {
  if (m_pBigPhoto) m_pBigPhoto->SetPhotoSelected(selected);
}

CRect CUIListItem::GetPhotoBounds() { return m_pMainPanel ? m_pMainPanel->GetBounds() : CRect(); }

int CUIListItem::IntersectsWith(CRect r) {
  if (!m_pBigPhoto) return 0;
  const CRect b = m_pBigPhoto->GetBounds();
  if (b.IsRectEmpty()) return 0;
  return r.left <= b.right && b.left <= r.right && r.top <= b.bottom && b.top <= r.bottom ? 1 : 0;
}

int CUIListItem::OnButtonClick(CUIControl* sender, void*) {
  ListItemData* R = GetRecord();
  if (sender && sender->GetObjectID().CompareNoCase(L"modifyInchLabel") == 0 && m_pParentList) {
    m_pParentList->UnSelectAll();
    SetSelected(TRUE);
    m_pParentList->SetAnchorAndFocus(R);
    if (R) m_pParentList->MakeVisible(R);
  }
  if (CUIControl* parent = GetParent(); parent && parent != this) parent->DispatchEvent(this, kClickEvent, sender);
  return 1;
}

void CUIListItem::SetEditNumber(int n) {
  if (m_pNumberEdit) m_pNumberEdit->SetText(std::to_wstring(n).c_str());
}

void CUIListItem::SetPhotoCount(int count) {
  ListItemData* R = GetRecord();
  if (!R) return;
  const int n = count <= 0 ? 1 : (count > 998 ? 999 : count);
  R->m_nPrintCount = n;
  SetEditNumber(n);
}

void CUIListItem::AddPrintNum(int delta) {
  if (!m_pNumberEdit) return;
  SetPhotoCount(delta + ReadCount(m_pNumberEdit->GetText()));
}

void CUIListItem::HandleEditCharJudge(CUIEditEx* edit, wchar_t ch, int& accept) {
  if (edit) accept = ch >= L'0' && ch <= L'9' ? 1 : 0;
}

void CUIListItem::HandleEditChanged(CUIEditEx* edit) {
  if (!edit) return;
  int n = ReadCount(edit->GetText());
  if (n <= 0 || n >= 999) {
    n = n > 0 ? 999 : 1;
    edit->SetText(std::to_wstring(n).c_str());
  }
  if (ListItemData* R = GetRecord()) R->m_nPrintCount = n;
  if (CUIControl* parent = GetParent(); parent && parent != this) parent->DispatchEvent(this, kClickEvent, m_pNumberEdit);
}

void CUIListItem::HandleEditLostFocus(CUIEditEx* edit) {
  if (!edit) return;
  const wchar_t* text = edit->GetText();
  if (!text || !*text || ReadCount(text) == 0) edit->SetText(L"1");
}

int CUIListItem::ValidateNumber(int& n) {
  if (n > 0 && n < 999) return 0;
  n = n > 0 ? 999 : 1;
  return 1;
}

}  // namespace UI
