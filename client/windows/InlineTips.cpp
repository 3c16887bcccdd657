#include "client/windows/InlineTips.h"

#include "common/TextFit.h"
#include "ui/UIControl.h"
#include "ui/controls/LabelConfig.h"
#include "ui/controls/UILabel.h"

namespace {

constexpr DWORD kErrorColor = 0x00EE3D4D;
constexpr DWORD kInfoColor = 0x00805D38;
// The error picture's width and the gap after it.
constexpr int kErrorPhotoSpace = 25;

struct TipParts {
  UI::CUILabel* label = nullptr;
  UI::CUIControl* photo = nullptr;
};

TipParts FindParts(UI::CUIControl* panel) {
  TipParts parts;
  parts.label = dynamic_cast<UI::CUILabel*>(panel->FindControlRecusive(L"TipInfoLabel"));
  parts.photo = panel->FindControlRecusive(L"ErrorPhoto");
  return parts;
}

// The text's width in the font of the label's style record.
int TextWidth(CWnd* form, UI::CUILabel* label, CString& text) {
  auto* config = label ? dynamic_cast<UI::_LabelConfig*>(label->GetSkinConfig(CString())) : nullptr;
  if (!config) return 0;
  return Common::GetTextSize(form, text, config->m_font).cx;
}

void SetLeftMargin(UI::CUIControl* control, int left) {
  CRect margin = control->GetMargin();
  margin.left = left;
  control->SetMargin(margin);
}

}  // namespace

void ShowErrorTip(CWnd* form, CString text, UI::CUIControl* tipPanel) {
  if (!tipPanel) return;
  tipPanel->SetVisible(TRUE);
  TipParts parts = FindParts(tipPanel);
  if (parts.label) {
    parts.label->SetText(text, FALSE);
    parts.label->SetTextColor(kErrorColor);
  }
  if (parts.photo) parts.photo->SetVisible(TRUE);
  // A text wider than the panel gives negative margins; they stand.
  const int left = (tipPanel->GetSize().cx - TextWidth(form, parts.label, text) - kErrorPhotoSpace) / 2;
  if (parts.photo) SetLeftMargin(parts.photo, left);
  if (parts.label) SetLeftMargin(parts.label, left + kErrorPhotoSpace);
  tipPanel->ArrangeAllSubControls();
}

void ShowInfoTip(UI::CUIControl* tipPanel, CString text, CWnd* form) {
  if (!tipPanel) return;
  tipPanel->SetVisible(TRUE);
  TipParts parts = FindParts(tipPanel);
  if (parts.photo) parts.photo->SetVisible(FALSE);
  if (parts.label) {
    parts.label->SetText(text, FALSE);
    SetLeftMargin(parts.label, (tipPanel->GetSize().cx - TextWidth(form, parts.label, text)) / 2);
    parts.label->SetTextColor(kInfoColor);
  }
  tipPanel->ArrangeAllSubControls();
}
