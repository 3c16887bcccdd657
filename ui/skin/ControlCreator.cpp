#include "ui/skin/ControlCreator.h"

#include "ui/UIForm.h"
#include "ui/controls/ButtonConfig.h"
#include "ui/controls/CaptionConfig.h"
#include "ui/controls/CheckBoxConfig.h"
#include "ui/controls/ComboBoxConfig.h"
#include "ui/controls/EditExConfig.h"
#include "ui/controls/LabelConfig.h"
#include "ui/controls/ListBoxConfig.h"
#include "ui/controls/ListViewConfig.h"
#include "ui/menu/MenuConfig.h"
#include "ui/controls/MultiEditConfig.h"
#include "ui/controls/PageConfig.h"
#include "ui/controls/PanelConfig.h"
#include "ui/controls/RangeConfig.h"
#include "ui/controls/TabControlConfig.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UICaption.h"
#include "ui/controls/UIComboBox.h"
#include "ui/controls/UIDockPanel.h"
#include "ui/controls/UIEditEx.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIListBox.h"
#include "ui/controls/UIListView.h"
#include "ui/controls/UIMultiEdit.h"
#include "ui/controls/UIPage.h"
#include "ui/controls/UIRadioButton.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UIScrollViewer.h"
#include "ui/controls/UISlider.h"
#include "ui/controls/UISplitPanel.h"
#include "ui/controls/UIStackPanel.h"
#include "ui/controls/UITabControl.h"
#include "ui/controls/UITabItem.h"
#include "ui/controls/UIWrapPanel.h"
#include "ui/photo/ListConfig.h"
#include "ui/photo/PhotoConfig.h"
#include "ui/photo/UIGifPhoto.h"
#include "ui/photo/UIPhotoCxImage.h"
#include "ui/photo/UIList.h"
#include "ui/photo/UIListItem.h"
#include "ui/photo/UIPhotoEx.h"
#include "ui/skin/FormConfig.h"
#include "ui/skin/UISkinManager.h"

namespace UI {

namespace {

template <typename T>
CUIControl* Make() {
  return static_cast<CUIControl*>(new T);
}

struct BuiltinClass {
  const wchar_t* name;
  CUIControl* (*make)();  // null until the class is built
};

// The framework's classes in the order they are tried; names are compared
// exactly. A class joins by giving its row a maker.
constexpr BuiltinClass kClasses[] = {
    {L"CUIControl", &Make<CUIControl>},
    {L"CUIForm", &Make<CUIForm>},
    {L"CUICaption", &Make<CUICaption>},
    {L"CUIButton", &Make<CUIButton>},
    {L"CUILabel", &Make<CUILabel>},
    {L"CUIPanel", &Make<CUIPanel>},
    {L"CUIWrapPanel", &Make<CUIWrapPanel>},
    {L"CUIStackPanel", &Make<CUIStackPanel>},
    {L"CUIDockPanel", &Make<CUIDockPanel>},
    {L"CUIEditEx", &Make<CUIEditEx>},
    {L"CUIPhoto", &Make<CUIPhoto>},
    {L"CUIPhotoEx", &Make<CUIPhotoEx>},
    {L"CUIPhotoCxImage", &Make<CUIPhotoCxImage>},
    {L"CUIGifPhoto", &Make<CUIGifPhoto>},
    {L"CUITabControl", &Make<CUITabControl>},
    {L"CUITabItem", &Make<CUITabItem>},
    {L"CUITabItemHeader", &Make<CUITabItemHeader>},
    {L"CUIListItem", &Make<CUIListItem>},
    {L"CUIList", &Make<CUIList>},
    {L"CUIListBox", &Make<CUIListBox>},
    {L"CUIComboBox", &Make<CUIComboBox>},
    {L"CUIListBoxItem", &Make<CUIListBoxItem>},
    {L"CUIScrollBar", &Make<CUIScrollBar>},
    {L"CUICheckBox", &Make<CUICheckBox>},
    {L"CUIRadioButton", &Make<CUIRadioButton>},
    {L"CUIProgressBar", &Make<CUIProgressBar>},
    {L"CUIWebBrowser", nullptr},
    {L"CUIPage", &Make<CUIPage>},
    {L"CUISlider", &Make<CUISlider>},
    {L"CUIScrollViewer", &Make<CUIScrollViewer>},
    {L"CUIMultiEdit", &Make<CUIMultiEdit>},
    {L"CUISplitPanel", &Make<CUISplitPanel>},
    {L"CUIListView", &Make<CUIListView>},
};

template <typename T>
_SkinConfig* MakeRecord() {
  return new T;
}

struct BuiltinRecord {
  const wchar_t* name;
  _SkinConfig* (*make)();
};

// The default style record of each class that has one; a class joins with
// its row. Several classes may share a record class.
constexpr BuiltinRecord kRecords[] = {
    {L"CUIForm", &MakeRecord<_FormConfig>},
    {L"CUICaption", &MakeRecord<_CaptionConfig>},
    {L"CUIButton", &MakeRecord<_ButtonConfig>},
    {L"CUILabel", &MakeRecord<_LabelConfig>},
    {L"CUIPanel", &MakeRecord<_PanelConfig>},
    {L"CUIWrapPanel", &MakeRecord<_WrapPanelConfig>},
    {L"CUIStackPanel", &MakeRecord<_StackPanelConfig>},
    {L"CUIDockPanel", &MakeRecord<_DockPanelConfig>},
    {L"CUICheckBox", &MakeRecord<_CheckBoxConfig>},
    {L"CUIRadioButton", &MakeRecord<_RadioButtonConfig>},
    {L"CUIPage", &MakeRecord<_PageConfig>},
    {L"CUISplitPanel", &MakeRecord<_SplitPanelConfig>},
    {L"CUIScrollViewer", &MakeRecord<_PanelConfig>},
    {L"CUIMultiEdit", &MakeRecord<_MultiEditConfig>},
    {L"CUIListView", &MakeRecord<_UIListViewConfig>},
    {L"CUIEditEx", &MakeRecord<_EditExConfig>},
    {L"CUIListBox", &MakeRecord<_ListBoxConfig>},
    {L"CUIListBoxItem", &MakeRecord<_ListBoxItemConfig>},
    {L"CUIComboBox", &MakeRecord<_ComboBoxConfig>},
    {L"CUIScrollBar", &MakeRecord<_ScrollBarConfig>},
    {L"CUIProgressBar", &MakeRecord<_ProgressBarConfig>},
    {L"CUISlider", &MakeRecord<_SliderConfig>},
    {L"CUITabControl", &MakeRecord<_TabControlConfig>},
    {L"CUIMenu", &MakeRecord<_MenuConfig>},
    {L"CUITabItem", &MakeRecord<_TabItemConfig>},
    // the photo controls
    {L"CUIPhoto", &MakeRecord<_PhotoConfig>},
    {L"CUIGifPhoto", &MakeRecord<_PhotoConfig>},
    {L"CUIPhotoCxImage", &MakeRecord<_PhotoCxImageConfig>},
    {L"CUIPhotoEx", &MakeRecord<_PhotoExConfig>},
    // the photo list and its cells
    {L"CUIList", &MakeRecord<_ListConfig>},
    {L"CUIListItem", &MakeRecord<_ListItemConfig>},
};

}  // namespace

CUIControl* CreateBuiltinControl(CString className) {
  for (const BuiltinClass& c : kClasses) {
    if (className == c.name) return c.make ? c.make() : nullptr;
  }
  return nullptr;
}

void RegisterBuiltinSkinConfigs(CUISkinManager& skins) {
  for (const BuiltinRecord& r : kRecords) skins.RegisterSkinConfig(r.name, r.make());
}

}  // namespace UI
