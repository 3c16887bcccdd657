#include "ui/skin/ControlCreator.h"

#include "ui/UIForm.h"
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
    {L"CUICaption", nullptr},
    {L"CUIButton", nullptr},
    {L"CUILabel", nullptr},
    {L"CUIPanel", nullptr},
    {L"CUIWrapPanel", nullptr},
    {L"CUIStackPanel", nullptr},
    {L"CUIDockPanel", nullptr},
    {L"CUIEditEx", nullptr},
    {L"CUIPhoto", nullptr},
    {L"CUIPhotoEx", nullptr},
    {L"CUIPhotoCxImage", nullptr},
    {L"CUIGifPhoto", nullptr},
    {L"CUITabControl", nullptr},
    {L"CUITabItem", nullptr},
    {L"CUITabItemHeader", nullptr},
    {L"CUIListItem", nullptr},
    {L"CUIList", nullptr},
    {L"CUIListBox", nullptr},
    {L"CUIComboBox", nullptr},
    {L"CUIListBoxItem", nullptr},
    {L"CUIScrollBar", nullptr},
    {L"CUICheckBox", nullptr},
    {L"CUIRadioButton", nullptr},
    {L"CUIProgressBar", nullptr},
    {L"CUIWebBrowser", nullptr},
    {L"CUIPage", nullptr},
    {L"CUISlider", nullptr},
    {L"CUIScrollViewer", nullptr},
    {L"CUIMultiEdit", nullptr},
    {L"CUISplitPanel", nullptr},
    {L"CUIListView", nullptr},
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
