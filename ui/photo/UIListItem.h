#pragma once
// One cell of the photo list: the photo area (the thumbnail, or the cell
// style's default picture, with a pixel-shortage warning and a cropped or
// kept-whole flag over its top-left corner), a bar of four buttons that shows
// while the pointer is over the photo, and a toolbar with the change-size label
// and the print count between a down and an up button. Its sub-controls are
// made in code and styled from names in the cell's own style record; the list
// keeps those records for all its cells. UI thread only.
#include "ui/controls/UIItemsControl.h"

namespace UI {

class CUIList;
class CUIPanel;
class CUIPhoto;
class CUIPhotoEx;
class CUIButton;
class CUIEditEx;
class ListItemData;
class _ListItemConfig;
class _SkinConfig;

class CUIListItem : public CUIItemBase {
 public:
  static constexpr int kPhotoAreaHeight = 174;

  CUIListItem();
  ~CUIListItem() override;

  CUIList* GetParentList() const { return m_pParentList; }
  void SetParentList(CUIList* list) { m_pParentList = list; }
  virtual void Clear() { m_pParentList = nullptr; }

  void CreateSubControl() override;
  void SetSelected(int selected) override;
  void SetPhotoSelected(int selected);
  CRect GetPhotoBounds();
  int IntersectsWith(CRect rect);
  void AddPrintNum(int delta);
  void SetPhotoCount(int count);
  virtual void UpdateImage(CString path, void* record);

  void HandleEditCharJudge(CUIEditEx* edit, wchar_t ch, int& accept);
  void HandleEditChanged(CUIEditEx* edit);
  void HandleEditLostFocus(CUIEditEx* edit);

  void RenderSelf(DXCore* core, const CRect* clip) override;
  void RenderAfterSubCtrls(DXCore* core, const CRect* clip, const CRect* paint) override;
  BOOL OnMouseMessage(UINT message, UINT flags, const CPoint& point) override;

  ListItemData* GetRecord() const;
  CUIPhotoEx* GetBigPhoto() const { return m_pBigPhoto; }
  CUIPanel* GetBottomPanel() const { return m_pBottomPanel; }
  CUIPanel* GetMainPanel() const { return m_pMainPanel; }
  CUIEditEx* GetNumberEdit() const { return m_pNumberEdit; }
  CUIPhoto* GetWarningIcon() const { return m_pWarningIcon; }
  CUIPhotoEx* GetClippedIcon() const { return m_pClippedIcon; }
  CUIPhotoEx* GetPreserveIcon() const { return m_pPreserveIcon; }

 protected:
  int OnLButtonDown(UINT flags, CPoint point);
  int OnRButtonDown(UINT flags, CPoint point);
  void OnMouseMove(UINT flags, CPoint point);
  int OnButtonClick(CUIControl* sender, void* param);
  int OnItemMouseLeave(CUIControl* sender, void* param);
  _ListItemConfig* GetSelfConfig();
  _SkinConfig* GetSubControlConfig(CString name);
  void UpdateTooltip(void* record);
  CString GetPixNotEnoughTooltip();
  int ValidateNumber(int& n);
  int HitTest(const CPoint&) { return 0; }
  void SetSubControlNull();

 private:
  void ApplyStyle(CUIControl* control, const wchar_t* id);
  void SetEditNumber(int n);

  CUIList* m_pParentList = nullptr;
  CUIPanel* m_pMainPanel = nullptr;
  CUIPanel* m_pBottomPanel = nullptr;
  CUIPhotoEx* m_pBigPhoto = nullptr;
  CUIButton* m_pPreviewButton = nullptr;
  CUIButton* m_pManualClipButton = nullptr;
  CUIButton* m_pEditButton = nullptr;
  CUIPhoto* m_pWarningIcon = nullptr;
  CUIPanel* m_pToolbarPanel = nullptr;
  CUIEditEx* m_pNumberEdit = nullptr;
  CUIPhotoEx* m_pClippedIcon = nullptr;
  CUIPhotoEx* m_pPreserveIcon = nullptr;
};

}  // namespace UI
