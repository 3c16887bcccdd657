#pragma once
// A one-line edit with a drop button and a list hanging below it (children:
// the list box, then the edit). A click on the box opens or closes the list
// when it has entries; choosing a row (click, Enter or Tab) takes its text into
// the edit, closes the list, fires event 8 and moves the keyboard focus on.
// Up and Down move the list's selection whether or not it is open; losing the
// keyboard focus closes it. UI thread only.
#include "ui/UIControl.h"

namespace UI {

class CUIEditEx;
class CUIListBox;
class _ComboBoxConfig;

enum UIComboBoxStatus : int {
  UIComboBoxStatusNormal = 0,
  UIComboBoxStatusHover = 1,
  UIComboBoxStatusPress = 2,
};

class CUIComboBox : public CUIControl {
 public:
  static constexpr int kCompletedEvent = 8;

  CUIComboBox();

  BOOL IsCursorInBounds(const CPoint& point) override;
  void ArrangeAllSubControls() override;
  virtual void OnClick();

  int CreateSubControl();
  CUIListBox* GetInnerListBox() const { return m_pListBox; }
  // The selected row's text into the edit, the list closed; event 8 when notify is set.
  void FillEditexText(int notify);
  void SetComboBoxStatus(UIComboBoxStatus status);
  UIComboBoxStatus GetComboBoxStatus() const { return m_status; }

  CUIEditEx* m_pEditEx = nullptr;

 protected:
  void RenderSelf(DXCore* core, const CRect* clip) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;
  BOOL OnKeyMessage(UINT message, UINT code, UINT repeat, UINT flags) override;
  BOOL OnBuildControlAfter() override;
  int OnButtonClick(CUIControl* sender, void* param);

 private:
  _ComboBoxConfig* GetComboConfig();
  void RepaintForm();
  void PostTab();

  UIComboBoxStatus m_status = UIComboBoxStatusNormal;
  CUIListBox* m_pListBox = nullptr;
};

}  // namespace UI
