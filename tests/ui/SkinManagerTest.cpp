// The skin manager over real theme files beside a copy of the test program:
// style and layout look-ups with the fall-back to the default skin, text
// styles, image paths, skin switching and the class registry.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "UiTestSupport.h"
#include "common/AppPaths.h"
#include "ui/UIControl.h"
#include "ui/UIForm.h"
#include "ui/image/ImageConfig.h"
#include "ui/skin/AssData.h"
#include "ui/skin/SkinConfig.h"
#include "ui/skin/SkinReader.h"
#include "ui/skin/UISkinManager.h"

namespace {

using UI::CUISkinManager;

// A style record with a background colour, an image and a counter of reads.
class TestConfig : public UI::_SkinConfig {
 public:
  explicit TestConfig(DWORD back = 0x11111111) : m_back(back) {}
  void Copy(UI::_SkinConfig* other) override {
    if (auto* o = dynamic_cast<TestConfig*>(other)) *this = *o;
  }
  void Reset() override { *this = TestConfig(); }
  int Read(UI::CSkinReader* reader) override {
    reader->GetColor(m_back, L"Back");
    reader->GetImage(m_image, L"Image");
    return 1;
  }
  UI::_SkinConfig* Clone() override {
    auto* c = new TestConfig;
    c->Copy(this);
    return c;
  }
  DWORD m_back;
  UI::_ImageConfig m_image;
};

const char* kDefaultSkin =
    "<css><CUIControl>"
    "<Shared Back=\"1, 1, 1\"><Image File=\"plain.png\"/></Shared>"
    "<OnlyDefault Back=\"2, 2, 2\"><Image File=\"d.png\"/></OnlyDefault>"
    "</CUIControl>"
    "<text><Title TextColor=\"9, 9, 9\" FontFace=\"Sans\" FontSize=\"15\"/><NoColour FontSize=\"11\"/></text></css>"
    "<ass><CUIControl><Wide Size=\"200, 30\" DockStyle=\"top\"/><Partial Margin=\"1, 1, 1, 1\"/></CUIControl></ass>";
const char* kBlueSkin =
    "<css><CUIControl><Shared Back=\"3, 3, 3\"><Image File=\"sub/blue.png\"/></Shared></CUIControl>"
    "<text><Title TextColor=\"0, 0, 255\"/></text></css>";

CString App(const wchar_t* rest) { return Common::GetAppPath() + rest; }

TEST(SkinManagerTest, StylesComeFromTheCurrentSkinThenTheDefaultOne) {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kDefaultSkin, kBlueSkin))) return;
  CUISkinManager* skins = CUISkinManager::GetInstance();
  ASSERT_EQ(skins->InitSkinData(), 1);
  EXPECT_EQ(skins->GetCurrentSkinName(), CString(L"Default"));

  UI::_SkinConfig* config = nullptr;
  skins->ReadCssData(L"Shared", L"CUIControl", config);
  EXPECT_EQ(config, nullptr);  // no record registered for the class
  skins->RegisterSkinConfig(L"CUIControl", new TestConfig(0x22222222));
  skins->RegisterSkinConfig(L"CUIControl", new TestConfig(0x33333333));  // replaces, releasing the first

  UI::CUIControl control;
  control.SetCss(L"OnlyDefault");
  ASSERT_EQ(skins->SetSkinFile(L"blue"), 1);
  auto* own = static_cast<TestConfig*>(control.GetSkinConfig(CString()));
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->m_back, 0xFF020202u);
  EXPECT_EQ(own->m_image.m_strFile, App(L"Theme/Default/images/d.png"));  // from the default skin

  TestConfig* shared = nullptr;
  UI::_SkinConfig* read = nullptr;
  skins->ReadCssData(L"Shared", L"CUIControl", read);
  shared = static_cast<TestConfig*>(read);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared->m_back, 0xFF030303u);
  EXPECT_EQ(shared->m_image.m_strFile, App(L"Theme/Blue/images/sub/blue.png"));
  shared->Release();

  UI::_SkinConfig* none = nullptr;
  skins->ReadCssData(L"Missing", L"CUIControl", none);
  EXPECT_EQ(none, nullptr);
  skins->ReadCssData(L"", L"CUIControl", none);
  EXPECT_EQ(none, nullptr);

  // Layout records: only what the element gives changes.
  UI::_AssData data;
  data.m_padding = CRect(4, 4, 4, 4);
  skins->ReadAssData(L"Wide", L"CUIControl", &data);
  EXPECT_EQ(data.m_size, CSize(200, 30));
  EXPECT_EQ(data.m_anchor, UI::DockTop);
  EXPECT_EQ(data.m_padding, CRect(4, 4, 4, 4));
  skins->ReadAssData(L"Nowhere", L"CUIControl", &data);
  EXPECT_EQ(data.m_size, CSize(200, 30));
}

TEST(SkinManagerTest, TextStylesAreCachedUntilTheSkinChanges) {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kDefaultSkin, kBlueSkin))) return;
  CUISkinManager* skins = CUISkinManager::GetInstance();
  ASSERT_EQ(skins->InitSkinData(), 1);
  LOGFONTW font{};
  COLORREF colour = 0x0A0B0C;
  skins->GetFontAndColor(L"NoColour", font, colour);
  EXPECT_EQ(colour, 0x0A0B0Cu);  // the first caller's colour is cached
  EXPECT_EQ(font.lfHeight, 11);
  COLORREF later = 0;
  skins->GetFontAndColor(L"NoColour", font, later);
  EXPECT_EQ(later, 0x0A0B0Cu);

  skins->GetFontAndColor(L"Title", font, colour);
  EXPECT_EQ(colour, 0xFF090909u);
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Sans");

  skins->SetCurrentSkin(L"Blue");
  skins->GetFontAndColor(L"Title", font, colour);
  EXPECT_EQ(colour, 0xFF0000FFu);
  EXPECT_EQ(font.lfHeight, 12);  // the Blue style gives no size: the default font's

  LOGFONTW untouched{};
  untouched.lfHeight = 77;
  skins->GetFontAndColor(L"Nothing", untouched, colour);
  EXPECT_EQ(untouched.lfHeight, 77);
}

TEST(SkinManagerTest, ImagePathsAndSkinNames) {
  if (!uitest::InProgramFolder(uitest::SkinTheme(kDefaultSkin, kBlueSkin))) return;
  CUISkinManager* skins = CUISkinManager::GetInstance();
  ASSERT_EQ(skins->InitSkinData(), 1);
  EXPECT_EQ(skins->TranslatePath(L"", TRUE), CString());
  EXPECT_EQ(skins->TranslatePath(L"%icons\\a.png", TRUE), App(L"icons/a.png"));
  EXPECT_EQ(skins->TranslatePath(L"@bg.png", FALSE), App(L"Theme/Default/bg.png"));
  EXPECT_EQ(skins->TranslatePath(L"x/y.png", TRUE), App(L"Theme/Default/images/x/y.png"));
  skins->SetCurrentSkin(L"BLUE");
  EXPECT_EQ(skins->GetCurrentSkinName(), CString(L"BLUE"));
  EXPECT_EQ(skins->TranslatePath(L"x\\\\y.png", FALSE), App(L"Theme/Blue/images/x/y.png"));
  skins->SetCurrentSkin(L"blue");  // the same skin in another case: nothing
  EXPECT_EQ(skins->GetCurrentSkinName(), CString(L"BLUE"));
  EXPECT_EQ(skins->GetSkinNameText(L"blue"), CString(L"Sky"));
  EXPECT_EQ(skins->SetSkinFile(L"Unlisted"), 1);  // the default skin serves

  std::vector<UI::SkinItem> items;
  skins->GetAllSkinItem(items);
  EXPECT_EQ(items.size(), 2u);
  skins->LoadAllSkinItem();
  skins->GetAllSkinItem(items);
  EXPECT_EQ(items.size(), 4u);  // listed again
}

TEST(SkinManagerTest, ARememberedSkinIsLoadedAndAMissingOneFailsAlone) {
  uitest::Files files = uitest::SkinTheme(kDefaultSkin, kBlueSkin);
  files["PreSkin.xml"] = "<PreSkin Name=\"Blue\"/>";
  files["Theme/SkinDatas.xml"] =
      "<SkinsRoot><A Name=\"Default\"/><B Name=\"Blue\"/><C Name=\"Gone\" Text=\"No file\"/></SkinsRoot>";
  if (!uitest::InProgramFolder(files)) return;
  CUISkinManager* skins = CUISkinManager::GetInstance();
  ASSERT_EQ(skins->InitSkinData(), 1);
  EXPECT_EQ(skins->GetCurrentSkinName(), CString(L"Blue"));
  EXPECT_EQ(skins->SetSkinFile(L"Gone"), 0);
  skins->RegisterSkinConfig(L"CUIControl", new TestConfig);
  UI::_SkinConfig* config = nullptr;
  skins->ReadCssData(L"Shared", L"CUIControl", config);
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(static_cast<TestConfig*>(config)->m_back, 0xFF010101u);  // the default skin's
  config->Release();
}

UI::CUIControl* CreateAppControl(CString name) {
  if (name != L"CMyPanel") return nullptr;
  auto* c = new UI::CUIControl;
  c->SetText(L"app", FALSE);
  return c;
}

TEST(SkinManagerTest, CreatorsAddClassesButCannotReplaceBuiltInOnes) {
  CUISkinManager* skins = CUISkinManager::GetInstance();
  EXPECT_EQ(skins->CreateSkinObject(L"CMyPanel"), nullptr);
  EXPECT_EQ(skins->CreateSkinObject(L"cuicontrol"), nullptr);
  EXPECT_EQ(skins->RegisterObjectCreateor(&CreateAppControl), 1);
  UI::CUIControl* mine = skins->CreateSkinObject(L"CMyPanel");
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(mine->GetText(), CString(L"app"));
  mine->Release();
  UI::CUIControl* form = skins->CreateSkinObject(L"CUIForm");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->GetType(), CString(L"CUIForm"));
  EXPECT_TRUE(form->IsUIForm());
  form->Release();
}

}  // namespace

namespace {

std::string ThemeFile(const std::string& name) {
  return dorvtest::ReadFile(std::filesystem::path(DORV_THEME_SOURCE_DIR) / name);
}

TEST(SkinManagerTest, TheShippedThemeLoadsAndStylesTheMainForm) {
  const uitest::Files files = {{"Theme/SkinDatas.xml", ThemeFile("SkinDatas.xml")},
                               {"Theme/Build.xml", ThemeFile("Build.xml")},
                               {"Theme/Default/Skin.xml", ThemeFile("Default/Skin.xml")},
                               {"PreSkin.xml", ThemeFile("PreSkin.xml")}};
  if (!uitest::InProgramFolder(files)) return;
  UI::CUISkinManager* skins = UI::CUISkinManager::GetInstance();
  ASSERT_EQ(skins->InitSkinData(), 1);
  UI::CUIControl main;
  ASSERT_EQ(main.BuildFromXML(skins->GetBuildNode(L"BuildRoot MainForm")), 1);
  EXPECT_FALSE(main.IsVisible());
  main.ReadAssSkinData(L"CUIForm");
  EXPECT_EQ(main.GetAnchorStyle(), static_cast<unsigned int>(UI::DockFill));
  LOGFONTW font{};
  COLORREF colour = 0;
  skins->GetFontAndColor(L"Title", font, colour);
  EXPECT_EQ(colour, 0xFFFFFFFFu);
  EXPECT_EQ(font.lfWeight, 700);
}

}  // namespace

namespace {

// A form that records what it sees when the skin changes.
class WatchingForm : public UI::CUIForm {
 public:
  void OnSkinChanged() override {
    changingSeen = UI::CUISkinManager::GetInstance()->IsThemeChanging();
    ++changes;
    UI::CUIForm::OnSkinChanged();
  }
  int changingSeen = 0;
  int changes = 0;
};

TEST(SkinManagerTest, SwitchingSkinsReskinsEveryFormWithAWindow) {
  const std::string defaults =
      "<css><CUIControl><Look Back=\"1, 1, 1\"/></CUIControl></css>"
      "<ass><CUIControl><Bar Size=\"10, 10\" DockStyle=\"top\"/></CUIControl></ass>";
  const std::string blue = "<ass><CUIControl><Bar Size=\"10, 30\" DockStyle=\"top\"/></CUIControl></ass>";
  if (!uitest::InProgramFolder(uitest::SkinTheme(defaults, blue, "<Main/>"))) return;
  UI::CUISkinManager* skins = UI::CUISkinManager::GetInstance();
  ASSERT_EQ(skins->InitSkinData(), 1);
  skins->RegisterSkinConfig(L"CUIControl", new TestConfig);

  WatchingForm form;
  form.SetObjectID(L"Main");
  ASSERT_EQ(form.Create(WS_POPUP, L"DorvSkinTestForm", L"test", nullptr, 0, CRect(0, 0, 100, 80)), 1);
  auto* bar = new UI::CUIControl;
  bar->SetAss(L"Bar");
  bar->SetCss(L"Look");
  static_cast<UI::CUIControl&>(form).RegisterControl(bar);
  form.OnSkinChanged();
  EXPECT_EQ(bar->GetBounds(), CRect(0, 0, 100, 10));
  ASSERT_NE(bar->GetSkinConfig(CString()), nullptr);

  skins->SetCurrentSkin(L"Blue");
  EXPECT_EQ(form.changes, 3);  // creation, the call above, the switch
  EXPECT_EQ(form.changingSeen, 1);
  EXPECT_EQ(skins->IsThemeChanging(), 0);
  EXPECT_EQ(bar->GetBounds(), CRect(0, 0, 100, 30));
  ASSERT_NE(bar->GetSkinConfig(CString()), nullptr);  // re-read, from the default skin

  skins->SetCurrentSkin(L"DEFAULT");  // the base skin in any case drops Blue
  EXPECT_EQ(form.changes, 4);
  EXPECT_EQ(bar->GetBounds(), CRect(0, 0, 100, 10));
  form.DestroyWindow();
}

}  // namespace
