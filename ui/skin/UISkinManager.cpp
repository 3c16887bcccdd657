#include "ui/skin/UISkinManager.h"

#include <new>
#include <string>

#include "common/AppPaths.h"
#include "common/BitmapFunctions.h"
#include "common/PathText.h"
#include "common/XmlDocument.h"
#include "ui/UIForm.h"
#include "ui/UIManager.h"
#include "ui/skin/AssData.h"
#include "ui/skin/ControlCreator.h"
#include "ui/skin/SkinConfig.h"
#include "ui/skin/SkinReader.h"

namespace UI {

namespace {

// The program's folder followed by the parts, joined by the separator.
CString ThemePath(std::initializer_list<const wchar_t*> parts) {
  CString path = Common::GetAppPath();
  bool first = true;
  for (const wchar_t* part : parts) {
    if (!first) path += Common::kPathSeparator;
    path += part;
    first = false;
  }
  return path;
}

// The document of a well-formed XML file; null when the file is missing or
// not well-formed.
std::unique_ptr<Common::CXmlDocument> LoadDocument(const CString& path) {
  auto document = std::make_unique<Common::CXmlDocument>();
  if (!document->LoadFile(path)) return nullptr;
  return document;
}

}  // namespace

CUISkinManager* CUISkinManager::s_pInstance = nullptr;

CUISkinManager* CUISkinManager::GetInstance() {
  if (!s_pInstance) s_pInstance = new (std::nothrow) CUISkinManager();
  return s_pInstance;
}

CUISkinManager::CUISkinManager()
    : m_strBaseSkin(L"Default"),
      m_strCurrentSkin(L"Default"),
      m_strCurrentFolder(L"Default"),
      m_strRememberedSkin(L"Default") {
  m_creators.push_back(&CreateBuiltinControl);
  RegisterBuiltinSkinConfigs(*this);
}

CUISkinManager::~CUISkinManager() {
  SavePreSkin();  // a failed write is of no consequence at the end
  DeleteSkinContents();
  if (s_pInstance == this) s_pInstance = nullptr;
}

void CUISkinManager::Release() { delete this; }

void CUISkinManager::DeleteSkinContents() {
  std::map<CString, _SkinConfig*> records;
  records.swap(m_records);
  for (auto& [name, record] : records) {
    if (record) record->Release();
  }
}

int CUISkinManager::RegisterObjectCreateor(ControlCreator creator) {
  if (creator) m_creators.push_back(creator);
  return 1;
}

CUIControl* CUISkinManager::CreateSkinObject(CString className) {
  for (ControlCreator creator : m_creators) {
    if (CUIControl* control = creator(className)) return control;
  }
  return nullptr;
}

void CUISkinManager::RegisterSkinConfig(CString className, _SkinConfig* record) {
  _SkinConfig*& slot = m_records[className];
  if (slot && slot != record) slot->Release();
  slot = record;
}

void* CUISkinManager::FindSkinElement(const CString& path, int& fromDefault) const {
  if (m_pCurrentSkin) {
    if (void* element = m_pCurrentSkin->PathWalk(path)) {
      fromDefault = 0;
      return element;
    }
  }
  fromDefault = 1;
  return m_pDefaultSkin ? m_pDefaultSkin->PathWalk(path) : nullptr;
}

void CUISkinManager::ReadCssData(const CString& style, const CString& className, _SkinConfig*& config) {
  if (style.IsEmpty() || className.IsEmpty()) return;
  CString path;
  path.Format(L"%s css %s %s", L"UIRoot", className, style);
  int fromDefault = 1;
  void* element = FindSkinElement(path, fromDefault);
  if (!element) return;
  if (!config) {
    auto it = m_records.find(className);
    if (it == m_records.end() || !it->second) return;
    config = it->second->Clone();
    if (!config) return;
  }
  CSkinReader reader(element);
  reader.SetFromDefault(fromDefault);
  config->Read(&reader);
}

void CUISkinManager::ReadAssData(const CString& layout, const CString& className, _AssData* data) {
  if (!data || layout.IsEmpty() || className.IsEmpty()) return;
  CString path;
  path.Format(L"%s ass %s %s", L"UIRoot", className, layout);
  int fromDefault = 1;
  void* element = FindSkinElement(path, fromDefault);
  if (!element) return;
  _AssData copy = *data;
  CSkinReader(element).GetAssData(&copy);
  *data = copy;
}

void CUISkinManager::GetFontAndColor(const CString& textStyle, LOGFONTW& font, COLORREF& colour) {
  auto cached = m_fonts.find(textStyle);
  if (cached != m_fonts.end()) {
    font = cached->second.first;
    colour = cached->second.second;
    return;
  }
  if (textStyle.IsEmpty()) return;
  CString path;
  path.Format(L"%s css text %s", L"UIRoot", textStyle);
  int fromDefault = 1;
  void* element = FindSkinElement(path, fromDefault);
  if (!element) return;
  // Over the default font; a style without a colour keeps the caller's.
  DWORD argb = colour;
  Common::GetDefaultLOGFONT(font);
  CSkinReader(element).ReadFont(font, argb);
  colour = argb;
  m_fonts[textStyle] = {font, colour};
}

CString CUISkinManager::TranslatePath(CString path, BOOL fromDefault) const {
  if (path.IsEmpty()) return CString();
  const CString sep(Common::kPathSeparator);
  CString result = Common::GetAppPath();
  if (path[0] == L'%') {
    result += path.Mid(1);
  } else if (path[0] == L'@') {
    result += L"Theme" + sep + m_strBaseSkin + sep + path.Mid(1);
  } else {
    const CString skin = fromDefault ? CString(L"Default") : m_strCurrentFolder;
    result += L"Theme" + sep + skin + sep + L"images" + sep + path;
  }
  return Common::ReparsePath(result);
}

void CUISkinManager::SetCurrentSkin(CString name) {
  if (name.CompareNoCase(m_strCurrentSkin) == 0) return;
  m_bThemeChanging = TRUE;
  SetSkinFile(name);
  ChangeAllFormsSkin();
  m_bThemeChanging = FALSE;
}

void CUISkinManager::ChangeAllFormsSkin() {
  CUIManager* manager = CUIManager::GetInstance();
  if (!manager) return;
  CPtrArray forms;
  manager->GetAllForms(forms);
  for (INT_PTR i = 0; i < forms.GetSize(); ++i) static_cast<CUIForm*>(forms[i])->OnSkinChanged();
}

int CUISkinManager::InitSkinData() {
  if (!LoadSkinBuildFile()) return 0;
  if (!LoadAllSkinItem()) return 0;
  if (!LoadDefaultSkin()) return 0;
  if (!LoadPreSkin()) return 0;
  return 1;
}

int CUISkinManager::LoadSkinBuildFile() {
  m_pBuild = LoadDocument(ThemePath({L"Theme", L"Build.xml"}));
  return m_pBuild ? 1 : 0;
}

int CUISkinManager::LoadAllSkinItem() {
  std::unique_ptr<Common::CXmlDocument> list = LoadDocument(ThemePath({L"Theme", L"SkinDatas.xml"}));
  if (!list) return 0;
  for (void* skin = Common::CXmlDocument::GetFirstChild(list->PathWalk(L"SkinsRoot")); skin;
       skin = Common::CXmlDocument::GetNextSibling(skin)) {
    m_skins.emplace_back(Common::CXmlDocument::GetNodeAttribute(skin, L"Name"),
                         Common::CXmlDocument::GetNodeAttribute(skin, L"Text"));
  }
  return 1;
}

int CUISkinManager::LoadDefaultSkin() {
  m_pDefaultSkin = LoadDocument(ThemePath({L"Theme", L"Default", L"Skin.xml"}));
  return m_pDefaultSkin ? 1 : 0;
}

int CUISkinManager::LoadPreSkin() {
  if (std::unique_ptr<Common::CXmlDocument> pre = LoadDocument(ThemePath({L"PreSkin.xml"}))) {
    if (void* element = pre->PathWalk(L"PreSkin"))
      m_strRememberedSkin = Common::CXmlDocument::GetNodeAttribute(element, L"Name");
  }
  if (m_strRememberedSkin.CompareNoCase(m_strBaseSkin) != 0) SetSkinFile(m_strRememberedSkin);
  return 1;
}

int CUISkinManager::SetSkinFile(const CString& name) {
  if (name.CompareNoCase(m_strCurrentSkin) == 0) return 1;
  m_strCurrentSkin = name;
  m_strCurrentFolder = name;
  m_pCurrentSkin.reset();
  m_fonts.clear();
  if (name.CompareNoCase(m_strBaseSkin) == 0) return 1;
  const SkinItem* listed = nullptr;
  for (const SkinItem& skin : m_skins) {
    if (!listed && skin.m_strName.CompareNoCase(name) == 0) listed = &skin;
  }
  if (!listed) return 1;
  // Skin names match in any case; the folder is found by the list's spelling,
  // as file names here are case-sensitive.
  m_strCurrentFolder = listed->m_strName;
  m_pCurrentSkin = LoadDocument(ThemePath({L"Theme", m_strCurrentFolder, L"Skin.xml"}));
  return m_pCurrentSkin ? 1 : 0;
}

void* CUISkinManager::GetBuildNode(const CString& path) const {
  CString names = path;
  if (!m_pBuild || names.Trim().IsEmpty()) return nullptr;  // a path without names names nothing
  return m_pBuild->PathWalk(path);
}

CString CUISkinManager::GetSkinNameText(const CString& name) const {
  for (const SkinItem& skin : m_skins) {
    if (skin.m_strName.CompareNoCase(name) == 0) return skin.m_strText;
  }
  return CString();
}

int CUISkinManager::SavePreSkin() {
  m_strRememberedSkin = m_strCurrentSkin;
  Common::CXmlDocument document;
  Common::CXmlDocument::SetNodeAttribute(document.InsertEndChild(L"PreSkin"), L"Name", m_strRememberedSkin);
  return document.SaveFile(ThemePath({L"PreSkin.xml"}));
}

}  // namespace UI
