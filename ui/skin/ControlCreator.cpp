#include "ui/skin/ControlCreator.h"

#include "ui/UIForm.h"
#include "ui/controls/ButtonConfig.h"
#include "ui/controls/CaptionConfig.h"
#include "ui/controls/CheckBoxConfig.h"
#include "ui/controls/LabelConfig.h"
#include "ui/controls/PageConfig.h"
#include "ui/controls/PanelConfig.h"
#include "ui/controls/UIButton.h"
#include "ui/controls/UICaption.h"
#include "ui/controls/UIDockPanel.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIPage.h"
#include "ui/controls/UIRadioButton.h"
#include "ui/controls/UISplitPanel.h"
#include "ui/controls/UIStackPanel.h"
#include "ui/controls/UIWrapPanel.h"
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
  CUIControl* (*make)();
};

// The classes of the framework in the order they are tried. Further controls
// join this table as they are built.
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
    {L"CUICheckBox", &Make<CUICheckBox>},
    {L"CUIRadioButton", &Make<CUIRadioButton>},
    {L"CUIPage", &Make<CUIPage>},
    {L"CUISplitPanel", &Make<CUISplitPanel>},
};

}  // namespace

CUIControl* CreateBuiltinControl(CString className) {
  for (const BuiltinClass& c : kClasses) {
    if (className == c.name) return c.make();
  }
  return nullptr;
}

void RegisterBuiltinSkinConfigs(CUISkinManager& skins) {
  // The style records of the controls register here as their classes are built.
  skins.RegisterSkinConfig(L"CUIForm", new _FormConfig);
  skins.RegisterSkinConfig(L"CUICaption", new _CaptionConfig);
  skins.RegisterSkinConfig(L"CUIButton", new _ButtonConfig);
  skins.RegisterSkinConfig(L"CUILabel", new _LabelConfig);
  skins.RegisterSkinConfig(L"CUIPanel", new _PanelConfig);
  skins.RegisterSkinConfig(L"CUIWrapPanel", new _WrapPanelConfig);
  skins.RegisterSkinConfig(L"CUIStackPanel", new _StackPanelConfig);
  skins.RegisterSkinConfig(L"CUIDockPanel", new _DockPanelConfig);
  skins.RegisterSkinConfig(L"CUICheckBox", new _CheckBoxConfig);
  skins.RegisterSkinConfig(L"CUIRadioButton", new _RadioButtonConfig);
  skins.RegisterSkinConfig(L"CUIPage", new _PageConfig);
  skins.RegisterSkinConfig(L"CUISplitPanel", new _SplitPanelConfig);
}

}  // namespace UI
