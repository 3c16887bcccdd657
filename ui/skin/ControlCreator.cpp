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
  CUIControl* (*make)();
};

// The classes of the framework in the order they are tried. Further controls
// join this table as they are built.
constexpr BuiltinClass kClasses[] = {
    {L"CUIControl", &Make<CUIControl>},
    {L"CUIForm", &Make<CUIForm>},
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
}

}  // namespace UI
