#pragma once
// A two-state box with a caption, drawn from eight-state images. A click or
// Space toggles it and every setting of the state reports event 2. In radio
// mode a click selects the box and deselects the other members of its group
// instead. Groups are joined once and never left: the members are siblings in
// one form and live as long as each other. UI thread only.
#include <vector>

#include "ui/controls/UIButtonBase.h"

namespace UI {

class _CheckBoxConfig;

enum UICheckBoxStatus : int {
  UncheckNormal = 0,
  UncheckHover = 1,
  UncheckPress = 2,
  CheckNormal = 3,
  CheckHover = 4,
  CheckPress = 5,
  UncheckDisable = 6,
  CheckDisable = 7,
};

class CUICheckBox : public CUIButtonBase {
 public:
  CUICheckBox();

  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnKeyMessage(UINT message, UINT key, UINT repeat, UINT flags) override;
  // Event 1 unless the box is disabled.
  void OnClick() override;
  // The radio-mode attribute of this box's own style record.
  virtual void SetRadioMode(int radio);

  // Checked or not (disabled looks while disabled); repaints at once when
  // asked; event 2 on every call while enabled, also without a change.
  void SetChecked(int checked, int repaint);
  int IsChecked() const;
  UICheckBoxStatus GetCheckBoxStatus() const { return m_status; }
  // Joins the leader's group (the leader joins by calling this on itself first).
  void SetGroupHelper(CUICheckBox* leader);
  // Checks this box and unchecks every other member, each with event 2 while enabled.
  void SetGroupRadioStatus(int refresh);
  CUICheckBox* GetGroupCheckedItem();
  int GetGroupCheckedItemIndex();
  CUICheckBox* GetGroupItemByIndex(int index);

 protected:
  void SetTempEnable(BOOL enable) override;

 private:
  _CheckBoxConfig* GetCheckConfig();
  void Toggle();
  bool IsDisabledStatus() const { return m_status == UncheckDisable || m_status == CheckDisable; }
  // The rectangle the caption is drawn in, from the check mark's right edge.
  CRect TextRect(_CheckBoxConfig* config, int checkRight);

  UICheckBoxStatus m_status = UncheckNormal;
  CUICheckBox* m_pGroupLeader = nullptr;
  std::vector<CUICheckBox*> m_members;
};

}  // namespace UI
