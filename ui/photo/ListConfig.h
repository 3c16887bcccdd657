#pragma once
// The photo list's style record (scrolling direction and the image drawn where
// a dragged photo would land) and its cells' record (the style names of the
// cell's fifteen sub-controls).
#include "mfc/Afx.h"
#include "ui/controls/ItemsControlConfig.h"

namespace UI {

class _ListConfig : public _ItemsControlConfig {
 public:
  _ListConfig() { _ListConfig::Reset(); }
  _ListConfig(const _ListConfig&) = default;
  _ListConfig& operator=(const _ListConfig&) = default;
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  int m_bScrollBarHor = 0;
  _ImageBorderConfig m_dragInsertImage;
};

class _ListItemConfig : public _ItemBaseConfig {
 public:
  _ListItemConfig() { _ListItemConfig::Reset(); }
  _ListItemConfig(const _ListItemConfig&) = default;
  _ListItemConfig& operator=(const _ListItemConfig&) = default;
  ~_ListItemConfig() override { _ListItemConfig::Reset(); }
  void Copy(_SkinConfig* other) override;
  void Reset() override;
  int Read(CSkinReader* reader) override;
  _SkinConfig* Clone() override;

  CString m_strDownNumButton;
  CString m_strUpNumButton;
  CString m_strPreviewButton;
  CString m_strPixNotEnoughPhoto;
  CString m_strClippedFlagPhoto;
  CString m_strBigPhoto;
  CString m_strAddPhotoBigPhoto;
  CString m_strBottomPanel;
  CString m_strNumberEdit;
  CString m_strNumLabel;
  CString m_strDeleteButton;
  CString m_strModifyInchLabel;
  CString m_strManualClipButton;
  CString m_strPreserveFlagPhoto;
  CString m_strEditButton;
};

}  // namespace UI
